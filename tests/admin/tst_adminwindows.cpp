#include "admin/importservice.h"
#include "admin/rightseditor.h"
#include "admin/ui/acknowledgementswindow.h"
#include "foundation/passwordhash.h"
#include "foundation/ui/recordgrid.h"
#include "shared/loginservice.h"
#include "shared/rights.h"
#include "shared/ui/backgroundwindow.h"
#include "support/runningoffice.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>

namespace {

// Picks `name` in the operator list of a rights editor, as a click on the list does.
void pickOperator(QWidget* editor, const QString& name) {
    auto* operators = control<QComboBox>(editor, "czr_cbox");
    operators->setCurrentIndex(operators->findText(name));
    emit operators->activated(operators->currentIndex());
}

// The unit's row without its key, which a server does not count again from 1 once the table is empty.
QString unitRow(TestData& data) {
    QSqlQuery row = data.db().exec(QStringLiteral("SELECT dwmc, zt, ztdx, ztys, bjt FROM yhxx"), {},
                                   QStringLiteral("test"));
    QStringList rows;
    while (row.next()) {
        QStringList fields;
        for (int column = 0; column < 5; ++column)
            fields << (row.isNull(column) ? QString() : row.value(column).toString());
        rows << fields.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

} // namespace

class AdminWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // Every item from a Null string to its digit and back; what is stored is read back as ticks.
    void thePermissionEditorRoundTripsEveryItem() {
        RunningOffice office;
        office.data.addOperator(text("王会计"), QStringLiteral("x"), text("操作员"), QString());
        QWidget* editor = office.run(QStringLiteral("syspower"), QStringLiteral("power_frm"));
        auto* catalogue = control<QListWidget>(editor, "aitem_list");
        auto* grants = control<QListWidget>(editor, "item_list");
        auto* add = control<QCheckBox>(editor, "add_check");
        auto* modify = control<QCheckBox>(editor, "edit_check");
        auto* remove = control<QCheckBox>(editor, "del_check");
        QCOMPARE(grants->count(), 40); // Admin's own, picked at opening
        QCOMPARE(catalogue->item(20)->text(), text("系统维护"));
        QCOMPARE(catalogue->item(39)->text(), text("验收查询"));
        pickOperator(editor, text("王会计"));
        QCOMPARE(grants->count(), 0);
        const auto stored = [&] {
            return office.data.value(text("SELECT 权限字符 FROM czy WHERE 操作员 = '王会计'")).toString();
        };
        const auto ticks = [&]() -> QString {
            return QString::number(add->isChecked()) + QString::number(modify->isChecked()) +
                   QString::number(remove->isChecked());
        };
        for (int item = 1; item <= Item::Count; ++item) {
            const auto expect = [&](char digit) {
                QString digits(40, QLatin1Char('0'));
                digits[item - 1] = QLatin1Char(digit);
                return digits;
            };
            catalogue->setCurrentRow(item - 1);
            control<QPushButton>(editor, "sel_btn")->click();
            QCOMPARE(stored(), expect('f'));
            QCOMPARE(grants->currentItem()->text(), catalogue->item(item - 1)->text());
            QCOMPARE(ticks(), QStringLiteral("111"));
            add->click();
            QCOMPARE(stored(), expect('D'));
            modify->click();
            remove->click();
            QCOMPARE(stored(), expect('1')); // still opens, with no record rights
            add->click();
            QCOMPARE(stored(), expect('3'));

            pickOperator(editor, text("王会计"));
            QCOMPARE(ticks(), QStringLiteral("000"));
            grants->setCurrentRow(0);
            QCOMPARE(ticks(), QStringLiteral("100"));
            control<QPushButton>(editor, "del_btn")->click();
            QCOMPARE(stored(), QString(40, QLatin1Char('0')));
            QCOMPARE(grants->count(), 0);
        }
        QVERIFY(office.prompter.shown.isEmpty());

        control<QPushButton>(editor, "del_btn")->click();
        QCOMPARE(office.prompter.lastText(), text("请在操作员权限列表中选中要删除的项！"));
        catalogue->setCurrentRow(4);
        control<QPushButton>(editor, "sel_btn")->click();
        add->click();
        control<QPushButton>(editor, "sel_btn")->click();
        QCOMPARE(office.prompter.lastText(), text("    该项已经存在权限列表中！    "));
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Exclamation);
        // 全选 keeps the digits already granted.
        control<QPushButton>(editor, "asel_btn")->click();
        QCOMPARE(stored(), QStringLiteral("ffffD") + QString(35, QLatin1Char('f')));
        QCOMPARE(grants->count(), 40);
        control<QPushButton>(editor, "adel_btn")->click();
        QCOMPARE(stored(), QString(40, QLatin1Char('0')));
    }

