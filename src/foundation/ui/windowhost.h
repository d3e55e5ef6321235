#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

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
    int twipsLeft = 0; // then moved this far to the left of where the rule puts it
};

// What a task window declares about itself, once, as `static constexpr TaskWindowTraits traits`:
// the object name its form gives it, where it sits, and whether it holds the whole program until
// it is closed (a modal window stands over the main window instead of inside its client area).
struct TaskWindowTraits {
    const char* name;
    Placement placement = {};
    bool modal = false;
};

struct AppContext;

// Keeps the task windows inside the main window: one instance of each, opened or raised by its
// type, placed by its rule, and closed by type or all together. A window opened while another is
// current is remembered as opened from it, and comes back in front of it whenever that one is
// activated: a screen-wide map never buries the windows it led to.
class WindowHost {
public:
    WindowHost(QWidget* mainWindow, QMdiArea* area);
    // The context every window is made with; set once by the main window.
    void attach(AppContext& context) { m_context = &context; }

    // The frame of a window of `child` size in a main window of `mainOuter` size whose client area
    // is `client`, by `placement`'s rule. Positions are in client-area coordinates.
    static QRect placement(QSize mainOuter, QSize client, QSize child, Placement placement = {});

    // Raises and re-places the window of type `Window` when it is open; otherwise makes it with the
    // context and `arguments`, shows it as a child and places it.
    template <typename Window, typename... Arguments> Window* open(Arguments&&... arguments) {
        return openPlaced<Window>(Window::traits.placement, std::forward<Arguments>(arguments)...);
    }
    // The same, placed this once by `placement` instead of the window's own rule: one form may serve
    // two tasks that sit in different places.
    template <typename Window, typename... Arguments>
    Window* openPlaced(Placement placement, Arguments&&... arguments) {
        return static_cast<Window*>(open(
            nameOf<Window>(),
            [&]() -> QWidget* { return new Window(*m_context, std::forward<Arguments>(arguments)...); },
            placement, Window::traits.modal));
    }
    template <typename Window> Window* find() const { return static_cast<Window*>(find(nameOf<Window>())); }
    template <typename Window> void close() { close(nameOf<Window>()); }
    // Tests and lists read windows by their object names.
    QWidget* find(const QString& name) const;
    // What outlives the task windows: the owner of work that goes on after its window is closed.
    QWidget* mainWindow() const { return m_mainWindow; }
    QList<QWidget*> openWindows() const;
    // Closes the task window that holds `window` (the window itself or any widget inside it).
    void close(QWidget* window);
    void closeAll();
    void cascade();
    void tile();
    void closeActive();
    // Activates the next task window in the order they were opened, wrapping round.
    void activateNext();
    // Runs `open` as the menu does: what it opens was opened from no window.
    void openFromMenu(const std::function<void()>& open);

private:
    template <typename Window> static QString nameOf() { return QString::fromLatin1(Window::traits.name); }
    // Throws std::logic_error when the window's form gives it another name than its traits, since
    // the host would never find it again.
    QWidget* open(const QString& name, const std::function<QWidget*()>& create, Placement placement,
                  bool modal);
    QWidget* openModal(const QString& name, const std::function<QWidget*()>& create, Placement placement);
    QWidget* modalWindow(const QString& name) const;
    QList<QWidget*> modalWindows() const;
    void close(const QString& name);
    QMdiSubWindow* frameOf(const QString& name) const;
    void place(QMdiSubWindow* frame, Placement placement);
    void placeModal(QWidget* window, Placement placement);
    void keepInSight(QMdiSubWindow* opener, QMdiSubWindow* frame);
    void rememberOpener(QMdiSubWindow* frame, QMdiSubWindow* opener);
    bool isOpenedFrom(QMdiSubWindow* frame, QMdiSubWindow* opener) const;
    void bringForwardWhatWasOpenedFrom(QMdiSubWindow* opener);

    QWidget* m_mainWindow;
    QMdiArea* m_area;
    AppContext* m_context = nullptr;
    QHash<QMdiSubWindow*, QMdiSubWindow*> m_openers;
    // The receiver of the area's signals: the main window deletes its task windows only after the host.
    std::unique_ptr<QObject> m_listener = std::make_unique<QObject>();
    bool m_openingFromMenu = false;
};

// Twips are the unit of the office's placement rules: 15 twips to one pixel at 96 dpi.
constexpr int twipsToPixels(int twips) {
    return (twips + 7) / 15;
}
