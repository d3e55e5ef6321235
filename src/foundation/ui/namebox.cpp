#include "foundation/ui/namebox.h"

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
        setOpen(false);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
