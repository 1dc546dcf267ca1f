// String list model and proxy: cell texts, marks and colours from the list rules; filtering and sorting by them.
#include "ui/QUILL_stringListModel.h"

#include "workspace/QUILL_workspace.h"

#include <QBrush>
#include <QColor>
#include <QFontDatabase>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSize>
#include <algorithm>
#include <cmath>

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

    std::vector<int> indices(list.size());
    for (size_t i = 0; i < indices.size(); ++i)
        indices[i] = static_cast<int>(i);
    // One key per row, computed once: text columns case-folded, the score column as the weight the comparer
    // gives it, ids as numbers. Rows without an editor id sort before the others.
    const TWorkMode mode = ws_.app.state.WorkMode;
    const bool textIds =
        mode == TWorkMode::Esp || mode == TWorkMode::StringsEspLayout || mode == TWorkMode::MCMTranslate;
    if (column == 3 || (column == 0 && !textIds)) {
        std::vector<long long> keys(list.size());
        for (size_t i = 0; i < list.size(); ++i) {
            const tSkyStr& e = *list[i];
            if (column == 0) {
                keys[i] = e.id;
                continue;
            }
            const long long weight = static_cast<long long>(std::trunc(e.LDResult)) * 65535 +
                                     (e.hasFlag(sStrInternalParam::Warning) ? 4095 : 0) +
                                     (e.hasFlag(sStrInternalParam::nTrans) ? 255 : 0) +
                                     (e.hasParam(sStrParam::incompleteTrans) ? 15 : 0);
            keys[i] = -weight; // the comparer puts the higher weight first
        }
        std::stable_sort(indices.begin(), indices.end(),
                         [&keys](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
    } else {
        std::vector<QString> keys(list.size());
        for (size_t i = 0; i < list.size(); ++i) {
            const tSkyStr& e = *list[i];
            const QString text = column == 1   ? e.gS
                                 : column == 2 ? e.gTrans
                                 : column == 4 ? e.getEdidName()
                                               : listCellText(ws_, e, 0);
            keys[i] = text.toCaseFolded();
        }
        std::stable_sort(indices.begin(), indices.end(),
                         [&keys](int a, int b) { return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)]; });
    }
    if (order == Qt::DescendingOrder) std::reverse(indices.begin(), indices.end());
    order_ = std::move(indices);
    sortColumn_ = column;

    // Keep selections and the current row on their entries.
    std::vector<int> rowOf(list.size());
    for (size_t r = 0; r < order_.size(); ++r)
        rowOf[static_cast<size_t>(order_[r])] = static_cast<int>(r);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const tSkyStr* e = previous[static_cast<size_t>(i)];
        int listRow = -1;
        for (size_t k = 0; e && k < list.size() && listRow < 0; ++k)
            if (list[k].get() == e) listRow = static_cast<int>(k);
        after.append(listRow < 0 ? QModelIndex() : index(rowOf[static_cast<size_t>(listRow)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QVariant TStringListModel::data(const QModelIndex& index, int role) const {
    const tSkyStr* e = entryAt(index.row());
    if (!e) return {};
    const int column = index.column();
    using I = sStrInternalParam;
    switch (role) {
    case Qt::DisplayRole:
        return listCellText(ws_, *e, column);
    case Qt::ToolTipRole:
        if (column == 1) return e->gS;
        if (column == 2) return e->gTrans;
        return {};
    case Qt::SizeHintRole:
        if (column != 1) return {};
        return QSize(-1, 4 + lineHeight_ * listRowLines(*e, ws_.app.state.VTSimpleLine2));
    case Qt::FontRole: {
        if (column == 0 || column == 4) return fixedFont_;
        if (!e->hasFlag(I::isDeleted) && !(e->hasFlag(I::isOrphean) && (column == 1 || column == 2))) return {};
        QFont f;
        f.setStrikeOut(e->hasFlag(I::isDeleted));
        f.setItalic(e->hasFlag(I::isOrphean) && (column == 1 || column == 2));
        return f;
    }
    case Qt::ForegroundRole:
        if ((column == 1 && listCellText(ws_, *e, 1).startsWith(QLatin1Char('[')) && e->gS.trimmed().isEmpty()) ||
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

bool TStringListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const tSkyStr* a = source_->entryAt(left.row());
    const tSkyStr* b = source_->entryAt(right.row());
    if (!a || !b) return false;
    return compareListEntries(ws_, *a, *b, left.column()) < 0;
}
