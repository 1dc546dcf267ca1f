// String list model and proxy: cell texts, marks and colours from the list rules; filtering and sorting by them.
#include "ui/QUILL_stringListModel.h"

#include "plugin/QUILL_espStrings.h"
#include "workspace/QUILL_workspace.h"
#include "workspace/QUILL_wsChecks.h"
#include "workspace/QUILL_wsCompare.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <algorithm>

namespace {

// Row marks drawn from a glyph, so that no image files are needed.
QIcon markIcon(const QString& glyph, const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

const QIcon& warningIcon() {
    static const QIcon icon = markIcon(QStringLiteral("!"), QColor(0xE0, 0x80, 0x20));
    return icon;
}

// A script string the game never shows as text (pexNoTrans): not to be translated.
const QIcon& doNotTranslateIcon() {
    static const QIcon icon = markIcon(QStringLiteral("\u00D7"), QColor(0x55, 0x60, 0x70));
    return icon;
}

const QIcon& bigWarningIcon() {
    static const QIcon icon = markIcon(QStringLiteral("!"), QColor(0xC6, 0x28, 0x28));
    return icon;
}

// A partial string of a field whose older texts may have paired wrongly (a warning pair), after a plugin compare.
const QIcon& compareWarningIcon() {
    static const QIcon icon = markIcon(QStringLiteral("?"), QColor(0xE0, 0x80, 0x20));
    return icon;
}

const QIcon& orphanIcon() {
    static const QIcon icon = markIcon(QStringLiteral("?"), QColor(0x80, 0x80, 0x80));
    return icon;
}

const QIcon& duplicateIcon() {
    static const QIcon icon = markIcon(QStringLiteral("="), QColor(0x6a, 0x3d, 0x9a));
    return icon;
}

} // namespace

TStringListModel::TStringListModel(TWorkspace& ws, int listIndex, QObject* parent)
    : QAbstractItemModel(parent), ws_(ws), listIndex_(listIndex),
      fixedFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    fixedFont_.setPointSizeF(qMax(7.0, fixedFont_.pointSizeF() - 1.0));
}

std::vector<tSkyStr*> TStringListModel::childrenOf(const tSkyStr& owner) const {
    if (!owner.hasFlag(sStrInternalParam::toLocalizedSharedID) || ws_.sharedIdList.empty()) return {};
    return sharedChildrenOf(ws_.sharedIdList, owner);
}

int TStringListModel::rowOfListPosition(int position) const {
    if (rowOf_.size() == ws_.loadedLists[listIndex_].size()) return rowOf_[static_cast<size_t>(position)];
    return position;
}

QModelIndex TStringListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= kListColumnCount) return {};
    if (!parent.isValid()) {
        if (row >= rowCount()) return {};
        return createIndex(row, column, quintptr(0));
    }
    if (parent.internalId() != 0) return {}; // children have no children
    const auto& list = ws_.loadedLists[listIndex_];
    const int position = order_.size() == list.size() ? order_[static_cast<size_t>(parent.row())] : parent.row();
    return createIndex(row, column, quintptr(position) + 1);
}

QModelIndex TStringListModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    return createIndex(rowOfListPosition(static_cast<int>(child.internalId() - 1)), 0, quintptr(0));
}

int TStringListModel::rowCount(const QModelIndex& parent) const {
    if (detached_) return 0;
    if (!parent.isValid()) return static_cast<int>(ws_.loadedLists[listIndex_].size());
    if (parent.internalId() != 0 || parent.column() != 0) return 0;
    const tSkyStr* owner = entryAt(parent.row());
    return owner ? static_cast<int>(childrenOf(*owner).size()) : 0;
}

bool TStringListModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return rowCount() > 0;
    // A view asks this of every row it lays out: without shared ids no entry need be read to answer.
    if (parent.internalId() != 0 || parent.column() != 0 || ws_.sharedIdList.empty()) return false;
    const tSkyStr* owner = entryAt(parent.row());
    // Most entries share nothing: the flag answers before any lookup.
    return owner && owner->hasFlag(sStrInternalParam::toLocalizedSharedID) && !childrenOf(*owner).empty();
}

int TStringListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() && parent.column() != 0 ? 0 : kListColumnCount;
}

