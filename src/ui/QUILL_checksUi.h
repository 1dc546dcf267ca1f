// The quality checks in the window: the Checks tab beside Suggestions (one row per problem, over the workspace's
// problems), the count in the status bar, and the checks kept fresh through the change channel.
#pragma once

#include "aids/QUILL_checks.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;
class QTreeView;
class TForm1;
class TWorkspace;
class tSkyStr;

// One row per problem of the last run, ignored ones included: the rows name their entry and the problem's place in
// the entry's problems, never a copy of the texts, so that a document with half a million problems stays light.
// Rows are in the order of the lists (list 0 first, each in its order), then in the entry's check order.
class TProblemsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn : int { columnList = 0, columnId, columnCheck, columnProblem, columnSource, columnTranslation };
    static constexpr int kColumnCount = 6;
    static constexpr int kCheckRole = Qt::UserRole + 1;   // the problem's check (int)
    static constexpr int kIgnoredRole = Qt::UserRole + 2; // the translator ignored it for this string

    explicit TProblemsModel(TWorkspace& ws, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Every row anew from the last run.
    void rebuild();
    // No rows: the entries are about to be freed.
    void clear();
    // These entries were checked again (or had a problem ignored): their rows follow, the other rows stay as they
    // are (with the views' selection and scroll position). True when a string gained its first open problem or lost
    // its last (or every row was made anew).
    bool update(const QList<tSkyStr*>& entries);

    tSkyStr* entryAt(int row) const;
    const quillcheck::rProblem* problemAt(int row) const;
    // Whether row `left` sorts before row `right` by `column` (ties in the order of the lists).
    bool lessThan(int left, int right, int column) const;

private:
    struct rRow {
        tSkyStr* entry; // not owned
        int list;
        int position; // in its list
        int index;    // in the entry's problems
        bool operator<(const rRow& o) const {
            return list != o.list ? list < o.list : position != o.position ? position < o.position : index < o.index;
        }
    };
    // The first row of an entry at (list, position), or where it would go.
    size_t firstRowAt(int list, int position) const;
    int positionInList(const tSkyStr& entry) const;

    struct rPlace {
        int position; // in its list
        bool open;    // a problem not ignored
    };
    TWorkspace& ws_;
    std::vector<rRow> rows_;
    QHash<const tSkyStr*, rPlace> positions_; // the entries with rows
};

// The problems of one check (or all), the ignored ones shown on request; sorted by the model's rule.
class TProblemsProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    TProblemsProxy(TProblemsModel* model, QObject* parent = nullptr);
    void setCheck(std::optional<quillcheck::TCheck> check);
    void setShowIgnored(bool show);
    TProblemsModel* problems() const { return model_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    TProblemsModel* model_;
    std::optional<quillcheck::TCheck> check_;
    bool showIgnored_ = false;
};

// The Checks tab: a Run button, the check filter with each check's count, "show ignored", the summary, and the
// problems. Double click and Enter open the edit dialog on the string; the context menu ignores a problem for its
// string or takes that back. It keeps the checks fresh: on the entries each command changed, in full when another
// document opens, and when the vocabulary changes.
class TChecksPage : public QWidget {
    Q_OBJECT
public:
    TChecksPage(TForm1& form, QWidget* parent = nullptr);

    TWorkspace& workspace() const { return ws_; }
    TProblemsModel* model() const { return model_; }
    TProblemsProxy* proxy() const { return proxy_; }
    QTreeView* view() const { return view_; }
    QComboBox* checkFilter() const { return checkFilter_; }
    QCheckBox* showIgnoredBox() const { return showIgnored_; }
    QToolButton* runButton() const { return runButton_; }
    QLabel* summary() const { return summary_; }

    // Runs the enabled checks over the document now (the Run button).
    void runNow();
    // Opens the edit dialog on the string of a row of the view.
    void editRow(const QModelIndex& proxyIndex);
    // Ignores (or checks again) the problems of the selected rows, each for its string.
    void ignoreSelected(bool ignore);
    // "Ignore this problem for this string" from anywhere (the edit dialog's list of problems).
    void setIgnored(tSkyStr& entry, quillcheck::TCheck check, bool ignore);
    // The enabled checks are no longer those of the last run (the Options): they run again.
    void followSwitches();

    // The figures of the last run (none before it): the open problems per check and in all, the strings with open
    // problems, the ignored problems.
    bool ran() const { return ran_; }
    const std::array<int, quillcheck::kCheckCount>& counts() const { return counts_; }
    int total() const { return total_; }
    int strings() const { return strings_; }
    int ignored() const { return ignored_; }

signals:
    // The problems changed: the views showing them refresh. `stringsChanged`: a string gained its first open problem
    // or lost its last, so the lists' "With problems" filter may show other rows.
    void problemsChanged(bool stringsChanged);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The rows again from the last run; while the tab is not shown they wait until it is (a document of a million
    // strings may have as many problems, and the translator may never look).
    void refreshRows();
    // The rows of `entries` again; true when a string gained its first open problem or lost its last (or when that
    // is not known, the rows waiting).
    bool updateRows(const QList<tSkyStr*>& entries);
    void entriesModified(const std::vector<tSkyStr*>& entries);
    void requestRun(bool full);
    void runPending();
    // The full run after an open goes in steps from the event loop: the list is shown and answers while a big
    // document is checked.
    void stepRun();
    void scheduleStep();
    // Calls `call` once from the event loop, however often asked before it runs (`posted` says it is on its way).
    void postOnce(bool& posted, void (TChecksPage::*call)());
    void afterChange(bool stringsChanged);
    void countProblems();
    void refreshFilterItems();
    void showMenu(const QPoint& at);

    TForm1& form_;
    TWorkspace& ws_;
    TProblemsModel* model_ = nullptr;
    TProblemsProxy* proxy_ = nullptr;
    QTreeView* view_ = nullptr;
    QToolButton* runButton_ = nullptr;
    QComboBox* checkFilter_ = nullptr;
    QCheckBox* showIgnored_ = nullptr;
    QLabel* summary_ = nullptr;
    // A full run (another document) or the vocabulary's re-check waits until the window is idle: one run for all
    // the changes an open makes.
    bool fullRunPending_ = false;
    bool vocabularyPending_ = false;
    bool runScheduled_ = false;
    bool stepScheduled_ = false;
    bool beginPending_ = false; // a run in steps begins at the next step
    // From this many strings a full run goes in steps.
    static constexpr qsizetype kStepsFrom = 100000;
    bool rowsStale_ = false; // the rows wait for the tab to be shown
    bool ran_ = false;
    std::array<int, quillcheck::kCheckCount> counts_{};
    int total_ = 0;
    int strings_ = 0;
    int ignored_ = 0;
};

// Installs the Checks tab after the Suggestions page, the problem count in the status bar, the check switches'
// follow-up after the Options, and the edit dialog's list of problems and its question before validating.
TChecksPage* installChecksUi(TForm1& form);
// The window's Checks tab (null before installChecksUi).
TChecksPage* checksPage(TForm1& form);
