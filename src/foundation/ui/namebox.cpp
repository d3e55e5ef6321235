#include "foundation/ui/namebox.h"

#include "foundation/ui/comboentry.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

NameBox::NameBox(const Controls& controls, QString addText, QString removeText, std::function<void()> save)
    : QObject(controls.box), m_controls(controls), m_addText(std::move(addText)),
      m_removeText(std::move(removeText)), m_save(std::move(save)) {
    // Installed after the window's Enter-as-Tab filter, so this one sees Enter in the box first.
    m_controls.box->installEventFilter(this);
}

bool NameBox::isOpen() const {
    return !m_controls.box->isHidden();
}

void NameBox::open() {
    m_controls.box->clear();
    setOpen(true);
    m_controls.box->setFocus();
}

void NameBox::close(const std::optional<QString>& added) {
    setOpen(false);
    if (!added)
        return;
    m_controls.list->addItem(*added);
    m_controls.list->setCurrentIndex(m_controls.list->count() - 1);
}

void NameBox::dropChosen() {
    removeCurrentComboEntry(m_controls.list);
    const QSignalBlocker quiet(m_controls.list);
    m_controls.list->setCurrentIndex(-1);
}

void NameBox::setOpen(bool open) {
    m_controls.list->setVisible(!open);
    m_controls.box->setVisible(open);
    m_controls.add->setText(open ? QStringLiteral("保存") : m_addText);
    m_controls.remove->setText(open ? QStringLiteral("取消") : m_removeText);
}

bool NameBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_save();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
