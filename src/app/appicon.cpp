#include "app/appicon.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace AppIcon {

void paint(QPainter& painter, const QRectF& square) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());
    painter.scale(square.width() / 64.0, square.height() / 64.0);
    painter.setPen(Qt::NoPen);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    QLinearGradient sky(0, 2, 0, 62);
    sky.setColorAt(0, QColor(0xdc, 0xe9, 0xf2));
    sky.setColorAt(1, QColor(0xf4, 0xf1, 0xe6));
    painter.fillPath(tile, sky);
    painter.setClipPath(tile);

    QPainterPath hill;
    hill.moveTo(0, 50);
    hill.cubicTo(18, 40, 44, 40, 64, 48);
    hill.lineTo(64, 64);
    hill.lineTo(0, 64);
    hill.closeSubpath();
    painter.fillPath(hill, QColor(0x4f, 0x8a, 0x5b));

    // The headstone: a rounded top over a plinth, with two engraved lines.
    QPainterPath stone;
    stone.moveTo(20, 48);
    stone.lineTo(20, 24);
    stone.arcTo(QRectF(20, 12, 24, 24), 180, -180);
    stone.lineTo(44, 48);
    stone.closeSubpath();
    painter.fillPath(stone, QColor(0x8d, 0x94, 0x9a));
    painter.fillRect(QRectF(16, 47, 32, 6), QColor(0x6b, 0x72, 0x78));
    painter.fillRect(QRectF(26, 26, 12, 2.5), QColor(0xe8, 0xea, 0xec));
    painter.fillRect(QRectF(28, 32, 8, 2.5), QColor(0xe8, 0xea, 0xec));

    // A small cypress beside it.
    QPainterPath tree;
    tree.moveTo(52, 18);
    tree.cubicTo(58, 30, 58, 42, 52, 48);
    tree.cubicTo(46, 42, 46, 30, 52, 18);
    painter.fillPath(tree, QColor(0x2f, 0x5d, 0x3a));
    painter.restore();
}

QIcon icon() {
    QIcon result;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paint(painter, QRectF(0, 0, size, size));
        painter.end();
        result.addPixmap(QPixmap::fromImage(image));
    }
    return result;
}

} // namespace AppIcon
