// The Checks tab, its model over the workspace's problems, the status bar's count, and the checks kept fresh through
// the change channel.
#include "ui/QUILL_checksUi.h"

#include "core/QUILL_main.h"
#include "ui/QUILL_Dialog.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_checksEditPanel.h"
#include "ui/QUILL_editDialog.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

using quillcheck::rProblem;
using quillcheck::TCheck;

namespace {

// More entries checked again than this (a batch, a full run): the rows are made anew rather than one entry at a time.
constexpr int kUpdateLimit = 200;
// Entries that gain their first problem need their place in their list, found by a walk over it: past this many the
// rows are made anew.
constexpr int kPlaceLimit = 32;

QString idText(const TWorkspace& ws, const tSkyStr& entry) {
    if (ws.menu()) return ws.menuKeyOf(entry);
    return QStringLiteral("%1").arg(entry.id, 5, 16, QLatin1Char('0'));
}

// A text on one row: its line breaks shown as marks (a problem may be about them), an empty text named.
QString oneLine(const QString& text) {
    if (text.trimmed().isEmpty()) return listCellDisplayText(text);
    QString out = text;
    out.replace(QLatin1String("\r\n"), QStringLiteral("\u21B5")).replace(QLatin1Char('\n'), QChar(0x21B5));
    return out.replace(QLatin1Char('\r'), QChar(0x21B5));
}

int compareText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive);
}

} // namespace

// ----- TProblemsModel

TProblemsModel::TProblemsModel(TWorkspace& ws, QObject* parent) : QAbstractTableModel(parent), ws_(ws) {}

int TProblemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TProblemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

tSkyStr* TProblemsModel::entryAt(int row) const {
    return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[static_cast<size_t>(row)].entry : nullptr;
}

const rProblem* TProblemsModel::problemAt(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return nullptr;
    const rRow& r = rows_[static_cast<size_t>(row)];
    const std::span<const rProblem> problems = problemsOf(ws_, *r.entry);
    return static_cast<size_t>(r.index) < problems.size() ? &problems[static_cast<size_t>(r.index)] : nullptr;
}

QVariant TProblemsModel::data(const QModelIndex& index, int role) const {
    const rProblem* p = index.isValid() ? problemAt(index.row()) : nullptr;
    if (!p) return {};
    const tSkyStr& e = *rows_[static_cast<size_t>(index.row())].entry;
    const TAppContext& app = ws_.app;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case columnList:
            return listName(e.listIndex);
        case columnId:
            return idText(ws_, e);
        case columnCheck:
            return quillcheck::checkName(p->check);
        case columnProblem:
            return problemText(app, *p);
        case columnSource:
            return oneLine(e.gS);
        case columnTranslation:
            return oneLine(e.gTrans);
        }
        return {};
    case Qt::ToolTipRole:
        switch (index.column()) {
        case columnId:
            // A plugin string names its record and field, and the record's editor id.
            if (e.isEspAssigned()) return listCellText(ws_, e, 0) + QLatin1Char(' ') + e.getEdidName();
            return {};
        case columnCheck:
            return app.uiText(QStringLiteral("Chk_About_") + quillcheck::checkName(p->check));
        case columnProblem:
            return problemText(app, *p);
        case columnSource:
            return e.gS;
        case columnTranslation:
            return e.gTrans;
        }
        return {};
    case Qt::ForegroundRole:
        if (p->ignored) return QBrush(QColor(0x90, 0x90, 0x90));
        return {};
    case Qt::FontRole:
        if (p->ignored) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case kCheckRole:
        return static_cast<int>(p->check);
    case kIgnoredRole:
        return p->ignored;
    default:
        return {};
    }
}

QVariant TProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* keys[kColumnCount] = {"Chk_ColumnList",    "ID",       "Chk_ColumnCheck",
                                             "Chk_ColumnProblem", "Original", "Translated"};
    return section >= 0 && section < kColumnCount ? ws_.app.uiText(QLatin1String(keys[section])) : QVariant();
}

void TProblemsModel::clear() {
    beginResetModel();
    rows_.clear();
    positions_.clear();
    endResetModel();
}

