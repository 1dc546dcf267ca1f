// The open work and the commands that act on it. Windows and the command line call these; nothing here draws.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <memory>
#include <vector>

// The state each kind of document keeps beside the string lists (declared in the subsystem's workspace header).
struct TPluginDocument;   // workspace/QUILL_wsPlugin.h
struct TScriptDocument;   // workspace/QUILL_wsScript.h
struct TMenuDocument;     // workspace/QUILL_wsScript.h
struct TVocabularyState;  // workspace/QUILL_wsDictionary.h
struct TTableSetDocument; // workspace/QUILL_wsStrings.h

// Pairs of an entry and the vocabulary entry whose translation it took during the heuristic batch.
struct rHeuristicPair {
    tSkyStr* entry = nullptr;      // not owned
    tSkyStr* vocabulary = nullptr; // not owned
};

class TWorkspace {
public:
    explicit TWorkspace(THost* host = nullptr);
    ~TWorkspace();
    TWorkspace(const TWorkspace&) = delete;
    TWorkspace& operator=(const TWorkspace&) = delete;

    TAppContext app;
    TAppState& state() { return app.state; }

    tListSet loadedLists;
    tListSet workLists;
    tListSet vocabularyLists;
    std::array<std::vector<rHeuristicPair>, 3> heuristicMatches;
    // Further plugin fields sharing a string id with an entry of the loaded lists (owned here).
    tSkyStrList sharedIdList;

    std::unique_ptr<TPluginDocument> plugin;
    std::unique_ptr<TScriptDocument> script;
    std::unique_ptr<TMenuDocument> menu;
    std::unique_ptr<TVocabularyState> vocabulary;
    std::unique_ptr<TTableSetDocument> tables;

    // Opens a file by its extension (.pex, .bsa/.txt, .esp/.esm, .strings/.dlstrings/.ilstrings); other
    // extensions are ignored. Returns true when a document was opened.
    bool openFileByKind(const QString& path);
    // True when openFileByKind has a loader for the file's extension.
    static bool isOpenableKind(const QString& path);

    // Loaders (each in the workspace file of its subsystem).
    bool openTableSet(const QString& path, bool rememberFolder);
    bool openPlugin(const QString& path, bool rememberFolder);
    bool loadScript(const QString& path, bool rememberFolder);
    bool loadMenuFile(const QString& path);

    // "Save" and "Save as" of the open document (menus and the command line's --save/--save-as): unless expert mode,
    // asks "Fbk_FinalizeWarn", then dispatches on WorkMode. With saveAs, `target` is the chosen path ("FOLDER/NAME");
    // empty asks the host's save dialog. Each document kind defines its own save in its workspace file.
    bool saveDocument(bool saveAs, const QString& target = QString());
    bool saveTableSetDocument(bool saveAs, const QString& target);
    bool savePluginDocument(bool saveAs, const QString& target);
    bool saveScriptDocument(bool saveAs, const QString& target);
    bool saveMenuDocument(bool saveAs, const QString& target);
    // Writes the three loaded lists as "<folder><pluginName>_<DestLang>" after "Fbk_FinalizeConfirm" when that set
    // exists, inside a "Fbk_SaveStr" operation.
    bool saveTableSet(const QString& folder, const QString& pluginName);

    // Asks to save unsaved dictionary work; false when the user cancelled.
    bool confirmDictionarySave();
    // Saves the dictionary of the current work (defined with the dictionaries).
    bool saveDocumentDictionary();
    // Saves the custom dictionary being edited (defined with the dictionaries).
    bool saveCustomDictionary();
    // Run by every document load, inside its operation: restores the document's own dictionary (by reference).
    void applyDocumentDictionary();
    // Run after a document load, once its operation ended: loads the vocabulary and runs the exact pass where the
    // document kind asks for it.
    void afterDocumentLoad();

    // Clears the loaded lists, the shared entries, the heuristic pairs and every document's state.
    void clearLoadedLists();
    // "Menu_CloseAll": after confirmDictionarySave, clears the loaded lists and the vocabulary and sets WorkMode None
    // inside a "Closing" operation. False when the user kept the work.
    bool closeAll();

    // True when a file is loaded or the vocabulary holds entries ("Ask_LangUnload" is asked before dropping them).
    bool hasLoadedWork() const;

    // The recent-files menu: opens entry `index` by its extension with every loader's option off. A file that no
    // longer exists is removed from the list (every entry equal ignoring case) and "FbK_menuFail" is reported.
    enum class TRecentResult { opened, notOpened, removed, outOfRange };
    TRecentResult openRecentFile(int index);

    // A language preset of the Options menu: nothing when `index` is out of range or the preset's languages are the
    // current ones; else, after "Ask_LangUnload" when work is loaded, closes all work and takes its languages.
    // True when the languages changed (the Vocabulary tree must be rebuilt).
    bool applyPreset(int index);

    // The key of a menu-file entry, empty for any other entry.
    QString menuKeyOf(const tSkyStr& entry) const;
};
