#include "foundation/ui/windowhost.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <stdexcept>
#include <utility>

namespace {

// A window its form names otherwise is deleted and refused.
void checkName(QWidget* window, const QString& name) {
    if (window->objectName() == name)
        return;
    const QString given = window->objectName();
    delete window;
    throw std::logic_error(
        QStringLiteral("task window %1 is named %2 by its form").arg(name, given).toStdString());
}

} // namespace

WindowHost::WindowHost(QWidget* mainWindow, QMdiArea* area) : m_mainWindow(mainWindow), m_area(area) {
    // One maximised window must not make every window activated or opened after it maximised too.
    m_area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    QObject::connect(m_area, &QMdiArea::subWindowActivated, m_listener.get(), [this](QMdiSubWindow* frame) {
        // The frame raises itself only after telling of its activation.
        QMetaObject::invokeMethod(
            m_listener.get(),
            [this, frame = QPointer<QMdiSubWindow>(frame)] { bringForwardWhatWasOpenedFrom(frame); },
            Qt::QueuedConnection);
    });
}

QRect WindowHost::placement(QSize mainOuter, QSize client, QSize child, Placement placement) {
    if (placement.rule == Placement::Rule::FullWidthAtTop)
        return {0, 0, client.width(), client.height() - twipsToPixels(1200)};
    const int up = placement.rule == Placement::Rule::AboveCentre ? twipsToPixels(400) : 0;
    return {QPoint((mainOuter.width() - child.width()) / 2 - twipsToPixels(placement.twipsLeft),
                   (mainOuter.height() - child.height()) / 2 - up),
            child};
}