tSkyStr* TStringListModel::entryAt(int row) const {
    const auto& list = ws_.loadedLists[listIndex_];
    if (detached_ || row < 0 || static_cast<size_t>(row) >= list.size()) return nullptr;
    if (order_.size() == list.size()) row = order_[static_cast<size_t>(row)];
    return list[static_cast<size_t>(row)].get();
}

tSkyStr* TStringListModel::entryAt(const QModelIndex& index) const {
    if (detached_ || !index.isValid() || index.model() != this) return nullptr;
    if (index.internalId() == 0) return entryAt(index.row());
    const auto& list = ws_.loadedLists[listIndex_];
    const size_t position = static_cast<size_t>(index.internalId() - 1);
    if (position >= list.size()) return nullptr;
    const std::vector<tSkyStr*> children = childrenOf(*list[position]);
    return index.row() < static_cast<int>(children.size()) ? children[static_cast<size_t>(index.row())] : nullptr;
}

void TStringListModel::computeOrder(Qt::SortOrder order) {
    const auto& list = ws_.loadedLists[listIndex_];
    sortOrder_ = order;
    if (sortColumn_ < 0) {
        order_.clear();
        rowOf_.clear();
        return;
    }
    if (sortColumn_ != keptColumn_ || keptAscending_.size() != list.size()) {
        keptAscending_ = sortedListOrder(ws_, list, sortColumn_, false);
        keptColumn_ = sortColumn_;
    }
    order_ = keptAscending_;
    if (order == Qt::DescendingOrder) std::reverse(order_.begin(), order_.end());
    rowOf_.assign(order_.size(), 0);
    for (size_t r = 0; r < order_.size(); ++r)
        rowOf_[static_cast<size_t>(order_[r])] = static_cast<int>(r);
}

void TStringListModel::positionChanged(int position) {
    const int row = rowOfListPosition(position);
    emit dataChanged(index(row, 0), index(row, kListColumnCount - 1));
}

int TStringListModel::listPosition(int row) const {
    const size_t size = ws_.loadedLists[listIndex_].size();
    if (detached_ || row < 0 || static_cast<size_t>(row) >= size) return -1;
    return order_.size() == size ? order_[static_cast<size_t>(row)] : row;
}

void TStringListModel::capturePersistentRows(bool listStays) {
    persistentBefore_ = persistentIndexList();
    persistentEntries_.clear();
    persistentPositions_.clear();
    for (const QModelIndex& index : persistentBefore_) {
        // A top-level row's list position, or a child row's owner's.
        const int position = index.internalId() == 0 ? listPosition(index.row()) : int(index.internalId() - 1);
        if (listStays)
            persistentPositions_.push_back(position);
        else
            persistentEntries_.push_back(position >= 0 ? ws_.loadedLists[listIndex_][size_t(position)].get() : nullptr);
    }
}

void TStringListModel::restorePersistentRows() {
    const auto& list = ws_.loadedLists[listIndex_];
    // The entries' new positions in a list reordered in place.
    QHash<const tSkyStr*, int> positionOf;
    if (!persistentEntries_.empty()) {
        positionOf.reserve(static_cast<qsizetype>(list.size()));
        for (size_t p = 0; p < list.size(); ++p)
            positionOf.insert(list[p].get(), static_cast<int>(p));
    }
    QModelIndexList after;
    after.reserve(persistentBefore_.size());
    for (qsizetype i = 0; i < persistentBefore_.size(); ++i) {
        const QModelIndex& before = persistentBefore_[i];
        const size_t k = static_cast<size_t>(i);
        const int position =
            k < persistentPositions_.size() ? persistentPositions_[k] : positionOf.value(persistentEntries_[k], -1);
        if (position < 0) {
            after.append(QModelIndex());
        } else if (before.internalId() == 0) {
            after.append(index(rowOfListPosition(position), before.column()));
        } else {
            // A child row: the same row under its owner, wherever the owner went.
            after.append(createIndex(before.row(), before.column(), quintptr(position) + 1));
        }
    }
    changePersistentIndexList(persistentBefore_, after);
    persistentBefore_.clear();
    persistentEntries_.clear();
    persistentPositions_.clear();
}

