// Everything a read makes of a compiled script, as text, so that two reads of the same bytes can be compared whole.
#pragma once

#include "script/QUILL_scriptPex.h"

#include <QStringList>

inline QString pexSummary(const TPexScript& pex) {
    QStringList out;
    out << pex.feedback.header;
    out << QStringLiteral("order %1 version %2.%3 debug %4 head %5 tail %6 %7 listing %8")
               .arg(pex.pexByteOrder)
               .arg(pex.majorVersion)
               .arg(pex.minorVersion)
               .arg(pex.debugPresent)
               .arg(pex.pexHead().size())
               .arg(pex.pexTail().size())
               .arg(qHash(pex.pexTail()))
               .arg(pex.listingReady);
    out << QStringLiteral("error %1 at %2").arg(pex.bodyError).arg(pex.bodyErrorPos);
    QString strings;
    for (const rPex& e : pex.pexStringTable)
        strings += QStringLiteral("%1:%2:%3%4 ").arg(e.offset).arg(e.size).arg(e.auth).arg(e.warn);
    out << strings;
    out << QStringLiteral("objects %1 structs %2 vars %3 props %4 states %5 funcs %6 types %7")
               .arg(pex.pexObjects.size())
               .arg(pex.pexStructs.size())
               .arg(pex.pexVars.size())
               .arg(pex.pexProps.size())
               .arg(pex.pexStates.size())
               .arg(pex.pexFuncs.size())
               .arg(pex.pexVarTypes.size());
    QString ops;
    for (const TpexOp& op : pex.pexOps)
        ops += QStringLiteral("%1@%2x%3 ").arg(op.opCode).arg(op.argsAt).arg(op.argsCount);
    out << ops;
    out << pex.feedback.lines;
    return out.join(QLatin1Char('\n'));
}