QWidget* WindowHost::open(const QString& name, const std::function<QWidget*()>& create, Placement placement,
                          bool modal) {
    if (modal)
        return openModal(name, create, placement);
    QMdiSubWindow* opener = m_openingFromMenu ? nullptr : m_area->currentSubWindow();
    if (QMdiSubWindow* frame = frameOf(name)) {
        rememberOpener(frame, opener);
        place(frame, placement);
        keepInSight(m_openers.value(frame), frame);
        frame->showNormal();
        m_area->setActiveSubWindow(frame);
        return frame->widget();
    }
    QWidget* window = create();
    checkName(window, name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    const QSize designed = window->size();
    QMdiSubWindow* frame = m_area->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // What this window led to now hangs on the window it came from.
    QObject::connect(frame, &QObject::destroyed, m_listener.get(), [this, frame] {
        QMdiSubWindow* opener = m_openers.take(frame);
        for (auto it = m_openers.begin(); it != m_openers.end(); ++it)
            if (it.value() == frame)
                it.value() = opener;
    });
    rememberOpener(frame, opener);
    // Task windows carry no icon of their own in the frame's corner.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    frame->setWindowIcon(QIcon(blank));
    // Ctrl+F4 is the main window's 关闭; the frame's own would make the key ambiguous and do nothing.
    for (QAction* action : frame->systemMenu()->actions())
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
            action->setShortcuts({});
    // At least the size its form gives it, though its layout would shrink it; never more than the client
    // area.
    frame->adjustSize();
    const QSize frameExtra = frame->size() - window->size();
    frame->resize(frame->size().expandedTo(designed + frameExtra).boundedTo(m_area->viewport()->size()));
    place(frame, placement);
    keepInSight(m_openers.value(frame), frame);
    frame->show();
    m_area->setActiveSubWindow(frame);
    return window;
}

QWidget* WindowHost::openModal(const QString& name, const std::function<QWidget*()>& create,
                               Placement placement) {
    QWidget* window = modalWindow(name);
    if (!window) {
        window = create();
        checkName(window, name);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Its own window over the main window, which takes no input until it is closed. Shown, not run in
        // a loop of its own: the command that opened it has nothing left to do.
        window->setParent(m_mainWindow, Qt::Dialog);
        window->setWindowModality(Qt::ApplicationModal);
        window->resize(window->size().expandedTo(window->minimumSizeHint()));
    }
    // Its frame is known once it is shown.
    window->show();
    placeModal(window, placement);
    window->raise();
    window->activateWindow();
    return window;
}

QWidget* WindowHost::modalWindow(const QString& name) const {
    for (QWidget* window : modalWindows())
        if (window->objectName() == name)
            return window;
    return nullptr;
}

QList<QWidget*> WindowHost::modalWindows() const {
    QList<QWidget*> windows;
    for (QWidget* child : m_mainWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() && child->windowModality() != Qt::NonModal &&
            child->testAttribute(Qt::WA_DeleteOnClose) && child->isVisible())
            windows << child;
    return windows;
}

void WindowHost::placeModal(QWidget* window, Placement placement) {
    const QRect main = m_mainWindow->frameGeometry();
    const QRect spot = WindowHost::placement(main.size(), m_area->viewport()->size(),
                                             window->frameGeometry().size(), placement);
    window->move(main.topLeft() + spot.topLeft());
}

QWidget* WindowHost::find(const QString& name) const {
    if (QMdiSubWindow* frame = frameOf(name))
        return frame->widget();
    return modalWindow(name);
}

QList<QWidget*> WindowHost::openWindows() const {
    QList<QWidget*> windows;
    for (QMdiSubWindow* frame : m_area->subWindowList())
        if (frame->widget())
            windows << frame->widget();
    return windows << modalWindows();
}

void WindowHost::close(QWidget* window) {
    for (QWidget* modal : modalWindows())
        if (modal == window || modal->isAncestorOf(window)) {
            modal->close();
            return;
        }
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
    else if (QWidget* window = modalWindow(name))
        window->close();
}

void WindowHost::closeAll() {
    for (QWidget* window : modalWindows())
        window->close();
    m_area->closeAllSubWindows();
}

void WindowHost::cascade() {
    m_area->cascadeSubWindows();
}

void WindowHost::tile() {
    m_area->tileSubWindows();
}

void WindowHost::closeActive() {
    if (QMdiSubWindow* frame = m_area->currentSubWindow())
        frame->close();
}

void WindowHost::activateNext() {
    const QList<QMdiSubWindow*> frames = m_area->subWindowList(QMdiArea::CreationOrder);
    if (frames.isEmpty())
        return;
    const qsizetype at = frames.indexOf(m_area->currentSubWindow());
    m_area->setActiveSubWindow(frames.at((at + 1) % frames.size()));
}

void WindowHost::openFromMenu(const std::function<void()>& open) {
    const bool before = std::exchange(m_openingFromMenu, true);
    try {
        open();
    } catch (...) {
        m_openingFromMenu = before;
        throw;
    }
    m_openingFromMenu = before;
}

void WindowHost::keepInSight(QMdiSubWindow* opener, QMdiSubWindow* frame) {
    if (!opener || !frame->geometry().contains(opener->geometry()))
        return;
    // Covering the whole window it came from would hide that one: step down to show its title bar.
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame) + 2;
    const QPoint moved = opener->pos() + QPoint(step, step);
    const QSize room = m_area->viewport()->size();
    if (moved.x() + frame->width() <= room.width() && moved.y() + frame->height() <= room.height())
        frame->move(moved);
    else if (frame->y() >= step) // too big to step aside: lift the other one's title bar above it
        opener->move(opener->x(), frame->y() - step);
}

void WindowHost::rememberOpener(QMdiSubWindow* frame, QMdiSubWindow* opener) {
    // Raising a window from one it led to keeps it where it hangs; a loop would bring nothing forward.
    if (opener == frame || (opener && isOpenedFrom(opener, frame)))
        return;
    if (opener)
        m_openers.insert(frame, opener);
    else
        m_openers.remove(frame);
}

bool WindowHost::isOpenedFrom(QMdiSubWindow* frame, QMdiSubWindow* opener) const {
    for (QMdiSubWindow* up = m_openers.value(frame); up; up = m_openers.value(up))
        if (up == opener)
            return true;
    return false;
}

void WindowHost::bringForwardWhatWasOpenedFrom(QMdiSubWindow* opener) {
    if (!opener)
        return;
    // Bottom first, so they keep their order among themselves.
    for (QMdiSubWindow* frame : m_area->subWindowList(QMdiArea::StackingOrder))
        if (isOpenedFrom(frame, opener))
            frame->raise();
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
