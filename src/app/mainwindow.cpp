#include "app/mainwindow.h"

#include "foundation/database.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"
#include "foundation/ui/actionguard.h"
#include "shared/schema.h"
#include "shared/session.h"
#include "shared/ui/backgroundwindow.h"
#include "shared/ui/itemgate.h"
#include "shared/ui/logindialog.h"
#include "shared/ui/menucatalog.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <stdexcept>

namespace {

// Keeps the background window the size of the client area.
class FollowSize : public QObject {
public:
    FollowSize(QWidget* follower, QObject* parent) : QObject(parent), m_follower(follower) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            m_follower->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* m_follower;
};

} // namespace

MainWindow::MainWindow(Database& database, Session& session, const Clock& clock, Prompter& prompter,
                       PrintBridge& printBridge, const DataFolder& dataFolder)
    : m_area(new QMdiArea(this)),
      m_host(this, m_area), m_context{database, session, clock, prompter, printBridge, m_host, dataFolder},
      m_background(new BackgroundWindow(database, m_area->viewport())), m_loginTimer(new QTimer(this)) {
    m_host.attach(m_context);
    database.setClock(clock);
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("公墓管理系统"));
    resize(1024, 720);
    setCentralWidget(m_area);
    // Closing a task window brings back the one the operator came from, not the oldest one.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    m_area->viewport()->installEventFilter(new FollowSize(m_background, this));
    m_background->lower();
    m_background->show();

    m_loginTimer->setObjectName(QStringLiteral("Timer1"));
    m_loginTimer->setInterval(100);
    m_loginTimer->setSingleShot(true);
    connect(m_loginTimer, &QTimer::timeout, this, &MainWindow::showLogin);

    buildMenus();
    setBusinessMenusEnabled(false, true);
    registerCommand(QStringLiteral("M_ckpx"), [this] { m_host.cascade(); });
    registerCommand(QStringLiteral("M_ckcd"), [this] { m_host.cascade(); });
    registerCommand(QStringLiteral("M_ckpp"), [this] { m_host.tile(); });
    registerCommand(QStringLiteral("M_ckgb"), [this] { m_host.closeActive(); });
    registerCommand(QStringLiteral("M_ckxy"), [this] { m_host.activateNext(); });
    QMenu* windows = topMenu(QStringLiteral("M_ck"));
    connect(windows, &QMenu::aboutToShow, this, [this, windows] { listOpenWindows(windows); });
    registerCommand(QStringLiteral("M_cxdl"), [this] { reLogin(); });
    registerCommand(QStringLiteral("M_tcxt"), [] { QApplication::exit(0); });
    updateCommandStates();
    // Another desk put the office back from a backup: nothing open shows it any more, so every window
    // closes and the operator logs in again, onto the restored records.
    connect(&database.changes(), &ChangeNotifier::changed, this, [this](ChangeNotifier::Subject subject) {
        // A login under way logs in onto the restored records anyway.
        if (subject != ChangeNotifier::Subject::Restored || m_loginShown || m_loginTimer->isActive())
            return;
        m_context.prompter.inform(Prompter::Icon::Information, QStringLiteral("提示"),
                                  QStringLiteral("数据已被还原，打开的窗口都已关闭，请重新登录。"));
        setBusinessMenusEnabled(false, true);
        reLogin();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    for (const TopMenu& top : menuCatalog()) {
        QMenu* menu = menuBar()->addMenu(top.caption);
        menu->setObjectName(top.name);
        menu->menuAction()->setObjectName(top.name);
        m_menus.insert(top.name, menu);
        for (const MenuCommand& entry : top.commands) {
            if (entry.name.isEmpty()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(entry.caption);
            action->setObjectName(entry.name);
            action->setShortcut(entry.shortcut);
            m_commands.insert(entry.name, action);
            m_entries.insert(entry.name, entry);
            connect(action, &QAction::triggered, this,
                    [this, entry] { runGuarded(entry, m_runners.value(entry.name)); });
        }
    }
}

void MainWindow::listOpenWindows(QMenu* menu) {
    qDeleteAll(m_windowListEntries);
    m_windowListEntries.clear();
    const QList<QMdiSubWindow*> frames = m_area->subWindowList(QMdiArea::CreationOrder);
    if (frames.isEmpty())
        return;
    m_windowListEntries << menu->addSeparator();
    for (qsizetype at = 0; at < frames.size(); ++at) {
        QMdiSubWindow* frame = frames.at(at);
        const QString caption = frame->widget() ? frame->widget()->windowTitle() : frame->windowTitle();
        // The first nine are reached by their digit.
        QAction* entry = menu->addAction(at < 9 ? QStringLiteral("&%1 %2").arg(at + 1).arg(caption)
                                                : QStringLiteral("%1 %2").arg(at + 1).arg(caption));
        entry->setCheckable(true);
        entry->setChecked(frame == m_area->currentSubWindow());
        connect(entry, &QAction::triggered, frame, [this, frame] {
            if (frame->isMinimized())
                frame->showNormal();
            m_area->setActiveSubWindow(frame);
        });
        m_windowListEntries << entry;
    }
}

void MainWindow::registerCommand(const QString& commandName, std::function<void()> run) {
    if (!m_commands.contains(commandName))
        throw std::invalid_argument("the menu has no command " + commandName.toStdString());
    m_runners.insert(commandName, std::move(run));
    updateCommandStates();
}

QAction* MainWindow::command(const QString& name) const {
    return m_commands.value(name);
}

QMenu* MainWindow::topMenu(const QString& name) const {
    return m_menus.value(name);
}

void MainWindow::runGuarded(const MenuCommand& entry, const std::function<void()>& run) {
    if (!run)
        return;
    if (entry.item > 0 && !passesItemGate(m_context.session, m_context.prompter, entry.item))
        return;
    if ((entry.access == MenuAccess::AdminOnly && !m_context.session.isAdmin()) ||
        (entry.access == MenuAccess::PrintRight && m_context.session.flags.printDenied)) {
        refuseMissingRight(m_context.prompter);
        return;
    }
    m_context.database.setWindow(entry.caption);
    runAction(m_context.prompter, run);
}

void MainWindow::setBusinessMenusEnabled(bool enabled, bool includingSystemSettings) {
    for (const TopMenu& top : menuCatalog())
        if (top.business && (includingSystemSettings || top.name != QLatin1String("M_xtsz")))
            m_menus.value(top.name)->menuAction()->setEnabled(enabled);
}

void MainWindow::updateCommandStates() {
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it) {
        it.value()->setEnabled(m_runners.contains(it.key()));
        // Admin's own commands are not shown to anybody else.
        it.value()->setVisible(m_entries.value(it.key()).access != MenuAccess::AdminOnly ||
                               m_context.session.isAdmin());
    }
    if (m_systemMaintenanceCut)
        command(QStringLiteral("M_xtwh"))->setEnabled(false);
}

void MainWindow::startLoginTimer() {
    m_loginTimer->start();
}

void MainWindow::showLogin() {
    m_loginTimer->stop();
    LoginDialog dialog(m_context, this);
    m_loginShown = true;
    const int answer = dialog.exec();
    m_loginShown = false;
    if (answer == QDialog::Accepted)
        afterLogin();
    else
        afterLoginCancelled();
}

void MainWindow::afterLogin() {
    m_systemMaintenanceCut = false;
    m_context.database.setOperator(m_context.session.operatorName);
    m_context.printBridge.newLogin();
    setBusinessMenusEnabled(true, true);
    updateCommandStates();
    if (m_context.session.usesShippedPassword)
        m_context.prompter.inform(Prompter::Icon::Exclamation, QStringLiteral("提示"),
                                  QStringLiteral("您正在使用初始口令，请尽快修改口令。"));
    // Positions held twice while one is in use wait for Admin: until they are sorted out, nothing in
    // the schema keeps a third copy away.
    if (m_context.session.isAdmin())
        runAction(m_context.prompter, [this] {
            const QStringList twice = Schema::duplicatePositions(m_context.database);
            if (!twice.isEmpty())
                m_context.prompter.inform(
                    Prompter::Icon::Exclamation, QStringLiteral("提示"),
                    QStringLiteral("下列位置重复登记，且有的正在使用，请核对后注销多余的位置：\n") +
                        twice.join(QStringLiteral("、")));
        });
    int due = 0;
    if (m_countDueReminders)
        runAction(m_context.prompter, [&] { due = m_countDueReminders(); });
    if (due > 0) {
        m_context.prompter.inform(Prompter::Icon::Information, QStringLiteral("提醒"),
                                  QStringLiteral("下列客户已到完款时间"));
        runAction(m_context.prompter, m_openDueReminders);
    }
}

void MainWindow::afterLoginCancelled() {
    // Of 〖系统设置〗 only its 系统维护 item is cut off, at the first login as well, when every business
    // menu started disabled.
    m_systemMaintenanceCut = true;
    setBusinessMenusEnabled(false, false);
    m_menus.value(QStringLiteral("M_xtsz"))->menuAction()->setEnabled(true);
    updateCommandStates();
}

void MainWindow::reLogin() {
    m_host.closeAll();
    m_background->reload();
    m_background->show();
    startLoginTimer();
}
