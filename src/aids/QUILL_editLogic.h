// What the string edit dialog decides without drawing: trimming a stored text, the length counter, case changes,
// the tag check and the mark-up runs of a text, the record and dialogue pages' rows, the vocabulary search, the
// difference view's runs and which string comes next (in the record, the plugin tree or the list).
#pragma once

#include "aids/Diff.h"
#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QList>
#include <QString>
#include <functional>
#include <vector>

class tPluginNode;
class tPluginTree;
class trecord;
class tField;

namespace editlogic {

// A translation as the dialog stores it with auto-trim: characters up to the blank cut at both ends, then trailing
// characters of the trim set (those and the ideographic space); but an end where `source` itself starts or ends with
// such characters keeps them (a script joins its texts, so " and more " must keep its blanks).
QString trimForStore(const QString& text, const QString& source);
// A translation with its line breaks written as `source` writes them: CRLF where the source's breaks are all CRLF
// or where it has none (the game's texts break lines so), LF where they are all LF; as typed where the source mixes
// them.
QString withSourceLineBreaks(const QString& text, const QString& source);

// Whether storing `editorText` into `entry` changes anything: an unchanged text is stored again only with
// forceValid, and never when the entry already has every status of statusIn or is translated.
bool needsStore(const tSkyStr& entry, const QString& editorText, bool forceValid, sStrParams statusIn);

// The length counter: too long past a known field size, a line-break error when the field takes none.
struct rLengthInfo {
    int length = 0;
    int maxLength = 0;
    bool tooLong = false;
    bool lineBreakError = false;
    // "%d/%d %s": length, field size and "[!]" on a line-break error.
    QString counterText() const;
};
rLengthInfo lengthInfo(const QString& text, int maxLength, bool lineBreaksAllowed);
// The lines an editor shows for `text` (a trailing line break opens an empty last line).
int lineCount(const QString& text);

enum class TCaseChange { upper, lower, title };
// Title case puts the first letter of every word in capitals and the others in small letters.
QString changeCase(const QString& text, TCaseChange change);

// One row of the tag check: the tags at one position and their colour codes (0 white, 1 light blue: the two
// differ, 2 light red: the source tag is missing from the translation, 3 salmon: the translation tag is not in the
// source).
struct TAliasData {
    QString sSource;
    QString sDest;
    int cSource = 0;
    int cDest = 0;
};
struct rAliasCheck {
    std::vector<TAliasData> rows;
    bool tagsDiffer = false; // the two tag hashes differ (the page's marker is highlighted)
};
rAliasCheck checkAliases(const QString& source, const QString& translation);

// A run of the game's mark-up inside a text: tags (the game's "<Alias=Player>", book HTML such as
// "<font face='$HandwrittenFont'>" or "</p>"), "[pagebreak]", "$" keys, printf and numbered placeholders ("%d",
// "%.2f", "%%", "%1", "{0}"), HTML character entities ("&amp;", "&#233;") and backslash escapes ("\n"). Whatever
// reads the words of a text (spelling, word counts) skips these runs.
struct rMarkupSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};
// The mark-up runs of `text`, in order and not overlapping (tags and key names as nextMarkupToken reads them). A '<'
// that no '>' closes, or that is not followed by a letter or '/', is plain text ("5 < 6").
std::vector<rMarkupSpan> markupSpans(QStringView text);
// RGB of a tag check colour code.
uint32_t aliasColour(int code);

// The record page: the header line, the rows (one per string field, a shared entry once in "Strings+ EspLayout"),
// the row of the focused field, and the field's size and line-break rule when the string is linked to one.
struct rRecordPage {
    QString header;
    QList<tSkyStr*> rows;
    int focusedRow = -1;
    bool linked = false; // maxLength and lineBreaksAllowed come from the field
    int maxLength = 0;
    bool lineBreaksAllowed = false;
};
// Which plugin the pages show: none open, a plain one, or a localized one (its texts in string tables, where one
// string may be shared by several fields).
enum class TPluginLayout : uint8_t { none, plain, localized };
rRecordPage recordPage(const TAppContext& app, const tSkyStr& entry, TPluginLayout plugin);
// The record list's "ID" cell: the field signature in the plugin modes for a linked string, else five hex digits.
QString recordRowId(const tSkyStr& entry, TPluginLayout plugin);

// The dialogue page: the topic's header line and rows for a DIAL or INFO record; empty (marker neutral) otherwise.
// An INFO's topic is the one forEachDialogueResponse gives it (the id tags name the same).
struct rDialoguePage {
    QString header;
    QList<tSkyStr*> rows;
    int focusedRow = -1;
    bool marked = false; // the plugin has a QUST group and the record is a DIAL or INFO
};
rDialoguePage dialoguePage(const TAppContext& app, const tPluginTree& tree, const trecord& record,
                           const tSkyStr* focused, TPluginLayout plugin);

// The vocabulary entries of list `listIndex` (all three when negative) whose source (or translation) contains
// `text` ignoring case. Texts shorter than three characters find nothing.
QList<tSkyStr*> searchVocabulary(const tListSet& vocabulary, int listIndex, const QString& text, bool inTranslation);

// The difference view: the statistics and the merged text as runs of one change kind (a deleted character comes
// from the first text, every other from the second).
struct rDiffRun {
    TChangeKind kind = TChangeKind::ckNone;
    QString text;
};
struct rDiffView {
    TDiffStats stats;
    std::vector<rDiffRun> runs;
};
rDiffView diffView(const QString& first, const QString& second);

// Moving on in the plugin modes: from `start` (or the focused string's record node), the next (or previous) record
// of the tree that is not raw, wrapping, whose first string field holds an entry other than `focused` for which
// `visible` is true. Stops when the walk comes back to its start.
struct rTreeStep {
    tSkyStr* entry = nullptr;
    tPluginNode* node = nullptr; // the record's node (the dialog's editedEspNode)
};
rTreeStep nextTreeString(const tPluginTree& tree, tPluginNode* start, const tSkyStr* focused, bool forward,
                         const std::function<bool(const tSkyStr&)>& visible);
// Moving on from the focused string in the plugin modes: the next (or previous) row of the record page, past its
// ends nextTreeString from `node`. A row of the record keeps `node`.
rTreeStep nextPluginString(const tPluginTree& tree, const QList<tSkyStr*>& recordRows, tPluginNode* node,
                           const tSkyStr* focused, bool forward, const std::function<bool(const tSkyStr&)>& visible);
// Moving on in the other modes: the row after (or before) the focused string's in a list of `rows` rows as its view
// shows them, wrapping. The view's `current` row is taken when it holds the string, else the string's row is looked
// up. -1 when the string is not listed or the list has no other row.
int nextListRow(int rows, int current, const std::function<const tSkyStr*(int row)>& entryAt, const tSkyStr* focused,
                bool forward);
// Pre-order neighbours in the tree, wrapping at the ends; null for an empty tree.
tPluginNode* nextNode(const tPluginTree& tree, tPluginNode* node);
tPluginNode* previousNode(const tPluginTree& tree, tPluginNode* node);

} // namespace editlogic
