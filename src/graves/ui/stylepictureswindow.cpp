#include "graves/ui/stylepictureswindow.h"

#include "foundation/database.h"
#include "foundation/prompter.h"
#include "ui_stylepictureswindow.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace {

// What a slot shows for a file that is no longer there or is no picture.
QPixmap unreadable(QSize size) {
    QPixmap picture(size);
    picture.fill(QColor(0xee, 0xee, 0xee));
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(0xb0, 0x30, 0x30), 2));
    painter.drawLine(QPoint(0, 0), QPoint(size.width(), size.height()));
    painter.drawLine(QPoint(size.width(), 0), QPoint(0, size.height()));
    painter.setPen(Qt::black);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("图片无法读取"));
    return picture;
}

// The picture of `path` fitted into `size`; the placeholder when it cannot be read.
QPixmap fitted(const QString& path, QSize size) {
    const QPixmap picture(path);
    if (picture.isNull())
        return unreadable(size);
    return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

StylePicturesWindow::StylePicturesWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database), m_ui(std::make_unique<Ui::mdpic_frm>()) {
    m_ui->setupUi(this);
    m_slots = {
        {m_ui->Frame1_1, m_ui->Image1_1, m_ui->memo1_1}, {m_ui->Frame1_2, m_ui->Image1_2, m_ui->memo1_2},
        {m_ui->Frame1_3, m_ui->Image1_3, m_ui->memo1_3}, {m_ui->Frame1_4, m_ui->Image1_4, m_ui->memo1_4},
        {m_ui->Frame1_5, m_ui->Image1_5, m_ui->memo1_5}, {m_ui->Frame1_6, m_ui->Image1_6, m_ui->memo1_6}};
    for (const Slot& slot : m_slots)
        slot.image->installEventFilter(this);
    m_ui->Image2->installEventFilter(this);
    for (const auto& [styleLetter, name] : StylePicturesService::styles())
        m_ui->Tab1->setTabData(m_ui->Tab1->addTab(name), styleLetter);
    showStyle();

    on(m_ui->Tab1, &QTabBar::currentChanged, &StylePicturesWindow::showStyle);
    on(m_ui->Command1, &QPushButton::clicked, &StylePicturesWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &StylePicturesWindow::showStyle);
}

StylePicturesWindow::~StylePicturesWindow() = default;

bool StylePicturesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui->Image2 && event->type() == QEvent::MouseButtonDblClick) {
        shrink();
        return true;
    }
    for (const Slot& slot : m_slots) {
        if (watched != slot.image)
            continue;
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            choosePicture(slot);
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            enlarge(slot);
            return true;
        }
    }
    return TaskWindow::eventFilter(watched, event);
}

QString StylePicturesWindow::letter() const {
    return m_ui->Tab1->tabData(m_ui->Tab1->currentIndex()).toString();
}

void StylePicturesWindow::showStyle() {
    for (const Slot& slot : m_slots) {
        slot.image->clear();
        slot.image->setToolTip(QString());
        slot.caption->clear();
    }
    for (const StylePicture& picture : m_service.load(letter())) {
        if (picture.slot < 1 || picture.slot > m_slots.size())
            continue;
        const Slot& slot = m_slots.at(picture.slot - 1);
        setPicture(slot, picture.path);
        slot.caption->setText(picture.caption);
    }
}

void StylePicturesWindow::setPicture(const Slot& slot, const QString& path) {
    slot.image->setPixmap(fitted(path, slot.image->minimumSize()));
    slot.image->setToolTip(path);
}

void StylePicturesWindow::choosePicture(const Slot& slot) {
    const QString path = m_context.prompter.openFileName(
        QStringLiteral("选择图片"), QFileInfo(slot.image->toolTip()).absolutePath(),
        QStringLiteral("图片文件 (*.bmp *.jpg *.jpeg *.gif *.png)"));
    if (!path.isEmpty())
        setPicture(slot, path);
}

void StylePicturesWindow::save() {
    QList<StylePicture> pictures;
    for (int index = 0; index < m_slots.size(); ++index) {
        const Slot& slot = m_slots.at(index);
        if (!slot.image->toolTip().isEmpty())
            pictures << StylePicture{index + 1, slot.image->toolTip(), slot.caption->text()};
    }
    showOutcome(m_service.save(letter(), pictures));
}

void StylePicturesWindow::enlarge(const Slot& slot) {
    if (slot.image->toolTip().isEmpty())
        return;
    m_ui->Image2->setPixmap(fitted(slot.image->toolTip(), m_ui->Image2->minimumSize()));
    for (const Slot& each : m_slots)
        each.frame->hide();
    m_ui->Command1->hide();
    m_ui->Command2->hide();
    m_ui->Image2->show();
}

void StylePicturesWindow::shrink() {
    m_ui->Image2->hide();
    for (const Slot& slot : m_slots)
        slot.frame->show();
    m_ui->Command1->show();
    m_ui->Command2->show();
}
