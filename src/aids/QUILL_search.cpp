// Search-and-replace rules and batch files.
#include "aids/QUILL_search.h"

#include "core/QUILL_dataList.h"

#include <QHash>
#include <QStringList>

QStringList searchPatterns() {
    return {QStringLiteral("[%REPLACE%] %ORIG%"), QStringLiteral("%ORIG% [%REPLACE%]"),
            QStringLiteral("%REPLACE% %ORIG%"), QStringLiteral("%ORIG% %REPLACE%")};
}

bool searchRuleChooses(const rSearchData& rule, const tSkyStr& entry,
                       const std::function<bool(const tSkyStr&)>& isSelected) {
    switch (rule.mode1) {
    case 1:
        return !entry.hasParam(sStrParam::translated) && !entry.hasParam(sStrParam::validated);
    case 2:
        return entry.LDResult >= 90;
    case 3:
        return isSelected && isSelected(entry);
    default:
        return true;
    }
}

namespace {

bool holds(const QString& text, const rSearchData& rule) {
    if (rule.s1.isEmpty()) return false;
    if (rule.caseSensitive) return text.contains(rule.s1);
    // A text whose lower-case form holds s1 also holds it ignoring case: that test needs no copy and rules most texts
    // out (bench_heuristic: one rule over 500,000 strings).
    return text.contains(rule.s1, Qt::CaseInsensitive) && text.toLower().contains(rule.s1);
}

QString replaceFirst(QString text, QLatin1StringView what, const QString& with) {
    const qsizetype at = text.indexOf(what);
    if (at >= 0) text.replace(at, what.size(), with);
    return text;
}

QString patternTranslation(const rSearchData& rule, const QString& translation) {
    const QString withReplacement = replaceFirst(rule.strformat, QLatin1StringView("%REPLACE%"), rule.s2.trimmed());
    return replaceFirst(withReplacement, QLatin1StringView("%ORIG%"), translation);
}

} // namespace

std::optional<QString> searchRuleTranslation(const rSearchData& rule, const tSkyStr& entry) {
    switch (rule.mode2) {
    case 0:
        if (!holds(entry.gTrans, rule)) return std::nullopt;
        // The replacement ignores letter case whatever the test did.
        return QString(entry.gTrans).replace(rule.s1, rule.s2, Qt::CaseInsensitive);
    case 1:
        if (!holds(entry.gS, rule)) return std::nullopt;
        return patternTranslation(rule, entry.gTrans);
    case 2:
        return patternTranslation(rule, entry.gTrans);
    default:
        return std::nullopt;
    }
}

int applySearchRule(const rSearchData& rule, tListSet& lists, int activeList,
                    const std::function<bool(const tSkyStr&)>& isSelected) {
    // Every new translation is worked out before any is stored, so that a rule refused for one text changes none.
    std::vector<std::pair<tSkyStr*, QString>> rewritten;
    for (int i = 0; i < 3; ++i) {
        if (!rule.allList && i != activeList) continue;
        for (auto& entry : lists[static_cast<size_t>(i)]) {
            if (!searchRuleChooses(rule, *entry, isSelected)) continue;
            std::optional<QString> translation = searchRuleTranslation(rule, *entry);
            if (!translation) continue;
            if (translation->size() > kMaxRuleTextLength) return -1;
            rewritten.emplace_back(entry.get(), std::move(*translation));
        }
    }
    for (auto& [entry, translation] : rewritten) {
        entry->setSTrans(std::move(translation));
        entry->resetStatus({sStrParam::incompleteTrans}, {sStrParam::validated});
    }
    return static_cast<int>(rewritten.size());
}

namespace {

bool isWord(const QString& line, QLatin1StringView word) {
    return line.compare(word, Qt::CaseInsensitive) == 0;
}

rSearchData ruleOfBlock(const QStringList& block) {
    // The first line of each name wins.
    QHash<QString, QString> values;
    for (const QString& line : block) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) continue;
        const QString name = line.left(eq).trimmed().toLower();
        if (!values.contains(name)) values.insert(name, line.mid(eq + 1));
    }
    rSearchData rule = rSearchData::cleared();
    rule.caseSensitive = values.value(QStringLiteral("casesensitive")) == QLatin1String("1");
    rule.allList = values.value(QStringLiteral("alllists")) == QLatin1String("1");
    const QString search = values.value(QStringLiteral("search"));
    rule.s1 = rule.caseSensitive ? search : search.toLower();
    rule.s2 = values.value(QStringLiteral("replace"));
    rule.strformat = values.value(QStringLiteral("pattern"));
    // toInt gives 0 for anything that is not a number.
    rule.mode1 = values.value(QStringLiteral("select")).trimmed().toInt();
    rule.mode2 = values.value(QStringLiteral("mode")).trimmed().toInt();
    return rule;
}

} // namespace

std::vector<rSearchData> parseBatchRules(const QString& text) {
    std::vector<rSearchData> rules;
    QStringList block;
    bool inBlock = false;
    for (const QString& line : splitTextLines(text)) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (isWord(line, QLatin1StringView("startrule"))) {
            inBlock = true;
        } else if (isWord(line, QLatin1StringView("endrule"))) {
            if (inBlock) rules.push_back(ruleOfBlock(block));
            block.clear();
            inBlock = false;
            continue;
        }
        if (inBlock) block << line;
    }
    return rules;
}