    // A step of the editor over a text another desk changed since it was shown is refused with nothing
    // written; picked again, the operator's text shows the other desk's change and takes the step.
    void theReportListEditorNeverWritesOverAColleague() {
        RunningOffice office;
        office.data.addOperator(text("王会计"), QStringLiteral("x"), text("操作员"), QString(),
                                QStringLiteral(",gm,"));
        QWidget* editor = office.run(QStringLiteral("report"), QStringLiteral("report_frm"));
        auto* catalogue = control<QListWidget>(editor, "aitem_list");
        pickOperator(editor, text("王会计"));
        const auto stored = [&] {
            return office.data.value(text("SELECT 打印报表 FROM czy WHERE 操作员 = '王会计'")).toString();
        };
        office.data.sql(text("UPDATE czy SET 打印报表 = ',gm,,dj,' WHERE 操作员 = '王会计'"));
        catalogue->setCurrentRow(0);
        control<QPushButton>(editor, "sel_btn")->click();
        QCOMPARE(office.prompter.lastText(), text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(stored(), QStringLiteral(",gm,,dj,"));
        pickOperator(editor, text("王会计"));
        QCOMPARE(control<QListWidget>(editor, "item_list")->count(), 2);
        control<QPushButton>(editor, "sel_btn")->click();
        QCOMPARE(stored(),
                 QStringLiteral(",gm,,dj,,") + Rights::reportCatalogue().at(0).name + QLatin1Char(','));
    }

    void theReportListEditorRoundTripsEveryReport() {
        RunningOffice office;
        office.data.addOperator(text("王会计"), QStringLiteral("x"), text("操作员"), QString());
        QWidget* editor = office.run(QStringLiteral("report"), QStringLiteral("report_frm"));
        auto* catalogue = control<QListWidget>(editor, "aitem_list");
        auto* grants = control<QListWidget>(editor, "item_list");
        pickOperator(editor, text("王会计"));
        QCOMPARE(grants->count(), 0);
        const auto stored = [&] {
            return office.data.value(text("SELECT 打印报表 FROM czy WHERE 操作员 = '王会计'")).toString();
        };
        const auto& reports = Rights::reportCatalogue();
        QString expected;
        for (int row = 0; row < reports.size(); ++row) {
            catalogue->setCurrentRow(row);
            control<QPushButton>(editor, "sel_btn")->click();
            expected += QLatin1Char(',') + reports.at(row).name + QLatin1Char(',');
            QCOMPARE(stored(), expected);
        }
        QCOMPARE(stored(), Rights::fullReportList());
        // Read back, every line names its report in its last ten characters.
        pickOperator(editor, text("王会计"));
        QCOMPARE(grants->count(), reports.size());
        for (int row = 0; row < reports.size(); ++row)
            QCOMPARE(grants->item(row)->text().right(10).trimmed(), reports.at(row).name);

        // Taking out gm leaves gm_jxf and every other name.
        grants->setCurrentRow(3);
        control<QPushButton>(editor, "del_btn")->click();
        QVERIFY(!Rights::reportListAllows(stored(), QStringLiteral("gm")));
        QCOMPARE(ReportListText::grantedReports(stored()).size(), reports.size() - 1);
        catalogue->setCurrentRow(7);
        control<QPushButton>(editor, "sel_btn")->click();
        QCOMPARE(office.prompter.lastText(), text("     该项已经存在此用户的打印列表中！    "));
        control<QPushButton>(editor, "asel_btn")->click();
        QCOMPARE(stored(), Rights::fullReportList());
        control<QPushButton>(editor, "adel_btn")->click();
        QCOMPARE(stored(), QString());
        QCOMPARE(grants->count(), 0);
        control<QPushButton>(editor, "del_btn")->click();
        QCOMPARE(office.prompter.lastText(), text("请在操作员打印报表列表中选中要删除的项！"));
    }

    void aNewOperatorIsAddedThroughMaskedFields() {
        RunningOffice office;
        QWidget* window = office.run(QStringLiteral("M_xtwh"), QStringLiteral("Frmczy"));
        control<QPushButton>(window, "Command1")->click();
        auto* code = control<QLineEdit>(window, "Text1");
        code->setText(text("王'"));
        QCOMPARE(office.prompter.lastText(), text("请不要输入非法字符！"));
        QCOMPARE(code->text(), QString());
        code->setText(text("王会计"));
        for (const char* password : {"Text2", "Text3", "Text_mm1", "Text_mm2"}) {
            control<QLineEdit>(window, password)->setText(QStringLiteral("pw"));
            QCOMPARE(control<QLineEdit>(window, password)->echoMode(), QLineEdit::Password);
        }
        control<QPushButton>(window, "Command4")->click();
        auto* operators = control<QComboBox>(window, "Combo1");
        QCOMPARE(operators->currentText(), text("王会计"));
        QCOMPARE(office.data.count(QStringLiteral("czy")), 2);

        // Admin changes his own password in the masked frame.
        operators->setCurrentIndex(0);
        control<QPushButton>(window, "Command9")->click();
        QVERIFY(control<QWidget>(window, "Frame_mm")->isVisible());
        control<QLineEdit>(window, "Text_mm1")->setText(QStringLiteral("neu"));
        control<QLineEdit>(window, "Text_mm2")->setText(QStringLiteral("neu"));
        control<QPushButton>(window, "Cmd_mmqd")->click();
        QCOMPARE(office.prompter.lastText(), text("密码修改成功！"));
        QVERIFY(!control<QWidget>(window, "Frame_mm")->isVisible());
    }

    // Anybody but Admin changes his own password here and nothing else.
    void anOperatorOtherThanAdminChangesOnlyHisOwnPassword() {
        RunningOffice office(text("赵六"));
        office.data.addOperator(text("赵六"), QStringLiteral("old"), text("操作员"), QString());
        office.data.sql(text("INSERT INTO ghjc_xf1 (操作日期) VALUES ('2020-01-01 08:00:00')"));
        QWidget* window = office.run(QStringLiteral("M_xtwh"), QStringLiteral("Frmczy"));
        const QString before =
            office.data.dump(QStringLiteral("czy")) + office.data.dump(QStringLiteral("ghjc_xf1"));
        auto* operators = control<QComboBox>(window, "Combo1");
        operators->setCurrentIndex(0);
        emit operators->activated(0);
        QVERIFY(!control<QWidget>(window, "Frame5")->isEnabled()); // Admin's marks
        control<QPushButton>(window, "Command9")->click();
        QCOMPARE(office.prompter.lastText(), text("您只能修改自己的密码！"));
        QVERIFY(!control<QWidget>(window, "Frame_mm")->isVisible());
        const auto press = [&](const char* button) -> QString {
            control<QPushButton>(window, button)->click();
            return office.prompter.lastText();
        };
        QCOMPARE(press("Command1"), text("系统管理员Admin才有此权限！"));
        QCOMPARE(press("Command2"), text("Admin为系统管理员，不能注销！"));
        QCOMPARE(press("Cmd_xg"), text("Admin为系统管理员，拥有所有权限！"));
        control<QCheckBox>(window, "Check1")->setChecked(true);
        control<QPushButton>(window, "Command8")->click();
        QCOMPARE(office.prompter.lastText(), text("您没有此权限！"));
        QVERIFY(!control<QWidget>(window, "Frame1")->isVisible());
        QCOMPARE(office.data.dump(QStringLiteral("czy")) + office.data.dump(QStringLiteral("ghjc_xf1")),
                 before);

        operators->setCurrentIndex(1);
        emit operators->activated(1);
        QCOMPARE(press("Command2"), text("系统管理员Admin才有此权限！"));
        QCOMPARE(press("Cmd_xg"), text("系统管理员Admin才有此权限！"));
        control<QPushButton>(window, "Command9")->click();
        control<QLineEdit>(window, "Text_mm1")->setText(QStringLiteral("neu"));
        control<QLineEdit>(window, "Text_mm2")->setText(QStringLiteral("new"));
        control<QPushButton>(window, "Cmd_mmqd")->click();
        QCOMPARE(office.prompter.lastText(), text("两次输入的密码不一致！"));
        QCOMPARE(control<QLineEdit>(window, "Text_mm2")->text(), QString());
        control<QLineEdit>(window, "Text_mm2")->setText(QStringLiteral("neu"));
        control<QPushButton>(window, "Cmd_mmqd")->click();
        QCOMPARE(office.prompter.lastText(), text("密码修改成功！"));
        QVERIFY(PasswordHash::matches(
            office.data.value(text("SELECT 口令 FROM czy WHERE 操作员 = '赵六'")).toString(),
            QStringLiteral("neu")));
    }

    // The office's first day: Admin adds 王会计 with three rights, and 王会计 opens only those.
    void aNewOperatorOpensOnlyWhatHeWasGranted() {
        RunningOffice office;
        QWidget* operators = office.run(QStringLiteral("M_xtwh"), QStringLiteral("Frmczy"));
        control<QPushButton>(operators, "Command1")->click();
        control<QLineEdit>(operators, "Text1")->setText(text("王会计"));
        control<QLineEdit>(operators, "Text2")->setText(QStringLiteral("pw"));
        control<QLineEdit>(operators, "Text3")->setText(QStringLiteral("pw"));
        control<QPushButton>(operators, "Command4")->click();
        QWidget* editor = office.run(QStringLiteral("syspower"), QStringLiteral("power_frm"));
        pickOperator(editor, text("王会计"));
        for (int item : {Item::GravePositionSetup, Item::GraveItemCharges, Item::PrintSettings}) {
            control<QListWidget>(editor, "aitem_list")->setCurrentRow(item - 1);
            control<QPushButton>(editor, "sel_btn")->click();
        }
        office.window.host().closeAll();

        LoginService login(office.data.db(), office.session);
        login.pick(text("王会计"));
        QVERIFY(login.logIn(text("王会计"), QStringLiteral("pw")));
        const QList<std::pair<const char*, const char*>> granted = {
            {"M_szmw", "Frm_mqsz"}, {"M_mqyp", "Frm_mq_qtf"}, {"report", "report_frm"}};
        for (const auto& [command, window] : granted)
            QVERIFY2(office.run(QString::fromLatin1(command), QString::fromLatin1(window)), command);
        QVERIFY(office.prompter.shown.isEmpty());
        for (const char* command : {"M_gm", "M_xtwh", "syspower"}) {
            office.window.command(QString::fromLatin1(command))->trigger();
            QCOMPARE(office.prompter.lastText(), text("您没有此项功能权限！请联系系统管理员"));
        }
        QCOMPARE(office.window.host().openWindows().size(), 3);
    }

    void theTombstoneTypeListIsKeptThroughItsButtons() {
        RunningOffice office;
        office.data.sql(text("INSERT INTO mblx (mblx) VALUES ('立碑')"));
        QWidget* window = office.run(QStringLiteral("bxwh"), QStringLiteral("Frmbxwh"));
        auto* list = control<QComboBox>(window, "Combo2");
        auto* entry = control<QLineEdit>(window, "Mask1");
        auto* addOrSave = control<QPushButton>(window, "Command6");
        auto* removeOrCancel = control<QPushButton>(window, "Command7");
        const auto buttons = [&]() -> QString { return addOrSave->text() + removeOrCancel->text(); };
        addOrSave->click();
        QVERIFY(entry->isVisible() && !list->isVisible());
        QCOMPARE(buttons(), text("保存取消"));
        entry->setText(text("卧碑"));
        QTest::keyClick(entry, Qt::Key_Return);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentText(), text("卧碑"));
        QVERIFY(list->isVisible() && !entry->isVisible());
        QCOMPARE(buttons(), text("添加删除"));

        addOrSave->click();
        entry->setText(text("立碑"));
        addOrSave->click();
        QCOMPARE(office.prompter.lastText(), text("立碑已存在！"));
        QVERIFY(entry->isVisible());
        removeOrCancel->click();
        QCOMPARE(buttons(), text("添加删除"));

        list->setEditText(text("青石"));
        removeOrCancel->click();
        QCOMPARE(office.prompter.lastText(), text("请选择您要删除的项目!"));
        list->setCurrentIndex(0);
        office.prompter.answers << Prompter::Answer::Yes;
        removeOrCancel->click();
        QCOMPARE(office.prompter.lastText(), text("注销成功！  "));
        QCOMPARE(list->count(), 1);
        QCOMPARE(office.data.count(QStringLiteral("mblx")), 1);
    }

