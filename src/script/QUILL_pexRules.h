// The string-use rules of compiled scripts: which table entries may be translated and which need a warning, decided
// from the object model once the reader has filled it.
#pragma once

#include "script/QUILL_scriptPex.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// What one pass of the rules gathered.
struct rPexRuleState {
    // Identifiers passed as variable arguments to a matching call, case-folded.
    QSet<QString> noTransVariables;
    // (variable name index, string index): a string literal and the variable it is stored in.
    std::vector<std::pair<uint16_t, uint16_t>> assignPairs;
};

// Sets `auth` and `warn` of every table entry of `script` from how the model uses it. `noTransProcList` holds the
// untranslatable calls: function, object, class or result names, compared ignoring case; a call matches when one of
// the identifiers among its fixed operands is listed. Names, identifiers and the strings of assignments before their
// destination and of calls are untranslatable, compared strings get the warning, the arguments of a matching call
// are untranslatable, and so is a string stored in a variable whose name was passed to a matching call (that last
// step only when the body was read whole). Throws TQuillError when an instruction's operands cannot be decoded,
// which never happens for a model the reader made.
rPexRuleState applyPexStringRules(TPexScript& script, const QStringList& noTransProcList);
