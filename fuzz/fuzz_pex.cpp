// Fuzz target for the compiled script reader: any bytes must parse or fail cleanly, and what parses must write back
// byte for byte and list without trouble. The same bytes read while they arrive (a few at a time) must give the same
// script.
#include "script/QUILL_scriptListing.h"
#include "script/QUILL_scriptPex.h"
#include "support/pex_summary.h"
#include "support/trickle_source.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TPexScript pex;
    pex.noTransProcList = {QStringLiteral("PlayAnimation"), QStringLiteral("Trace")};
    pex.resetPex();
    const bool parsed = pex.parsePex(bytes, nullptr);
    {
        TTrickleSource source(bytes, static_cast<qsizetype>(size % 97), static_cast<qsizetype>(size % 5));
        TPexScript streamed;
        streamed.noTransProcList = pex.noTransProcList;
        streamed.resetPex();
        if (streamed.parsePex(source.buffer(), source.in(), source, nullptr) != parsed) std::abort();
        if (parsed && pexSummary(streamed) != pexSummary(pex)) std::abort();
    }
    if (!parsed) return 0;
    QStringList texts;
    for (size_t i = 0; i < pex.pexStringTable.size(); ++i)
        texts << pex.pexText(static_cast<uint32_t>(i));
    if (pex.buildPexBytes(texts) != bytes) std::abort();
    // Every instruction kept was read whole: its operands decode again to the count it records.
    for (const TpexOp& op : pex.pexOps)
        if (pex.args(op).size() != static_cast<qsizetype>(op.argsCount)) std::abort();
    ensureListing(pex);
    // Open every marker once: the rebuilt listings must stay consistent.
    for (int line = 1; line <= pex.feedback.lineCount() && line < 200; ++line)
        if (isMarkerLine(pex.feedback, line)) toggleMarker(pex, line);
    for (int line = 1; line <= pex.feedback.lineCount() && line < 200; ++line)
        (void)gutterJumpTarget(pex.feedback.lines, line);
    if (pex.feedback.lines.size() != static_cast<qsizetype>(pex.feedback.LineList.size())) std::abort();
    return 0;
}