void TStringListModel::sortBy(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    capturePersistentRows(true);
    sortColumn_ = column;
    computeOrder(order);
    // Keep selections and the current row on their entries.
    restorePersistentRows();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TStringListModel::forgetSortOrder() {
    keptColumn_ = -1;
    keptAscending_ = {};
}

void TStringListModel::beginReorder() {
    forgetSortOrder();
    if (detached_) return;
    emit layoutAboutToBeChanged();
    capturePersistentRows(false);
}

void TStringListModel::endReorder() {
    if (detached_) return;
    computeOrder(sortOrder_);
    restorePersistentRows();
    emit layoutChanged();
}

void TStringListModel::detach() {
    forgetSortOrder();
    beginResetModel();
    detached_ = true;
    order_.clear();
    rowOf_.clear();
    endResetModel();
}

QVariant TStringListModel::data(const QModelIndex& index, int role) const {
    const tSkyStr* e = entryAt(index);
    if (!e) return {};
    const int column = index.column();
    if (role == Qt::SizeHintRole && oneLineRows_) return QSize(-1, 4 + lineHeight_);
    if (index.internalId() == 0) return stringCellData(ws_, *e, column, role, lineHeight_, fixedFont_);
    // A child row: a further field sharing its owner's string id.
    switch (role) {
    case Qt::DisplayRole:
        if (column == 1 || column == 2) return QStringLiteral("[shared String]");
        return listCellText(ws_, *e, column);
    case Qt::ToolTipRole: {
        // A child row shows the text it shares, its owner's.
        const tSkyStr* shown = entryAt(parent(index));
        if (!shown) return {};
        if (column == 1) return shown->gS;
        if (column == 2) return shown->gTrans;
        return {};
    }
    case kChildRole:
        return true;
    case Qt::SizeHintRole:
        return {};
    case Qt::ForegroundRole:
        return QBrush(QColor(0x70, 0x60, 0x90));
    case Qt::BackgroundRole:
        return QBrush(QColor(0xEE, 0xEA, 0xF6));
    default:
        return stringCellData(ws_, *e, column, role, lineHeight_, fixedFont_);
    }
}

QVariant stringCellData(const TWorkspace& ws, const tSkyStr& entry, int column, int role, int lineHeight,
                        const QFont& fixedFont) {
    const tSkyStr* e = &entry;
    using I = sStrInternalParam;
    switch (role) {
    case Qt::DisplayRole:
        return listCellText(ws, *e, column);
    case Qt::ToolTipRole: {
        if (column == 1) return e->gS;
        if (column != 2) return {};
        // The translation with the problems the checks found in it.
        const QStringList problems = problemLines(ws.app, problemsOf(ws, *e), false);
        return problems.isEmpty() ? e->gTrans : e->gTrans + QStringLiteral("\n\n") + problems.join(QLatin1Char('\n'));
    }
    case TStringListModel::kMarkersRole:
        return listRowMarkers(ws, *e);
    case TStringListModel::kChildRole:
        return false;
    case Qt::SizeHintRole:
        if (column != 1) return {};
        return QSize(-1, 4 + lineHeight * listRowLines(*e, ws.app.state.VTSimpleLine2));
    case Qt::FontRole: {
        if (column == 0 || column == 4) return fixedFont;
        if (!e->hasFlag(I::isDeleted) && !(e->hasFlag(I::isOrphean) && (column == 1 || column == 2))) return {};
        QFont f;
        f.setStrikeOut(e->hasFlag(I::isDeleted));
        f.setItalic(e->hasFlag(I::isOrphean) && (column == 1 || column == 2));
        return f;
    }
    case Qt::ForegroundRole:
        // Empty and blank texts grey; a translation that is still the source a lighter grey-blue, so that an
        // untranslated row never reads as a translated one.
        if ((column == 1 && listCellText(ws, *e, 1).startsWith(QLatin1Char('[')) && e->gS.trimmed().isEmpty()) ||
            (column == 2 && e->gTrans.trimmed().isEmpty()))
            return QBrush(QColor(0x80, 0x80, 0x80));
        if (column == 2 && listTranslationIsSource(*e)) return QBrush(QColor(0x8C, 0x96, 0xA8));
        return {};
    case Qt::BackgroundRole: {
        // Partial (incomplete) rows amber over validated green over the score band's shade (child rows are
        // lavender); the view alternates the others.
        if (e->hasParam(sStrParam::incompleteTrans)) return QBrush(QColor(0xFF, 0xF1, 0xD0));
        if (e->hasParam(sStrParam::validated)) return QBrush(QColor(0xDD, 0xF5, 0xDD));
        // Close suggestions pale blue, far ones pale rose, by band.
        static const QColor bands[8] = {QColor(0xDC, 0xEC, 0xFB), QColor(0xE2, 0xEE, 0xF8), QColor(0xE9, 0xF0, 0xF4),
                                        QColor(0xF0, 0xF0, 0xEE), QColor(0xF6, 0xEE, 0xE6), QColor(0xF9, 0xE9, 0xE0),
                                        QColor(0xFB, 0xE3, 0xDB), QColor(0xFC, 0xDC, 0xD6)};
        const int band = listScoreBand(*e);
        if (band > 0) return QBrush(bands[band - 1]);
        return {};
    }
    case Qt::TextAlignmentRole:
        if (column == 3) return int(Qt::AlignHCenter | Qt::AlignTop);
        return int(Qt::AlignLeft | Qt::AlignTop);
    case Qt::DecorationRole:
        // "Translate with care" (pexWarn) the warning mark, "do not translate" (pexNoTrans) its own.
        if (column == 1 && e->hasFlag(I::pexWarn)) return warningIcon();
        if (column == 1 && e->hasFlag(I::pexNoTrans)) return doNotTranslateIcon();
        if (column == 1 && e->hasFlag(I::nTrans)) return duplicateIcon();
        if (column == 3 && e->hasFlag(I::bigWarning)) return bigWarningIcon();
        if (column == 3 && e->hasFlag(I::Warning)) return warningIcon();
        if (column == 3 && isCompareWarning(ws, *e)) return compareWarningIcon();
        if (column == 4 && e->hasFlag(I::isOrphean)) return orphanIcon();
        return {};
    default:
        return {};
    }
}

QVariant TStringListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return ws_.app.uiText(listColumnKey(section));
}

