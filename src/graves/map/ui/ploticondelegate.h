#pragma once

#include <QStyledItemDelegate>

// Draws a plot on the map: its picture with the key below in two lines, the area over the row and
// number. A line too long for the cell is shortened in its name only; the row's "排" and the number
// with its "号" always show, as the number is what the clerk looks for.
class PlotIconDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The cell every plot gets, for the map's font.
    static QSize cellSize(const QFontMetrics& metrics);
    // The caption of a map item as drawn in a cell `cellWidth` pixels wide.
    static QStringList captionLines(const QModelIndex& index, const QFontMetrics& metrics, int cellWidth);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
