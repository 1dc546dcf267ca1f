// Shared helpers of the plugin tests: reading built plugins with the built-in definitions.
#pragma once

#include "core/QUILL_cursor.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espWriter.h"
#include "support/plugin_builder.h"

#include <QStringList>

inline const TRecordDefinitions& builtInDefs() {
    static TRecordDefinitions defs = [] {
        TRecordDefinitions d;
        d.loadRecordDefs(recordDefinitionText({}));
        return d;
    }();
    return defs;
}

// Reads `bytes` as a plain (keepAll) or localized plugin; throws on a read error. Inflate failures are counted.
inline void readInto(tPluginTree& tree, const QByteArray& bytes, bool keepAll = true, int* inflateFailures = nullptr) {
    tree.clear();
    tree.fileData = bytes;
    TBinaryCursor stream(tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &builtInDefs();
    ctx.inflateFailed = [inflateFailures](const trecord&) {
        if (inflateFailures) ++*inflateFailures;
    };
    if (readPluginHeader(stream, keepAll ? &tree : nullptr, ctx) < 0) throw TQuillError(QStringLiteral("not TES4"));
    readPluginTree(stream, tree, keepAll, ctx);
}

// The tree as the plugin-tree command prints it.
inline QStringList treeLines(const tPluginTree& tree) {
    QStringList out;
    tree.forEach([&out](const tPluginNode& node) {
        int depth = 0;
        for (const tPluginNode* p = node.parent; p && p->parent; p = p->parent)
            ++depth;
        out << QString(depth * 2, QLatin1Char(' ')) + node.text();
    });
    return out;
}
