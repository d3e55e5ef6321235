#pragma once

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// Keeps the task windows inside the main window: one instance of each, opened or raised by its
// window name, placed centred and a little above the middle, and closed by name or all together.
class WindowHost {
public:
    WindowHost(QWidget* mainWindow, QMdiArea* area);

    // Where a child of `child` size goes in a main window of `mainOuter` size: centred across,
    // 400 twips above the vertical centre.
    static QPoint placement(QSize mainOuter, QSize child);

    // Raises and re-places the window called `name` when it is open; otherwise creates it with
    // `create`, shows it as a child and places it.
    QWidget* open(const QString& name, const std::function<QWidget*()>& create);
    QWidget* find(const QString& name) const;
    QList<QWidget*> openWindows() const;
    // Closes the task window that holds `window` (the window itself or any widget inside it).
    void close(QWidget* window);
    void close(const QString& name);
    void closeAll();
    void cascade();

private:
    QMdiSubWindow* frameOf(const QString& name) const;
    void place(QMdiSubWindow* frame);

    QWidget* m_mainWindow;
    QMdiArea* m_area;
};

// Twips are the unit of the office's placement rules: 15 twips to one pixel at 96 dpi.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}
