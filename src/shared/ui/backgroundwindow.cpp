#include "shared/ui/backgroundwindow.h"

#include "foundation/database.h"
#include "foundation/ui/windowhost.h"
#include "shared/unitinfo.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

BackgroundWindow::BackgroundWindow(Database& database, QWidget* parent)
    : QWidget(parent), m_database(database), m_picture(new QLabel(this)), m_title(new QLabel(this)),
      m_foot(new QLabel(this)), m_unitName(new QLabel(this)) {
    setObjectName(QStringLiteral("Frm_back"));
    m_picture->setObjectName(QStringLiteral("Image2"));
    m_picture->setScaledContents(true);
    m_title->setObjectName(QStringLiteral("Img_topic"));
    m_title->setPixmap(titlePicture());
    m_title->adjustSize();
    m_foot->setObjectName(QStringLiteral("Img_zz"));
    m_foot->setPixmap(footPicture());
    m_foot->adjustSize();
    m_unitName->setObjectName(QStringLiteral("Label1"));
    m_unitName->setAttribute(Qt::WA_TranslucentBackground);
    reload();
}

QPixmap BackgroundWindow::builtInPicture() {
    QPixmap picture(800, 600);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0.0, QColor(214, 230, 240));
    sky.setColorAt(0.7, QColor(236, 242, 236));
    sky.setColorAt(1.0, QColor(176, 204, 168));
    painter.fillRect(picture.rect(), sky);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(150, 184, 142));
    painter.drawEllipse(QPointF(200, 640), 420, 150);
    painter.setBrush(QColor(128, 168, 124));
    painter.drawEllipse(QPointF(640, 660), 380, 140);
    return picture;
}

QPixmap BackgroundWindow::titlePicture() {
    // A pale ribbon between two cypresses.
    QPixmap picture(480, 96);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ribbon(0, 0, 480, 0);
    ribbon.setColorAt(0.0, QColor(255, 255, 255, 0));
    ribbon.setColorAt(0.5, QColor(255, 255, 255, 170));
    ribbon.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ribbon);
    painter.drawRoundedRect(QRectF(20, 30, 440, 36), 18, 18);
    painter.setPen(QPen(QColor(96, 128, 96), 2));
    painter.drawLine(QPointF(70, 48), QPointF(410, 48));
    painter.setPen(Qt::NoPen);
    for (const qreal x : {40.0, 440.0}) {
        painter.setBrush(QColor(70, 110, 74));
        painter.drawPolygon(QPolygonF({QPointF(x, 6), QPointF(x + 16, 78), QPointF(x - 16, 78)}));
        painter.setBrush(QColor(110, 86, 60));
        painter.drawRect(QRectF(x - 3, 78, 6, 12));
    }
    return picture;
}

QPixmap BackgroundWindow::footPicture() {
    // A low band of leaves.
    QPixmap picture(600, 40);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(96, 128, 96), 1.5));
    painter.drawLine(QPointF(10, 20), QPointF(590, 20));
    painter.setPen(Qt::NoPen);
    for (int leaf = 0; leaf < 12; ++leaf) {
        const qreal x = 35 + leaf * 48;
        painter.setBrush(leaf % 2 ? QColor(128, 168, 124) : QColor(96, 140, 100));
        painter.drawEllipse(QRectF(x, leaf % 2 ? 8 : 20, 26, 12));
    }
    return picture;
}

void BackgroundWindow::reload() {
    load(1500);
}

void BackgroundWindow::showSaved() {
    load(1200);
}

void BackgroundWindow::load(int unitNameTop) {
    m_unitNameTop = unitNameTop;
    // Like the office expects of its background, a broken setting falls back quietly to the built-in look.
    UnitInfo info;
    try {
        info = UnitInfo::load(m_database);
    } catch (const DatabaseError&) {
    }
    showPicture(info.picturePath);

    m_unitName->setText(info.unitName);
    QFont font = m_unitName->font();
    if (!info.fontName.isEmpty())
        font.setFamily(info.fontName);
    if (info.fontSize > 0)
        font.setPointSizeF(info.fontSize);
    m_unitName->setFont(font);
    if (const auto colour = UnitInfo::colourOf(info.colourName)) {
        QPalette palette = m_unitName->palette();
        palette.setColor(QPalette::WindowText, *colour);
        m_unitName->setPalette(palette);
    }
    m_unitName->adjustSize();
    arrange();
}

void BackgroundWindow::showPicture(const QString& path) {
    QPixmap picture;
    if (!path.isEmpty() && path != QStringLiteral("无"))
        picture.load(path);
    m_picture->setPixmap(picture.isNull() ? builtInPicture() : picture);
}

void BackgroundWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void BackgroundWindow::arrange() {
    m_picture->setGeometry(rect());
    m_title->move((width() - m_title->width()) / 2, (height() - m_title->height() - twipsToPixels(2000)) / 2);
    m_foot->move((width() - m_foot->width()) / 2, height() - twipsToPixels(2000));
    m_unitName->move((width() - m_unitName->width()) / 2, twipsToPixels(m_unitNameTop));
}
