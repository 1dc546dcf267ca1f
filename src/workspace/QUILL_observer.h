// The one channel through which the workspace tells its views what changed. Views refresh from it, never from the
// handler that ran a command, so a command cannot leave Undo, the title or a list stale.
#pragma once

#include <vector>

class tSkyStr;

class TWorkspaceObserver {
public:
    virtual ~TWorkspaceObserver() = default;

    // Before a command that saves, copies into or replaces the entries: a view holding an edit not yet stored stores
    // it now and lets go of its entry. With `alwaysAsk` (a save, a copying command) the translator is asked whether
    // to keep it; otherwise only where the view is set to ask.
    virtual void storePendingEdit(bool alwaysAsk) { (void)alwaysAsk; }
    // The entries of the open document are about to be freed (closing, opening another, a failed load): a view lets
    // go of every entry it holds. Nothing may read an entry between this and documentChanged.
    virtual void documentClosing() {}
    // A document was opened or closed: the lists hold other entries (or none).
    virtual void documentChanged() {}
    // A command changed these entries in place (translation, status, flags). The entries are alive.
    virtual void entriesChanged(const std::vector<tSkyStr*>& entries) { (void)entries; }
    // The undo history or its saved point moved: Undo, Redo and the unsaved mark are to be shown again.
    virtual void historyChanged() {}
    // The lists are about to be reordered or extended in place, and were: the same entries (and perhaps new ones) in
    // another order. A view keeps its rows on their entries.
    virtual void listsAboutToChange() {}
    virtual void listsChanged() {}
    // A pass scored the entries of list `listIndex`: the list is best shown by its score, ascending (the best
    // suggestions first) or descending (the marked strings first).
    virtual void scoresComputed(int listIndex, bool descending) {
        (void)listIndex;
        (void)descending;
    }
    // The vocabulary's entries are about to be freed, and the vocabulary changed (languages, dictionaries, caches).
    virtual void vocabularyAboutToChange() {}
    virtual void vocabularyChanged() {}
    // The words spelling knows changed ("Add to my words", "Ignore", another dictionary, checking turned on or off):
    // the underlines and the spelling check are to be read again.
    virtual void spellingChanged() {}
};
