// Where the spelling dictionaries are found, which one a translation language uses, and where the translator's own
// words are kept.
#pragma once

#include "aids/QUILL_speller.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct TAppState;
class TAppContext;

namespace quillspell {

// The folders searched, in order: "dictionaries" beside the program (where a Windows user drops the dictionaries of
// an office suite; it wins), then the system's Hunspell and MySpell folders. Folders end with '/'.
QStringList dictionaryFolders(const TAppState& state);
// The program's own dictionary folder, as the missing-dictionary message names it.
QString programDictionaryFolder(const TAppState& state);

// The dictionary a translation language uses: spelling.txt beside the program first (language=dictionary lines,
// "none" for no spell checking), then the built-in table (fr -> fr_FR, de -> de_DE ... en -> en_US; ja and cn none).
// Empty when the language has none.
QString dictionaryNameFor(TAppContext& app, const QString& language);

// The files of the dictionary `name` ("fr_FR"), looked up without regard to case in each folder in turn; a folder
// that holds "fr-FR" or only the language ("fr") also answers for "fr_FR".
std::optional<rSpellingDictionary> findDictionary(const TAppState& state, const QString& name);
// Every dictionary of the folders (an .aff with its .dic), sorted by name, a name found twice taken from the first
// folder.
QList<rSpellingDictionary> availableDictionaries(const TAppState& state);

// UserDictionary/words_<language>.txt: the translator's words of that language.
QString userWordsPath(const TAppState& state, const QString& language);

} // namespace quillspell
