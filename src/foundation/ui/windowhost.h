#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

// Where a task window sits when it opens or is raised again.
struct Placement {
    enum class Rule {
        AboveCentre,   // centred across, 400 twips above the vertical centre: most task windows
        Centred,       // centred both ways
        FullWidthAtTop // at the top left, as wide as the client area and 1200 twips less high
    };
    Rule rule = Rule::AboveCentre;
};

// Keeps the task windows inside the main window: one instance of each, opened or raised by its
// window name, placed by its rule, and closed by name or all together.
class WindowHost {
public:
    WindowHost(QWidget* mainWindow, QMdiArea* area);

    // The frame of a window of `child` size in a main window of `mainOuter` size whose client area
    // is `client`, by `placement`'s rule. Positions are in client-area coordinates.
    static QRect placement(QSize mainOuter, QSize client, QSize child, Placement placement = {});

    // Raises and re-places the window called `name` when it is open; otherwise creates it with
    // `create`, shows it as a child and places it.
    QWidget* open(const QString& name, const std::function<QWidget*()>& create, Placement placement = {});
    QWidget* find(const QString& name) const;
    QList<QWidget*> openWindows() const;
    // Closes the task window that holds `window` (the window itself or any widget inside it).
    void close(QWidget* window);
    void close(const QString& name);
    void closeAll();
    void cascade();

private:
    QMdiSubWindow* frameOf(const QString& name) const;
    void place(QMdiSubWindow* frame, Placement placement);

    QWidget* m_mainWindow;
    QMdiArea* m_area;
};

// Twips are the unit of the office's placement rules: 15 twips to one pixel at 96 dpi.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}
