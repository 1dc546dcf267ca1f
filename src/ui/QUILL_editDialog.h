// The string edit dialog TForm2: source and translation editors with their gutters, the toolbar, the length counter,
// the six helper pages and the keys that store a translation and move on.
#pragma once

#include "aids/QUILL_editLogic.h"

#include <QAbstractTableModel>
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTextEdit;
class QTimer;
class QToolButton;
class QTreeView;
class QTreeWidget;
class TForm1;
class TWorkspace;
class tPluginNode;

// A plain text editor with a gutter of line numbers; from the second line on the gutter can carry a "[!]" mark
// (lines the field does not allow) and its background can turn light red.
class TGutterEdit : public QPlainTextEdit {
public:
    explicit TGutterEdit(QWidget* parent = nullptr);
    void setLineMarks(bool marks);
    void setGutterAlert(bool alert);
    int gutterWidth() const;
    // A click in the gutter on a line (0-based).
    std::function<void(int line)> gutterClicked;
    // The line under a viewport point, for the other editor to scroll to.
    void centreOnLine(int line);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TGutterArea;
    void paintGutter(QPaintEvent* event);
    void updateGutter(const QRect& rect, int dy);
    QWidget* gutter_;
    bool lineMarks_ = false;
    bool alert_ = false;
};

// Rows of string entries (the record, dialogue and search lists) drawn as the main lists draw them.
class TEntryRowsModel : public QAbstractTableModel {
public:
    // `columns` are main list columns (TListColumn values); `idOf` gives the "ID" cell when set.
    TEntryRowsModel(TWorkspace& ws, QList<int> columns, QObject* parent = nullptr);
    void setRows(QList<tSkyStr*> rows);
    const QList<tSkyStr*>& rows() const { return rows_; }
    tSkyStr* entryAt(int row) const { return row >= 0 && row < rows_.size() ? rows_[row] : nullptr; }
    void refresh();
    std::function<QString(const tSkyStr&)> idOf;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TWorkspace& ws_;
    QList<int> columns_;
    QList<tSkyStr*> rows_;
};

class TForm2 : public QWidget {
    Q_OBJECT
public:
    enum TPage { pageRecord = 0, pageSearch, pageDiff, pageAlias, pageCompare, pageDialogue, pageCount };
    // One row of the plugin compare page.
    struct TCompareData {
        QString s;
        bool warning = false;
    };

    TForm2(TForm1& form, QWidget* parent = nullptr);
    ~TForm2() override;

    // The focused string (none while the dialog is closed).
    tSkyStr* focusedString() const { return fstring_; }
    // Source text of the suggestion the translator picked; the next difference view compares with it, once.
    QString bestLDString;

    // Stores the pending edit (when commitFirst and a string is focused), focuses `entry` (or the main list's
    // focused row) and loads it, with `proposed` in the translation editor when given.
    void openEditDialog(bool commitFirst, tSkyStr* entry = nullptr, const QString* proposed = nullptr);
    void editNewString(const QString* proposed = nullptr);
    // Asked before the translator's validation (F1, Ctrl+Enter, Ok, the menu's Validate) stores the string: false keeps
    // it in the dialog, unstored. Unset: nothing is asked.
    std::function<bool(tSkyStr& entry, const QString& text)> mayValidate;
    // Stores the translation editor's text; false only when the translator answered No to the question.
    bool valideStringChange(bool forceValid, bool confirm, bool autotrim, sStrParams statusIn, sStrParams statusOut);
    void moveToNextString(bool forward);
    void updateLengthInfo();
    void applyEditorFont();
    // Before a command saves, copies into or replaces the entries: stores the editor's text (asking first with
    // `alwaysAsk`, or when "Ask before keeping a change" is set) and closes.
    void storePendingEdit(bool alwaysAsk);
    // A command changed entries: the pages' rows are drawn again, and the editor follows its string unless edited.
    void entriesChanged(const std::vector<tSkyStr*>& entries);
    void closeDialog();
    // While a command runs the pages hold no entries; afterwards they are filled again for the focused string.
    void releasePages();
    void refillPages();