    // However long the bands of thanks scroll, they cover the window without a gap.
    void theThanksScrollWithoutEnd() {
        RunningOffice office;
        auto* window = static_cast<AcknowledgementsWindow*>(
            office.run(QStringLiteral("M_mx"), QStringLiteral("Frm_mmxx")));
        auto* first = control<QLabel>(window, "Image1");
        auto* second = control<QLabel>(window, "Image2");
        for (int tick = 0; tick < 3000; ++tick) {
            window->scroll();
            QLabel* upper = first->y() < second->y() ? first : second;
            QLabel* lower = upper == first ? second : first;
            QVERIFY(upper->y() <= 0);
            QCOMPARE(lower->y(), upper->y() + upper->height());
            QVERIFY(lower->y() + lower->height() >= window->height());
        }
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_mmxx")));
    }

    void theHelpWindowsStandModalOverTheMainWindow() {
        RunningOffice office;
        for (const auto& [command, name] : {std::pair{"M_yhxx", "Frm_yhxx"}, std::pair{"M_jszc", "Frm_jszc"},
                                            std::pair{"M_mx", "Frm_mmxx"}}) {
            QWidget* window = office.run(QString::fromLatin1(command), QString::fromLatin1(name));
            QVERIFY2(window && window->isWindow() && window->isModal(), name);
            QCOMPARE(window->parentWidget(), &office.window);
            QCOMPARE(QApplication::activeModalWidget(), window);
            // Asked for again, the open one comes up; none opens twice.
            QCOMPARE(office.run(QString::fromLatin1(command), QString::fromLatin1(name)), window);
            QCOMPARE(office.window.host().openWindows(), QList<QWidget*>({window}));
            office.window.host().close(window);
            QTRY_VERIFY(!QApplication::activeModalWidget());
        }
        // 显示信息 stands where a task window would; 确定 of 技术支持 closes it.
        QWidget* unit = office.run(QStringLiteral("M_yhxx"), QStringLiteral("Frm_yhxx"));
        const QRect spot =
            WindowHost::placement(office.window.frameGeometry().size(), office.window.background()->size(),
                                  unit->frameGeometry().size());
        QCOMPARE(unit->pos(), office.window.frameGeometry().topLeft() + spot.topLeft());
        // Re-login takes it away like every task window.
        office.window.host().closeAll();
        QTRY_VERIFY(office.window.host().openWindows().isEmpty());
        control<QPushButton>(office.run(QStringLiteral("M_jszc"), QStringLiteral("Frm_jszc")), "Command1")
            ->click();
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_jszc")));
    }

