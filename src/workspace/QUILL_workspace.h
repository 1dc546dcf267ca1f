// The open work and the commands that act on it. Windows and the command line call these; nothing here draws.
#pragma once

#include "core/QUILL_main.h"
#include "strings/QUILL_typedef.h"

#include <QString>
#include <memory>
#include <vector>

#include "workspace/QUILL_document.h"
#include "workspace/QUILL_history.h"
#include "workspace/QUILL_observer.h"

#include <QSet>
#include <functional>

// The documents (each declared in the workspace header of its subsystem) and the vocabulary state.
struct TPluginDocument;           // workspace/QUILL_wsPlugin.h
struct TScriptDocument;           // workspace/QUILL_wsScript.h
struct TMenuDocument;             // workspace/QUILL_wsScript.h
struct TCustomDictionaryDocument; // workspace/QUILL_wsDictionary.h
struct TVocabularyState;          // workspace/QUILL_wsDictionary.h
struct TAidsState;                // workspace/QUILL_wsAids.h
struct TSpellingState;            // workspace/QUILL_wsSpelling.h
struct TChecksState;              // workspace/QUILL_wsChecks.h

// The recovery journal (workspace/QUILL_journal.h).
class TJournalWriter;
enum class TRecoveryUse : uint8_t;

// Pairs of an entry and the vocabulary entry whose translation it took during the heuristic batch.
struct rHeuristicPair {
    tSkyStr* entry = nullptr;      // not owned
    tSkyStr* vocabulary = nullptr; // not owned
};

// What the store command stores.
struct rStoreRequest {
    QString translation;
    const QString* source = nullptr; // the edited source of a custom dictionary entry
    sStrParams statusIn{sStrParam::validated};
    sStrParams statusOut{sStrParam::incompleteTrans};
    // Blanks at the ends that the source does not have at its ends go (the edit dialog's trim toggle).
    bool trim = true;
    // Stores even an unchanged translation (so that it takes statusIn).
    bool forceValid = false;
    // The other strings with the same source take the translation, after the similar-strings question.
    bool carrySimilar = true;
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
    std::unique_ptr<TSpellingState> spelling;
    // The quality checks' last run and the problems the translator ignored.
    std::unique_ptr<TChecksState> checks;
    // The undo steps of the commands that changed entries of the open document.
    TEditHistory history;
    // The recovery journal of the open document: written only when set (the window sets it, the command line never
    // does). `recovery` says what opening a document whose journal a crash left does (default: nothing).
    std::unique_ptr<TJournalWriter> journal;
    TRecoveryUse recovery{};

    // The views that follow the work (not owned: each removes itself before it goes). Every change to the lists,
    // the entries, the history or the vocabulary reaches them through notify.
    void addObserver(TWorkspaceObserver* observer);
    void removeObserver(TWorkspaceObserver* observer);
    template <typename... Params, typename... Args>
    void notify(void (TWorkspaceObserver::*event)(Params...), Args&&... args) {
        const std::vector<TWorkspaceObserver*> observers = observers_; // an observer may remove itself
        for (TWorkspaceObserver* observer : observers)
            (observer->*event)(args...);
    }
    // Asks the views to store an edit not yet stored (the edit dialog's text) before a command saves, copies into or
    // replaces the entries (see TWorkspaceObserver::storePendingEdit).
    void storePendingEdit(bool alwaysAsk = true) { notify(&TWorkspaceObserver::storePendingEdit, alwaysAsk); }
    // A list was reordered or extended in place by `change`: the views keep their rows on their entries.
    void reorderLists(const std::function<void()>& change);

    // The entries the translator selected in the lists when the running command began (the window sets them before
    // each command; the command line selects nothing). Cleared with the lists, so never stale.
    void setSelection(QList<tSkyStr*> entries);
    const QList<tSkyStr*>& selection() const { return selection_; }
    bool isSelected(const tSkyStr& entry) const;
    // isSelected as the passes and rules take it.
    std::function<bool(const tSkyStr&)> selectionPredicate() const;

    // The open document as its kind, or null when another kind (or none) is open.
    TPluginDocument* plugin() const;
    TScriptDocument* script() const;
    TMenuDocument* menu() const;
    TCustomDictionaryDocument* customDictionary() const;

    // Opens a file by the kind its extension names (the table of documentKinds); other files are ignored. Returns
    // true when a document was opened.
    bool openFileByKind(const QString& path);
    static bool isOpenableKind(const QString& path) { return documentKindOf(path) != nullptr; }
    // Opens `path` as a document of `kind`, after the unsaved-work question; the history starts empty. When the
    // kind's loader fails, the previous document is gone too and the window shows none.
    bool openDocument(const rDocumentKind& kind, const QString& path, bool rememberFolder);
    // openDocument by the kind's name ("plugin", "stringTables", "script", "menuFile", "customDictionary").
    bool openAs(const char* kindName, const QString& path, bool rememberFolder = false) {
        return openDocument(documentKind(kindName), path, rememberFolder);
    }
    // A loader closes the work that was open and makes `document` the open one (its mode in the title).
    TDocument& installDocument(std::unique_ptr<TDocument> document);
    // The menus' open commands ("Load_Esp", "Load_Strings", "Load_ScriptPex"): after the unsaved-work question, the
    // host's open dialog in the kind's folder; a chosen file that does not exist is reported ("FileNotFound").
    bool pickAndOpenDocument(const rDocumentKind& kind);

