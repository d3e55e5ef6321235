#include "app/mainwindow.h"
#include "foundation/maintenancelock.h"
#include "foundation/passwordhash.h"
#include "foundation/ui/comboentry.h"
#include "foundation/ui/enterastab.h"
#include "foundation/ui/messageboxprompter.h"
#include "foundation/ui/taskwindow.h"
#include "shared/onlinedesks.h"
#include "shared/ui/menucatalog.h"
#include "support/runningoffice.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

namespace {

template <std::size_t Length> struct WindowName {
    constexpr WindowName(const char (&name)[Length]) { std::copy_n(name, Length, text); }
    char text[Length];
};

// A plain task window called `Name` (by its form: `FormName`), standing in for a window still to
// be built. Its button runs an action that fails the way a full disk would.
template <WindowName Name, WindowName FormName = Name> class StandIn : public TaskWindow {
public:
    static constexpr TaskWindowTraits traits{Name.text};
    explicit StandIn(AppContext& context) : TaskWindow(context) {
        setObjectName(QString::fromLatin1(FormName.text));
        resize(300, 200);
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("Command1"));
        on(button, &QPushButton::clicked, [] { throw DatabaseError(QStringLiteral("磁盘已满")); });
        // A fault of the program itself, and something thrown that is not even an exception.
        auto* faulty = new QPushButton(this);
        faulty->setObjectName(QStringLiteral("Command2"));
        on(faulty, &QPushButton::clicked, [] { throw std::logic_error("no control DTP9 in Frm_a"); });
        auto* odd = new QPushButton(this);
        odd->setObjectName(QStringLiteral("Command3"));
        on(odd, &QPushButton::clicked, [] { throw 7; });
    }
};

// A window whose refusals name a date, a list, an editable list and a tick box to correct: every kind
// of control a refusal may send the cursor to besides a text field.
class Refuser : public TaskWindow {
public:
    static constexpr TaskWindowTraits traits{"Frm_refuse"};
    explicit Refuser(AppContext& context) : TaskWindow(context) {
        setObjectName(QStringLiteral("Frm_refuse"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLineEdit(this));
        const auto add = [&](QWidget* field, const char* name) {
            field->setObjectName(QString::fromLatin1(name));
            layout->addWidget(field);
        };
        add(new QDateEdit(this), "DTP1");
        add(new QComboBox(this), "Combo1");
        auto* editable = new QComboBox(this);
        editable->setEditable(true);
        add(editable, "Combo2");
        add(new QCheckBox(this), "Check1");
        for (const char* field : {"DTP1", "Combo1", "Combo2", "Check1"}) {
            auto* button = new QPushButton(this);
            button->setObjectName(QStringLiteral("refuse_") + QString::fromLatin1(field));
            layout->addWidget(button);
            on(button, &QPushButton::clicked, [this, field] {
                showOutcome(refused(notice(QStringLiteral("请改正")), QString::fromLatin1(field)));
            });
        }
    }
};

// The running office before anybody has logged in.
struct Office : RunningOffice {
    Office() : RunningOffice(QString(), QString()) {}

    // Plays the operator at the login dialog as soon as it comes up.
    void whenLoginShows(const std::function<void(QDialog*)>& play) {
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, play] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                play(dialog);
            }
        });
        poll->start(10);
    }

    void logInAs(const QString& name, const QString& password) {
        bool played = false;
        whenLoginShows([&](QDialog* dialog) {
            pick(dialog, name);
            control<QLineEdit>(dialog, "Text1")->setText(password);
            QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
            if (dialog->isVisible()) // a refused login: leave the dialog
                dialog->reject();
            played = true;
        });
        window.startLoginTimer();
        QTRY_VERIFY(played);
    }

    static void pick(QDialog* dialog, const QString& name) {
        auto* combo = control<QComboBox>(dialog, "Combo1");
        const int index = combo->findText(name);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }

    // Gives a menu command a plain stand-in window, as a finished task window would have.
    template <WindowName Name> void registerPlain(const QString& command) {
        window.registerWindow<StandIn<Name>>(command);
    }

    bool enabled(const QString& menu) { return window.topMenu(menu)->menuAction()->isEnabled(); }
    QList<QWidget*> openWindows() { return window.host().openWindows(); }
};

