// The workspace's change channel as Qt signals: the window and every panel refresh from these, never from the handler
// that ran a command.
#pragma once

#include "workspace/QUILL_observer.h"

#include <QObject>
#include <vector>

class TWorkspace;

class TChangeChannel : public QObject, private TWorkspaceObserver {
    Q_OBJECT
public:
    TChangeChannel(TWorkspace& ws, QObject* parent = nullptr);
    ~TChangeChannel() override;

signals:
    // An edit a view holds is to be stored now, and the view lets go of its entry (the edit dialog answers, asking
    // always with `alwaysAsk`, else where it is set to ask).
    void pendingEditRequested(bool alwaysAsk);
    // The document's entries are about to be freed: let go of every entry.
    void documentAboutToClose();
    // Another document (or none) is open: the lists hold other entries.
    void documentReplaced();
    // A command changed these entries in place.
    void entriesModified(const std::vector<tSkyStr*>& entries);
    // Undo, Redo or the unsaved mark changed.
    void historyMoved();
    // The lists are reordered or extended in place: rows stay on their entries.
    void listsAboutToBeReordered();
    void listsReordered();
    // List `listIndex` got scores and is best shown by them.
    void scoresReady(int listIndex, bool descending);
    // The vocabulary's entries are about to be freed, and the vocabulary changed.
    void vocabularyAboutToBeReplaced();
    void vocabularyReplaced();
    // The words spelling knows changed: underlines and spelling problems are read again.
    void knownWordsChanged();

private:
    void storePendingEdit(bool alwaysAsk) override { emit pendingEditRequested(alwaysAsk); }
    void documentClosing() override { emit documentAboutToClose(); }
    void documentChanged() override { emit documentReplaced(); }
    void entriesChanged(const std::vector<tSkyStr*>& entries) override { emit entriesModified(entries); }
    void historyChanged() override { emit historyMoved(); }
    void listsAboutToChange() override { emit listsAboutToBeReordered(); }
    void listsChanged() override { emit listsReordered(); }
    void scoresComputed(int listIndex, bool descending) override { emit scoresReady(listIndex, descending); }
    void vocabularyAboutToChange() override { emit vocabularyAboutToBeReplaced(); }
    void vocabularyChanged() override { emit vocabularyReplaced(); }
    void spellingChanged() override { emit knownWordsChanged(); }

    TWorkspace& ws_;
};
