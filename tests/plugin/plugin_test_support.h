// Shared helpers of the plugin tests: reading built plugins with the built-in definitions.
#pragma once

#include "core/QUILL_cursor.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espWriter.h"
#include "plugin/QUILL_recordStruct.h"
#include "support/plugin_builder.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <limits>
#include <vector>

inline const TRecordDefinitions& builtInDefs() {
    static TRecordDefinitions defs = [] {
        TRecordDefinitions d;
        d.loadRecordDefs(recordDefinitionText({}));
        return d;
    }();
    return defs;
}

// The tree as the plugin-tree command prints it.
QStringList treeLines(const tPluginTree& tree);

// Reads `bytes` as a plain (keepAll) or localized plugin; throws on a read error. Inflate failures are counted.
// Every file is read twice: in one piece with every field kept, and cut in two for two threads (the cut falls
// wherever the middle of the file is, even in a file of one record) with runs of fields nothing reads one by one
// made opaque unless `keepEveryField`. Both reads must fail with the same message or give the same tree, the same
// record structures, the same links and the same inflate failures in the same order; a plain tree read is written
// back as read.
inline void readInto(tPluginTree& tree, const QByteArray& bytes, bool keepAll = true, int* inflateFailures = nullptr,
                     bool keepEveryField = false) {
    struct rRead {
        QString error;
        std::vector<uint32_t> failed;
    };
    const auto read = [&](tPluginTree& into, qsizetype splitFrom, bool everyField) {
        rRead out;
        into.clear();
        into.fileData = bytes;
        TBinaryCursor stream(into.fileData);
        rPluginReadContext ctx;
        ctx.defs = &builtInDefs();
        ctx.splitFrom = splitFrom;
        ctx.keepEveryField = everyField;
        ctx.inflateFailed = [&out](const trecord& r) { out.failed.push_back(r.headerData.formID); };
        try {
            if (readPluginHeader(stream, keepAll ? &into : nullptr, ctx) < 0)
                throw TQuillError(QStringLiteral("not TES4"));
            readPluginTree(stream, into, keepAll, ctx);
        } catch (const TQuillError& e) {
            out.error = e.message();
        }
        return out;
    };
    tPluginTree whole;
    const rRead one = read(whole, std::numeric_limits<qsizetype>::max(), true);
    const rRead two = read(tree, 0, keepEveryField);
    EXPECT_EQ(one.error, two.error);
    EXPECT_EQ(one.failed, two.failed);
    if (inflateFailures) *inflateFailures += static_cast<int>(two.failed.size());
    if (!two.error.isEmpty()) throw TQuillError(two.error);
    EXPECT_EQ(treeLines(whole), treeLines(tree));
    QStringList structures[2];
    for (int i = 0; i < 2; ++i)
        (i ? tree : whole).forEach([&](const tPluginNode& node) {
            if (const trecord* r = node.record()) structures[i] << recordStructureLines(*r);
        });
    EXPECT_EQ(structures[0], structures[1]);
    if (keepAll) {
        EXPECT_EQ(buildPluginBytes(tree), bytes);
    }
    tree.forEach([](const tPluginNode& node) {
        ASSERT_EQ(node.parent->children.at(static_cast<size_t>(node.row)).get(), &node);
        if (const trecord* r = node.record()) {
            ASSERT_EQ(r->espRec, &node);
        }
    });
}

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