const QStringList businessMenus = {QStringLiteral("M_jcgl"), QStringLiteral("M_mqgl"), QStringLiteral("Wpsf"),
                                   QStringLiteral("Mwxstjzk"), QStringLiteral("M_xtsz")};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theMenuTreeCarriesItsNamesCaptionsAndKeys() {
        Office office;
        QCOMPARE(office.window.objectName(), QStringLiteral("MDIForm1"));
        int commands = 0;
        QSet<int> items;
        for (const TopMenu& top : menuCatalog()) {
            QMenu* menu = office.window.topMenu(top.name);
            QVERIFY(menu);
            QCOMPARE(menu->title(), top.caption);
            for (const MenuCommand& entry : top.commands)
                if (!entry.name.isEmpty()) {
                    ++commands;
                    if (entry.item > 0)
                        items.insert(entry.item);
                    QCOMPARE(office.window.command(entry.name)->text(), entry.caption);
                }
        }
        // The office's, our 操作记录, 在线操作员, 打印存档 and 导入数据, and the 窗口 menu's.
        QCOMPARE(commands, 44 + 3 + 5);
        // Every item is reached from the menu but the four tested by buttons inside windows.
        QCOMPARE(items.size(), 36);
        for (int buttonItem : {28, 29, 37, 38})
            QVERIFY(!items.contains(buttonItem));
        QCOMPARE(office.window.command(QStringLiteral("M_cxdl"))->text(), QStringLiteral("重新登录     "));
        QCOMPARE(office.window.command(QStringLiteral("M_cxdl"))->shortcut(), QKeySequence(Qt::Key_F12));
        QCOMPARE(office.window.command(QStringLiteral("M_szmw"))->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_M));
        QCOMPARE(office.window.topMenu(QStringLiteral("M_jcgl"))->title(), QStringLiteral("&A〖寄存管理〗"));
        QCOMPARE(office.window.command(QStringLiteral("M_ckgb"))->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_F4));
        QCOMPARE(office.window.command(QStringLiteral("M_ckxy"))->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_Tab));

        // Before any login the business menus are out of reach; windows, help and exit are not.
        for (const QString& name : businessMenus)
            QVERIFY(!office.enabled(name));
        QVERIFY(office.enabled(QStringLiteral("M_ck")));
        QVERIFY(office.enabled(QStringLiteral("M_about")));
        QVERIFY(office.enabled(QStringLiteral("m_exit")));
        QVERIFY(office.window.command(QStringLiteral("M_cxdl"))->isEnabled());
    }

    void ourAdditionsAreForAdminAndForThePrintRight() {
        Office office;
        office.registerPlain<"Frm_czjl">(QStringLiteral("M_czjl"));
        office.registerPlain<"Frm_dyda">(QStringLiteral("M_dyda"));
        office.registerPlain<"Frm_zxczy">(QStringLiteral("M_zxczy"));
        office.data.addOperator(QStringLiteral("张三"), QStringLiteral("own"), QStringLiteral("操作员"),
                                QString(40, QLatin1Char('f')));
        office.data.sql(QStringLiteral("UPDATE czy SET 记录打印 = 1 WHERE 操作员 = '张三'"));
        office.logInAs(QStringLiteral("张三"), QStringLiteral("own"));
        QVERIFY(!office.window.command(QStringLiteral("M_czjl"))->isVisible());
        QVERIFY(!office.window.command(QStringLiteral("M_zxczy"))->isVisible());
        office.window.command(QStringLiteral("M_czjl"))->trigger();
        office.window.command(QStringLiteral("M_dyda"))->trigger();
        office.window.command(QStringLiteral("M_zxczy"))->trigger();
        QVERIFY(office.openWindows().isEmpty());
        QCOMPARE(office.prompter.texts(),
                 QStringList(3, QStringLiteral("您没有此项功能权限！请联系系统管理员")));

        office.prompter.shown.clear();
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
        QVERIFY(office.window.command(QStringLiteral("M_czjl"))->isVisible());
        QVERIFY(office.window.command(QStringLiteral("M_zxczy"))->isVisible());
        office.window.command(QStringLiteral("M_czjl"))->trigger();
        office.window.command(QStringLiteral("M_dyda"))->trigger();
        office.window.command(QStringLiteral("M_zxczy"))->trigger();
        QCOMPARE(office.openWindows().size(), 3);
        // The login entered the desk in the list of who is working, in place of its earlier entry.
        const QList<OnlineDesks::Desk> working = OnlineDesks::list(office.data.db());
        QCOMPARE(working.size(), 1);
        QCOMPARE(working.first().operatorName, QStringLiteral("Admin"));
        QCOMPARE(working.first().computer, QSysInfo::machineHostName());
    }

    // A message without a caption has a blank title, not the program's name.
    void aMessageWithoutCaptionHasABlankTitle() {
        MessageBoxPrompter prompter;
        QStringList titles;
        const auto answer = [&titles] {
            QTimer::singleShot(0, [&titles] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    titles << box->windowTitle();
                    QAbstractButton* ok = box->button(QMessageBox::Ok);
                    (ok ? ok : box->button(QMessageBox::No))->click();
                }
            });
        };
        answer();
        prompter.inform(Prompter::Icon::Information, QString(), QStringLiteral("输入成功！"));
        answer();
        prompter.ask(QString(), QStringLiteral("真的要注销吗？"), false);
        answer();
        prompter.inform(Prompter::Icon::Information, QStringLiteral("提示"), QStringLiteral("输入成功！"));
        QCOMPARE(titles, QStringList({QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("提示")}));
    }

    void everyWindowCommandOpensItsWindowAndNoActionCrashes() {
        RunningOffice office;
        const QStringList commands = office.window.windowCommands();
        QVERIFY(commands.size() >= 3);
        for (const QString& command : commands) {
            const auto before = office.window.host().openWindows().size();
            office.window.command(command)->trigger();
            QVERIFY2(office.window.host().openWindows().size() == before + 1, qPrintable(command));
        }
        QVERIFY(office.prompter.shown.isEmpty());

        // A misspelt command, or a window its form names otherwise, fails loudly in every build.
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 office.window.registerWindow<StandIn<"Frm_a">>(QStringLiteral("M_gmm")));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, office.window.host().open<StandIn<"Frm_a", "Frm_b">>());
        QVERIFY(!office.find(QStringLiteral("Frm_b")));

        // A database failure inside an action is told, and the window stays.
        auto* window = office.window.host().open<StandIn<"Frm_a">>();
        QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("磁盘已满")}));
        QCOMPARE(office.prompter.shown.first().icon, Prompter::Icon::Critical);
        QVERIFY(office.find(QStringLiteral("Frm_a")));
        // So is any other failure: the program goes on.
        QTest::mouseClick(control<QPushButton>(window, "Command2"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
        QCOMPARE(office.prompter.texts().mid(1),
                 QStringList({QStringLiteral("操作没有完成：no control DTP9 in Frm_a"),
                              QStringLiteral("操作没有完成：未知错误")}));
        QVERIFY(office.find(QStringLiteral("Frm_a")));
    }

    void aRefusalPutsTheCursorIntoAnyKindOfField() {
        RunningOffice office;
        office.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&office.window));
        auto* window = office.window.host().open<Refuser>();
        for (const char* field : {"DTP1", "Combo1", "Combo2", "Check1"}) {
            QTest::mouseClick(control<QPushButton>(window, qPrintable(QStringLiteral("refuse_") + field)),
                              Qt::LeftButton);
            QCOMPARE(office.prompter.lastText(), QStringLiteral("请改正"));
            QVERIFY2(window->focusWidget() == control<QWidget>(window, field) ||
                         control<QWidget>(window, field)->isAncestorOf(window->focusWidget()),
                     field);
        }
        QCOMPARE(office.prompter.shown.size(), 4); // nothing went wrong on the way
        QVERIFY(office.find(QStringLiteral("Frm_refuse")));
    }

    void theGateOpensOnlyItemsWithTheirRightAndOnlyOnce() {
        Office office;
        office.session.permissionString = QStringLiteral("1") + QString(39, QLatin1Char('0'));
        office.registerPlain<"Frmjc_sz">(QStringLiteral("M_szts"));
        office.registerPlain<"Frm_bljc">(QStringLiteral("M_bljc"));
        office.registerPlain<"Frmbxwh">(QStringLiteral("bxwh"));

        office.window.command(QStringLiteral("M_bljc"))->trigger();
        QCOMPARE(office.prompter.shown.size(), 1);
        QCOMPARE(office.prompter.shown.first().text, QStringLiteral("您没有此项功能权限！请联系系统管理员"));
        QCOMPARE(office.prompter.shown.first().caption, QStringLiteral("提示"));
        QCOMPARE(office.prompter.shown.first().icon, Prompter::Icon::Information);
        QVERIFY(office.openWindows().isEmpty());

        office.window.command(QStringLiteral("M_szts"))->trigger();
        office.window.command(QStringLiteral("bxwh"))->trigger(); // 碑型维护 tests no right at all
        QCOMPARE(office.openWindows().size(), 2);
        QCOMPARE(office.prompter.shown.size(), 1);

        // A second choice raises the open window and puts it back in its place.
        QWidget* first = office.find(QStringLiteral("Frmjc_sz"));
        auto* frame = qobject_cast<QMdiSubWindow*>(first->parentWidget());
        const QPoint placed = frame->pos();
        frame->move(5, 5);
        office.window.command(QStringLiteral("M_szts"))->trigger();
        QCOMPARE(office.openWindows().size(), 2);
        QCOMPARE(office.find(QStringLiteral("Frmjc_sz")), first);
        QCOMPARE(frame->pos(), placed);

        // Admin has no bypass: its rights are its own string's.
        office.session.operatorName = QStringLiteral("Admin");
        office.session.permissionString = QString(40, QLatin1Char('0'));
        office.window.command(QStringLiteral("M_szts"))->trigger();
        QCOMPARE(office.prompter.shown.size(), 2);
    }

    void placementRules() {
        const QSize main(1000, 800), client(990, 740), child(400, 300);
        QCOMPARE(WindowHost::placement(main, client, child), QRect(QPoint(300, 250 - 27), child));
        QCOMPARE(WindowHost::placement(main, client, child, {Placement::Rule::Centred}),
                 QRect(QPoint(300, 250), child));
        QCOMPARE(WindowHost::placement(main, client, child, {Placement::Rule::FullWidthAtTop}),
                 QRect(0, 0, 990, 740 - 80));
        QCOMPARE(twipsToPixels(400), 27);
        QCOMPARE(twipsToPixels(1500), 100);
    }

    void adminLogsInAndTheBusinessMenusOpen() {
        Office office;
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
        for (const QString& name : businessMenus)
            QVERIFY(office.enabled(name));
        QCOMPARE(office.session.operatorName, QStringLiteral("Admin"));
        // The shipped password is pointed out; nothing is due today, so no reminder.
        const QString change = QStringLiteral("您正在使用初始口令，请尽快修改口令。");
        QCOMPARE(office.prompter.texts(), QStringList({change}));
        QVERIFY(office.openWindows().isEmpty());

        office.prompter.shown.clear();
        office.data.sql(QStringLiteral("UPDATE czy SET 口令 = ? WHERE 操作员 = 'Admin'"),
                        {PasswordHash::make(QStringLiteral("own"))});
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("own"));
        QVERIFY(office.prompter.shown.isEmpty());

        // An office that came with a plot held twice, one copy sold, is shown it at each of Admin's logins.
        office.data.sql(QStringLiteral("DROP INDEX mq_wz_position"));
        office.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已购'), "
                           "('甲区', '1', '0001', '未使用'), ('甲区', '1', '0002', '已购')"));
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("own"));
        QCOMPARE(office.prompter.texts(),
                 QStringList({QStringLiteral(
                     "下列位置重复登记，且有的正在使用，请核对后注销多余的位置：\n甲区1排0001号")}));
    }

    void aWrongPasswordSaysSoAndKeepsTheDialog() {
        Office office;
        bool stillOpen = false;
        office.whenLoginShows([&](QDialog* dialog) {
            // A code typed into the list and entered is not a pick: the right password is refused.
            auto* code = control<QComboBox>(dialog, "Combo1")->lineEdit();
            QTest::keyClicks(code, QStringLiteral("Admin"));
            QTest::keyClick(code, Qt::Key_Return);
            Q_EMIT code->editingFinished(); // leaving the field does not pick either
            auto* password = control<QLineEdit>(dialog, "Text1");
            password->setText(QStringLiteral("admin"));
            QCOMPARE(password->displayText(), QStringLiteral("*****"));
            QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);

            Office::pick(dialog, QStringLiteral("Admin"));
            password->setText(QStringLiteral("wrong"));
            QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
            stillOpen = dialog->isVisible();
            // An Enter released without being pressed there (the one that closed the message) does nothing;
            // Enter pressed and released in the password box logs in like 确定.
            password->setText(QStringLiteral("admin"));
            QTest::keyRelease(password, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            QTest::keyClick(password, Qt::Key_Return);
        });
        office.window.startLoginTimer();
        QTRY_VERIFY(office.enabled(QStringLiteral("M_mqgl")));
        QVERIFY(stillOpen);
        const QString refused = QStringLiteral("信息填写不正确！  \n请重新填写。 ");
        QCOMPARE(office.prompter.texts(),
                 QStringList({refused, refused, QStringLiteral("您正在使用初始口令，请尽快修改口令。")}));
        QCOMPARE(office.prompter.shown.first().caption, QStringLiteral("提示"));
        QCOMPARE(office.prompter.shown.first().icon, Prompter::Icon::Exclamation);
    }

    // 取消 at the first login or at a later one: four menus and 系统维护 are cut off, 〖系统设置〗 is not.
    void cancellingCutsFourMenusAndSystemMaintenance() {
        Office office;
        office.registerPlain<"Frmczy">(QStringLiteral("M_xtwh"));
        const auto cancelLogin = [&] {
            bool played = false;
            office.whenLoginShows([&](QDialog* dialog) {
                QTest::mouseClick(control<QPushButton>(dialog, "Command2"), Qt::LeftButton);
                played = true;
            });
            office.window.startLoginTimer();
            QTRY_VERIFY(played);
            for (const QString& name : businessMenus)
                QVERIFY2(office.enabled(name) == (name == QLatin1String("M_xtsz")), qPrintable(name));
            QVERIFY(!office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
            QVERIFY(office.window.command(QStringLiteral("M_cxdl"))->isEnabled());
        };
        cancelLogin();
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
        QVERIFY(office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
        cancelLogin();

        // A later successful login gives 系统维护 back.
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
        QVERIFY(office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
    }

    // While maintenance runs on the server a login is refused with its reason and loads no rights; once it
    // is over the same login goes through.
    void aLoginWaitsForMaintenance() {
        Office office;
        if (!office.data.db().isServer())
            QSKIP("one desk has its office lock");
        office.registerPlain<"Frmczy">(QStringLiteral("M_xtwh"));
        {
            Database maintaining(office.data.db().target(), Database::Mode::ReadOnly);
            const MaintenanceLock lock(maintaining, QStringLiteral("还原数据"));
            office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
            QCOMPARE(office.prompter.texts(), QStringList{QStringLiteral("系统正在维护，请稍后再登录")});
            QVERIFY(office.session.permissionString.isEmpty());
            QVERIFY(!office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
            QVERIFY(OnlineDesks::list(office.data.db()).isEmpty());
        }
        office.logInAs(QStringLiteral("Admin"), QStringLiteral("admin"));
        QVERIFY(office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
        QCOMPARE(OnlineDesks::list(office.data.db()).size(), 1);
    }

    // When another desk restored the office, this desk is told, its windows close and it logs in again.
    void aRestoreElsewhereClosesTheWindowsAndAsksForALogin() {
        Office office;
        office.registerPlain<"Frmczy">(QStringLiteral("M_xtwh"));
        office.registerPlain<"Frm_czjl">(QStringLiteral("M_czjl"));
        // A desk at its login has nothing to close: it logs in onto the restored records.
        bool played = false;
        office.whenLoginShows([&](QDialog* dialog) {
            played = true;
            office.data.db().notifyChange(ChangeNotifier::Subject::Restored);
            Office::pick(dialog, QStringLiteral("Admin"));
            control<QLineEdit>(dialog, "Text1")->setText(QStringLiteral("admin"));
            QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
        });
        office.window.startLoginTimer();
        QTRY_VERIFY(played);
        QCOMPARE(office.prompter.texts().filter(QStringLiteral("还原")), QStringList());
        QVERIFY(office.enabled(QStringLiteral("M_xtsz")));
        office.window.command(QStringLiteral("M_xtwh"))->trigger();
        office.window.command(QStringLiteral("M_czjl"))->trigger();
        QCOMPARE(office.openWindows().size(), 2);
        office.prompter.shown.clear();

        Database& restoring = office.elsewhere();
        bool loginShown = false;
        office.whenLoginShows([&](QDialog* dialog) {
            loginShown = true;
            dialog->reject();
        });
        restoring.notifyChange(ChangeNotifier::Subject::Restored);
        QTRY_VERIFY(loginShown);
        QCOMPARE(office.prompter.texts(),
                 QStringList{QStringLiteral("数据已被还原，打开的窗口都已关闭，请重新登录。")});
        QVERIFY(office.openWindows().isEmpty());
        QVERIFY(!office.window.command(QStringLiteral("M_xtwh"))->isEnabled());
    }

    void paymentsDueTodayAreAnnouncedAndListed() {
        Office office;
        office.data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 提醒日期, 需要提醒) "
                                       "VALUES ('甲区1排0001号', '王''五', '2026-12-06', 1)"));
        office.data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 提醒日期, 需要提醒) "
                                       "VALUES ('甲区1排0002号', '李四', '2026-12-07', 1)"));
        office.data.addOperator(QStringLiteral("张三"), QStringLiteral("own"), QStringLiteral("操作员"),
                                QString(40, QLatin1Char('f')));
        office.logInAs(QStringLiteral("张三"), QStringLiteral("own"));
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("下列客户已到完款时间")}));
        QCOMPARE(office.prompter.shown.first().caption, QStringLiteral("提醒"));
        QWidget* list = office.find(QStringLiteral("Frm_ydwktx"));
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), QStringLiteral("预定完款提醒"));
        QCOMPARE(control<QTableView>(list, "Grid1")->model()->rowCount(), 1);
        QTest::mouseClick(control<QPushButton>(list, "Command1"), Qt::LeftButton);
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ydwktx")));
    }

    void reLoginClosesEveryTaskWindowBeforeTheDialog() {
        Office office;
        office.session.permissionString = QString(40, QLatin1Char('f'));
        office.registerPlain<"Frmjc_sz">(QStringLiteral("M_szts"));
        office.registerPlain<"Frmbxwh">(QStringLiteral("bxwh"));
        office.window.command(QStringLiteral("M_szts"))->trigger();
        office.window.command(QStringLiteral("bxwh"))->trigger();
        QCOMPARE(office.openWindows().size(), 2);

        int windowsWhenDialogCame = -1;
        office.whenLoginShows([&](QDialog* dialog) {
            windowsWhenDialogCame = office.window.findChild<QMdiArea*>()->subWindowList().size();
            dialog->reject();
        });
        office.window.command(QStringLiteral("M_cxdl"))->trigger();
        QTRY_COMPARE(windowsWhenDialogCame, 0);
    }

    void comboEntryRemovalTakesTheFirstMatchOnly() {
        QComboBox combo;
        combo.setEditable(true);
        combo.addItems({QStringLiteral("甲区"), QStringLiteral("乙区"), QStringLiteral("乙区")});
        combo.setEditText(QStringLiteral("乙区"));
        removeCurrentComboEntry(&combo);
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.itemText(1), QStringLiteral("乙区"));
        QCOMPARE(combo.currentText(), QStringLiteral("乙区"));
        combo.setEditText(QStringLiteral("丙区"));
        removeCurrentComboEntry(&combo);
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.currentText(), QStringLiteral("丙区"));
    }

    void enterMovesToTheNextField() {
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        auto* button = new QPushButton(QStringLiteral("确定"), &window);
        EnterAsTab::install(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Return);
        QVERIFY(second->hasFocus());
        QTest::keyClick(second, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(button->hasFocus());
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::keyClick(button, Qt::Key_Return);
        QTRY_COMPARE(clicked.count(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