void TStringListModel::reload() {
    forgetSortOrder();
    beginResetModel();
    detached_ = false;
    order_.clear();
    rowOf_.clear();
    sortColumn_ = -1;
    endResetModel();
}

TStringListProxy::TStringListProxy(TWorkspace& ws, TStringListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), ws_(ws), source_(source) {
    setSourceModel(source);
    setDynamicSortFilter(false);
    // A sort keeps every entry where it is in the list, and so the answers; anything else moves entries.
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this](const QList<QPersistentModelIndex>&, QAbstractItemModel::LayoutChangeHint hint) {
                if (hint != QAbstractItemModel::VerticalSortHint) shown_.clear();
            });
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { shown_.clear(); });
}

void TStringListProxy::setFilter(const rListFilter& filter) {
    filter_ = filter;
    shown_.clear();
    // A long list's rows are mapped anew in one pass (the selection and the current row stay on their entries when
    // still shown): telling the views which rows came and went, as invalidateFilter does, moves the rest of the
    // mapping for every run of rows that changed, which froze the window for 18 s on a keystroke in 1,000,000
    // strings. A list of common size keeps doing so: an index of a row still shown then stays valid for its holder.
    if (static_cast<size_t>(source_->rowCount()) > TStringListModel::kOneLineRowsAbove)
        invalidate();
    else
        invalidateFilter();
}

tSkyStr* TStringListProxy::entryAt(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid()) return nullptr;
    return source_->entryAt(mapToSource(proxyIndex));
}

void TStringListProxy::sort(int column, Qt::SortOrder order) {
    source_->sortBy(column, order);
}

bool TStringListProxy::answerStands(int position, const tSkyStr& entry) const {
    if (position < 0 || static_cast<size_t>(position) >= shown_.size()) return false;
    const int8_t shown = shown_[static_cast<size_t>(position)];
    return shown != kNotAsked && (shown != 0) == entryPassesFilter(filter_, entry);
}

bool TStringListProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid()) return true; // child rows follow their parent
    const int position = source_->listPosition(sourceRow);
    if (position < 0) return false;
    const size_t size = ws_.loadedLists[source_->listIndex()].size();
    if (shown_.size() != size) shown_.assign(size, kNotAsked);
    int8_t& shown = shown_[static_cast<size_t>(position)];
    if (shown == kNotAsked) {
        const tSkyStr* e = source_->entryAt(sourceRow);
        shown = e && entryPassesFilter(filter_, *e) ? 1 : 0;
    }
    return shown != 0;
}
