#include "foundation/ui/windowhost.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <stdexcept>

WindowHost::WindowHost(QWidget* mainWindow, QMdiArea* area) : m_mainWindow(mainWindow), m_area(area) {}

QRect WindowHost::placement(QSize mainOuter, QSize client, QSize child, Placement placement) {
    if (placement.rule == Placement::Rule::FullWidthAtTop)
        return {0, 0, client.width(), client.height() - twipsToPixels(1200)};
    const int up = placement.rule == Placement::Rule::AboveCentre ? twipsToPixels(400) : 0;
    return {QPoint((mainOuter.width() - child.width()) / 2, (mainOuter.height() - child.height()) / 2 - up),
            child};
}

QWidget* WindowHost::open(const QString& name, const std::function<QWidget*()>& create, Placement placement) {
    if (QMdiSubWindow* frame = frameOf(name)) {
        place(frame, placement);
        frame->showNormal();
        m_area->setActiveSubWindow(frame);
        return frame->widget();
    }
    QWidget* window = create();
    if (window->objectName() != name) {
        const QString given = window->objectName();
        delete window;
        throw std::logic_error(
            QStringLiteral("task window %1 is named %2 by its form").arg(name, given).toStdString());
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* frame = m_area->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // Task windows carry no icon of their own in the frame's corner.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    frame->setWindowIcon(QIcon(blank));
    frame->adjustSize();
    place(frame, placement);
    frame->show();
    m_area->setActiveSubWindow(frame);
    return window;
}

QWidget* WindowHost::find(const QString& name) const {
    QMdiSubWindow* frame = frameOf(name);
    return frame ? frame->widget() : nullptr;
}

QList<QWidget*> WindowHost::openWindows() const {
    QList<QWidget*> windows;
    for (QMdiSubWindow* frame : m_area->subWindowList())
        if (frame->widget())
            windows << frame->widget();
    return windows;
}

void WindowHost::close(QWidget* window) {
    for (QMdiSubWindow* frame : m_area->subWindowList()) {
        if (frame->widget() && (frame->widget() == window || frame->widget()->isAncestorOf(window))) {
            frame->close();
            return;
        }
    }
}

void WindowHost::close(const QString& name) {
    if (QMdiSubWindow* frame = frameOf(name))
        frame->close();
}

void WindowHost::closeAll() {
    m_area->closeAllSubWindows();
}

void WindowHost::cascade() {
    m_area->cascadeSubWindows();
}

QMdiSubWindow* WindowHost::frameOf(const QString& name) const {
    for (QMdiSubWindow* frame : m_area->subWindowList())
        if (frame->widget() && frame->widget()->objectName() == name)
            return frame;
    return nullptr;
}

void WindowHost::place(QMdiSubWindow* frame, Placement placement) {
    const QRect spot = WindowHost::placement(m_mainWindow->frameGeometry().size(), m_area->viewport()->size(),
                                             frame->frameGeometry().size(), placement);
    if (spot.size() != frame->frameGeometry().size())
        frame->resize(spot.size());
    // Never above or left of the client area, so the title bar stays within reach.
    frame->move(std::max(0, spot.x()), std::max(0, spot.y()));
}
