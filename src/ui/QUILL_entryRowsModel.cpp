// The edit dialog's lists of entries: the cells come from the main lists' rules, one line a row.
#include "ui/QUILL_entryRowsModel.h"

#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_listRules.h"
#include "workspace/QUILL_workspace.h"

#include <QFontDatabase>
#include <QHeaderView>

TEntryRowsModel::TEntryRowsModel(TWorkspace& ws, QList<int> columns, QObject* parent)
    : QAbstractTableModel(parent), ws_(ws), columns_(std::move(columns)) {}

void TEntryRowsModel::setRows(QList<tSkyStr*> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TEntryRowsModel::refresh() {
    if (!rows_.isEmpty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int TEntryRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TEntryRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TEntryRowsModel::data(const QModelIndex& index, int role) const {
    const tSkyStr* e = entryAt(index.row());
    if (!e) return {};
    const int column = columns_.value(index.column());
    if (role == Qt::DisplayRole && column == static_cast<int>(TListColumn::id) && idOf) return idOf(*e);
    if (role == Qt::SizeHintRole) return {}; // one line per row here
    static const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return stringCellData(ws_, *e, column, role, 18, fixed);
}

QVariant TEntryRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return ws_.app.uiText(listColumnKey(columns_.value(section)));
}

TEntryRowsView::TEntryRowsView(TWorkspace& ws, QList<int> columns, const QList<int>& textColumns, const QString& name,
                               QWidget* parent)
    : QTreeView(parent), rows_(new TEntryRowsModel(ws, std::move(columns), this)) {
    setObjectName(name);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setModel(rows_);
    header()->setStretchLastSection(false);
    for (int c = 0; c < rows_->columnCount(); ++c)
        header()->setSectionResizeMode(c, textColumns.contains(c) ? QHeaderView::Stretch : QHeaderView::Interactive);
}

void TEntryRowsView::selectRow(int row) {
    if (row < 0) return;
    const QModelIndex index = rows_->index(row, 0);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}
