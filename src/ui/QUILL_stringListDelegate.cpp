// String list cells and their row-end markers.
#include "ui/QUILL_stringListDelegate.h"

#include "ui/QUILL_stringListModel.h"
#include "workspace/QUILL_listRules.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QTextLayout>
#include <QTreeView>

namespace {

constexpr int kMarkerSize = 13;
constexpr int kMarkerGap = 2;

struct rMarkerLook {
    int bit;
    const char* glyph;
    QColor colour;
};
constexpr int kMarkerCount = 4;
const rMarkerLook kMarkers[kMarkerCount] = {{rowMarkerAlias, "A", QColor(0x6a, 0x3d, 0x9a)},
                                            {rowMarkerSize, "L", QColor(0xC6, 0x28, 0x28)},
                                            {rowMarkerLineBreak, "\u00B6", QColor(0xD0, 0x70, 0x10)},
                                            {rowMarkerProblem, "!", QColor(0xAD, 0x14, 0x57)}};

// The logical index of the rightmost column the header shows.
int lastShownColumn(const QHeaderView* header) {
    for (int visual = header->count() - 1; visual >= 0; --visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical)) return logical;
    }
    return -1;
}

} // namespace

TStringListDelegate::TStringListDelegate(QTreeView* view) : QStyledItemDelegate(view), view_(view) {}

QList<QRect> TStringListDelegate::markerRects(const QRect& cell, int markers) {
    QList<QRect> out;
    int right = cell.right() - kMarkerGap;
    for (int i = kMarkerCount - 1; i >= 0; --i) {
        if (!(markers & kMarkers[i].bit)) continue;
        out.prepend(QRect(right - kMarkerSize + 1, cell.top() + kMarkerGap, kMarkerSize, kMarkerSize));
        right -= kMarkerSize + kMarkerGap;
    }
    return out;
}

void TStringListDelegate::paintCell(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::WrapText) || opt.text.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Wrapped texts show as many whole lines as the row holds, the last one ending in "…" when text remains: a row
    // is never cut through a line.
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    area.adjust(2, 1, -2, 0);
    if (area.width() <= 0) return;
    QTextLayout layout(text, opt.font);
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    const QFontMetrics metrics(opt.font);
    struct rLine {
        int start, length;
    };
    QList<rLine> lines;
    int y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        if (y + metrics.lineSpacing() > area.height() && !lines.isEmpty()) break;
        lines.append({line.textStart(), line.textLength()});
        y += metrics.lineSpacing();
    }
    layout.endLayout();
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(area);
    for (int i = 0; i < lines.size(); ++i) {
        QString shown = text.mid(lines[i].start, lines[i].length);
        if (i == lines.size() - 1 && lines[i].start + lines[i].length < text.size())
            shown = metrics.elidedText(text.mid(lines[i].start), Qt::ElideRight, area.width());
        painter->drawText(QPoint(area.left(), area.top() + i * metrics.lineSpacing() + metrics.ascent()), shown);
    }
    painter->restore();
}

void TStringListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int markers = index.data(TStringListModel::kMarkersRole).toInt();
    paintCell(painter, option, index);
    if (!markers || index.column() != lastShownColumn(view_->header())) return;
    // The markers cover the cell's end, on a strip of the row's own background so no text shows through them.
    const QList<QRect> rects = markerRects(option.rect, markers);
    QRect strip(rects.first().left() - kMarkerGap, option.rect.top(),
                option.rect.right() - rects.first().left() + 1 + kMarkerGap, kMarkerSize + 2 * kMarkerGap);
    const QVariant background = index.data(Qt::BackgroundRole);
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(strip, selected                          ? option.palette.highlight()
                             : background.canConvert<QBrush>() ? background.value<QBrush>()
                                                               : option.palette.base());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = painter->font();
    font.setBold(true);
    font.setPixelSize(kMarkerSize - 3);
    painter->setFont(font);
    int r = 0;
    for (const rMarkerLook& look : kMarkers) {
        if (!(markers & look.bit)) continue;
        const QRect box = rects[r++];
        painter->setPen(Qt::NoPen);
        painter->setBrush(look.colour);
        painter->drawRoundedRect(box, 3, 3);
        painter->setPen(Qt::white);
        painter->drawText(box, Qt::AlignCenter, QString::fromUtf8(look.glyph));
    }
    painter->restore();
}
