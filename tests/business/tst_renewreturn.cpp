#include "business/gravereturnservice.h"
#include "business/renewalservice.h"
#include "business/ui/burialhubwindow.h"
#include "business/ui/gravereturnwindow.h"
#include "business/ui/renewalwindow.h"
#include "support/runningoffice.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Plot 甲区1排0001号 is sold (in advance) with two register rows, four fee rows (its purchase last but
// one) and a name slot. 乙区1排0001号 has the same row and number in another area, and its own rows.
struct Office : RunningOffice {
    Office() {
        session.reportList = QStringLiteral(",gm_jxf,,gm_gmzsf,,gm_tm,");
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, 状态, 寿穴) "
            "VALUES ('甲区', '1', '0001', '双人墓', 1000, 200, 30, 20, 50, 300, '已购', 1), "
            "('乙区', '1', '0001', '双人墓', 1000, 200, 30, 20, 50, 300, '已购', 1)"));
        for (const char* key : {"甲区1排0001号", "乙区1排0001号"}) {
            const QString plot = text(key);
            registerSoldPlot(data, plot);
            for (const char* kind : {"物品", "购墓", "加续费"})
                data.sql(
                    QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 墓地费, 墓碑费, 家庭墓费, 工料费, 其它费, "
                                   "绿化费, 管理费, 操作方式) VALUES (?, 1000, 500, 30, 20, 10, 40, 150, ?)"),
                    {plot, text(kind)});
        }
    }
    QString dumpAll() {
        QString all;
        for (const char* table : {"gm_dj", "gm_xf1", "gm_xr", "mq_wz", "mq_tm"})
            all += data.dump(QString::fromLatin1(table)) + u'#';
        return all;
    }
    bool hubOpen() { return window.host().find<BurialHubWindow>(); }
    RenewalService renewal() { return RenewalService({data.db(), session, clock}); }
    GraveReturnService graveReturn() { return GraveReturnService({data.db(), session, clock}); }
    template <typename Window> Window* openFor(const char* key) {
        session.chosenPurchase.key = text(key);
        // Opened from the burial management window, which a save closes too.
        window.host().open<BurialHubWindow>();
        auto* opened = window.host().open<Window>();
        opened->takeChosenPurchase();
        return opened;
    }
};

RenewalForm renewalUntil(const QDate& until) {
    RenewalForm form;
    form.plotKey = text(" 甲区1排0001号 ");
    form.useUntil = until;
    form.contact = text(" 王五 ");
    form.workUnit = text(" 机械厂 ");
    form.management = QStringLiteral("160");
    form.extraName = text(" 刻字 ");
    form.extra = QStringLiteral("50");
    form.remark = text(" 续 ");
    return form;
}

ReturnForm refundOf(const char* key) {
    ReturnForm form;
    form.plotKey = text(key);
    form.contact = text("王五");
    form.workUnit = text("机械厂");
    form.phone = QStringLiteral("5551234");
    form.refund = {QStringLiteral("1000"), QStringLiteral("500"), QStringLiteral("30"), QStringLiteral("20"),
                   QStringLiteral("40"),   QStringLiteral("10"),  QStringLiteral("5"),  QString()};
    form.management = QStringLiteral("78");
    form.shownUntil = QDate(2046, 12, 6);
    return form;
}

QString shown(QWidget* window, const char* field) {
    return control<QLineEdit>(window, field)->text();
}

} // namespace