void TProblemsModel::rebuild() {
    beginResetModel();
    rows_.clear();
    positions_.clear();
    const TChecksState* cs = checksStateIfAny(ws_);
    if (cs && !cs->problems.empty()) {
        positions_.reserve(static_cast<qsizetype>(cs->problems.size()));
        for (int list = 0; list < 3; ++list) {
            const tSkyStrList& entries = ws_.loadedLists[static_cast<size_t>(list)];
            for (size_t position = 0; position < entries.size(); ++position) {
                tSkyStr* e = entries[position].get();
                const std::span<const rProblem> problems = cs->problems.find(e);
                if (problems.empty()) continue;
                for (size_t i = 0; i < problems.size(); ++i)
                    rows_.push_back({e, list, static_cast<int>(position), static_cast<int>(i)});
                const bool open =
                    std::any_of(problems.begin(), problems.end(), [](const rProblem& p) { return !p.ignored; });
                positions_.insert(e, {static_cast<int>(position), open});
            }
        }
    }
    endResetModel();
}

size_t TProblemsModel::firstRowAt(int list, int position) const {
    const rRow key{nullptr, list, position, 0};
    return static_cast<size_t>(std::lower_bound(rows_.begin(), rows_.end(), key) - rows_.begin());
}

int TProblemsModel::positionInList(const tSkyStr& entry) const {
    if (entry.listIndex > 2) return -1;
    const tSkyStrList& entries = ws_.loadedLists[entry.listIndex];
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].get() == &entry) return static_cast<int>(i);
    return -1;
}

bool TProblemsModel::update(const QList<tSkyStr*>& entries) {
    if (entries.size() > kUpdateLimit) {
        rebuild();
        return true;
    }
    int toPlace = 0;
    for (const tSkyStr* e : entries)
        if (!positions_.contains(e) && !problemsOf(ws_, *e).empty()) ++toPlace;
    if (toPlace > kPlaceLimit) {
        rebuild();
        return true;
    }
    bool openChanged = false;
    for (tSkyStr* e : entries) {
        const int now = static_cast<int>(problemsOf(ws_, *e).size());
        const bool open = now > 0 && hasOpenProblems(ws_, *e);
        const auto known = positions_.constFind(e);
        int position = 0;
        if (known != positions_.constEnd()) {
            position = known->position;
            openChanged = openChanged || known->open != open;
        } else {
            if (now == 0) continue;
            position = positionInList(*e);
            if (position < 0) continue; // not in the lists (a shared field's entry)
            openChanged = openChanged || open;
        }
        const int list = e->listIndex;
        const size_t first = firstRowAt(list, position);
        int before = 0;
        while (first + static_cast<size_t>(before) < rows_.size() &&
               rows_[first + static_cast<size_t>(before)].entry == e)
            ++before;
        const int at = static_cast<int>(first);
        if (now < before) {
            beginRemoveRows({}, at + now, at + before - 1);
            rows_.erase(rows_.begin() + at + now, rows_.begin() + at + before);
            endRemoveRows();
        } else if (now > before) {
            beginInsertRows({}, at + before, at + now - 1);
            std::vector<rRow> added;
            for (int i = before; i < now; ++i)
                added.push_back({e, list, position, i});
            rows_.insert(rows_.begin() + at + before, added.begin(), added.end());
            endInsertRows();
        }
        // The rows the entry kept show its new problems.
        const int kept = std::min(now, before);
        if (kept > 0) emit dataChanged(index(at, 0), index(at + kept - 1, kColumnCount - 1));
        if (now == 0)
            positions_.remove(e);
        else
            positions_.insert(e, {position, open});
    }
    return openChanged;
}

