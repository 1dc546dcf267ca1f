// Workspace commands of the translation aids: the heuristic batch and the live candidates, taking a candidate and
// repairing tags, search and replace with its batch files, carrying a translation to the strings with the same
// source, and the word proposals. Each command that changes entries records one undo step.
#pragma once

#include "aids/QUILL_dialogueTools.h"
#include "aids/QUILL_search.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TWorkspace;
class TAppContext;

// What the aids keep for the whole run.
struct TAidsState {
    // The search dialog's rule, shared with the batch runner; kept for the run, never saved.
    rSearchData searchSettings;
    // The text-search dialog's history (newest first).
    QStringList textSearchHistory;
    // The old dialogue style's pattern, kept for the run.
    QString oldDialogPattern = QString::fromLatin1(kOldDialogDefaultPattern);
    // The focused string whose candidates the Suggestions tab lists, and the string open in the edit dialog (both
    // not owned; cleared with the lists).
    tSkyStr* LDfstring = nullptr;
    tSkyStr* fstring = nullptr;
    // The source text of the candidate last taken into the edit dialog.
    QString bestLDString;
};

TAidsState& aidsState(TWorkspace& ws);
// Drops the aids' pointers to entries about to be freed.
void forgetAidsEntries(TWorkspace& ws);

// "Heuristic" on list `listIndex` (the visible page's), "HeuristicFull" on the three lists in order. Each list clears
// its heuristic pairs, runs the pass inside a "Fbk_LDLaunch" operation, logs "Fbk_LDResult" and asks its view to
// re-sort on the LD column. Escape stops the whole command; strings already handled keep their results. One undo
// step. Returns false when cancelled.
bool runHeuristic(TWorkspace& ws, int listIndex);
bool runHeuristicFull(TWorkspace& ws);

// The candidates of `LDfstring` for the Suggestions tab (each with its LDResult set); empty without one.
std::vector<tSkyStr*> refreshCandidates(TWorkspace& ws);

// "Menu_Validate2": `LDfstring` takes `candidate`'s translation, validated, and the strings with the same source
// follow (replaceAllStrings). Refused with "FbK_LDNodeerror" while the edit dialog holds another string. One undo
// step. Returns false when nothing changed.
bool takeCandidate(TWorkspace& ws, const tSkyStr& candidate);
// "Menu_Edit2" check: true when the edit dialog may open on `LDfstring` with `candidate`'s translation (sets
// bestLDString); else "FbK_LDNodeerror" is shown.
bool mayEditWithCandidate(TWorkspace& ws, const tSkyStr& candidate);

// "Menu_FixAlias": each of `entries` with aliasOneWordError gets its translation's tag replaced by the source's,
// marked partial. One undo step; returns the number changed.
int fixAliases(TWorkspace& ws, const QList<tSkyStr*>& entries);

// Carries `sourceSk`'s translation to the other entries of its list with the same source (those whose translation
// differs or which have none of `v1`), after the similar-strings question ("TForm5" through the host, the
// untranslated ones preselected) unless `autoAccept`; each changed entry gets resetStatus(v1, v2). Nothing with the
// noReplace preference. One undo step that holds only the entries it changed; returns the number changed.
int replaceAllStrings(TWorkspace& ws, tSkyStr& sourceSk, sStrParams v1, sStrParams v2, bool autoAccept);

// Applies one rule (applySearchRule over the loaded lists; `activeList` is the visible page's list, the
// selection the workspace's). One undo step; returns the number changed, or -1 when the rule would make a text too
// long ("Fbk_ReplaceTooLong", nothing changed).
int applySearchRule(TWorkspace& ws, const rSearchData& rule, int activeList);
// The search dialog's Ok: stores `rule` (s1 lower-cased unless case-sensitive) as searchSettings and applies it
// when its search text is not blank or its mode2 is 2. Returns the number changed.
int searchAndReplace(TWorkspace& ws, rSearchData rule, int activeList);
// Runs the rules of a batch text in order, each on the result of the one before, as one undo step; searchSettings
// keeps the last rule. Returns the number of entries changed, or -1 when a rule that would make a text longer than
// kMaxRuleTextLength stopped the batch ("Fbk_BatchRuleTooLong" names it; the rules before it stay applied).
int runBatchText(TWorkspace& ws, const QString& text, int activeList);
// Reads a batch file (encoding by byte-order mark, else the system code page); false with "FileNotFound" logged when
// it cannot be read.
bool readBatchFile(TWorkspace& ws, const QString& path, QString& text);
// "BatchSearchAndReplace": picks a file in the batch folder, lets the batch dialog edit it, runs it. False when
// cancelled or the file is missing.
bool runBatchFile(TWorkspace& ws, int activeList);
// "SaveRules": writes `text` as UTF-8 with a byte-order mark to a file chosen in the save dialog; a write error is
// reported with its text. False when cancelled or failed.
bool saveBatchRules(TAppContext& app, const QString& text);
// "N strings changed" in the log and the status bar, after a replacement.
void reportChangedStrings(TAppContext& app, int changed);
// The similar strings of `sourceSk` follow its translation inside a command already recording (the store command).
class TEntryCommand;
int carrySimilarTranslations(TWorkspace& ws, TEntryCommand& command, tSkyStr& sourceSk, sStrParams v1, sStrParams v2);

// The text-search dialog's history: `text` moves to the top (kept at 10).
void rememberSearchText(TWorkspace& ws, const QString& text);

// Word proposals over the loaded vocabulary (see aids/QUILL_heuristic.h): the words of a text, and the likely
// translations of one word. The search dialog and the edit dialog call them with 12 and 5.
void textWords(QStringList& out, const QString& text, int max);
void wordSuggestions(TWorkspace& ws, QStringList& out, const QString& word, int max);
