#include "foundation/ui/backgroundwindow.h"

#include "foundation/database.h"
#include "foundation/ui/windowhost.h"
#include "foundation/unitinfo.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>

BackgroundWindow::BackgroundWindow(Database& database, QWidget* parent)
    : QWidget(parent), m_database(database), m_picture(new QLabel(this)), m_unitName(new QLabel(this)) {
    setObjectName(QStringLiteral("Frm_back"));
    m_picture->setObjectName(QStringLiteral("Image2"));
    m_picture->setScaledContents(true);
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

void BackgroundWindow::reload() {
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
    placeUnitName();
}

void BackgroundWindow::showPicture(const QString& path) {
    QPixmap picture;
    if (!path.isEmpty() && path != QStringLiteral("无"))
        picture.load(path);
    m_picture->setPixmap(picture.isNull() ? builtInPicture() : picture);
}

void BackgroundWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_picture->setGeometry(rect());
    placeUnitName();
}

void BackgroundWindow::placeUnitName() {
    m_unitName->move((width() - m_unitName->width()) / 2, twipsToPixels(1500));
}