bool TProblemsModel::lessThan(int left, int right, int column) const {
    const rRow& a = rows_[static_cast<size_t>(left)];
    const rRow& b = rows_[static_cast<size_t>(right)];
    int c = 0;
    switch (column) {
    case columnId:
        c = a.list - b.list;
        if (c == 0) {
            if (ws_.menu())
                c = compareText(ws_.menuKeyOf(*a.entry), ws_.menuKeyOf(*b.entry));
            else
                c = a.entry->id < b.entry->id ? -1 : (a.entry->id > b.entry->id ? 1 : 0);
        }
        break;
    case columnCheck: {
        const rProblem* p = problemAt(left);
        const rProblem* q = problemAt(right);
        if (p && q) c = static_cast<int>(p->check) - static_cast<int>(q->check);
        break;
    }
    case columnProblem: {
        const rProblem* p = problemAt(left);
        const rProblem* q = problemAt(right);
        // The same problems together: by check, by kind of explanation, then by its parts. Formatting the texts
        // at every comparison would take seconds over half a million rows.
        if (!p || !q) break;
        c = static_cast<int>(p->check) - static_cast<int>(q->check);
        if (c == 0) c = qstrcmp(p->detailKey, q->detailKey);
        for (qsizetype i = 0; c == 0 && i < std::min(p->args.size(), q->args.size()); ++i)
            c = compareText(p->args[i], q->args[i]);
        if (c == 0) c = static_cast<int>(p->args.size() - q->args.size());
        break;
    }
    case columnSource:
        c = compareText(a.entry->gS, b.entry->gS);
        break;
    case columnTranslation:
        c = compareText(a.entry->gTrans, b.entry->gTrans);
        break;
    default:
        break;
    }
    return c != 0 ? c < 0 : a < b;
}

// ----- TProblemsProxy

TProblemsProxy::TProblemsProxy(TProblemsModel* model, QObject* parent) : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
    setDynamicSortFilter(true);
}

void TProblemsProxy::setCheck(std::optional<TCheck> check) {
    check_ = check;
    invalidateFilter();
}

void TProblemsProxy::setShowIgnored(bool show) {
    showIgnored_ = show;
    invalidateFilter();
}

bool TProblemsProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const rProblem* p = model_->problemAt(sourceRow);
    if (!p) return false;
    if (p->ignored && !showIgnored_) return false;
    return !check_ || p->check == *check_;
}

bool TProblemsProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return model_->lessThan(left.row(), right.row(), left.column());
}

// ----- TChecksPage

