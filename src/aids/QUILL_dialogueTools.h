// The dialogue and language tools' mechanics: the old dialogue style (a plugin's dialogue prompts rewritten as the
// line the character says) and the conversion between simplified and traditional Chinese characters.
#pragma once

#include "strings/QUILL_typedef.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class tPluginNode;
class tPluginTree;
class trecord;

// ----- Old dialogue style

inline constexpr const char* kOldDialogDefaultPattern = "[%PREFIXE%] %DIAL%";
// The prefix words when the language has no word file.
QStringList defaultOldDialogWords();

// What to do with a response longer than the limit.
enum class TLongResponse : uint8_t { keep, skip, cut };

struct rOldDialogOptions {
    // The prefix words, trimmed and lower-cased (empty: no prefix, "OldDial_AddPrefix" unchecked).
    QStringList prefixWords;
    // "%PREFIXE%" stands for the prompt, "%DIAL%" for the response.
    QString pattern = QString::fromLatin1(kOldDialogDefaultPattern);
    bool allPrompts = false;  // "OldDial_bAll": also prompts holding "<Alias" or "<Global"
    bool addOriginal = false; // "OldDial_AddOriginal": apply the pattern to those prompts
    // Which prompts: all, the partial ones (incomplete), or those selected (isSelected).
    tStringPredicate selection = tStringPredicate::all;
    std::function<bool(const tSkyStr&)> isSelected;
    TLongResponse longResponse = TLongResponse::keep;
    int limit = 115;
    bool keepChanges = false; // keep the translation of prompts not converted (else reset to the source)
};

// The words of the prefix word list's text: each non-empty trimmed line, lower-cased.
QStringList oldDialogWords(const QString& lines);
// The pattern with its first "%PREFIXE%" standing for `prompt` and its first "%DIAL%" for `response` (each
// placeholder is taken from the pattern itself, never from the text put into the other).
QString applyOldDialogPattern(const QString& pattern, const QString& prompt, const QString& response);
// `text` cut at a word and ended with "...", at most `limit` characters in all: unchanged when it has 4 characters or
// fewer or is not longer than the limit. The cut looks back from position limit - 2 (1-based) down to limit - 20 for
// a space and keeps the text up to the last non-space before it (no further back than limit - 21); without one it
// keeps limit - 3 characters.
QString cutAtWord(const QString& text, int limit);
// The plugin's top-level group of quests ("QUST"), or null.
const tPluginNode* findQuestGroup(const tPluginTree& tree);

// One run of the tool over the quest group: the INFO records below it rewrite their prompts' translations.
class TOldDialogRun {
public:
    TOldDialogRun(const tPluginNode& questGroup, const rOldDialogOptions& options);
    // Rewrites the prompts (RNAM) of one INFO record with the response (NAM1) before each; returns the number
    // converted. Entries are changed through the fields' string entries.
    int processInfoRecord(const trecord& record);
    // The source text of the first NAM1 field with a string entry of the first INFO record below the quest group
    // with that form id; nothing for id 0 or when there is none.
    std::optional<QString> findSharedResponse(uint32_t formId);

private:
    const tPluginNode& questGroup_;
    const rOldDialogOptions& options_;
    // The first INFO record of each form id below the quest group, made at the first lookup: a walk per lookup
    // would be quadratic over a master's hundred thousand dialogue records (bench_dialogue).
    QHash<uint32_t, const trecord*> infoByFormId_;
    bool indexed_ = false;
};

// ----- Chinese characters

enum class TChineseDirection : uint8_t { traditionalToSimplified, simplifiedToTraditional };

// The character table: line 0 simplified characters, line 1 the traditional ones at the same positions (code
// points). A character found several times in the line searched converts by its first position.
class TChineseTable {
public:
    // The table of a data file's lines (comments and blank lines already dropped); nothing when there are fewer
    // than two lines or the two lines differ in length.
    static std::optional<TChineseTable> fromLines(const QStringList& lines);
    QString convert(const QString& text, TChineseDirection direction) const;
    qsizetype size() const { return toTraditional_.size(); }

private:
    QHash<char32_t, char32_t> toTraditional_;
    QHash<char32_t, char32_t> toSimplified_;
};
