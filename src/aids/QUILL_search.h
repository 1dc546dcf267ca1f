// Search and replace: the rule record, how one rule chooses and rewrites entries, and the batch file's rules.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// One search-and-replace rule.
struct rSearchData {
    QString s1;        // search text; lower case unless caseSensitive
    QString s2;        // replacement text
    int32_t mode1 = 1; // which entries: 0 all, 1 neither translated nor validated, 2 LDResult >= 90, 3 selected
    int32_t mode2 = 1; // what is done: 0 replace in the translation, 1 pattern when the source holds s1, 2 pattern
    bool caseSensitive = false;
    bool allList = false; // the three lists instead of the active page's
    QString strformat = QStringLiteral("[%REPLACE%] %ORIG%");

    // The rule a batch block starts from: everything empty, zero or false.
    static rSearchData cleared() {
        rSearchData r;
        r.mode1 = 0;
        r.mode2 = 0;
        r.strformat.clear();
        return r;
    }
};

// The patterns the dialog offers, the first being the default.
QStringList searchPatterns();

// Whether the rule's mode1 chooses the entry; `isSelected` answers mode 3 (none: nothing is selected).
bool searchRuleChooses(const rSearchData& rule, const tSkyStr& entry,
                       const std::function<bool(const tSkyStr&)>& isSelected);
// The new translation the rule's mode2 gives a chosen entry, or nothing when the rule leaves it. An empty search
// text is found in no text.
std::optional<QString> searchRuleTranslation(const rSearchData& rule, const tSkyStr& entry);

// The longest translation a rule may give, in UTF-16 code units: no text field of these formats holds more than
// 65,535 bytes (a string table entry, a plugin field, a script string), and every code unit takes at least a byte.
// Without it a few rules that double a letter would grow every text without end.
constexpr qsizetype kMaxRuleTextLength = 65535;

// Applies the rule to the lists (all three with allList, else lists[activeList]) in list order: each entry the rule
// rewrites gets the new translation (full setter) and its status reset (+incompleteTrans, -validated, -translated).
// Returns the number of entries rewritten, or -1 when some new translation would be longer than
// kMaxRuleTextLength: the rule then changes nothing.
int applySearchRule(const rSearchData& rule, tListSet& lists, int activeList,
                    const std::function<bool(const tSkyStr&)>& isSelected);

// The rules of a batch text, in order: the blocks between "startrule" and "endrule" lines (case ignored, nothing
// else on the line); blank and "#" lines are dropped, lines outside blocks ignored and a block left open at the end
// is never a rule. Inside a block each "name=value" line sets search, replace, pattern, select, mode,
// casesensitive or alllists (names without regard to case, the first of a name wins).
std::vector<rSearchData> parseBatchRules(const QString& text);