TChecksPage::TChecksPage(TForm1& form, QWidget* parent) : QWidget(parent), form_(form), ws_(form.workspace()) {
    setObjectName(QStringLiteral("TChecksPage"));
    const TAppContext& app = ws_.app;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 0);
    runButton_ = new QToolButton(this);
    runButton_->setObjectName(QStringLiteral("ButtonRunChecks"));
    runButton_->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    runButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    runButton_->setAutoRaise(true);
    setUiKey(runButton_, QStringLiteral("Chk_Run"), app);
    setUiHintKey(runButton_, QStringLiteral("Chk_RunChecks"), app);
    checkFilter_ = new QComboBox(this);
    checkFilter_->setObjectName(QStringLiteral("ComboCheck"));
    checkFilter_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    showIgnored_ = checkBox(this, app, "Chk_ShowIgnored", "CheckShowIgnored");
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("LabelChecksSummary"));
    bar->addWidget(runButton_);
    bar->addWidget(checkFilter_);
    bar->addWidget(showIgnored_);
    bar->addStretch(1);
    bar->addWidget(summary_);
    layout->addLayout(bar);

    model_ = new TProblemsModel(ws_, this);
    proxy_ = new TProblemsProxy(model_, this);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("ChecksTree"));
    view_->setModel(proxy_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAlternatingRowColors(true);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setAllColumnsShowFocus(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    // In the order of the lists (as --check prints them) until a header is clicked: half a million rows need no sort.
    QHeaderView* header = view_->header();
    header->setSortIndicator(-1, Qt::AscendingOrder);
    view_->setSortingEnabled(true);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(TProblemsModel::columnList, 90);
    header->resizeSection(TProblemsModel::columnId, 70);
    header->resizeSection(TProblemsModel::columnCheck, 110);
    for (int column : {TProblemsModel::columnProblem, TProblemsModel::columnSource, TProblemsModel::columnTranslation})
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    view_->installEventFilter(this);
    layout->addWidget(view_, 1);

    connect(view_, &QTreeView::doubleClicked, this, &TChecksPage::editRow);
    connect(view_, &QWidget::customContextMenuRequested, this, &TChecksPage::showMenu);
    connect(runButton_, &QToolButton::clicked, this, &TChecksPage::runNow);
    connect(checkFilter_, &QComboBox::currentIndexChanged, this, [this] {
        const int check = checkFilter_->currentData().toInt();
        proxy_->setCheck(check < 0 ? std::nullopt : std::optional<TCheck>(static_cast<TCheck>(check)));
    });
    connect(showIgnored_, &QCheckBox::toggled, proxy_, &TProblemsProxy::setShowIgnored);

    // Fresh at every change: the rows let go of the entries before they are freed, a new document is checked in
    // full, a command's entries are checked again, and the vocabulary's terms are looked at again.
    TChangeChannel& changes = form.changes();
    connect(&changes, &TChangeChannel::documentAboutToClose, this, [this] {
        fullRunPending_ = vocabularyPending_ = rowsStale_ = beginPending_ = false;
        model_->clear();
    });
    connect(&changes, &TChangeChannel::documentReplaced, this, [this] {
        if (countListSet(ws_.loadedLists) > 0) {
            requestRun(true);
        } else {
            model_->clear();
            afterChange(true);
        }
    });
    connect(&changes, &TChangeChannel::entriesModified, this, &TChecksPage::entriesModified);
    connect(&changes, &TChangeChannel::listsReordered, this, [this] {
        // The rows are placed by the entries' positions in their lists; a run in steps goes by those positions too.
        if (beginPending_ || checksRunning(ws_))
            requestRun(true);
        else if (!fullRunPending_)
            refreshRows();
    });
    connect(&changes, &TChangeChannel::knownWordsChanged, this, [this] {
        // The workspace checked the spelling again (my words, ignored words, another dictionary): show its rows.
        if (fullRunPending_) return;
        refreshRows();
        afterChange(true);
    });
    connect(&changes, &TChangeChannel::vocabularyReplaced, this, [this] {
        vocabularyPending_ = true;
        requestRun(false);
    });
    connect(&form, &TForm1::operationEnded, this, &TChecksPage::runPending);
    afterChange(false);
}

void TChecksPage::postOnce(bool& posted, void (TChecksPage::*call)()) {
    if (posted) return;
    posted = true;
    QTimer::singleShot(0, this, [this, &posted, call] {
        posted = false;
        (this->*call)();
    });
}

void TChecksPage::requestRun(bool full) {
    if (full) fullRunPending_ = true;
    postOnce(runScheduled_, &TChecksPage::runPending);
}

void TChecksPage::runPending() {
    // A command still running finishes first; its end calls again.
    if (!ws_.app.isIdle()) return;
    if (!fullRunPending_ && !vocabularyPending_) {
        // A run in steps that a command interrupted goes on.
        if (beginPending_ || checksRunning(ws_)) scheduleStep();
        return;
    }
    const bool full = fullRunPending_;
    fullRunPending_ = vocabularyPending_ = false;
    if (full) {
        const qsizetype entries = countListSet(ws_.loadedLists);
        if (entries == 0) return;
        if (entries >= kStepsFrom) {
            // Begun from the event loop, behind the list's first paint.
            beginPending_ = true;
            scheduleStep();
            return;
        }
        form_.runGuarded([this] { runEnabledChecks(ws_); });
        refreshRows();
        afterChange(true);
        return;
    }
    const TChecksState* cs = checksStateIfAny(ws_);
    if (!cs || !cs->ran || !cs->checks.has(TCheck::officialTerm)) return;
    form_.runGuarded([this] { vocabularyChangedForChecks(ws_); });
    refreshRows();
    afterChange(true);
}

void TChecksPage::scheduleStep() {
    postOnce(stepScheduled_, &TChecksPage::stepRun);
}

void TChecksPage::stepRun() {
    // Within a command (a dialog's own event loop) the run waits for its end.
    if (!ws_.app.isIdle()) return;
    if (beginPending_) {
        beginPending_ = false;
        if (!form_.runGuarded([this] { beginChecksRun(ws_, enabledChecks(ws_.app.state)); })) return;
        // The last run's rows name problems the new one has not found yet.
        model_->clear();
        afterChange(true);
        scheduleStep();
        return;
    }
    if (!checksRunning(ws_)) return;
    // A slice short enough for the window to answer between two.
    constexpr int kSliceMilliseconds = 40;
    bool done = false;
    if (!form_.runGuarded([&] { done = stepChecksRun(ws_, kSliceMilliseconds); })) return;
    if (!done) {
        scheduleStep();
        return;
    }
    refreshRows();
    afterChange(true);
}

void TChecksPage::refreshRows() {
    rowsStale_ = !isVisible();
    if (rowsStale_)
        model_->clear();
    else
        model_->rebuild();
}

bool TChecksPage::updateRows(const QList<tSkyStr*>& entries) {
    return rowsStale_ || model_->update(entries);
}

void TChecksPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (rowsStale_) refreshRows();
}

