#include "graves/map/ui/ploticondelegate.h"

#include "graves/map/ui/plotmapmodel.h"
#include "graves/map/ui/plotpictures.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int margin = 3;
// The four-digit number and its "号" end every key.
constexpr qsizetype numberLength = 5;

} // namespace

QSize PlotIconDelegate::cellSize(const QFontMetrics& metrics) {
    // Eight Chinese characters a line: an area name of that length and a row up to "999排0000号"
    // show whole. Measured as a text, so that the font that has the characters is the one measured.
    return {metrics.horizontalAdvance(QString(8, QChar(u'墓'))) + 2 * margin,
            PlotPictures::size + 2 * metrics.height() + 3 * margin};
}

QStringList PlotIconDelegate::captionLines(const QModelIndex& index, const QFontMetrics& metrics,
                                           int cellWidth) {
    const int width = cellWidth - 2 * margin;
    const QString area = index.data(PlotMapModel::AreaRole).toString();
    const QString place = index.data(Qt::DisplayRole).toString().mid(area.size());
    // With rows the place reads row + "排" + number + "号"; the "排" stays with the number.
    const QString tail = place.right(place.size() > numberLength ? numberLength + 1 : numberLength);
    const QString row = place.left(place.size() - tail.size());
    return {metrics.elidedText(area, Qt::ElideMiddle, width),
            metrics.elidedText(row, Qt::ElideRight, width - metrics.horizontalAdvance(tail)) + tail};
}

void PlotIconDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.showDecorationSelected = true; // the selection covers the caption as well as the picture
    item.text.clear();
    item.icon = QIcon();
    const QStyle* style = item.widget ? item.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, item.widget);

    const QRect cell = item.rect.adjusted(margin, margin, -margin, -margin);
    const QPixmap picture = index.data(Qt::DecorationRole).value<QPixmap>();
    painter->drawPixmap(cell.center().x() - PlotPictures::size / 2, cell.top(), picture);

    painter->save();
    const bool selected = item.state & QStyle::State_Selected;
    painter->setPen(
        item.palette.color(item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
                           selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(item.font);
    QRect line(cell.left(), cell.top() + PlotPictures::size + margin, cell.width(),
               item.fontMetrics.height());
    for (const QString& text : captionLines(index, item.fontMetrics, item.rect.width())) {
        painter->drawText(line, Qt::AlignHCenter | Qt::AlignTop, text);
        line.translate(0, line.height());
    }
    painter->restore();
}

QSize PlotIconDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return cellSize(option.fontMetrics);
}
