// The string lists' cell painter: the cells as the model gives them, and at the row's right end the small markers for
// a translation's alias, size and line-break errors and for the quality checks' problems.
#pragma once

#include <QStyledItemDelegate>

class QTreeView;

class TStringListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TStringListDelegate(QTreeView* view);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The markers' rectangles at the right end of `cell`, in the order alias, size, line break, problem, for those of
    // `markers` (TRowMarker bits) that are set.
    static QList<QRect> markerRects(const QRect& cell, int markers);

private:
    void paintCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QTreeView* view_;
};