void TChecksPage::runNow() {
    if (!ws_.app.isIdle() || countListSet(ws_.loadedLists) == 0) return;
    fullRunPending_ = vocabularyPending_ = false;
    form_.runGuarded([this] { runEnabledChecks(ws_); });
    refreshRows();
    afterChange(true);
}

void TChecksPage::followSwitches() {
    const TChecksState* cs = checksStateIfAny(ws_);
    if (cs && cs->ran && cs->checks != enabledChecks(ws_.app.state)) runNow();
}

void TChecksPage::entriesModified(const std::vector<tSkyStr*>& entries) {
    // A full run to come covers them.
    if (fullRunPending_ || beginPending_) return;
    const TChecksState* cs = checksStateIfAny(ws_);
    if (!cs || !cs->ran) return;
    const QList<tSkyStr*> rechecked = recheckEntries(ws_, QList<tSkyStr*>(entries.begin(), entries.end()));
    afterChange(updateRows(rechecked));
}

void TChecksPage::editRow(const QModelIndex& proxyIndex) {
    if (!proxyIndex.isValid() || !ws_.app.isIdle()) return;
    tSkyStr* entry = model_->entryAt(proxy_->mapToSource(proxyIndex).row());
    TForm2* dialog = editDialog(form_);
    if (entry && dialog) dialog->openEditDialog(true, entry);
}

void TChecksPage::setIgnored(tSkyStr& entry, TCheck check, bool ignore) {
    if (!ws_.app.isIdle() || !setProblemIgnored(ws_, entry, check, ignore)) return;
    afterChange(updateRows({&entry}));
}

void TChecksPage::ignoreSelected(bool ignore) {
    if (!ws_.app.isIdle()) return;
    QList<tSkyStr*> changed;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
        const int row = proxy_->mapToSource(index).row();
        tSkyStr* entry = model_->entryAt(row);
        const rProblem* problem = model_->problemAt(row);
        if (entry && problem && setProblemIgnored(ws_, *entry, problem->check, ignore)) changed << entry;
    }
    if (changed.isEmpty()) return;
    afterChange(updateRows(changed));
}

void TChecksPage::showMenu(const QPoint& at) {
    const TAppContext& app = ws_.app;
    bool anyOpen = false, anyIgnored = false;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
        const rProblem* p = model_->problemAt(proxy_->mapToSource(index).row());
        if (!p) continue;
        anyOpen = anyOpen || !p->ignored;
        anyIgnored = anyIgnored || p->ignored;
    }
    QMenu menu(this);
    QAction* edit =
        menu.addAction(app.uiText(QStringLiteral("Menu_Edit")), this, [this] { editRow(view_->currentIndex()); });
    edit->setEnabled(view_->currentIndex().isValid());
    menu.addSeparator();
    menu.addAction(app.uiText(QStringLiteral("Chk_Ignore")), this, [this] { ignoreSelected(true); })
        ->setEnabled(anyOpen);
    menu.addAction(app.uiText(QStringLiteral("Chk_Unignore")), this, [this] { ignoreSelected(false); })
        ->setEnabled(anyIgnored);
    menu.addSeparator();
    menu.addAction(runButton_->icon(), app.uiText(QStringLiteral("Chk_RunChecks")), this, &TChecksPage::runNow);
    menu.exec(view_->viewport()->mapToGlobal(at));
}

bool TChecksPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            editRow(view_->currentIndex());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TChecksPage::countProblems() {
    const TChecksState* cs = checksStateIfAny(ws_);
    // A run in steps has no figures until it ends.
    ran_ = cs && cs->ran && !cs->run.active && countListSet(ws_.loadedLists) > 0;
    counts_ = ran_ ? cs->tally.open : std::array<int, quillcheck::kCheckCount>{};
    total_ = 0;
    for (const int n : counts_)
        total_ += n;
    strings_ = ran_ ? cs->tally.strings : 0;
    ignored_ = ran_ ? cs->tally.ignored : 0;
}