class RenewReturnTest : public QObject {
    Q_OBJECT

private slots:
    // The management fee is the rate on the list prices and the extra item whichever is typed first; a
    // typed-over fee holds until its base changes; the save prints both documents of its fee row.
    void theRenewalFeeDoesNotDependOnTypingOrder() {
        Office office;
        auto* renewal = office.openFor<RenewalWindow>("甲区1排0001号");
        QCOMPARE(renewal->windowTitle(), text("甲区1排0001号 加续费管理"));
        QCOMPARE(QStringList({shown(renewal, "Mask5"), shown(renewal, "Mask6"), shown(renewal, "Mask7"),
                              shown(renewal, "Mask8"), shown(renewal, "Mask10"), shown(renewal, "Text2")}),
                 texts({"1000", "200", "20", "30", "300", ""}));
        QCOMPARE(control<QDateEdit>(renewal, "DTP2")->date(), QDate(2046, 12, 6));

        type(renewal, "Maskbfl", QStringLiteral("10"));
        type(renewal, "MaskE2", QStringLiteral("50"));
        QCOMPARE(shown(renewal, "Text2") + u'/' + shown(renewal, "Text3"), QStringLiteral("160/210"));
        type(renewal, "Maskbfl", QString());
        type(renewal, "MaskE2", QString());
        type(renewal, "MaskE2", QStringLiteral("50"));
        type(renewal, "Maskbfl", QStringLiteral("10"));
        QCOMPARE(shown(renewal, "Text2") + u'/' + shown(renewal, "Text3"), QStringLiteral("160/210"));

        type(renewal, "Text2", QStringLiteral("100"));
        QCOMPARE(shown(renewal, "Text3"), QStringLiteral("150"));
        type(renewal, "MaskE2", QStringLiteral("60"));
        QCOMPARE(shown(renewal, "Text2") + u'/' + shown(renewal, "Text3"), QStringLiteral("161/221"));
        renewal->takeChosenPurchase(); // brought back for the same plot
        QCOMPARE(shown(renewal, "Text2"), QStringLiteral("161"));

        // An end before the stored one is refused with the date field to correct, and the window stays.
        control<QDateEdit>(renewal, "DTP2")->setDate(QDate(2040, 1, 10));
        QTest::mouseClick(control<QPushButton>(renewal, "Command1"), Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), text("使用日期填写错误!"));
        QCOMPARE(renewal->focusWidget(), control<QDateEdit>(renewal, "DTP2"));
        QVERIFY(office.find(QStringLiteral("Frm_jxf")));

