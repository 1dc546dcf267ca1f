// Fuzz target for the compiled script reader: any bytes must parse or fail cleanly, and what parses must take the
// string rules, write back byte for byte and list without trouble.
#include "script/QUILL_pexReader.h"
#include "script/QUILL_pexRules.h"
#include "script/QUILL_pexWriter.h"
#include "script/QUILL_scriptListing.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TPexScript pex;
    if (!parsePex(pex, bytes, nullptr)) return 0;
    // Every instruction kept decodes again to the operand count it records, so the rules never meet an error.
    for (const TpexOp& op : pex.pexOps)
        if (pex.args(op).size() != static_cast<qsizetype>(op.argsCount)) std::abort();
    applyPexStringRules(pex, {QStringLiteral("PlayAnimation"), QStringLiteral("Trace")});
    QStringList texts;
    for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
        texts << pex.pexText(static_cast<uint32_t>(i));
    if (buildPexBytes(pex, texts) != bytes) std::abort();
    ensureListing(pex);
    // Open every marker once: the rebuilt listings must stay consistent.
    for (int line = 1; line <= pex.feedback.lineCount() && line < 200; ++line)
        if (isMarkerLine(pex.feedback, line)) toggleMarker(pex, line);
    for (int line = 1; line <= pex.feedback.lineCount() && line < 200; ++line)
        (void)gutterJumpTarget(pex.feedback.lines, line);
    if (pex.feedback.lines.size() != static_cast<qsizetype>(pex.feedback.LineList.size())) std::abort();
    return 0;
}
