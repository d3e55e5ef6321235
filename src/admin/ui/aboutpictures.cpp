#include "admin/ui/aboutpictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace AboutPictures {

QPixmap emblem(int size) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(2, 2, size - 4, size - 4);
    QLinearGradient sky(0, 0, 0, size);
    sky.setColorAt(0, QColor(214, 230, 240));
    sky.setColorAt(1, QColor(236, 242, 236));
    painter.setBrush(sky);
    painter.setPen(QPen(QColor(96, 128, 96), 2));
    painter.drawEllipse(frame);
    QPainterPath clip;
    clip.addEllipse(frame);
    painter.setClipPath(clip);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(150, 184, 142));
    painter.drawEllipse(QPointF(size * 0.5, size * 1.15), size * 0.8, size * 0.45);
    painter.setBrush(QColor(70, 110, 70));
    const double x = size * 0.5;
    painter.drawPolygon(QPolygonF{QPointF(x, size * 0.18), QPointF(x + size * 0.11, size * 0.72),
                                  QPointF(x - size * 0.11, size * 0.72)});
    return picture;
}

QPixmap thanksBand(int which, int width) {
    static const char* const lines[2][5] = {
        {"鸣  谢", "感谢各位工作人员", "多年来的辛勤付出", "感谢提出宝贵意见的", "每一位同事"},
        {"感谢各界朋友", "对本单位工作的", "理解与支持", "愿逝者安息", "生者安康"},
    };
    const int lineHeight = 60;
    const int height = lineHeight * 8;
    QPixmap picture(width, height);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 0, height);
    shade.setColorAt(0, which == 0 ? QColor(236, 242, 236) : QColor(226, 236, 244));
    shade.setColorAt(1, which == 0 ? QColor(226, 236, 244) : QColor(236, 242, 236));
    painter.fillRect(picture.rect(), shade);
    QFont font = painter.font();
    font.setPointSize(16);
    painter.setFont(font);
    painter.setPen(QColor(60, 80, 60));
    for (int i = 0; i < 5; ++i)
        painter.drawText(QRect(0, lineHeight * (i + 2), width, lineHeight), Qt::AlignCenter,
                         QString::fromUtf8(lines[which][i]));
    return picture;
}

} // namespace AboutPictures
