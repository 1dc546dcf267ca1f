// String list model and proxy: cell texts, marks and colours from the list rules; filtering and sorting by them.
#include "ui/QUILL_stringListModel.h"

#include "workspace/QUILL_workspace.h"

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

const QIcon& bigWarningIcon() {
    static const QIcon icon = markIcon(QStringLiteral("!"), QColor(0xC6, 0x28, 0x28));
    return icon;
}

const QIcon& orphanIcon() {
    static const QIcon icon = markIcon(QStringLiteral("?"), QColor(0x80, 0x80, 0x80));
    return icon;
}

// The tag, length and line-break errors of a translation.
const QIcon& translationErrorIcon() {
    static const QIcon icon = markIcon(QStringLiteral("\u00B6"), QColor(0xC6, 0x28, 0x28));
    return icon;
}

const QIcon& duplicateIcon() {
    static const QIcon icon = markIcon(QStringLiteral("="), QColor(0x6a, 0x3d, 0x9a));
    return icon;
}

} // namespace

TStringListModel::TStringListModel(TWorkspace& ws, int listIndex, QObject* parent)
    : QAbstractTableModel(parent), ws_(ws), listIndex_(listIndex),
      fixedFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    fixedFont_.setPointSizeF(qMax(7.0, fixedFont_.pointSizeF() - 1.0));
}

int TStringListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(ws_.loadedLists[listIndex_].size());
}

int TStringListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

tSkyStr* TStringListModel::entryAt(int row) const {
    const auto& list = ws_.loadedLists[listIndex_];
    if (row < 0 || static_cast<size_t>(row) >= list.size()) return nullptr;
    if (order_.size() == list.size()) row = order_[static_cast<size_t>(row)];
    return list[static_cast<size_t>(row)].get();
}

void TStringListModel::sortBy(int column, Qt::SortOrder order) {
    const auto& list = ws_.loadedLists[listIndex_];
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const tSkyStr*> previous;
    previous.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        previous.push_back(entryAt(index.row()));

    order_ = sortedListOrder(ws_, list, column, order == Qt::DescendingOrder);
    sortColumn_ = column;

    // Keep selections and the current row on their entries.
    QHash<const tSkyStr*, int> rowOf;
    if (!before.isEmpty()) {
        rowOf.reserve(static_cast<qsizetype>(order_.size()));
        for (size_t r = 0; r < order_.size(); ++r)
            rowOf.insert(list[static_cast<size_t>(order_[r])].get(), static_cast<int>(r));
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = rowOf.value(previous[static_cast<size_t>(i)], -1);
        after.append(row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant TStringListModel::data(const QModelIndex& index, int role) const {
    const tSkyStr* e = entryAt(index.row());
    if (!e) return {};
    return stringCellData(ws_, *e, index.column(), role, lineHeight_, fixedFont_);
}

QVariant stringCellData(const TWorkspace& ws, const tSkyStr& entry, int column, int role, int lineHeight,
                        const QFont& fixedFont) {
    const tSkyStr* e = &entry;
    using I = sStrInternalParam;
    switch (role) {
    case Qt::DisplayRole:
        return listCellText(ws, *e, column);
    case Qt::ToolTipRole:
        if (column == 1) return e->gS;
        if (column == 2) return e->gTrans;
        return {};
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
        if ((column == 1 && listCellText(ws, *e, 1).startsWith(QLatin1Char('[')) && e->gS.trimmed().isEmpty()) ||
            (column == 2 && e->gTrans.trimmed().isEmpty()))
            return QBrush(QColor(0x80, 0x80, 0x80));
        return {};
    case Qt::BackgroundRole:
        // Validated rows green, partial (incomplete) rows amber; the view alternates the others.
        if (e->hasParam(sStrParam::incompleteTrans)) return QBrush(QColor(0xFF, 0xF1, 0xD0));
        if (e->hasParam(sStrParam::validated)) return QBrush(QColor(0xDD, 0xF5, 0xDD));
        return {};
    case Qt::TextAlignmentRole:
        if (column == 3) return int(Qt::AlignHCenter | Qt::AlignTop);
        return int(Qt::AlignLeft | Qt::AlignTop);
    case Qt::DecorationRole:
        if (column == 1 && (e->hasFlag(I::pexWarn) || e->hasFlag(I::pexNoTrans))) return warningIcon();
        if (column == 1 && e->hasFlag(I::nTrans)) return duplicateIcon();
        if (column == 2 &&
            (e->hasFlag(I::aliasError) || e->hasFlag(I::stringSizeError) || e->hasFlag(I::stringCRError)))
            return translationErrorIcon();
        if (column == 3 && e->hasFlag(I::bigWarning)) return bigWarningIcon();
        if (column == 3 && e->hasFlag(I::Warning)) return warningIcon();
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
    beginResetModel();
    order_.clear();
    sortColumn_ = -1;
    endResetModel();
}

void TStringListModel::refreshAll() {
    if (rowCount() == 0) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, kListColumnCount - 1));
}

TStringListProxy::TStringListProxy(TWorkspace& ws, TStringListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), ws_(ws), source_(source) {
    setSourceModel(source);
    setDynamicSortFilter(false);
}

void TStringListProxy::setFilter(const rListFilter& filter) {
    filter_ = filter;
    invalidateFilter();
}

tSkyStr* TStringListProxy::entryAt(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid()) return nullptr;
    return source_->entryAt(mapToSource(proxyIndex).row());
}

bool TStringListProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const tSkyStr* e = source_->entryAt(sourceRow);
    return e && entryPassesFilter(filter_, *e);
}