void TChecksPage::refreshFilterItems() {
    const TAppContext& app = ws_.app;
    const TChecksState* cs = checksStateIfAny(ws_);
    const bool ran = ran_;
    const auto& counts = counts_;
    const int total = total_;
    const int current = checkFilter_->currentData().isValid() ? checkFilter_->currentData().toInt() : -1;
    {
        const QSignalBlocker blocker(checkFilter_);
        checkFilter_->clear();
        checkFilter_->addItem(QStringLiteral("%1 (%2)").arg(app.uiText(QStringLiteral("Chk_AllChecks"))).arg(total),
                              -1);
        for (const TCheck c : quillcheck::checkOrder()) {
            if (!ran || !cs->checks.has(c)) continue;
            checkFilter_->addItem(
                QStringLiteral("%1 (%2)").arg(quillcheck::checkName(c)).arg(counts[static_cast<size_t>(c)]),
                static_cast<int>(c));
            checkFilter_->setItemData(checkFilter_->count() - 1,
                                      app.uiText(QStringLiteral("Chk_About_") + quillcheck::checkName(c)),
                                      Qt::ToolTipRole);
        }
        const int at = checkFilter_->findData(current);
        checkFilter_->setCurrentIndex(at < 0 ? 0 : at);
    }
    // A check the run no longer has shows every problem again.
    if (checkFilter_->currentData().toInt() != current) proxy_->setCheck(std::nullopt);
    if (!ran) {
        summary_->clear();
        return;
    }
    summary_->setText(app.uiTextFormat(QStringLiteral("Chk_Total"), {total, strings_, ignored_}));
}

void TChecksPage::afterChange(bool stringsChanged) {
    countProblems();
    refreshFilterItems();
    emit problemsChanged(stringsChanged);
}

// ----- Installation

namespace {

// The count in the status bar: the open problems, per check in its hint; a click shows the Checks tab.
void installStatusCount(TForm1& form, TChecksPage* page) {
    auto* button = new QToolButton(form.statusBar());
    button->setObjectName(QStringLiteral("ChecksStatus"));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->hide();
    form.statusBar()->addPermanentWidget(button);
    QObject::connect(button, &QToolButton::clicked, page,
                     [&form, page] { form.bottomPages()->setCurrentWidget(page); });
    QObject::connect(page, &TChecksPage::problemsChanged, button, [page, button] {
        if (!page->ran()) {
            button->hide();
            return;
        }
        const TAppContext& app = page->workspace().app;
        QStringList lines;
        for (const TCheck c : quillcheck::checkOrder()) {
            const int n = page->counts()[static_cast<size_t>(c)];
            if (n > 0) lines << app.uiTextFormat(QStringLiteral("Chk_Count"), {quillcheck::checkName(c), n});
        }
        button->setText(app.uiTextFormat(QStringLiteral("Chk_StatusCount"), {page->total()}));
        button->setToolTip(lines.join(QLatin1Char('\n')));
        button->show();
    });
}

} // namespace

TChecksPage* installChecksUi(TForm1& form) {
    QTabWidget* pages = form.bottomPages();
    auto* page = new TChecksPage(form, pages);
    page->setProperty("uiKey", QStringLiteral("Chk_Tab"));
    const int suggestions = pages->indexOf(form.autoTranslationPage());
    pages->insertTab(suggestions + 1, page, form.workspace().app.uiText(QStringLiteral("Chk_Tab")));
    installStatusCount(form, page);

    // The lists' marks follow the problems, and their "With problems" filter when a string gained its first open
    // problem or lost its last.
    QObject::connect(page, &TChecksPage::problemsChanged, &form, [&form](bool stringsChanged) {
        for (int i = 0; i < 3; ++i)
            if (QTreeView* view = form.listView(i)) view->viewport()->update();
        if (stringsChanged && form.problemsFilterButton()->isChecked()) form.reapplyFilter();
    });
    // The Options may have switched checks on or off: they run again once the dialog closed.
    if (QAction* options = form.commandAction(QStringLiteral("Set_Options")))
        QObject::connect(options, &QAction::triggered, page, &TChecksPage::followSwitches);
    if (TForm2* dialog = editDialog(form)) installChecksInEditDialog(form, *dialog, *page);
    return page;
}

TChecksPage* checksPage(TForm1& form) {
    return form.bottomPages() ? form.bottomPages()->findChild<TChecksPage*>() : nullptr;
}
