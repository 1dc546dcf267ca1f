// Workspace state and commands of spell checking: the checker of the translation language (made through the
// speller factory the program hands over), the translator's words, and the unknown words of a text, of an entry and
// of the whole document.
#pragma once

#include "aids/QUILL_spelling.h"
#include "strings/QUILL_typedef.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TWorkspace;

// How many suggestions the editor's menu offers.
inline constexpr int kSpellingSuggestions = 8;

struct TSpellingState {
    // Makes the speller of a dictionary; set by the program (the spelling library's module). Without it nothing is
    // checked.
    TSpellerFactory factory;
    // Whether checking as one types is on and which dictionary is chosen live in the application state (spellCheck,
    // spellDictionary), saved in prefs.ini.

    // The checker of the language and dictionary it was made for; null when there is none.
    std::unique_ptr<quillspell::TSpellChecker> checker;
    QString checkerKey;
    bool checkerTried = false;
    // The vocabulary change the checker's word set was built from.
    uint64_t vocabularyGeneration = 0;
    bool vocabularyWordsBuilt = false;
    // The language and dictionary pairs whose missing dictionary was already reported.
    QSet<QString> reported;
};

// The spelling state, created on first use.
TSpellingState& spellingState(TWorkspace& ws);
// The program hands over its spelling library; a checker made before is dropped.
void setSpellerFactory(TWorkspace& ws, TSpellerFactory factory);

// The checker of the translation language (DestLang), or of the chosen dictionary: made on first use with the
// translator's words of the language read in, the vocabulary's words built again after each vocabulary change. A
// dictionary that is not found is reported once (log and status bar, with where to put one); null then, and for
// a language without a dictionary (ja, cn).
quillspell::TSpellChecker* spellChecker(TWorkspace& ws);
// Builds what the first check would (the checker and the vocabulary's word set) now: a window calls it when the
// vocabulary changed, so that the first keystroke after a load does not wait for it.
void prepareSpelling(TWorkspace& ws);

// Drops the checker: the next use looks for the dictionary again and reads the translator's words again (after the
// options changed, or a dictionary was put in the dictionaries folder). The words ignored so far are forgotten.
void resetSpelling(TWorkspace& ws);

// The options: checking as the translator types (the editors ask unknownWordsInText; the word list, the checks and
// the command line check whatever it says), and the dictionary ("" for the translation language's own). The views
// hear of a change (TWorkspaceObserver::spellingChanged).
void setSpellingEnabled(TWorkspace& ws, bool enabled);
bool spellingEnabled(const TWorkspace& ws);
void setSpellingDictionary(TWorkspace& ws, const QString& name);
// The name of the dictionary in use, empty when none.
QString spellingDictionaryName(TWorkspace& ws);
// The names of every dictionary found, for the options' list.
QStringList spellingDictionaryChoices(TWorkspace& ws);

// The editor's underline: the unknown words of `text` with their positions; words the entry's `source` holds are
// known. Empty when checking as one types is off or there is no dictionary.
std::vector<quillspell::rUnknownWord> unknownWordsInText(TWorkspace& ws, const QString& text,
                                                         const QString& source = QString());
// Up to `max` corrections of `word`, best first.
QStringList spellingSuggestions(TWorkspace& ws, const QString& word, int max = kSpellingSuggestions);
// "Add to my words": the words become known and UserDictionary/words_<language>.txt is written (sorted, whole or
// not at all; a failure is logged with an Ok dialog). Returns the number of words added; the views hear of it.
int addToMyWords(TWorkspace& ws, const QStringList& words);
// "Ignore": the word is known until the program closes (or the language changes); the views hear of it.
bool ignoreSpellingWord(TWorkspace& ws, const QString& word);
// The same for several words, the views told once. Returns the number of words newly ignored.
int ignoreSpellingWords(TWorkspace& ws, const QStringList& words);

// Whether spelling reads an entry's translation: not deleted, not a script text kept untranslated, and translated
// (a translation equal to its source holds only source words).
bool isSpellCheckedEntry(const tSkyStr& entry);
// The distinct unknown words of an entry's translation, in text order (the "spelling" quality check).
QStringList unknownWordsOfEntry(TWorkspace& ws, const tSkyStr& entry);
// The same for a translation being edited, with its source.
QStringList unknownWordsOf(TWorkspace& ws, const QString& source, const QString& translation);

// Every unknown word of the loaded lists with the number of times it occurs, most frequent first (then in
// alphabetical order ignoring case). Runs as an operation.
struct rWordCount {
    QString word;
    int count = 0;
    bool operator==(const rWordCount&) const = default;
};
std::vector<rWordCount> documentUnknownWords(TWorkspace& ws);
// The entries of the loaded lists (list 0 first, each in its order) whose translation holds `word` as an unknown
// word.
QList<tSkyStr*> entriesWithUnknownWord(TWorkspace& ws, const QString& word);