    // "Save" and "Save as" of the open document (menus and the command line's --save/--save-as): unless expert mode,
    // asks "Fbk_FinalizeWarn", then the document saves itself. With saveAs, `target` is the chosen path
    // ("FOLDER/NAME"); empty asks the host's save dialog. `confirmed` skips "Fbk_FinalizeWarn" (the command line's
    // --save is the confirmation); replacing an existing file is still asked.
    bool saveDocument(bool saveAs, const QString& target = QString(), bool confirmed = false);
    // The window's Save (Ctrl+S) and Save as: saveDocument, then the document's dictionary when work is still
    // unsaved, so that one save leaves nothing unsaved and the title's "*" means what it saves.
    bool saveDocumentWithDictionary(bool saveAs);
    // What the last save has to tell the translator once it is done (where the original of a file saved in place
    // went); the status bar shows it again after the dictionary's own messages.
    QString saveNote;
    // The save captions' kind of the open document (string tables when none is open).
    TExportKind exportKind() const;
    // The columns and pages the lists show for the open document.
    rColumnLayout columnLayout() const;
    // Writes the three loaded lists as "<folder><pluginName>_<DestLang>" after "Fbk_FinalizeConfirm" when that set
    // exists, inside a "Fbk_SaveStr" operation.
    bool saveTableSet(const QString& folder, const QString& pluginName);

    // Asks to save unsaved work ("Ask_SavingSST", or "Ask_SavingDocument" where the document has no dictionary of its
    // own), once the views stored their pending edit; false when the user cancelled or the save failed, so that
    // nothing is lost without a question.
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
    // The store of the edit dialog's keys (Ctrl+Enter, F1, F2, F3) and of the command line's --translate (defined in
    // QUILL_wsEdit.cpp): the entry takes the translation (trimmed as storedText says), statusIn is set and statusOut
    // cleared, and the strings with the same source follow when asked, all as one undo step. `source`, when given
    // (editing a custom dictionary), becomes the source too; the history cannot take a source back, so the work then
    // stays unsaved until the next save. Returns true when an entry changed.
    bool storeTranslation(tSkyStr* entry, const rStoreRequest& request);
    // Edit > Undo / Redo: false when there was nothing to undo or redo.
    bool undo();
    bool redo();
    // Saves the dictionary of the current work (defined with the dictionaries), when canSaveDocumentDictionary.
    bool saveDocumentDictionary();
    // The open document keeps its work in a dictionary of its own, in another language than its source.
    bool canSaveDocumentDictionary() const;
    // Saves the custom dictionary being edited (defined with the dictionaries).
    bool saveCustomDictionary();
    // Run by every document load, inside its operation: restores the document's own dictionary (by reference).
    void applyDocumentDictionary();
    // Run after a document load, once its operation ended: loads the vocabulary and runs the exact pass where the
    // document kind asks for it.
    void afterDocumentLoad();

    // Clears the loaded lists, the shared entries, the heuristic pairs, the document and its history; the views let
    // go of the entries first.
    void clearLoadedLists();
    // The state of no document: what the title, the status bar and the saves read of the open file is cleared.
    void forgetOpenFile();
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
    // Takes two new languages (after the work of the old ones was closed): the vocabulary follows them.
    void setLanguages(const QString& source, const QString& dest);

    // The key of a menu-file entry, empty for any other entry.
    QString menuKeyOf(const tSkyStr& entry) const;

private:
    friend class TEntryCommand;
    void afterHistoryChange();
    // Tells the views the document changed when the lists were cleared since the last time it did.
    void announceDocumentChange();

    std::vector<TWorkspaceObserver*> observers_;
    QList<tSkyStr*> selection_;
    mutable QSet<const tSkyStr*> selectionSet_;
    mutable bool selectionSetBuilt_ = false;
    bool documentReplaced_ = false;
};

// One command's changes to entries, recorded as one undo step when the command is done (or leaves by an exception):
// made before the command touches the entries, over all loaded entries or the given ones (more may be added before
// they change). The step's name is the UI text `nameKey` formatted with the number of entries changed; nothing is
// recorded when none changed. Once recorded, the views hear of the changed entries and of the history.
class TEntryCommand {
public:
    // Over every loaded entry.
    TEntryCommand(TWorkspace& ws, QString nameKey);
    TEntryCommand(TWorkspace& ws, QString nameKey, const QList<tSkyStr*>& entries);
    ~TEntryCommand();
    TEntryCommand(const TEntryCommand&) = delete;
    TEntryCommand& operator=(const TEntryCommand&) = delete;
    // Adds an entry the command is about to change (its state now is what an undo puts back).
    void add(tSkyStr* entry) { recorder_.add(entry); }
    // Records the step now; returns the number of entries changed.
    int finish();

private:
    TWorkspace& ws_;
    QString nameKey_;
    TEntryRecorder recorder_;
    bool finished_ = false;
    int changed_ = 0;
};
