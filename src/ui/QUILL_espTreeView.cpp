// The EspTree page: the plugin tree model, its view, and the read-only record definitions page.
#include "ui/QUILL_espTreeView.h"

#include "plugin/QUILL_espDefinition.h"
#include "plugin/QUILL_espTree.h"
#include "ui/QUILL_changeChannel.h"
#include "ui/QUILL_mainWindow.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsPlugin.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTreeView>

TEspTreeModel::TEspTreeModel(TWorkspace& ws, QObject* parent) : QAbstractItemModel(parent), ws_(ws) {}

const tPluginNode* TEspTreeModel::rootNode() const {
    return !detached_ && ws_.plugin() ? &ws_.plugin()->tree.root : nullptr;
}

void TEspTreeModel::detach() {
    if (detached_) return;
    beginResetModel();
    detached_ = true;
    shown_.clear();
    endResetModel();
}

void TEspTreeModel::reload() {
    beginResetModel();
    detached_ = false;
    shown_.clear();
    if (const tPluginNode* root = rootNode()) {
        // Only nodes with hidden children need a list of their own; a plain plugin has none.
        std::function<void(const tPluginNode&)> scan = [&](const tPluginNode& node) {
            bool anyHidden = false;
            for (const auto& child : node.children)
                anyHidden = anyHidden || child->hidden;
            if (anyHidden) {
                std::vector<tPluginNode*>& list = shown_[&node];
                for (const auto& child : node.children)
                    if (!child->hidden) list.push_back(child.get());
            }
            for (const auto& child : node.children)
                if (!child->hidden && !child->children.empty()) scan(*child);
        };
        scan(*root);
    }
    endResetModel();
}

const std::vector<tPluginNode*>* TEspTreeModel::filtered(const tPluginNode* node) const {
    const auto it = shown_.constFind(node);
    return it == shown_.constEnd() ? nullptr : &*it;
}

tPluginNode* TEspTreeModel::visibleChild(const tPluginNode* node, int row) const {
    if (!node || row < 0) return nullptr;
    if (const auto* list = filtered(node)) return row < static_cast<int>(list->size()) ? (*list)[row] : nullptr;
    return row < static_cast<int>(node->children.size()) ? node->children[static_cast<size_t>(row)].get() : nullptr;
}

int TEspTreeModel::visibleRow(const tPluginNode* node) const {
    if (const auto* list = filtered(node->parent)) {
        const auto it = std::find(list->begin(), list->end(), node);
        return it == list->end() ? 0 : static_cast<int>(it - list->begin());
    }
    return node->row;
}

tPluginNode* TEspTreeModel::nodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<tPluginNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TEspTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0) return {};
    const tPluginNode* owner = parent.isValid() ? nodeAt(parent) : rootNode();
    tPluginNode* child = visibleChild(owner, row);
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex TEspTreeModel::parent(const QModelIndex& child) const {
    const tPluginNode* node = nodeAt(child);
    if (!node || !node->parent || node->parent == rootNode()) return {};
    tPluginNode* up = node->parent;
    return createIndex(visibleRow(up), 0, up);
}

int TEspTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const tPluginNode* node = parent.isValid() ? nodeAt(parent) : rootNode();
    if (!node) return 0;
    if (const auto* list = filtered(node)) return static_cast<int>(list->size());
    return static_cast<int>(node->children.size());
}

int TEspTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TEspTreeModel::data(const QModelIndex& index, int role) const {
    const tPluginNode* node = nodeAt(index);
    if (!node) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->text();
    case Qt::FontRole:
        if (node->dimmed()) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    case Qt::ForegroundRole:
        return node->dimmed() ? QVariant(QColor(0xC0, 0xC0, 0xC0)) : QVariant();
    default:
        return {};
    }
}

tSkyStr* firstRecordEntry(const trecord& record) {
    for (const tField& field : record.fList)
        if (field.params.has(sfieldParam::isString) && field.sk) return field.sk;
    return nullptr;
}

namespace {

struct TEspTreePageState {
    TEspTreeModel* model = nullptr;
    std::function<void(trecord*, tSkyStr*)> activate;
};

TEspTreePageState& pageState(TForm1& form) {
    static QHash<TForm1*, TEspTreePageState> states;
    return states[&form];
}

} // namespace

void setEspTreeActivation(TForm1& form, std::function<void(trecord*, tSkyStr*)> handler) {
    pageState(form).activate = std::move(handler);
}

void installEspTreeView(TForm1& form) {
    TWorkspace& ws = form.workspace();
    loadRecordDefinitions(ws.state());
    if (QPlainTextEdit* defs = form.recordsDefEditor()) {
        defs->setReadOnly(true);
        defs->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        defs->setPlainText(ws.state().recordDefinitionLines.join(QLatin1Char('\n')));
    }
    QWidget* page = form.espTreePage();
    if (!page) return;
    auto* view = new QTreeView(page);
    view->setObjectName(QStringLiteral("EspTreeView"));
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* model = new TEspTreeModel(ws, view);
    view->setModel(model);
    if (page->layout()) page->layout()->addWidget(view);
    pageState(form).model = model;
    QObject::connect(&form, &TForm1::operationStarted, model, &TEspTreeModel::detach);
    QObject::connect(&form, &TForm1::operationEnded, model, &TEspTreeModel::reload);
    QObject::connect(&form.changes(), &TChangeChannel::documentAboutToClose, model, &TEspTreeModel::detach);
    QObject::connect(&form.changes(), &TChangeChannel::documentReplaced, model, &TEspTreeModel::reload);
    QObject::connect(view, &QTreeView::doubleClicked, view, [&form, model](const QModelIndex& index) {
        const tPluginNode* node = model->nodeAt(index);
        trecord* record = node ? node->record() : nullptr;
        if (!record) return;
        tSkyStr* entry = firstRecordEntry(*record);
        if (entry && pageState(form).activate) pageState(form).activate(record, entry);
    });
    model->reload();
}
