// The open work and the commands that act on it. Windows and the command line call these; nothing here draws.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <memory>
#include <vector>

#include "workspace/QUILL_document.h"
#include "workspace/QUILL_history.h"

// The documents (each declared in the workspace header of its subsystem) and the vocabulary state.
struct TPluginDocument;           // workspace/QUILL_wsPlugin.h
struct TScriptDocument;           // workspace/QUILL_wsScript.h
struct TMenuDocument;             // workspace/QUILL_wsScript.h
struct TCustomDictionaryDocument; // workspace/QUILL_wsDictionary.h
struct TVocabularyState;          // workspace/QUILL_wsDictionary.h
struct TAidsState;                // workspace/QUILL_wsAids.h
struct TChecksState;              // workspace/QUILL_wsChecks.h

// The recovery journal (workspace/QUILL_journal.h).
class TJournalWriter;
enum class TRecoveryUse : uint8_t;

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

    // The open document, null when none is open.
    std::unique_ptr<TDocument> document;
    std::unique_ptr<TVocabularyState> vocabulary;
    std::unique_ptr<TAidsState> aids;
    // The quality checks' last run and the problems the translator ignored.
    std::unique_ptr<TChecksState> checks;
    // The undo steps of the commands that changed entries of the open document.
    TEditHistory history;
    // The recovery journal of the open document: written only when set (the window sets it, the command line never
    // does). `recovery` says what opening a document whose journal a crash left does (default: nothing).
    std::unique_ptr<TJournalWriter> journal;
    TRecoveryUse recovery{};

    // The open document as its kind, or null when another kind (or none) is open.
    TPluginDocument* plugin() const;
    TScriptDocument* script() const;
    TMenuDocument* menu() const;

    // Opens a file by the kind its extension names (the table of documentKinds); other files are ignored. Returns
    // true when a document was opened.
    bool openFileByKind(const QString& path);
    static bool isOpenableKind(const QString& path) { return documentKindOf(path) != nullptr; }
    // Opens `path` as a document of `kind`, after the unsaved-work question; the history starts empty.
    bool openDocument(const rDocumentKind& kind, const QString& path, bool rememberFolder);
    // The menus' open commands ("Load_Esp", "Load_Strings", "Load_ScriptPex"): after the unsaved-work question, the
    // host's open dialog in the kind's folder; a chosen file that does not exist is reported ("FileNotFound").
    bool pickAndOpenDocument(const rDocumentKind& kind);

    // Loaders (each in the workspace file of its subsystem).
    bool openTableSet(const QString& path, bool rememberFolder);
    bool openPlugin(const QString& path, bool rememberFolder);
    bool loadScript(const QString& path, bool rememberFolder);
    bool loadMenuFile(const QString& path);

    // "Save" and "Save as" of the open document (menus and the command line's --save/--save-as): unless expert mode,
    // asks "Fbk_FinalizeWarn", then the document saves itself. With saveAs, `target` is the chosen path
    // ("FOLDER/NAME"); empty asks the host's save dialog. `confirmed` skips "Fbk_FinalizeWarn" (the command line's
    // --save is the confirmation); replacing an existing file is still asked.
    bool saveDocument(bool saveAs, const QString& target = QString(), bool confirmed = false);
    // The save captions' kind of the open document (string tables when none is open).
    TExportKind exportKind() const;
    // The columns and pages the lists show for the open document.
    rColumnLayout columnLayout() const;
    bool saveTableSetDocument(bool saveAs, const QString& target);
    // Writes the three loaded lists as "<folder><pluginName>_<DestLang>" after "Fbk_FinalizeConfirm" when that set
    // exists, inside a "Fbk_SaveStr" operation.
    bool saveTableSet(const QString& folder, const QString& pluginName);

    // Asks to save unsaved work ("Ask_SavingSST", or "Ask_SavingDocument" where the document has no dictionary of its
    // own); false when the user cancelled or the save failed, so that nothing is lost without a question.
    bool confirmDictionarySave();
    // Unsaved work: a change to a translation or status since the document was opened or its work last saved.
    bool hasUnsavedWork() const { return app.state.dictionaryModified; }
    // The open work was saved: the current history position becomes the saved point.
    void markWorkSaved();
    // A change the history cannot take back (an entry added): the work is unsaved until the next save.
    void markUnsavableChange();

    // Commands that change entries: each records one undo step and marks unsaved work. They return the number of
    // entries changed.
    // "Menu_Validate": validated and no longer partial.
    int validateEntries(const QList<tSkyStr*>& entries);
    // "Menu_Partial": partial and no longer validated.
    int markEntriesPartial(const QList<tSkyStr*>& entries);
    // "Menu_Cancel": the translation back to the source, no status.
    int resetEntries(const QList<tSkyStr*>& entries);
    // "Menu_Validate_All" / "Menu_ResetAll" over every loaded entry, after their question; -1 when declined.
    int validateAll();
    int resetAll();
    // The edit dialog's store (defined in QUILL_wsEdit.cpp): `translation` becomes the entry's translation, statusIn
    // is set and statusOut cleared, as one undo step. `source`, when given (editing a custom dictionary), becomes the
    // source too; the history cannot take a source back, so the work then stays unsaved until the next save.
    // Returns true when the entry changed.
    bool storeTranslation(tSkyStr* entry, const QString& translation, sStrParams statusIn, sStrParams statusOut,
                          const QString* source = nullptr);
    // Edit > Undo / Redo: false when there was nothing to undo or redo.
    bool undo();
    bool redo();
    // Saves the dictionary of the current work (defined with the dictionaries).
    bool saveDocumentDictionary();
    // Saves the custom dictionary being edited (defined with the dictionaries).
    bool saveCustomDictionary();
    // Run by every document load, inside its operation: restores the document's own dictionary (by reference).
    void applyDocumentDictionary();
    // Run after a document load, once its operation ended: loads the vocabulary and runs the exact pass where the
    // document kind asks for it.
    void afterDocumentLoad();

    // Clears the loaded lists, the shared entries, the heuristic pairs, the document and its history.
    void clearLoadedLists();
    // "Menu_CloseAll": after confirmDictionarySave, clears the loaded lists and the vocabulary and sets WorkMode None
    // inside a "Closing" operation. False when the user kept the work.
    bool closeAll();

    // True when a file is loaded or the vocabulary holds entries ("Ask_LangUnload" is asked before dropping them).
    bool hasLoadedWork() const;

    // The recent-files menu: opens entry `index` by its kind (string tables for an extension no kind claims) with the
    // remember-folder option off. A file that no longer exists is removed from the list (every entry equal ignoring
    // case) and "FbK_menuFail" is reported.
    enum class TRecentResult { opened, notOpened, removed, outOfRange };
    TRecentResult openRecentFile(int index);

    // A language preset of the Options menu: nothing when `index` is out of range or the preset's languages are the
    // current ones; else, after "Ask_LangUnload" when work is loaded, closes all work and takes its languages.
    // True when the languages changed (the Vocabulary tree must be rebuilt).
    bool applyPreset(int index);

    // The key of a menu-file entry, empty for any other entry.
    QString menuKeyOf(const tSkyStr& entry) const;

private:
    friend class TEntryCommand;
    void afterHistoryChange();
};

// One command's changes to entries, recorded as one undo step when the command is done (or leaves by an exception):
// made before the command touches the entries, over all loaded entries or the given ones. The step's name is the UI
// text `nameKey` formatted with the number of entries changed; nothing is recorded when none changed.
class TEntryCommand {
public:
    TEntryCommand(TWorkspace& ws, QString nameKey);
    TEntryCommand(TWorkspace& ws, QString nameKey, const QList<tSkyStr*>& entries);
    ~TEntryCommand();
    TEntryCommand(const TEntryCommand&) = delete;
    TEntryCommand& operator=(const TEntryCommand&) = delete;
    // Records the step now; returns the number of entries changed.
    int finish();

private:
    TWorkspace& ws_;
    QString nameKey_;
    TEntryRecorder recorder_;
    bool finished_ = false;
    int changed_ = 0;
};
