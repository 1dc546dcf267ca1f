// libFuzzer target for the plugin reader: the header probe, the tree reader (plain and localized), the flat reader,
// and writing a plain tree back, which must give the bytes read.
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

void readAs(const QByteArray& bytes, int mode) {
    tPluginTree tree;
    tree.fileData = bytes;
    TBinaryCursor stream(tree.fileData);
    rPluginReadContext ctx;
    ctx.defs = &defs();
    try {
        const int localized = readPluginHeader(stream, mode == 0 ? &tree : nullptr, ctx);
        if (localized < 0) return;
        if (mode == 2) {
            readPluginRecords(stream, tree.fileData, tree, ctx);
            return;
        }
        readPluginTree(stream, tree, mode == 0, ctx);
        markStringGroups(tree, mode == 1);
        if (mode == 0) {
            // Nothing changed: the writer must give back exactly what was read.
            if (buildPluginBytes(tree) != bytes) std::abort();
        }
    } catch (const TQuillError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (int mode = 0; mode < 3; ++mode)
        readAs(bytes, mode);
    return 0;
}