    // The title piece above the middle and the band near the foot, 2000 twips (133 px) up from it.
    void theBackgroundPlacesItsPictures() {
        RunningOffice office;
        BackgroundWindow* background = office.window.background();
        office.window.resize(1100, 800);
        QTRY_COMPARE(background->size(), office.window.findChild<QMdiArea*>()->viewport()->size());
        const QSize room = background->size();
        auto* title = background->findChild<QLabel*>(QStringLiteral("Img_topic"));
        auto* foot = background->findChild<QLabel*>(QStringLiteral("Img_zz"));
        QVERIFY(!title->pixmap().isNull() && !foot->pixmap().isNull());
        QCOMPARE(title->geometry(), QRect(QPoint((room.width() - title->width()) / 2,
                                                 (room.height() - title->height() - 133) / 2),
                                          title->pixmap().size()));
        QCOMPARE(foot->geometry(), QRect(QPoint((room.width() - foot->width()) / 2, room.height() - 133),
                                         foot->pixmap().size()));
        // The unit name is in front of them.
        QCOMPARE(background->childAt(
                     background->findChild<QLabel*>(QStringLiteral("Label1"))->geometry().center()),
                 background->findChild<QLabel*>(QStringLiteral("Label1")));
    }

    void theUnitInformationShowsOnTheBackground() {
        RunningOffice office;
        auto* unitName = office.window.background()->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(unitName->y(), 100); // 1500 twips
        auto* picture = office.window.background()->findChild<QLabel*>(QStringLiteral("Image2"));
        QWidget* dialog = office.run(QStringLiteral("M_yhxx"), QStringLiteral("Frm_yhxx"));
        QCOMPARE(control<QLineEdit>(dialog, "Text2")->text(), QStringLiteral("36"));

        office.prompter.fonts << Prompter::FontChoice{QStringLiteral("Serif"), 28};
        control<QPushButton>(dialog, "Command2")->click();
        QCOMPARE(control<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("Serif"));
        QCOMPARE(control<QLineEdit>(dialog, "Text2")->text(), QStringLiteral("28"));

        const QString file = office.data.folder().path() + QStringLiteral("/back.png");
        QPixmap chosen(7, 5);
        chosen.fill(Qt::darkGreen);
        QVERIFY(chosen.save(file));
        office.prompter.fileNames << file;
        control<QPushButton>(dialog, "Command1")->click();
        QCOMPARE(picture->pixmap().size(), QSize(7, 5)); // shown at once

        const QString before = office.data.dump(QStringLiteral("yhxx"));
        control<QLineEdit>(dialog, "Mask_cw")->setText(QStringLiteral("  "));
        control<QPushButton>(dialog, "Command3")->click();
        QCOMPARE(office.prompter.lastText(), text("用户称谓不能为空！"));
        control<QLineEdit>(dialog, "Mask_cw")->setText(text(" 西山陵园 "));
        office.data.db().failNthWrite(1);
        control<QPushButton>(dialog, "Command3")->click();
        office.data.db().failNthWrite(0);
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Critical);
        QVERIFY(office.find(QStringLiteral("Frm_yhxx")));
        QCOMPARE(office.data.dump(QStringLiteral("yhxx")), before);

