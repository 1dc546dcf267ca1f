// The model of one string list view over TWorkspace::loadedLists[i], and its filter-and-sort proxy.
#pragma once

#include "workspace/QUILL_listRules.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QSortFilterProxyModel>
#include <vector>

class TWorkspace;
class tSkyStr;

// A cell of a string row as every string list draws it (text, marks, colours, fonts) for `role`; lineHeight is the
// pixel height of one text line, fixedFont the font of the id and editor id columns.
QVariant stringCellData(const TWorkspace& ws, const tSkyStr& entry, int column, int role, int lineHeight,
                        const QFont& fixedFont);

// A top-level row per entry of the list; an entry that owns a plugin string id other fields share has those fields'
// entries (TWorkspace::sharedIdList) as child rows.
class TStringListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The row-end markers of a row (bits of TRowMarker), for the delegate.
    static constexpr int kMarkersRole = Qt::UserRole + 1;
    // True on a child row.
    static constexpr int kChildRole = Qt::UserRole + 2;

    TStringListModel(TWorkspace& ws, int listIndex, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int listIndex() const { return listIndex_; }
    // The entry of a top-level row, or nullptr.
    tSkyStr* entryAt(int row) const;
    // The list position of a top-level row's entry, or -1.
    int listPosition(int row) const;
    // The entry of a row of either level, or nullptr.
    tSkyStr* entryAt(const QModelIndex& index) const;
    // The entries sharing the string id of a top-level entry (its child rows).
    std::vector<tSkyStr*> childrenOf(const tSkyStr& owner) const;
    // The list was replaced: every row anew, in the list's order.
    void reload();
    // The entries are about to be freed: no rows until reload.
    void detach();
    // The list is reordered or extended in place between these two: the rows (and the view's selection and current
    // row) stay on their entries, under the header's sort when one is set.
    void beginReorder();
    void endReorder();
    // Reorders the rows by a column under the lists' sort rule (the list itself keeps its order).
    void sortBy(int column, Qt::SortOrder order);
    int sortColumn() const { return sortColumn_; }
    // Entries changed (texts, scores, flags): the next sort computes its order anew.
    void forgetSortOrder();
    // The top-level row of the entry at `position` of the list shows changed texts or marks.
    void positionChanged(int position);
    // Row height in pixels for a number of lines (the view tells the model its font).
    void setLineHeight(int pixels) { lineHeight_ = pixels; }
    // Whether every row is one line high (a view of uniform row heights then never measures a row's texts).
    void setOneLineRows(bool oneLine) { oneLineRows_ = oneLine; }
    // Lists longer than this show one line a row: a view of rows of their own heights measures every row between
    // the top and a row it goes to (a first Ctrl+End took 4 s on 100,000 rows, 14 s on a million).
    static constexpr size_t kOneLineRowsAbove = 20000;

private:
    TWorkspace& ws_;
    int listIndex_;
    int lineHeight_ = 18;
    bool oneLineRows_ = false;
    int sortColumn_ = -1;
    // A child row's index carries its parent's position in the list + 1 (0 on a top-level row), which a sort keeps.
    int rowOfListPosition(int position) const;
    // Sets order_ (and rowOf_) for the sort column, or clears them for the list's own order.
    void computeOrder(Qt::SortOrder order);
    // The persistent rows' entries (their list positions when the list stays as it is) before a change of order, and
    // their rows after it.
    void capturePersistentRows(bool listStays);
    void restorePersistentRows();
    std::vector<int> order_; // row -> list index; empty while unsorted
    std::vector<int> rowOf_; // list index -> row, beside order_
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    // The ascending order of the last sort while the entries stay as they are: the sort column clicked again shows
    // it reversed instead of sorting 1,000,000 rows anew.
    int keptColumn_ = -1;
    std::vector<int> keptAscending_;
    bool detached_ = false;
    QModelIndexList persistentBefore_;
    std::vector<const tSkyStr*> persistentEntries_; // top-level row's entry, or a child row's owner
    std::vector<int> persistentPositions_;          // the same as list positions
    QFont fixedFont_;
};

class TStringListProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    TStringListProxy(TWorkspace& ws, TStringListModel* source, QObject* parent = nullptr);
    void setFilter(const rListFilter& filter);
    // The filter of the rows a reload of the model is about to bring (the reload maps them).
    void setFilterForReload(const rListFilter& filter) {
        filter_ = filter;
        shown_.clear();
    }
    const rListFilter& filter() const { return filter_; }
    TStringListModel* listModel() const { return source_; }
    // Whether the filter still answers for the entry at `position` what it answered when the rows were mapped (the
    // row then stays as it is, shown or hidden).
    bool answerStands(int position, const tSkyStr& entry) const;
    tSkyStr* entryAt(const QModelIndex& proxyIndex) const;
    // Every sort request (QTreeView::sortByColumn included) goes to the model's sort under the lists' rule: the
    // proxy never sorts by the cell texts, which put a score of "10+" before "4" and held on through later sorts.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TWorkspace& ws_;
    TStringListModel* source_;
    rListFilter filter_;
    // Whether the filter shows the entry at each list position, as the rows are asked (kNotAsked before): a sort
    // maps every row anew, and reading 1,000,000 entries again in the new order took most of a header click.
    static constexpr int8_t kNotAsked = -1;
    mutable std::vector<int8_t> shown_;
};
