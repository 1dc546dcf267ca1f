// How far the work is: per list and per record and field signature pair, how many strings are translated,
// validated, partial or untranslated, and the words left to translate. The progress view, the status bar line and
// the command line's --stats read it.
#pragma once

#include <QString>
#include <array>
#include <vector>

class TAppContext;
class TWorkspace;
class tSkyStr;

// Where one entry stands: each entry counts once, validated before partial before translated.
enum class TProgressState { untranslated, translated, partial, validated };
TProgressState progressState(const tSkyStr& entry);

// The words of `text` as translators count them: runs between blanks, the game's mark-up left out.
int countWords(const QString& text);

struct rProgressCount {
    qsizetype total = 0;
    qsizetype untranslated = 0;
    qsizetype translated = 0;
    qsizetype partial = 0;
    qsizetype validated = 0;
    // The words of the sources of the untranslated and partial entries.
    qsizetype wordsLeft = 0;

    void add(const tSkyStr& entry);
    // Translated in any way (translated, partial or validated).
    qsizetype done() const { return translated + partial + validated; }
};

// One row of the table: a list (signatures empty) or a record and field signature pair ("WEAP", "FULL").
struct rProgressRow {
    int list = -1;
    QString record;
    QString field;
    rProgressCount count;
};

struct rProgressTable {
    std::array<rProgressCount, 3> lists;
    // The record and field pairs of a plugin's entries, by record then field signature.
    std::vector<rProgressRow> fields;
    rProgressCount total;
};

// The progress of the loaded lists (the entries sharing a string id with another are counted with their owner).
rProgressTable computeProgress(const TWorkspace& ws);

// The states of every loaded entry without the words (cheap enough to run after each change).
rProgressCount countProgressStates(const TWorkspace& ws);

// "1,204 of 5,310 strings translated (23%)", the numbers in the interface language's way; empty without entries.
QString progressStatusText(const TAppContext& app, const rProgressCount& total);

// The table as JSON lines (--stats): one object a list, then one a record and field pair, keys in the documented
// order.
QString progressJsonLines(const rProgressTable& table);