        // A size that is no positive number keeps the one stored.
        control<QLineEdit>(dialog, "Text2")->setText(QStringLiteral("-3"));
        control<QComboBox>(dialog, "Combo1")->setCurrentText(text("红色"));
        control<QPushButton>(dialog, "Command3")->click();
        QCOMPARE(unitRow(office.data), text("西山陵园|Serif|36|红色|") + file);
        QVERIFY(!office.find(QStringLiteral("Frm_yhxx")));
        QCOMPARE(unitName->text(), text("西山陵园"));
        QCOMPARE(unitName->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(picture->pixmap().size(), QSize(7, 5));
        // 确定 lifts the name to 1200 twips, where it stays, centred, as the window changes size, until the
        // background is loaded again.
        QCOMPARE(unitName->y(), 80);
        office.window.resize(office.window.width() + 60, office.window.height() + 40);
        QTRY_COMPARE(unitName->x(), (office.window.background()->width() - unitName->width()) / 2);
        QCOMPARE(unitName->y(), 80);
        office.window.background()->reload();
        QCOMPARE(unitName->y(), 100);

        // 取消 brings back the stored picture; 默认背景 the built-in one, making the row when there is none.
        dialog = office.run(QStringLiteral("M_yhxx"), QStringLiteral("Frm_yhxx"));
        office.prompter.fileNames << QStringLiteral("/no/such/picture.png");
        control<QPushButton>(dialog, "Command1")->click();
        QCOMPARE(picture->pixmap().size(), BackgroundWindow::builtInPicture().size());
        control<QPushButton>(dialog, "Command4")->click();
        QCOMPARE(picture->pixmap().size(), QSize(7, 5));
        office.data.sql(QStringLiteral("DELETE FROM yhxx"));
        office.window.command(QStringLiteral("M_mrbj"))->trigger();
        QCOMPARE(unitRow(office.data), text("||||无"));
        QCOMPARE(picture->pixmap().size(), BackgroundWindow::builtInPicture().size());
    }

