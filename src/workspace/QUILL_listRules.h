// What the three string list views show, how they sort and which rows the status buttons and the search text keep.
// Headless, so that the rules are tested without a window.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QByteArray>
#include <QString>
#include <QStringMatcher>
#include <array>
#include <vector>

class TWorkspace;

enum class TListColumn : int { id = 0, original = 1, translated = 2, ld = 3, edid = 4 };
inline constexpr int kListColumnCount = 5;
// The header keys of the columns ("ID", "Original", "Translated", "LD", "EDID").
QString listColumnKey(int column);
// "STRINGS", "DLSTRINGS", "ILSTRINGS".
QString listName(int listIndex);

// A source or translation as a cell shows it: "[NULL]" for an empty text, "[SPACECHAR CR LF]"-style names for a text
// of blanks and control characters only, otherwise the text with each CR LF made one blank.
QString listCellDisplayText(const QString& text);
// The text of a cell of a top-level row.
QString listCellText(const TWorkspace& ws, const tSkyStr& entry, int column);
// The sort rule of a header click. An entry's key for a column: ids as numbers (as the id cell's case-folded text
// for plugins and menu files), the score column as a weight that puts the best suggestions first, sources and
// translations in alphabetical order (accents and case set aside, then case-folded), editor ids case-folded (an
// entry without an editor id sorts before the others).
struct rListSortKey {
    long long number = 0;
    QString text;
    bool operator<(const rListSortKey& o) const { return number != o.number ? number < o.number : text < o.text; }
};
rListSortKey listSortKey(const TWorkspace& ws, const tSkyStr& entry, int column);
// Compares two entries by a column (negative, zero, positive) under that rule.
int compareListEntries(const TWorkspace& ws, const tSkyStr& p, const tSkyStr& q, int column);
// The rows of `list` in the order a header click shows them: indices into the list, ascending stable, or that order
// reversed.
std::vector<int> sortedListOrder(const TWorkspace& ws, const tSkyStrList& list, int column, bool descending);
// Lines a row takes: 1 with simpleLine; else 1 below 100 source characters, then one more per 100, at most 5.
int listRowLines(const tSkyStr& entry, bool simpleLine);
// The shade band of a heuristic score: the smallest whole number not below `LDResult`, 1 to 8 (8 for 8 or more); 0
// without a heuristic result (an exact match scores 0, no result above 90).
int listScoreBand(const tSkyStr& entry);
// The translation is the source still, and no one validated it as such: the cell shows muted.
bool listTranslationIsSource(const tSkyStr& entry);
// The row-end markers of an entry: bits of TRowMarker.
enum TRowMarker : int { rowMarkerAlias = 1, rowMarkerSize = 2, rowMarkerLineBreak = 4, rowMarkerProblem = 8 };
int listRowMarkers(const tSkyStr& entry);
// The same with the quality checks' mark: the entry has a problem the translator did not ignore.
int listRowMarkers(const TWorkspace& ws, const tSkyStr& entry);

// The eight status buttons in their order: Trans., Not.Trans, Validated, Partial, LD, Alias, duplicates, warnings.
enum class TStatusButton : int {
    translated = 0,
    notTranslated,
    validated,
    partial,
    ld,
    alias,
    duplicate,
    warning,
};
inline constexpr int kStatusButtonCount = 8;
// True when `entry` is one of the entries the button shows.
bool statusButtonMatches(TStatusButton button, const tSkyStr& entry);

// Where the search text is looked for.
enum class TSearchIn : int { edid = 0, source = 1, translation = 2 };

struct rListFilter {
    std::array<bool, kStatusButtonCount> buttons{true, true, true, true, true, true, true, true};
    bool showNull = true; // the "Hint_ShowNull" button
    TSearchIn searchIn = TSearchIn::source;
    QString text;        // lower-cased search text
    uint32_t formId = 0; // the text read as a hexadecimal number, 0 when it is not one
    // The text's case-insensitive search, prepared once for every row (QString::contains prepares it per call,
    // which was most of a keystroke's cost over 500,000 rows); used while its pattern is the text.
    QStringMatcher matcher;
    // The text case-folded, when that is plain ASCII (most searches): looked for by a plain scan instead.
    QByteArray asciiFolded;
    // Set: only the rows whose entry has a problem of the quality checks that is not ignored ("With problems").
    const TWorkspace* onlyWithProblems = nullptr;

    // Sets text, matcher and formId from the search field's content.
    void setSearchText(const QString& fieldText, bool trim);
    // The same buttons, search and problems switch: the same rows of the same entries.
    bool sameRowsAs(const rListFilter& o) const {
        return buttons == o.buttons && showNull == o.showNull && searchIn == o.searchIn && text == o.text &&
               formId == o.formId && onlyWithProblems == o.onlyWithProblems;
    }
};
// True when the row of `entry` is shown under the filter.
bool entryPassesFilter(const rListFilter& filter, const tSkyStr& entry);

// The columns and pages the lists show for a document (each kind of document gives its own).
struct rColumnLayout {
    bool idVisible = true;
    int idWidth = 80;
    bool edidVisible = false;
    bool edidIsMain = false; // the EDID column takes the spare width
    bool edidSearchVisible = false;
    bool extraListsVisible = true; // DLSTRINGS and ILSTRINGS pages
};
