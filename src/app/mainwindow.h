#pragma once

#include "foundation/ui/appcontext.h"
#include "foundation/ui/windowhost.h"
#include "shared/ui/menucatalog.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class BackgroundWindow;
class QMdiArea;
class QMenu;
class QTimer;

// MDIForm1: the frame of the program. It owns the menu, asks for a login over itself, gates every
// guarded command by its item right and keeps the task windows in its client area.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Database& database, Session& session, const Clock& clock, Prompter& prompter,
               PrintBridge& printBridge, const DataFolder& dataFolder);
    ~MainWindow() override;

    AppContext& context() { return m_context; }
    WindowHost& host() { return m_host; }

    // Makes the menu command `commandName` open the task window `Window` (made with `arguments`
    // after the context), after its item right check. Commands with nothing registered stay disabled.
    template <typename Window, typename... Arguments>
    void registerWindow(const QString& commandName, Arguments... arguments) {
        registerCommand(commandName, [this, arguments...] {
            m_host.openFromMenu([&] { m_host.open<Window>(arguments...); });
        });
        m_windowCommands << commandName;
    }
    // Makes the menu command run `run` (after the item right check when the command has an item).
    // A command the menu does not have throws std::invalid_argument, in every build.
    void registerCommand(const QString& commandName, std::function<void()> run);
    // The commands that open a task window, in the order they were registered.
    QStringList windowCommands() const { return m_windowCommands; }
    // After a login, `countDue` tells how many reservations are due today; when there are some the
    // operator is told and `openList` shows them.
    void setDueReminders(std::function<int()> countDue, std::function<void()> openList) {
        m_countDueReminders = std::move(countDue);
        m_openDueReminders = std::move(openList);
    }

    QAction* command(const QString& name) const;
    QMenu* topMenu(const QString& name) const;
    BackgroundWindow* background() const { return m_background; }

    // Starts Timer1, whose first tick shows the login dialog over the painted window.
    void startLoginTimer();

private:
    void buildMenus();
    // Lists the open task windows at the foot of the 窗口 menu, the active one ticked.
    void listOpenWindows(QMenu* menu);
    void showLogin();
    void afterLogin();
    void afterLoginCancelled();
    void reLogin();
    void setBusinessMenusEnabled(bool enabled, bool includingSystemSettings);
    void updateCommandStates();
    void runGuarded(const MenuCommand& entry, const std::function<void()>& run);

    QMdiArea* m_area;
    WindowHost m_host;
    AppContext m_context;
    BackgroundWindow* m_background;
    QTimer* m_loginTimer;
    QHash<QString, QAction*> m_commands;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, MenuCommand> m_entries;
    QHash<QString, std::function<void()>> m_runners;
    QStringList m_windowCommands;
    QList<QAction*> m_windowListEntries;
    std::function<int()> m_countDueReminders;
    std::function<void()> m_openDueReminders;
    bool m_systemMaintenanceCut = false;
    bool m_loginShown = false;
};
