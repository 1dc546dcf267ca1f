// Rows of string entries (the edit dialog's record, dialogue and search lists) drawn as the main lists draw them,
// and the one-line-a-row view that shows them.
#pragma once

#include <QAbstractTableModel>
#include <QTreeView>
#include <functional>

class TWorkspace;
class tSkyStr;

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

// A view over its own rows model, one selected row at a time; the columns at `textColumns` (positions among
// `columns`) share the width.
class TEntryRowsView : public QTreeView {
public:
    TEntryRowsView(TWorkspace& ws, QList<int> columns, const QList<int>& textColumns, const QString& name,
                   QWidget* parent);
    TEntryRowsModel& rows() const { return *rows_; }
    tSkyStr* entryAt(const QModelIndex& index) const { return rows_->entryAt(index.row()); }
    // Makes `row` current and selected, scrolled into view; nothing for -1.
    void selectRow(int row);

private:
    TEntryRowsModel* rows_;
};