        control<QDateEdit>(renewal, "DTP2")->setDate(QDate(2051, 1, 10));
        QTest::mouseClick(control<QPushButton>(renewal, "Command1"), Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), text("OK，输入成功！"));
        QCOMPARE(office.launcher.tails(),
                 QStringList({text("gm_jxf    $#select * from gm_xf1 where id=7"),
                              text("gm_gmzsf  $#select * from gm_xf1 where id=7@5年")}));
        QTRY_VERIFY(!office.hubOpen());
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_jxf")));
    }

    // The plot's latest registration names who renews: its contact goes into the window and the fee row.
    void theRenewalStartsFromTheLatestRegistration() {
        Office office;
        office.data.sql(
            QStringLiteral("UPDATE gm_dj SET 联系人 = '王六', 联系电话 = '5556789' WHERE 故者姓名 = "
                           "'张二' AND 墓碑位置 = ?"),
            {text("甲区1排0001号")});
        const std::optional<RenewalSheet> sheet = office.renewal().load(text("甲区1排0001号"));
        QVERIFY(sheet);
        QCOMPARE(sheet->contact + u'/' + sheet->phone, text("王六/5556789"));
        QCOMPARE(office.renewal().load(text("乙区1排0001号"))->contact, text("王五"));

        // Rows that end apart: the save continues from the end the window showed, the last row's.
        office.data.sql(
            QStringLiteral("UPDATE gm_dj SET 日期止 = '2048-06-30' WHERE 故者姓名 = '张二' AND 墓碑位置 = ?"),
            {text("甲区1排0001号")});
        RenewalForm form = renewalUntil(QDate(2051, 1, 10));
        form.shownUntil = office.renewal().load(text("甲区1排0001号"))->useUntil;
        QCOMPARE(form.shownUntil, QDate(2048, 6, 30));
        QVERIFY(office.renewal().save(form).saved);
        QCOMPARE(
            office.data.db()
                .texts(QStringLiteral("SELECT 日期起 FROM gm_xf1 WHERE 操作方式 = '加续费' ORDER BY id DESC"),
                       {}, {})
                .value(0),
            QStringLiteral("2048-06-30"));
    }

    // Each guard on its own; the end of use is the one stored when the save runs, not the one shown,
    // and lands on every register row of the plot and no other.
    void theRenewalMovesEveryRowFromTheStoredEnd() {
        Office office;
        const QString before = office.dumpAll();
        RenewalForm form = renewalUntil(QDate(2051, 1, 10));
        form.management = QStringLiteral("16o");
        QCOMPARE(office.renewal().save(form).message->text, text("请输入正确的管理费！"));
        form = renewalUntil(QDate(2046, 12, 5));
        SaveOutcome outcome = office.renewal().save(form);
        QCOMPARE(outcome.message->caption + outcome.message->text, text("错误使用日期填写错误!"));
        form = renewalUntil(QDate(2051, 1, 10));
        form.remark = QStringLiteral(" ");
        QCOMPARE(office.renewal().save(form).message->text, text("备注不能为空！"));
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '未使用' WHERE 墓区 = '甲区'"));
        QVERIFY(!office.renewal().save(renewalUntil(QDate(2051, 1, 10))).saved);
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 墓区 = '甲区'"));
        QCOMPARE(office.dumpAll(), before);

        // Another desk renewed to the last day of 2050 after this window read 2046-12-06.
        office.data.sql(QStringLiteral("UPDATE gm_dj SET 日期止 = '2050-12-31' WHERE 墓碑位置 = ?"),
                        {text("甲区1排0001号")});
        QVERIFY(!office.renewal().save(renewalUntil(QDate(2050, 12, 30))).saved);
        // A window that still shows the old end would charge that renewal a second time.
        form = renewalUntil(QDate(2051, 1, 10));
        form.shownUntil = QDate(2046, 12, 6);
        QCOMPARE(office.renewal().save(form).message->text,
                 text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(office.data.count(QStringLiteral("gm_xf1"), QStringLiteral("操作方式 = '加续费'")), 2);
        outcome = office.renewal().save(renewalUntil(QDate(2051, 1, 10)));
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.prints.value(1).heading, std::optional<QString>(text("1年")));
        QCOMPARE(office.data.db()
                     .texts(QStringLiteral("SELECT 墓碑位置 || 日期止 FROM gm_dj ORDER BY rid"), {}, {})
                     .join(u','),
                 text("甲区1排0001号2051-01-10,甲区1排0001号2051-01-10,乙区1排0001号2046-12-06,"
                      "乙区1排0001号2046-12-06"));
        QCOMPARE(
            office.data.dump(QStringLiteral("gm_xf1")).section(u'\n', 6),
            text("7||甲区1排0001号||2050-12-31|2051-01-10|王五|||机械厂|||0|0|0|0|160|0|0|刻字  |50||210|续|"
                 "加续费|Admin|2026-12-06 09:30:00||"));
    }

    // "否" writes nothing; a failure at any write leaves every table as it was; the return frees only its
    // own plot and records the refund once, however often it is clicked.
    void theReturnAsksIsWholeAndHappensOnce() {
        Office office;
        const QString before = office.dumpAll();
        office.session.flags.addDenied = true;
        QCOMPARE(office.graveReturn().save(refundOf("甲区1排0001号"), office.prompter).message->text,
                 text("您没有添加记录的权限！"));
        office.session.flags.addDenied = false;

        office.prompter.answers.enqueue(Prompter::Answer::No);
        const SaveOutcome declined = office.graveReturn().save(refundOf(" 甲区1排0001号 "), office.prompter);
        QVERIFY(!declined.saved && !declined.message);
        QCOMPARE(
            office.prompter.shown.last().caption + office.prompter.lastText(),
            text(
                "删除您确信要退墓墓碑位置： 甲区1排0001号 吗？(退墓后，此墓的登记、收费和落葬记录将被删除)"));
        QCOMPARE(office.dumpAll(), before);

        QSignalSpy heard(&office.data.db().changes(), &ChangeNotifier::changed);
        for (int failing = 1; failing <= 5; ++failing) {
            office.prompter.answers.enqueue(Prompter::Answer::Yes);
            office.data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                     office.graveReturn().save(refundOf("甲区1排0001号"), office.prompter));
            QCOMPARE(office.dumpAll(), before);
        }
        office.data.db().failNthWrite(0);
        QCOMPARE(heard.size(), 0);
        // A window filled before a renewal moved the end on refunds without it.
        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        ReturnForm stale = refundOf("甲区1排0001号");
        stale.shownUntil = QDate(2036, 12, 6);
        QCOMPARE(office.graveReturn().save(stale, office.prompter).message->text,
                 text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(office.dumpAll(), before);
        QCOMPARE(heard.size(), 0);

        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        const SaveOutcome outcome = office.graveReturn().save(refundOf("甲区1排0001号"), office.prompter);
        QCOMPARE(outcome.message->text, text("操作成功！"));
        QCOMPARE(heard.size(), 1);
        QCOMPARE(heard.first().value(1).toString(), text("甲区"));
        QCOMPARE(PrintBridge::commandTail(outcome.prints.value(0)),
                 text("gm_tm     $#select * from mq_tm where rid=1"));
        QString left;
        for (const char* table : {"gm_dj", "gm_xf1", "gm_xr"})
            left +=
                QString::number(office.data.count(QString::fromLatin1(table), QStringLiteral("墓碑位置 = ?"),
                                                  {text("甲区1排0001号")})) +
                u'/' + QString::number(office.data.count(QString::fromLatin1(table))) + u' ';
        QCOMPARE(left, QStringLiteral("0/2 0/3 0/1 "));
        QCOMPARE(office.data.dump(QStringLiteral("mq_wz")),
                 text("1|甲区|1|0001|双人墓|1000|200|30|20|50|300|未使用|0|甲区1排0001号\n"
                      "2|乙区|1|0001|双人墓|1000|200|30|20|50|300|已购|1|乙区1排0001号"));
        QCOMPARE(office.data.dump(QStringLiteral("mq_tm")),
                 text("1|77|甲区1排0001号|王五|机械厂|5551234|1000|500|30|20|78|40|10|1560|1678|无|Admin|"
                      "2026-12-06 09:30:00"));

        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        QVERIFY(!office.graveReturn().save(refundOf("甲区1排0001号"), office.prompter).saved);
        QCOMPARE(office.data.count(QStringLiteral("mq_tm")), 1);
    }

    // The window starts from what was paid, recomputes the refund as typed, and closes the plot's windows.
    void theReturnWindowRefundsWhatWasPaid() {
        Office office;
        auto* giveBack = office.openFor<GraveReturnWindow>("甲区1排0001号");
        QCOMPARE(
            QStringList({shown(giveBack, "Mask_mdf"), shown(giveBack, "Mask_jtmf"),
                         shown(giveBack, "Mask_glf"), shown(giveBack, "Mask_qtf"), shown(giveBack, "Mask_xj"),
                         shown(giveBack, "Mask_gl"), shown(giveBack, "Mask_hj")}),
            texts({"1000", "30", "20", "10", "1560", "150", "1750"}));
        type(giveBack, "Maskbfl", QStringLiteral("5"));
        QCOMPARE(shown(giveBack, "Mask_gl") + u'/' + shown(giveBack, "Mask_hj"), QStringLiteral("78/1678"));

        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        QTest::mouseClick(control<QPushButton>(giveBack, "Command1"), Qt::LeftButton);
        QCOMPARE(office.data.value(QStringLiteral("SELECT 合计 FROM mq_tm")).toDouble(), 1678.0);
        QTRY_VERIFY(!office.hubOpen());
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_tmtf")));
        QCOMPARE(office.launcher.tails().size(), 1);
    }
};

QTEST_MAIN(RenewReturnTest)
#include "tst_renewreturn.moc"
