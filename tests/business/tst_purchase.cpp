#include "purchaseservice.h"
#include "testsupport.h"

#include <QTest>

namespace {

struct Office {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    RecordingLauncher launcher;
    PrintBridge printBridge{session, launcher, QStringLiteral("/opt/pelu")};

    Office() {
        session.operatorName = QStringLiteral("Admin");
        session.reportList = QStringLiteral(",lxr,,gm,");
        addPlot(QStringLiteral("0001"), QStringLiteral("未使用"));
        addPlot(QStringLiteral("0002"), QStringLiteral("已预订"));
        data.sql(QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额) "
                                "VALUES (12, '甲区1排0002号', '李四', 3000, 10000, 7000)"));
    }
    PurchaseService service() { return {data.db(), session, clock}; }

    void addPlot(const QString& number, const QString& state) {
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                           "其它, 状态) VALUES ('甲区', '1', ?, '双人墓', 1000, 200, 0, 0, 50, 300, ?)"),
            {number, state});
    }
    QString state(const QString& key) {
        return data
            .value(QStringLiteral("SELECT 状态 || '/' || ifnull(寿穴, '') FROM mq_wz WHERE 墓碑位置 = ?"),
                   {key})
            .toString();
    }
    QString dumpAll() {
        return data.dump(QStringLiteral("gm_dj")) + u'#' + data.dump(QStringLiteral("mq_wz")) + u'#' +
               data.dump(QStringLiteral("gm_xf1")) + u'#' + data.dump(QStringLiteral("ydmd"));
    }
};

// The example sale: rate 10, fees 1000, 200, 0, 0, 300, greening 50, a further charge of 40.
PurchaseForm exampleSale(const QString& key = QStringLiteral("甲区1排0001号")) {
    PurchaseForm form;
    form.plotKey = QStringLiteral(" ") + key + QStringLiteral(" ");
    form.number = 88;
    form.contact = QStringLiteral(" 王'五 ");
    form.workUnit = QStringLiteral(" 机械厂 ");
    form.address = QStringLiteral(" 东街3号 ");
    form.phone = QStringLiteral(" 5551234 ");
    form.boughtOn = QDate(2026, 12, 6);
    form.useFrom = QDate(2026, 12, 6);
    form.useUntil = QDate(2046, 12, 6);
    form.stoneType = QStringLiteral("立碑");
    form.mainStone = QStringLiteral("未定");
    form.baseStone = QStringLiteral("青石");
    form.salesman = QStringLiteral("小刘");
    form.advanceBought = true;
    form.fees = {1000, 200, 0, 0, 50, 300, 10, 40};
    form.management = 150;
    form.extraName = QStringLiteral(" 花圈 ");
    form.remark = QStringLiteral(" 无 ");
    return form;
}

} // namespace

class PurchaseTest : public QObject {
    Q_OBJECT

private slots:
    void feesFollowTheRateWithoutGreening() {
        const FeeTotals totals = PurchaseService::computeFees({1000, 200, 0, 0, 50, 300, 10, 40});
        QCOMPARE(totals.management, 150.0);
        QCOMPARE(totals.subtotal, 1500.0);
        QCOMPARE(totals.total, 1740.0);
        // The management fee is rounded to cents; a typed-over one is taken as it is.
        QCOMPARE(PurchaseService::computeFees({333.33, 0, 0, 0, 0, 0, 3, 0}).management, 10.0);
        QCOMPARE(PurchaseService::computeFees({1234.5, 0, 0, 0, 0, 0, 1.5, 0}).management, 18.52);
        QCOMPARE(PurchaseService::totalsWith({1000, 200, 0, 0, 50, 300, 10, 40}, 99).total, 1689.0);

        QCOMPARE(PurchaseService::wholeNumber(QStringLiteral("12.7")), 12);
        QCOMPARE(PurchaseService::wholeNumber(QStringLiteral("编号")), 0);
        QCOMPARE(PurchaseService::useUntilFor(QDate(2026, 3, 31)), QDate(2046, 3, 31));
        QCOMPARE(PurchaseService::useUntilFor(QDate(2024, 2, 29)), QDate(2044, 2, 29));
    }

    void refusalsComeInOrderAndWriteNothing() {
        Office office;
        const QString before = office.dumpAll();
        PurchaseForm form = exampleSale();
        form.contact = QStringLiteral("  ");
        form.useUntil = form.useFrom;
        form.remark = QStringLiteral(" ");

        office.session.flags.addDenied = true;
        PurchaseService::Outcome outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("您没有添加记录的权限！"));
        QCOMPARE(outcome.message->caption, QStringLiteral("Admin"));
        office.session.flags.addDenied = false;

        outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("联系人不能为空!"));
        QCOMPARE(outcome.focus, PurchaseService::Field::Contact);
        form.contact = QStringLiteral("王五");

        outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("使用日期起止时间错误！"));
        QCOMPARE(outcome.message->icon, Prompter::Icon::Critical);
        form.useUntil = form.useFrom.addDays(1);

        // A blank remark becomes "无" and the click ends there.
        outcome = office.service().save(form);
        QVERIFY(outcome.remarkDefaulted);
        QVERIFY(!outcome.message);
        QVERIFY(!outcome.saved);
        QCOMPARE(office.dumpAll(), before);
    }

    void aSaleWritesItsRowsInOrder() {
        Office office;
        // Every write is logged as it lands, to see the order of the save.
        office.data.sql(QStringLiteral("CREATE TEMP TABLE writes (what TEXT)"));
        office.data.sql(QStringLiteral("CREATE TEMP TRIGGER log_dj AFTER INSERT ON main.gm_dj BEGIN "
                                       "INSERT INTO writes VALUES ('gm_dj'); END"));
        office.data.sql(QStringLiteral("CREATE TEMP TRIGGER log_wz AFTER UPDATE ON main.mq_wz BEGIN "
                                       "INSERT INTO writes VALUES ('mq_wz ' || new.状态); END"));
        office.data.sql(QStringLiteral("CREATE TEMP TRIGGER log_xf AFTER INSERT ON main.gm_xf1 BEGIN "
                                       "INSERT INTO writes VALUES ('gm_xf1'); END"));
        office.data.sql(QStringLiteral("CREATE TEMP TRIGGER log_yd AFTER DELETE ON main.ydmd BEGIN "
                                       "INSERT INTO writes VALUES ('ydmd'); END"));

        PurchaseForm form = exampleSale(QStringLiteral("甲区1排0002号"));
        form.mode = PurchaseForm::Mode::Settle;
        const PurchaseService::Outcome outcome = office.service().save(form);
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("OK，输入成功！"));
        QCOMPARE(outcome.message->caption, QStringLiteral("恭喜"));
        QCOMPARE(office.data.value(QStringLiteral("SELECT group_concat(what, ',') FROM writes")).toString(),
                 QStringLiteral("gm_dj,mq_wz 已购,gm_xf1,ydmd"));

        QSqlQuery dj = office.data.db().exec(
            QStringLiteral(
                "SELECT 编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 操作员, 业务员, 身份证号, "
                "工作单位, 家庭住址, 联系电话, 底碑材质, 墓碑类型, 主碑材质, 手机, 故者姓名 FROM gm_dj"),
            {}, QStringLiteral("test"));
        QVERIFY(dj.next());
        QStringList values;
        for (int column = 0; column < 17; ++column)
            values << (dj.value(column).isNull() ? QStringLiteral("NULL") : dj.value(column).toString());
        // An empty identity number is stored as one blank, an empty mobile as "无"; nobody is buried yet.
        QCOMPARE(values.join(u'|'),
                 QStringLiteral("88|甲区1排0002号|2026-12-06|2026-12-06|2046-12-06|王'五|Admin|"
                                "小刘| |机械厂|东街3号|5551234|青石|立碑|未定|无|NULL"));
        QCOMPARE(office.state(QStringLiteral("甲区1排0002号")), QStringLiteral("已购/1"));

        QSqlQuery xf = office.data.db().exec(
            QStringLiteral(
                "SELECT 编号, 墓碑位置, 联系人, 联系电话, 手机, 安葬日期, 工作单位, 墓地费, 墓碑费, "
                "家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, 备注, 操作方式, 操作员, "
                "操作日期, id FROM gm_xf1"),
            {}, QStringLiteral("test"));
        QVERIFY(xf.next());
        values.clear();
        for (int column = 0; column < 23; ++column)
            values << xf.value(column).toString();
        QCOMPARE(
            values.join(u'|'),
            QStringLiteral("88|甲区1排0002号|王'五| 5551234 |||机械厂|1000|200|0|0|150|50|300|花圈：|40|1500|"
                           "1740|无|购墓|Admin|2026-12-06 09:30:00|1"));
        QCOMPARE(office.data.count(QStringLiteral("ydmd")), 0);

        // The receipt carries the reservation's prepaid amount and balance and runs as it is written.
        QCOMPARE(outcome.prints.size(), 2);
        QCOMPARE(PrintBridge::commandTail(outcome.prints.at(0)),
                 QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0002号'"));
        QCOMPARE(PrintBridge::commandTail(outcome.prints.at(1)),
                 QStringLiteral("gm        $#select 3000 as 预交金额,7000 as 余额,* from gm_xf1 where id=1"));
        QSqlQuery receipt = office.data.db().exec(outcome.prints.at(1).query, {}, QStringLiteral("test"));
        QVERIFY(receipt.next());
        QCOMPARE(receipt.value(QStringLiteral("余额")).toDouble(), 7000.0);
        QCOMPARE(receipt.value(QStringLiteral("合计")).toDouble(), 1740.0);
    }

    void aPlotIsNeverSoldTwice() {
        Office office;
        QVERIFY(office.service().save(exampleSale()).saved);
        const QString after = office.dumpAll();

        PurchaseService::Outcome second = office.service().save(exampleSale());
        QVERIFY(!second.saved);
        QCOMPARE(second.message->text,
                 QStringLiteral("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！"));
        QVERIFY(second.prints.isEmpty());
        // A reserved plot is not bought from the map, and settling needs a reserved plot.
        QVERIFY(!office.service().save(exampleSale(QStringLiteral("甲区1排0002号"))).saved);
        PurchaseForm settle = exampleSale();
        settle.mode = PurchaseForm::Mode::Settle;
        QVERIFY(!office.service().save(settle).saved);
        QVERIFY(!office.service().save(exampleSale(QStringLiteral("甲区1排0009号"))).saved);
        QCOMPARE(office.dumpAll(), after);
        // A sale from the map takes over no reservation: nothing was prepaid.
        QCOMPARE(
            office.data.value(QStringLiteral("SELECT count(*) FROM ydmd WHERE 墓碑位置 = '甲区1排0002号'"))
                .toInt(),
            1);
    }

    void aFailedWriteLeavesEverythingAsItWas() {
        for (int failing = 1; failing <= 4; ++failing) {
            Office office;
            const QString before = office.dumpAll();
            PurchaseForm form = exampleSale(QStringLiteral("甲区1排0002号"));
            form.mode = PurchaseForm::Mode::Settle;
            office.data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, office.service().save(form));
            office.data.db().failNthWrite(0);
            QCOMPARE(office.dumpAll(), before);
        }
    }

    void theSheetAndTheReceiptPassThePrintGate() {
        Office office;
        PurchaseForm form = exampleSale();
        form.secondReceiptForm = true;
        const PurchaseService::Outcome outcome = office.service().save(form);
        for (const PrintJob& job : outcome.prints)
            office.printBridge.print(job);
        QCOMPARE(
            office.launcher.tails(),
            QStringList(
                {QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0001号'"),
                 QStringLiteral("gm1       $#select 0 as 预交金额,0 as 余额,* from gm_xf1 where id=1")}));
        // "gm" missing from the report list: only the contact sheet; the print flag: nothing.
        office.launcher.started.clear();
        office.session.reportList = QStringLiteral(",lxr,,gm1,");
        for (const PrintJob& job : outcome.prints)
            office.printBridge.print(job);
        QCOMPARE(office.launcher.started.size(), 1);
        office.session.flags.printDenied = true;
        for (const PrintJob& job : outcome.prints)
            office.printBridge.print(job);
        QCOMPARE(office.launcher.started.size(), 1);
    }

    void newStoneTypesAreLearnedOnce() {
        Office office;
        office.data.addOperator(QStringLiteral("小刘"), QStringLiteral("x"), QStringLiteral("业务员"),
                                QString());
        office.data.addOperator(QStringLiteral("小张"), QStringLiteral("x"), QStringLiteral("操作员"),
                                QString());
        PurchaseService service = office.service();
        QVERIFY(service.learn(PurchaseService::StoneList::MainStone, QStringLiteral(" 花岗岩 ")));
        QVERIFY(!service.learn(PurchaseService::StoneList::MainStone, QStringLiteral("花岗岩")));
        QVERIFY(!service.learn(PurchaseService::StoneList::Type, QStringLiteral("  ")));
        QVERIFY(service.learn(PurchaseService::StoneList::BaseStone, QStringLiteral("花岗岩")));
        QCOMPARE(office.data.count(QStringLiteral("mblx")), 2);
        QCOMPARE(office.data.count(QStringLiteral("mblx"), QStringLiteral("zblx = '花岗岩' AND mblx IS NULL "
                                                                          "AND dblx IS NULL")),
                 1);

        const PurchaseService::ReferenceLists lists = service.referenceLists();
        QCOMPARE(lists.stoneTypes, QStringList({QStringLiteral("未定")}));
        QCOMPARE(lists.mainStones, QStringList({QStringLiteral("未定"), QStringLiteral("花岗岩")}));
        QCOMPARE(lists.baseStones, QStringList({QStringLiteral("未定"), QStringLiteral("花岗岩")}));
        QCOMPARE(lists.salesmen, QStringList({QStringLiteral("小刘")}));
    }
};

QTEST_GUILESS_MAIN(PurchaseTest)
#include "tst_purchase.moc"
