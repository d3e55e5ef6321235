#include "columbarium/ui/nichepictures.h"

#include "columbarium/nichevocabulary.h"

#include <QPainter>
#include <QPixmapCache>

namespace NichePictures {

int numberFor(const QString& style) {
    return style == NicheStyle::single ? 1 : 2;
}

QPixmap pixmap(int number) {
    const QString cacheKey = QStringLiteral("pelu-niche-%1").arg(number);
    QPixmap picture;
    if (QPixmapCache::find(cacheKey, &picture))
        return picture;
    picture = QPixmap(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // The niche: a stone frame with a dark opening.
    painter.setPen(QPen(QColor(110, 90, 60), 1.5));
    painter.setBrush(QColor(225, 205, 160));
    painter.drawRoundedRect(QRectF(2, 2, size - 4, size - 4), 3, 3);
    painter.setBrush(QColor(70, 60, 50));
    painter.drawRect(QRectF(6, 6, size - 12, size - 12));
    // The urns: one in the middle, or two side by side.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 150, 90));
    const QList<qreal> centres =
        number == 1 ? QList<qreal>{size / 2.0} : QList<qreal>{size / 2.0 - 5, size / 2.0 + 5};
    const qreal width = number == 1 ? 10 : 8;
    for (const qreal centre : centres) {
        painter.drawRoundedRect(QRectF(centre - width / 2, 12, width, 13), 2, 2);
        painter.drawRect(QRectF(centre - width / 4, 10, width / 2, 3));
    }
    painter.end();
    QPixmapCache::insert(cacheKey, picture);
    return picture;
}

} // namespace NichePictures
