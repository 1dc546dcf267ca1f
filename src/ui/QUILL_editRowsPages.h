// The edit dialog's pages of entry rows: the record of its string and the dialogue topic (from the plugin tree),
// and the search page (the vocabulary's texts that contain a searched text, with a preview).
#pragma once

#include "aids/QUILL_editLogic.h"
#include "ui/QUILL_entryRowsModel.h"

class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolButton;
class TWorkspace;

// A header line over rows of entries, taken for one record.
class TEntryRowsPage : public QWidget {
public:
    TEntryRowsView* view() const { return view_; }
    // Lets go of the rows (a command may reorder what they were taken from); the next fill takes them again.
    void release();
    // Empty, as in a closed dialog.
    void reset();

protected:
    TEntryRowsPage(TWorkspace& ws, QList<int> columns, const QList<int>& textColumns, const QString& name,
                   QWidget* parent);
    TWorkspace& ws_;
    QLineEdit* header_;
    TEntryRowsView* view_;
    const trecord* record_ = nullptr;
};

// The record page: the string fields of the record, the focused one selected.
class TRecordPage : public TEntryRowsPage {
public:
    TRecordPage(TWorkspace& ws, QWidget* parent);
    // Shows the record of `entry` (its rows taken again only for another record) and gives its field's rules.
    editlogic::rRecordPage fill(const tSkyStr& entry);
};

// The dialogue page: the topic of a DIAL or INFO record with its responses, the focused string selected.
class TDialoguePage : public TEntryRowsPage {
    Q_OBJECT
public:
    TDialoguePage(TWorkspace& ws, QWidget* parent);
    // Null empties the page (the string has no record).
    void fill(const trecord* record, const tSkyStr* focused);

signals:
    // The record is dialogue of a plugin with quests: the page has something to look at.
    void markerChanged(bool highlighted);
};

// The search page.
class TSearchPage : public QWidget {
    Q_OBJECT
public:
    TSearchPage(TWorkspace& ws, QWidget* parent);
    QLineEdit* box() const { return box_; }
    TEntryRowsView* hits() const { return hits_; }
    QPlainTextEdit* preview() const { return preview_; }
    // Searches vocabulary list `listIndex`, or the three unless "current list only" is down.
    void search(int listIndex);

signals:
    // The text or an option changed: the dialog searches when the page is shown.
    void searchRequested();
    // "Menu_UseTrans" on a hit.
    void translationChosen(const tSkyStr& hit);

private:
    TWorkspace& ws_;
    QLineEdit* box_;
    QToolButton* inSource_;
    QToolButton* inTranslation_;
    QToolButton* currentList_;
    TEntryRowsView* hits_;
    QPlainTextEdit* preview_;
    QTimer* timer_;
};
