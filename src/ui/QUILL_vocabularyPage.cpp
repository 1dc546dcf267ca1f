// The Vocabulary page and the dictionary commands of the main window.
#include "ui/QUILL_vocabularyPage.h"

#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsDictionary.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QSet>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kRowMime = "application/x-quillery-vocabulary-row";

// A colour given as 0xBBGGRR.
QColor bgr(unsigned value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

TVocabularyModel::TVocabularyModel(TWorkspace& ws, QObject* parent) : QAbstractListModel(parent), ws_(ws) {}

TVocabularyState& TVocabularyModel::state() const {
    return vocabularyState(ws_);
}

int TVocabularyModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(state().vocab.nodes.size());
}

QVariant TVocabularyModel::data(const QModelIndex& index, int role) const {
    const auto& nodes = state().vocab.nodes;
    if (!index.isValid() || index.row() >= static_cast<int>(nodes.size())) return {};
    const rVocabularyNode& node = nodes[index.row()];
    const tSkyFolder& folder = *node.folder;
    const bool matches = filter_.isEmpty() || folder.s.contains(filter_);
    switch (role) {
    case Qt::DisplayRole: {
        QString text = folder.s + (node.isDictionary() ? ws_.app.uiText(QStringLiteral("Vocab_UserMark")) : QString()) +
                       QLatin1Char(' ');
        if (folder.fparams.has(sFdrParam::fdrLoaded)) text += QStringLiteral("- [%1]").arg(folder.count);
        return text;
    }
    case Qt::CheckStateRole:
        return node.checked ? Qt::Checked : Qt::Unchecked;
    case Qt::FontRole: {
        QFont font;
        font.setBold(!filter_.isEmpty() && matches);
        font.setStrikeOut(folder.fparams.has(sFdrParam::fdrEmpty));
        return font;
    }
    case Qt::ForegroundRole:
        if (node.isDictionary()) return bgr(matches ? 0x800000 : 0xE0AAAA);
        return bgr(matches ? 0x000000 : 0xC0C0C0);
    case Qt::DecorationRole: {
        QStyle* style = QApplication::style();
        if (node.isLocked()) return style->standardIcon(QStyle::SP_DialogNoButton);
        if (folder.fparams.has(sFdrParam::fdrLoaded)) return style->standardIcon(QStyle::SP_DialogApplyButton);
        return {};
    }
    case Qt::ToolTipRole:
        return folder.getAuthName();
    default:
        return {};
    }
}

bool TVocabularyModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    auto& nodes = state().vocab.nodes;
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= static_cast<int>(nodes.size())) return false;
    const bool checked = value.toInt() == Qt::Checked;
    if (!state().vocab.setChecked(nodes[index.row()], checked, ws_.app.state)) return false;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags TVocabularyModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const auto& nodes = state().vocab.nodes;
    if (index.row() < static_cast<int>(nodes.size()) && !nodes[index.row()].isLocked()) f |= Qt::ItemIsUserCheckable;
    return f;
}

QStringList TVocabularyModel::mimeTypes() const {
    return {QLatin1String(kRowMime)};
}

QMimeData* TVocabularyModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    auto* data = new QMimeData;
    data->setData(QLatin1String(kRowMime), QByteArray::number(indexes.first().row()));
    return data;
}

bool TVocabularyModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                    const QModelIndex& parent) {
    if (action != Qt::MoveAction || !data || !data->hasFormat(QLatin1String(kRowMime))) return false;
    bool ok = false;
    const int from = data->data(QLatin1String(kRowMime)).toInt(&ok);
    if (!ok) return false;
    // Dropped between rows: before that row; on a row: just before it; on the empty area: last.
    int before = row >= 0 ? row : (parent.isValid() ? parent.row() : rowCount());
    beginResetModel();
    state().vocab.moveNode(from, before, ws_.app.state);
    endResetModel();
    // The move is done here; reporting no drop keeps the view from removing the dragged row again.
    return false;
}

void TVocabularyModel::setFilterText(const QString& text) {
    filter_ = text.toLower();
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1));
}

void TVocabularyModel::reload() {
    beginResetModel();
    endResetModel();
}

