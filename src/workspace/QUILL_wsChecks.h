// Workspace commands of the quality checks: running them over the open document or again over the entries a command
// changed, the problems of an entry and of a text being typed, the counts per check, the switches in the
// preferences, and "ignore this problem for this string", kept in a file beside the document's dictionary.
#pragma once

#include "aids/QUILL_checks.h"
#include "workspace/QUILL_problemTable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

class TWorkspace;
class TAppContext;
struct TAppState;

// A problem and the entry it belongs to.
struct rEntryProblem {
    tSkyStr* entry = nullptr; // not owned
    quillcheck::rProblem problem;
};

struct TChecksState {
    // The last run: its checks and, for each entry with problems, its problems in check order (ignored ones
    // included, marked). Cleared with the lists.
    bool ran = false;
    // A run made in steps (the window's, over a big document): where it stands. The entries before its place are
    // checked; `inconsistent` and the figures come when it ends.
    struct rRunPlace {
        bool active = false;
        size_t list = 0;
        size_t position = 0;
    } run;
    // The run had a spelling dictionary for the translation language (`spelling` finds nothing without one).
    bool speller = false;
    quillcheck::TCheckSet checks;
    TProblemTable problems;
    // The figures of `problems`, kept as they change so that a command's re-check does not count them all again:
    // the open problems per check, the strings with an open problem, the ignored problems.
    struct rTally {
        std::array<int, quillcheck::kCheckCount> open{};
        int strings = 0;
        int ignored = 0;
        // Adds (sign 1) or takes away (sign -1) one entry's problems.
        void add(std::span<const quillcheck::rProblem> entryProblems, int sign);
    } tally;
    // What every entry of a run shares: the pair checks' set-up and the cross-entry indexes.
    std::unique_ptr<quillcheck::TPairChecks> pairs;
    quillcheck::TSourceGroups groups;
    quillcheck::TOfficialTerms officialTerms;
    qsizetype officialVocabularySize = -1; // the vocabulary's size when the official terms were indexed
    const tSkyStr* unheldEntry = nullptr;  // an entry the groups were made again for in vain (not in the lists)

    // The problems the translator ignored, by entry; the ignore file's lines that name no entry of the document
    // (kept as they were); whether the set changed since it was read or written.
    std::unordered_map<const tSkyStr*, quillcheck::TCheckSet> ignored;
    QStringList unmatchedIgnoreLines;
    bool ignoresChanged = false;
};

TChecksState& checksState(TWorkspace& ws);
const TChecksState* checksStateIfAny(const TWorkspace& ws);

// The switches ("Check_<name>" in prefs.ini): every check but repeated-word is on until turned off.
bool checkEnabled(const TAppState& state, quillcheck::TCheck check);
void setCheckEnabled(TAppState& state, quillcheck::TCheck check, bool on);
quillcheck::TCheckSet enabledChecks(const TAppState& state);

// Runs `checks` over every entry of the loaded lists; the cross-entry indexes are built once for the run. Returns
// the number of problems found (ignored ones left out).
int runChecks(TWorkspace& ws, quillcheck::TCheckSet checks);
// The same with the checks the switches leave on.
int runEnabledChecks(TWorkspace& ws);
// The same run in steps, for a window that stays responsive over a big document: begin sets it up (the problems of
// the last run are gone), each step checks entries for about `milliseconds` (a batch at least) and the step that
// reaches the end finishes the run and returns true. Entries checked again meanwhile (recheckEntries) keep their
// new problems; a new run or the document closing ends it.
void beginChecksRun(TWorkspace& ws, quillcheck::TCheckSet checks);
bool stepChecksRun(TWorkspace& ws, int milliseconds);
bool checksRunning(const TWorkspace& ws);
// After a command changed `entries`: checks them again with the checks of the last run (nothing before the first
// run), and with them the entries of the same source, whose `inconsistent` problems follow from theirs. A further
// field sharing a string id is checked with its owner, not on its own. Returns every entry checked again.
QList<tSkyStr*> recheckEntries(TWorkspace& ws, const QList<tSkyStr*>& entries);
// After the vocabulary was loaded again: the checks of the last run run again when `official-term` is among them.
void vocabularyChangedForChecks(TWorkspace& ws);

// The problems of an entry from the last run, in check order (ignored ones included and marked); none when it has
// none. Valid until the problems next change.
std::span<const quillcheck::rProblem> problemsOf(const TWorkspace& ws, const tSkyStr& entry);
// Every problem of the last run in the order of the lists (list 0 first, each in its order), then by check.
std::vector<rEntryProblem> allProblems(const TWorkspace& ws, bool withIgnored = false);
// The problems of the last run per check (ignored ones left out), and how many were ignored.
std::array<int, quillcheck::kCheckCount> problemCounts(const TWorkspace& ws);
// The strings with a problem not ignored, and the ignored problems, of the last run.
int problemStringCount(const TWorkspace& ws);
int ignoredProblemCount(const TWorkspace& ws);
// What `text` would have as the translation of `entry` (the edit dialog checks as the translator types), with the
// enabled checks; ignored problems are marked.
std::vector<quillcheck::rProblem> problemsOfText(TWorkspace& ws, const tSkyStr& entry, const QString& text,
                                                 bool validated);

// The problem's explanation in the interface language.
QString problemText(const TAppContext& app, const quillcheck::rProblem& problem);
// "check: explanation", a line a problem in their order; ignored ones left out, or marked with `withIgnored`.
QStringList problemLines(const TAppContext& app, std::span<const quillcheck::rProblem> problems, bool withIgnored);
// The entry has a problem of the last run that the translator did not ignore (the lists' mark and filter).
bool hasOpenProblems(const TWorkspace& ws, const tSkyStr& entry);

// "Ignore this problem for this string" (and taking it back): remembered with the document's dictionary, so the work
// counts as unsaved until it is saved. False when nothing changed.
bool setProblemIgnored(TWorkspace& ws, tSkyStr& entry, quillcheck::TCheck check, bool ignored);
bool isProblemIgnored(const TWorkspace& ws, const tSkyStr& entry, quillcheck::TCheck check);

// The ignore file of the open document: UserDictionary/<dictionary base name>.checks. One line an ignored problem:
// the entry as the recovery journal names it, a tab, the check's name, a tab, the hash of the source the problem
// was ignored for (a new source wakes the check up again). UTF-8; lines starting with '#' are comments.
QString ignoredProblemsPath(const TWorkspace& ws);
// Read when a document opens; lines naming no entry are kept for the next write, lines whose source changed dropped.
void loadIgnoredProblems(TWorkspace& ws);
// Written when the document's dictionary (or the document itself) is saved; a document without ignored problems
// leaves no file. False when the file could not be written (logged).
bool saveIgnoredProblems(TWorkspace& ws);
// Drops every pointer to entries about to be freed; the checks chosen stay. Returns the state that held them (a
// million strings' problems), for the caller to free where it likes.
std::unique_ptr<TChecksState> forgetCheckEntries(TWorkspace& ws);

// After the words spelling knows changed: the last run's `spelling` problems follow. When words only became known
// ("Add to my words", "Ignore"), the entries that had a spelling problem are checked again; after another dictionary
// (or a dictionary found again), the last run runs again. Nothing when the last run did not check spelling.
void spellingChangedForChecks(TWorkspace& ws, bool wordsBecameKnown);