    // Admin checks the files, sees the problems on the grid, fixes them, and only then imports.
    void importIsOfferedOnlyAfterACleanCheckOfTheseFiles() {
        RunningOffice office;
        QVERIFY(office.window.command(QStringLiteral("M_drsj"))->isVisible());
        QWidget* window = office.run(QStringLiteral("M_drsj"), QStringLiteral("Frm_drsj"));
        QVERIFY(window);
        auto* path = control<QLineEdit>(window, "file_mq_wz");
        auto* importButton = control<QPushButton>(window, "import_btn");
        auto* grid = control<RecordGrid>(window, "report_grid");
        const QDir folder(office.data.folder().path());
        const auto write = [&](const char* content) {
            QFile file(folder.filePath(QStringLiteral("mq_wz.csv")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        };

        // The template, saved where the operator says, checks clean.
        office.prompter.fileNames << folder.filePath(QStringLiteral("template/mq_wz.csv"));
        folder.mkpath(QStringLiteral("template"));
        control<QPushButton>(window, "template_btn")->click();
        path->setText(folder.filePath(QStringLiteral("template/mq_wz.csv")));
        control<QPushButton>(window, "check_btn")->click();
        QVERIFY(importButton->isEnabled());
        QCOMPARE(grid->count(), qint64(0));

        write("墓区,排,号,状态\n南区,1,0001,未使用\n南区,1,2,已购\n南区,2,0001,售出\n");
        office.prompter.fileNames << folder.filePath(QStringLiteral("mq_wz.csv"));
        control<QPushButton>(window, "pick_mq_wz")->click();
        QCOMPARE(path->text(), folder.filePath(QStringLiteral("mq_wz.csv")));
        QVERIFY(!importButton->isEnabled()); // another file, not yet checked
        control<QPushButton>(window, "check_btn")->click();
        QVERIFY(!importButton->isEnabled());
        QCOMPARE(grid->count(), qint64(2));
        QCOMPARE(control<QLabel>(window, "result_label")->text(),
                 text("检查出 2 个问题（见下表，可导出），请改正后再检查。"));
        grid->setCurrentIndex(grid->model()->index(1, 0));
        QCOMPARE(grid->currentValue(text("行")).toInt(), 4);
        QCOMPARE(grid->currentValue(text("列")).toString(), text("状态"));

        write("墓区,排,号,状态\n南区,1,0001,未使用\n南区,1,0002,已购\n南区,2,0001,限制\n");
        control<QPushButton>(window, "check_btn")->click();
        QVERIFY(importButton->isEnabled());
        QCOMPARE(control<QLabel>(window, "result_label")->text(), text("检查完毕，3 条记录都可以导入。"));
        importButton->click();
        QVERIFY(office.prompter.lastText().startsWith(text("导入完毕！共导入 3 条记录。")));
        QVERIFY(!importButton->isEnabled());
        QCOMPARE(office.data.count(QStringLiteral("mq_wz"), text("墓区 = '南区'")), 3);

        // The office's rows in the file's form, ready to read back.
        office.prompter.fileNames << folder.filePath(QStringLiteral("export.csv"));
        control<QPushButton>(window, "export_btn")->click();
        QFile exported(folder.filePath(QStringLiteral("export.csv")));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll().count("\r\n"), 4);
    }

    void onlyAdminIsOfferedTheImport() {
        RunningOffice office(text("王会计"));
        QVERIFY(!office.window.command(QStringLiteral("M_drsj"))->isVisible());
    }
};

QTEST_MAIN(AdminWindowsTest)
#include "tst_adminwindows.moc"
