// libFuzzer target for the plugin reader: the header probe, the tree reader (plain and localized), the flat reader,
// and writing a plain tree back, which must give the bytes read. The tree reader also reads every input cut in two
// for two threads, which must fail or succeed as the read in one piece does; and a plain tree whose texts are all
// changed must be written the same whether its records hold runs of fields as opaque bytes or every field apart.
#include "core/QUILL_cursor.h"
#include "core/QUILL_error.h"
#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espReader.h"
#include "plugin/QUILL_espWriter.h"

#include <cstdlib>

namespace {

const TRecordDefinitions& defs() {
    static TRecordDefinitions d = [] {
        TRecordDefinitions t;
        t.loadRecordDefs(recordDefinitionText({}));
        return t;
    }();
    return d;
}

// Every text field given a new text (a long one now and then), then the tree written.
QByteArray translated(tPluginTree& tree) {
    int n = 0;
    const tFieldEncoder encode = [&n](const QString&) {
        ++n;
        return QByteArray(n % 7 == 0 ? 70000 : n % 5, 't') + '\0';
    };
    tree.forEach([&](tPluginNode& node) {
        if (trecord* r = node.record())
            for (tField& f : r->fList)
                if (f.params.has(sfieldParam::isString))
                    f.updateBuffer(QStringLiteral("s"), QStringLiteral("t"), encode, false);
    });
    return buildPluginBytes(tree);
}

QByteArray translatedAs(const QByteArray& bytes, bool keepEveryField) {
    tPluginTree tree;
    tree.fileData = bytes;
    TBinaryCursor stream(tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &defs();
    ctx.keepEveryField = keepEveryField;
    try {
        if (readPluginHeader(stream, &tree, ctx) < 0) return {};
        readPluginTree(stream, tree, true, ctx);
        return translated(tree);
    } catch (const TQuillError&) {
        return {};
    }
}

// Whether the read succeeded.
bool readAs(const QByteArray& bytes, int mode, bool split) {
    tPluginTree tree;
    tree.fileData = bytes;
    TBinaryCursor stream(tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &defs();
    if (split) ctx.splitFrom = 0;
    try {
        const int localized = readPluginHeader(stream, mode == 0 ? &tree : nullptr, ctx);
        if (localized < 0) return false;
        if (mode == 2) {
            readPluginRecords(stream, tree.fileData, tree, ctx);
            return true;
        }
        readPluginTree(stream, tree, mode == 0, ctx);
        markStringGroups(tree, mode == 1);
        if (mode == 0) {
            // Nothing changed: the writer must give back exactly what was read.
            if (buildPluginBytes(tree) != bytes) std::abort();
        }
        return true;
    } catch (const TQuillError&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int mode = 0; mode < 3; ++mode) {
        const bool whole = readAs(bytes, mode, false);
        if (mode < 2 && readAs(bytes, mode, true) != whole) std::abort();
    }
    if (translatedAs(bytes, false) != translatedAs(bytes, true)) std::abort();
    return 0;
}
