// The translation aids in the window: the Suggestions (AutoTranslation) page with its candidate view and TimerLD, the
// search-and-replace dialog TForm4, the batch dialog TForm11, the similar-strings dialog TForm5 and the text-search
// dialog TFormsText.
#pragma once

#include "aids/QUILL_search.h"
#include "core/QUILL_host.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QTimer;
class QTreeWidget;
class TAppContext;
class TForm1;
class QLabel;
class TWorkspace;
struct tSkyStr;

// The candidate view of the focused string. The focused row of a list view sets LDfstring and, while this page is
// shown, starts TimerLD (250 ms); the timer, or showing the page, runs refreshCandidates.
class TSuggestionsPage : public QWidget {
    Q_OBJECT
public:
    TSuggestionsPage(TForm1& form, QWidget* parent = nullptr);
    QTreeWidget* LDtree = nullptr;
    QTimer* TimerLD = nullptr;

    // The edit dialog's seam: "Menu_Edit2" and a double click call it with the candidate's translation as the
    // proposed text, after mayEditWithCandidate (LDfstring is the string to edit, in aidsState). Unset: nothing opens.
    std::function<void(tSkyStr& entry, const QString& proposedText)> openEditDialog;

    // While false (the edit dialog moves the focus itself) a focus change does not start the timer.
    bool liveRefresh = true;

    void focusChanged(tSkyStr* entry);
    void refreshCandidates();
    void clearCandidates();
    // The focused candidate, or null.
    tSkyStr* focusedCandidate() const;
    // "Menu_Validate2" and "Menu_Edit2".
    void takeFocusedCandidate();
    void editWithFocusedCandidate();

private:
    bool pageShown() const;
    TForm1& form_;
    TWorkspace& ws_;
};

// "Searchandreplace".
class TForm4 : public QDialog {
    Q_OBJECT
public:
    // `skSource` is the focused entry (or null): its source's words fill the search field's drop-down. The controls
    // start from `settings` (the window's last ones this session), else from the last rule applied.
    TForm4(TWorkspace& ws, const tSkyStr* skSource, QWidget* parent = nullptr, const rSearchData* settings = nullptr);
    // The rule the controls hold (s1 as typed).
    rSearchData rule() const;

    QComboBox* ComboBox1 = nullptr; // search
    QComboBox* ComboBox2 = nullptr; // replace
    QComboBox* ComboBox3 = nullptr; // pattern
    QButtonGroup* RadioGroup1 = nullptr;
    QButtonGroup* RadioGroup2 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // case-sensitive
    QCheckBox* CheckBox2 = nullptr; // all lists

private:
    TWorkspace& ws_;
};

// "BatchSearchAndReplace": the batch file's text, editable, with "SaveRules".
class TForm11 : public QDialog {
    Q_OBJECT
public:
    TForm11(TAppContext& app, const QString& text, const QString& file, QWidget* parent = nullptr);
    QPlainTextEdit* Memo1 = nullptr;
    QString filenamefull;
};

// "Update_Similar_Strings": the strings with the same source, the request's chosen rows selected and the count shown;
// Ok keeps the selected ones. No is the default button: Enter never overwrites translations by surprise.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(const TAppContext& app, const rRowChoiceRequest& request, QWidget* parent = nullptr);
    // The request's rows, marked as the selection leaves them.
    QList<bool> chosenRows() const;
    QTreeWidget* replaceTree = nullptr;
    QLabel* countLabel = nullptr;

private:
    void updateCount();
    const TAppContext& app_;
};

// "textSearch": a search text with its history, and where to search (0 source, 1 translation, 2 search results).
class TFormsText : public QDialog {
    Q_OBJECT
public:
    explicit TFormsText(const TAppContext& app, QWidget* parent = nullptr);
    // The history, newest first, as CR LF separated lines (the first 10); the setter fills the drop-down.
    QString SearchTextHistory() const;
    void setSearchTextHistory(const QString& lines);
    QString searchText() const;
    int searchIn() const;
    // On Ok the text moves to the top of the history.
    void accept() override;

    QComboBox* cbSearchText = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;
};

// Installs the Suggestions page and the aids' commands ("Heuristic", "HeuristicFull", "SearchandReplace",
// "BatchSearchAndReplace", "Menu_FixAlias") and sets the similar-strings and batch dialogs as the workspace's
// seams. Returns the page (its openEditDialog is the edit dialog's seam).
TSuggestionsPage* installAidsUi(TForm1& form);
