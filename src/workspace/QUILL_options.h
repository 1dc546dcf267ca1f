// The options dialog's rules: the UI language folders, the cache information list, and applying the choices.
#pragma once

#include "aids/QUILL_checks.h"

#include <QString>
#include <QStringList>
#include <vector>

class TAppContext;
class TWorkspace;

// The subfolders of <data folder>/res except "common" (any letter case), by name.
QStringList listLanguageFolders(const QString& dataFolder);
// The entry equal to `current` ignoring case, else 0 (-1 for an empty list).
int languageFolderIndex(const QStringList& folders, const QString& current);
// The language names of codepage.txt's lines (the part before '='), in file order.
QStringList codepageLanguageNames(const QStringList& codepageList);

// One line of the cache information list, with its background.
struct rCacheInfoLine {
    enum tColour { none, red, green };
    QString text;
    tColour colour = none;
};
// Whether the vocabulary cache can be built for the pair, set by set of vocabulary.txt.
std::vector<rCacheInfoLine> cacheInformation(const TAppContext& app, const QString& stringsFolder,
                                             const QString& sourceLang, const QString& destLang);

// What the dialog hands back on Ok.
struct rOptionsChoice {
    QString sourceLang;
    QString destLang;
    QString uiLang; // empty: "English"
    QString stringsFolder;
    QString espBackup;
    int sstbackupCount = 3;
    bool authSound = true;
    bool backupSimple = true;
    bool backupFolder = false;
    bool autoSelectField = true;
    bool useAddonHash = false;
    bool expertMode = false;
    bool simpleLine = false;
    bool fileStream = false;
    bool autoTranslate = true;
    bool useStringDialog = false;
    bool rebuildCache = false;
    // Spelling: checking as one types, and the dictionary ("" for the translation language's own).
    bool spellCheck = true;
    QString spellDictionary;
    // The quality checks that run, and whether validating a string with problems asks first.
    quillcheck::TCheckSet checks = defaultChecks();
    bool askBeforeValidate = true;

    static quillcheck::TCheckSet defaultChecks();
};

// Whether closing with these choices reloads: a language differs from the current one (ignoring case), or the
// cache is to be rebuilt.
bool optionsNeedReload(const TAppContext& app, const rOptionsChoice& choice);
// Takes the choices after Ok: isFirstLaunch cleared, every preference set (the checks' switches too); with a reload,
// after "Ask_LangUnload" when work is loaded, closes all work, sets the languages and rebuilds the cache when asked.
// Returns true when the languages were taken (the Vocabulary tree must be rebuilt).
bool applyOptions(TWorkspace& ws, const rOptionsChoice& choice);