TVocabularyPage::TVocabularyPage(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("VocabularyPage"));
    TWorkspace& ws = form.workspace();
    TAppContext& app = ws.app;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QToolBar(this);
    layout->addWidget(bar);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("VocabFilter"));
    filter_->setPlaceholderText(app.uiText(QStringLiteral("Vocab_Filter")));
    filter_->setClearButtonEnabled(true);
    layout->addWidget(filter_);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("VocabTree"));
    model_ = new TVocabularyModel(ws, this);
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setHeaderHidden(true);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setDragDropMode(QAbstractItemView::InternalMove);
    view_->setDefaultDropAction(Qt::MoveAction);
    view_->setDragEnabled(true);
    view_->setAcceptDrops(true);
    view_->setDropIndicatorShown(true);
    layout->addWidget(view_);

    addAction(QStringLiteral("Hint_VocabSel"), QStringLiteral("Hint_VocabSel"), [this, &ws] {
        vocabularyState(ws).vocab.setAllChecked(true, ws.app.state);
        model_->reload();
    });
    addAction(QStringLiteral("Hint_VocabUnSel"), QStringLiteral("Hint_VocabUnSel"), [this, &ws] {
        vocabularyState(ws).vocab.setAllChecked(false, ws.app.state);
        model_->reload();
    });
    addAction(QStringLiteral("Hint_SortSST"), QStringLiteral("Hint_SortSST"), [this, &ws] {
        vocabularyState(ws).vocab.sortByName(ws.app.state);
        model_->reload();
    });
    // The lists and this tree follow the commands through the change channel.
    addAction(QStringLiteral("menu_Applysst"), QStringLiteral("Hint_applySst"), [this, &ws] {
        if (focusCurrent()) applySelectedDictionary(ws);
    });
    addAction(QStringLiteral("Hint_VocabReload"), QStringLiteral("Hint_VocabReload"), [&ws] { reloadVocabulary(ws); });
    addAction(QStringLiteral("Hint_OpenUserFolder"), QStringLiteral("Hint_OpenUserFolder"),
              [&ws] { QDesktopServices::openUrl(QUrl::fromLocalFile(ws.app.state.userDictionaryFolder)); });
    addAction(QStringLiteral("menu_deletesst"), QStringLiteral("menu_deletesst"), [this, &ws] {
        if (focusCurrent()) deleteFocusedDictionary(ws);
    });
    addAction(QStringLiteral("Hint_mergeSST"), QStringLiteral("Hint_mergeSST"), [&ws] { devWorkInProgress(ws); });
    addAction(QStringLiteral("menu_editsst"), QStringLiteral("Hint_OpenEditSST"), [&ws] {
        devWorkInProgress(ws);
    })->setVisible(false);
    addAction(QStringLiteral("Set_Options"), QStringLiteral("Set_Options"),
              [this] { form_.runCommand(QStringLiteral("Set_Options")); });
    for (QAction* a : actions_)
        bar->addAction(a);
    view_->addActions(actions_);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(filter_, &QLineEdit::textChanged, model_, &TVocabularyModel::setFilterText);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateActions(); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { focusCurrent(); });
    updateActions();
}

QAction* TVocabularyPage::addAction(const QString& key, const QString& hintKey, const std::function<void()>& run) {
    const TAppContext& app = form_.workspace().app;
    auto* a = new QAction(app.uiText(key), this);
    a->setObjectName(key);
    a->setToolTip(app.uiText(hintKey));
    a->setStatusTip(app.uiText(hintKey));
    connect(a, &QAction::triggered, this, [this, run] {
        form_.runGuarded(run);
        updateActions();
    });
    actions_ << a;
    return a;
}

QAction* TVocabularyPage::action(const QString& key) const {
    for (QAction* a : actions_)
        if (a->objectName() == key) return a;
    return nullptr;
}

bool TVocabularyPage::focusCurrent() {
    TVocabularyState& vs = vocabularyState(form_.workspace());
    const QModelIndex current = view_->currentIndex();
    vs.focusedNode = current.isValid() ? current.row() : -1;
    return vs.focusedNode >= 0;
}

void TVocabularyPage::updateActions() {
    const TAppState& st = form_.workspace().app.state;
    const bool selected = view_->selectionModel() && view_->selectionModel()->hasSelection();
    if (QAction* a = action(QStringLiteral("menu_Applysst"))) a->setEnabled(selected && st.fileLoaded());
    if (QAction* a = action(QStringLiteral("Hint_mergeSST"))) a->setEnabled(selected);
    if (QAction* a = action(QStringLiteral("menu_deletesst"))) a->setEnabled(selected);
}

void installVocabularyPage(TForm1& form) {
    TWorkspace& ws = form.workspace();
    QWidget* host = form.vocabularyPage();
    auto* page = new TVocabularyPage(form, host);
    if (!host->layout()) new QVBoxLayout(host);
    host->layout()->addWidget(page);

    const auto command = [&form](const char* key, std::function<void()> run) {
        form.setCommand(QLatin1String(key), std::move(run));
    };
    TChangeChannel& changes = form.changes();
    QObject::connect(&changes, &TChangeChannel::vocabularyReplaced, page, [page] {
        page->model()->reload();
        page->updateActions();
    });
    QObject::connect(&changes, &TChangeChannel::documentReplaced, page, [page] {
        page->model()->reload();
        page->updateActions();
    });
    scanVocabulary(ws);

    command("Save_SST", [&ws] { ws.saveDocumentDictionary(); });
    command("Trans_Exact", [&ws] { translateExact(ws); });
    command("LoadStringAsDest", [&ws] { pickStringsAsDest(ws); });
    command("Open", [&ws] { ws.openDocument(documentKind("customDictionary"), {}, false); });
    command("Save", [&ws] { ws.saveCustomDictionary(); });
    command("Menu_AddField", [&form, &ws] {
        const int list = form.listPages() ? qBound(0, form.listPages()->currentIndex(), 2) : 0;
        tSkyStr* added = addCustomEntry(ws, list);
        // The new entry is the last row of its page: focus it and show it.
        if (added) {
            if (QTreeView* view = form.listView(list)) {
                QAbstractItemModel* model = view->model();
                for (int row = 0; model && row < model->rowCount(); ++row) {
                    const QModelIndex index = model->index(row, 0);
                    if (form.listProxy(list)->entryAt(index) == added) {
                        view->setCurrentIndex(index);
                        view->scrollTo(index, QAbstractItemView::PositionAtTop);
                        break;
                    }
                }
            }
            form.runCommand(QStringLiteral("Menu_Edit"));
        }
    });
    command("SaveCurrentXml", [&ws] { pickXmlExport(ws); });
    command("LoadCurrentXML", [&ws] { pickXmlImport(ws); });
}
