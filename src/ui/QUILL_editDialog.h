// The string edit dialog TForm2: source and translation editors, the toolbar, the length counter, the six helper
// pages and the keys that store a translation and move on.
#pragma once

#include "ui/QUILL_editRowsPages.h"
#include "ui/QUILL_editTextPages.h"
#include "ui/QUILL_gutterEdit.h"

#include <QWidget>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTabWidget;
class QTableWidget;
class TForm1;
class tPluginNode;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    enum TPage { pageRecord = 0, pageSearch, pageDiff, pageAlias, pageCompare, pageDialogue, pageCount };
    // One row of the plugin compare page.
    using TCompareData = TComparePage::TCompareData;

    TForm2(TForm1& form, QWidget* parent = nullptr);
    ~TForm2() override;

    // The focused string (none while the dialog is closed).
    tSkyStr* focusedString() const { return fstring_; }
    // Source text of the suggestion the translator picked; the next difference view compares with it, once.
    QString bestLDString;

    // Stores the pending edit (when commitFirst and a string is focused), focuses `entry` (or the main list's
    // focused row) and loads it, with `proposed` in the translation editor when given.
    void openEditDialog(bool commitFirst, tSkyStr* entry = nullptr, const QString* proposed = nullptr);
    // Asked before the translator's validation (F1, Ctrl+Enter, Ok, the menu's Validate) stores the string: false keeps
    // it in the dialog, unstored. Unset: nothing is asked.
    std::function<bool(tSkyStr& entry, const QString& text)> mayValidate;
    // Stores the translation editor's text; false only when the translator answered No to the question.
    bool valideStringChange(bool forceValid, bool confirm, bool autotrim, sStrParams statusIn, sStrParams statusOut);
    // Before a command saves, copies into or replaces the entries: stores the editor's text (asking first with
    // `alwaysAsk`, or when "Ask before keeping a change" is set) and closes.
    void storePendingEdit(bool alwaysAsk);
    // A command changed entries: the pages' rows are drawn again, and the editor follows its string unless edited.
    void entriesChanged(const std::vector<tSkyStr*>& entries);
    void closeDialog();
    // While a command runs the pages hold no entries; afterwards they are filled again for the focused string.
    void releasePages();
    void refillPages();

    // The difference page against `originalSourceString`, else the picked suggestion's source (bestLDString).
    void getDiff(const QString& originalSourceString = QString());
    // Searches the vocabulary when the search page is shown.
    void search();
    // Inserts the text of word proposal cell `id` (1 to 5) into the translation editor.
    void ListBoxKeyClick(int id);
    // The word proposal list: `word` shown bold, then up to five translations ranked from 1.
    void setWordProposals(const QString& word, const QStringList& translations);
    void setCompareRows(const QList<TCompareData>& rows, bool marked);

    // Widgets, for tests and the window's hooks.
    TGutterEdit* sourceEditor() const { return sourceEdit_; }
    TGutterEdit* translationEditor() const { return transEdit_; }
    // The in-editor search: the text search dialog, then find next and previous.
    QAction* findAction() const { return findAction_; }
    QAction* findNextAction() const { return findNext_; }
    QTabWidget* pages() const { return pages_; }
    QLabel* counter() const { return counter_; }
    QCheckBox* confirmBox() const { return confirmBox_; }
    QTreeView* recordList() const { return recordPage_->view(); }
    QTreeView* searchHits() const { return searchPage_->hits(); }
    QLineEdit* searchBox() const { return searchPage_->box(); }
    QTextEdit* diffView() const { return diffPage_; }
    QTreeWidget* aliasList() const { return aliasPage_; }
    int maxStringLength() const { return currentMaxStringLength_; }
    bool lineBreaksAllowed() const { return currentCRState_; }

signals:
    // The translator released the mouse in an editor: the text for the word proposals (GetStringWords).
    void wordsRequested(const QString& text);
    // The string the dialog holds changed (null once it closed).
    void focusedStringChanged(tSkyStr* entry);
    // An editor's context menu is about to show for a right click at `position` (viewport coordinates): other areas
    // put their items in it (spelling).
    void editorMenuAboutToShow(TGutterEdit* editor, QMenu* menu, const QPoint& position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    QWidget* buildPages();
    QWidget* buildEditors();
    void restoreGeometryFromPrefs();
    void saveGeometryToPrefs();
    void editNewString(const QString* proposed = nullptr);
    void storeAndClose();
    void moveToNextString(bool forward);
    void updateLengthInfo();
    void applyEditorFont();
    void getEspData();
    void checkAliases();
    bool handleKey(QKeyEvent* event);
    void findInEditor(bool forward);
    void pickSearchText();
    void setMarker(TPage page, bool highlighted);
    void openRow(const TEntryRowsView& view, const QModelIndex& index);
    void useHitTranslation(const tSkyStr& hit);
    void insertIntoTranslation(const QString& text);
    QMenu* editorMenu(TGutterEdit* editor, const QPoint& pos);

    TForm1& form_;
    TWorkspace& ws_;
    tSkyStr* fstring_ = nullptr;
    tPluginNode* editedEspNode_ = nullptr;
    int currentMaxStringLength_ = 0;
    bool currentCRState_ = false;
    QStringList ssearchHistory_;
    QString ssearchText_;
    int ssearchMemo_ = 1; // 0 source, 1 translation, 2 preview

    QSplitter* splitter_ = nullptr;
    QTabWidget* pages_ = nullptr;
    TRecordPage* recordPage_ = nullptr;
    TSearchPage* searchPage_ = nullptr;
    TDiffPage* diffPage_ = nullptr;
    TAliasPage* aliasPage_ = nullptr;
    TComparePage* comparePage_ = nullptr;
    TDialoguePage* dialoguePage_ = nullptr;
    TGutterEdit* sourceEdit_ = nullptr;
    TGutterEdit* transEdit_ = nullptr;
    QTableWidget* wordList_ = nullptr;
    QAction* findAction_ = nullptr;
    QAction* findNext_ = nullptr;
    QAction* findPrevious_ = nullptr;
    QAction* autoTrim_ = nullptr;
    QAction* noReplace_ = nullptr;
    QAction* specialChars_ = nullptr;
    QLabel* counter_ = nullptr;
    QCheckBox* confirmBox_ = nullptr;
};

// Creates the edit dialog at start-up and hooks it to the main window: Enter, a double click in a list,
// "Menu_Edit" and the plugin tree's double click open it; every save stores its pending edit and closes it first.
void installEditDialog(TForm1& form);
// The main window's edit dialog.
TForm2* editDialog(TForm1& form);