    // The pages.
    void getEspData();
    void CheckAlias();
    void getDiff(const QString& originalSourceString = QString());
    void search();
    // Inserts the text of word proposal cell `id` (1 to 5) into the translation editor.
    void ListBoxKeyClick(int id);

    // The word proposal list: `word` shown bold, then up to five translations ranked from 1. The plugin compare
    // page's rows and marker.
    void setWordProposals(const QString& word, const QStringList& translations);
    void setCompareRows(const QList<TCompareData>& rows, bool marked);
    // The compare page for the loaded string: the older texts of its field after a plugin compare.
    void fillComparePage();

    // Widgets, for tests and the window's hooks.
    TGutterEdit* sourceEditor() const { return sourceEdit_; }
    TGutterEdit* translationEditor() const { return transEdit_; }
    // The in-editor search: the text search dialog, then find next and previous.
    QAction* findAction() const { return findAction_; }
    QAction* findNextAction() const { return findNext_; }
    QTabWidget* pages() const { return pages_; }
    QLabel* counter() const { return counter_; }
    QCheckBox* confirmBox() const { return confirmBox_; }
    QTreeView* recordList() const { return recordView_; }
    QTreeView* dialogueList() const { return dialogueView_; }
    QTreeView* searchHits() const { return hitsView_; }
    QLineEdit* searchBox() const { return searchBox_; }
    QTextEdit* diffView() const { return diffView_; }
    QTreeWidget* aliasList() const { return aliasView_; }
    QTableWidget* wordList() const { return wordList_; }
    int maxStringLength() const { return currentMaxStringLength_; }
    bool lineBreaksAllowed() const { return currentCRState_; }

signals:
    // The translator released the mouse in an editor: the text for the word proposals (GetStringWords).
    void wordsRequested(const QString& text);
    // The string the dialog holds changed (null once it closed).
    void focusedStringChanged(tSkyStr* entry);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void applyTexts();
    void restoreGeometryFromPrefs();
    void saveGeometryToPrefs();
    bool handleKey(QKeyEvent* event);
    void runSearchNow();
    void searchEx(int listIndex, const QString& text);
    void findInEditor(bool forward);
    void pickSearchText();
    void showDiff(const QString& otherText);
    void getDialogData(const trecord& record);
    void setMarker(TPage page, bool highlighted);
    void selectRow(QTreeView* view, int row);
    void openRow(QTreeView* view, const QModelIndex& index);
    void useHitTranslation();
    void insertIntoTranslation(const QString& text);
    void detachRows();
    QMenu* editorMenu(TGutterEdit* editor, const QPoint& pos);

    TForm1& form_;
    TWorkspace& ws_;
    tSkyStr* fstring_ = nullptr;
    const trecord* currentEspRecord_ = nullptr;
    tPluginNode* editedEspNode_ = nullptr;
    int currentMaxStringLength_ = 0;
    bool currentCRState_ = false;
    QString backupOriginalSourceString_;
    QStringList ssearchHistory_;
    QString ssearchText_;
    int ssearchMemo_ = 1; // 0 source, 1 translation, 2 preview

    QSplitter* splitter_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QLineEdit* recordHeader_ = nullptr;
    QTreeView* recordView_ = nullptr;
    TEntryRowsModel* recordModel_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    QToolButton* searchSource_ = nullptr;
    QToolButton* searchDest_ = nullptr;
    QToolButton* searchCurrent_ = nullptr;
    QTreeView* hitsView_ = nullptr;
    TEntryRowsModel* hitsModel_ = nullptr;
    QPlainTextEdit* preview_ = nullptr;
    QTimer* searchTimer_ = nullptr;
    QTextEdit* diffView_ = nullptr;
    QAction* invertDiff_ = nullptr;
    QTreeWidget* aliasView_ = nullptr;
    QTreeWidget* compareView_ = nullptr;
    QLineEdit* dialogueHeader_ = nullptr;
    QTreeView* dialogueView_ = nullptr;
    TEntryRowsModel* dialogueModel_ = nullptr;
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
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// Creates the edit dialog at start-up and hooks it to the main window: Enter, a double click in a list,
// "Menu_Edit" and the plugin tree's double click open it; every save stores its pending edit and closes it first.
void installEditDialog(TForm1& form);
// The main window's edit dialog.
TForm2* editDialog(TForm1& form);
