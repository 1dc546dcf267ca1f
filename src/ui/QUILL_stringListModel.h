// The model of one string list view over TWorkspace::loadedLists[i], and its filter-and-sort proxy.
#pragma once

#include "workspace/QUILL_listRules.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QSortFilterProxyModel>
#include <vector>

class TWorkspace;
class tSkyStr;

// A cell of a string row as every string list draws it (text, marks, colours, fonts) for `role`; lineHeight is the
// pixel height of one text line, fixedFont the font of the id and editor id columns.
QVariant stringCellData(const TWorkspace& ws, const tSkyStr& entry, int column, int role, int lineHeight,
                        const QFont& fixedFont);

class TStringListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TStringListModel(TWorkspace& ws, int listIndex, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int listIndex() const { return listIndex_; }
    // The entry of a source row, or nullptr.
    tSkyStr* entryAt(int row) const;
    // Call after the list was replaced or reordered.
    void reload();
    // Call after entries changed in place (statuses, translations).
    void refreshAll();
    // Reorders the rows by a column under the lists' sort rule (the list itself keeps its order).
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return sortColumn_; }
    // Row height in pixels for a number of lines (the view tells the model its font).
    void setLineHeight(int pixels) { lineHeight_ = pixels; }

private:
    TWorkspace& ws_;
    int listIndex_;
    int lineHeight_ = 18;
    int sortColumn_ = -1;
    std::vector<int> order_; // row -> list index; empty while unsorted
    QFont fixedFont_;
};

class TStringListProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    TStringListProxy(TWorkspace& ws, TStringListModel* source, QObject* parent = nullptr);
    void setFilter(const rListFilter& filter);
    const rListFilter& filter() const { return filter_; }
    TStringListModel* listModel() const { return source_; }
    tSkyStr* entryAt(const QModelIndex& proxyIndex) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TWorkspace& ws_;
    TStringListModel* source_;
    rListFilter filter_;
};
