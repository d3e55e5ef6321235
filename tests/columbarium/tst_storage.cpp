#include "columbarium/nichebrowseservice.h"
#include "columbarium/storagechargesservice.h"
#include "columbarium/storageregistrationservice.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

// Every field with a value of its own, and the storage from 2007-04-06 to 2027-04-06.
StorageForm urn(const char* key = "福寿厅1室0002号") {
    StorageForm form;
    form.nicheKey = QStringLiteral(" ") + text(key);
    form.urnType = QStringLiteral(" 红木 ");
    form.storedFrom = QDate(2007, 4, 6);
    form.storedUntil = QDate(2027, 4, 6);
    form.deceased = QStringLiteral(" 陈'二 ");
    form.sex = QStringLiteral("男");
    form.formerUnit = QStringLiteral("纺织厂");
    form.born = QDate(1930, 1, 2);
    form.died = QDate(2007, 3, 4);
    form.nativePlace = QStringLiteral("上海");
    form.contact = QStringLiteral(" 陈小二 ");
    form.relation = QStringLiteral("父子");
    form.workUnit = QStringLiteral("银行");
    form.address = QStringLiteral("南京路9号");
    form.phone = QStringLiteral("021-63001234");
    form.amountDue = QStringLiteral("123456.78");
    form.amountReceived = QStringLiteral("2400.5");
    form.email = QStringLiteral("chen@example.cn");
    form.remark = QStringLiteral("加急");
    form.idNumber = QStringLiteral("310101193001021111");
    return form;
}

struct Storage {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    StorageRegistrationService registration{{data.db(), session, clock}};

    Storage() {
        session.operatorName = QStringLiteral("Admin");
        // Two halls with rooms and numbers of the same names; 0002 of 福寿厅 room 1 is the one stored.
        data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('福寿厅', '1', '2', '0002', '双人框', "
            "123456.78, '未使用'), ('福寿厅', '1', '3', '0001', '单人框', 800, '未使用'), ('福寿厅', '1', '2', "
            "'0003', '单人框', 800, '已使用'), ('福寿厅', '1', '2', '0012', '单人框', 900, '未使用'), ('福寿厅', "
            "'2', '2', '0004', '单人框', 800, '未使用'), ('福寿厅北', '1', '2', '0005', '单人框', 800, '未使用')"));
    }
    QString tables() {
        return data.dump(QStringLiteral("ghjc_wz")) + data.dump(QStringLiteral("ghjc_dj")) +
               data.dump(QStringLiteral("ghjc_xf1"));
    }
};

QString keys(const NicheList& list) {
    QStringList keys;
    for (const ListedNiche& niche : list.niches)
        keys << niche.key + u'/' + niche.style;
    return keys.join(u' ');
}

} // namespace

class StorageTest : public QObject {
    Q_OBJECT

private slots:
    // Free niches of exactly the hall and room, by layer, or by the number as typed; the pick keeps the
    // price as a double, and the list prints with its own query.
    void theBrowseListsTheFreeNichesOfARoom() {
        Storage storage;
        NicheBrowseService browse(storage.data.db());
        QCOMPARE(browse.halls(), texts({"福寿厅", "福寿厅北"}));
        // A room only the hall whose name begins with this one's has, kept by its marker row.
        storage.data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室) VALUES ('福寿厅北', '3')"));
        QCOMPARE(browse.rooms(QStringLiteral("福寿厅")), texts({"1", "2"}));
        QCOMPARE(browse.rooms(QStringLiteral("福寿厅北")), texts({"1", "3"}));
        NicheList list = browse.room(QStringLiteral("福寿厅"), QStringLiteral("1"));
        QCOMPARE(keys(list),
                 QStringLiteral("福寿厅1室0001号/单人框 福寿厅1室0002号/双人框 福寿厅1室0012号/单人框"));
        QCOMPARE(list.status, QStringLiteral("福寿厅1室，未使用的位置数： 3"));
        list = browse.layer(QStringLiteral("福寿厅"), QStringLiteral("1"), QStringLiteral("2"));
        QCOMPARE(keys(list), QStringLiteral("福寿厅1室0002号/双人框 福寿厅1室0012号/单人框"));
        QCOMPARE(list.status, QStringLiteral("福寿厅1室，位于第2层的未使用位置数： 2"));
        QCOMPARE(handedToPrint({browse.listPrint(list)}),
                 texts({"jcwzs|jcwzs$#select * from ghjc_wz where 厅='福寿厅' and 室='1' and 层='2' and "
                        "状态='未使用' order by 号@未使用的墓位列表"}));
        QCOMPARE(keys(browse.number(QStringLiteral("福寿厅"), QStringLiteral("1"), QStringLiteral("12"))),
                 QString());
        QCOMPARE(keys(browse.number(QStringLiteral("福寿厅"), QStringLiteral("1"), QStringLiteral("0012"))),
                 QStringLiteral("福寿厅1室0012号/单人框"));

        const std::optional<PickedNiche> picked = browse.pick(QStringLiteral("福寿厅1室0002号"));
        QVERIFY(picked);
        QCOMPARE(picked->niche.price, 123456.78);
        QCOMPARE(NicheBrowseService::question(*picked),
                 QStringLiteral(
                     "您选择的是： 福寿厅1室0002号\n\n      样式： 双人框\n      位置： 第2层\n      价位： "
                     "123456.78\n\n确信要入档吗?"));
        QVERIFY(!browse.pick(QStringLiteral("福寿厅1室0003号")));
    }

    // Each refusal on its own, in the office's order; nothing is written before the checks pass.
    void aRegistrationIsRefusedInTheOfficesOrder() {
        Storage storage;
        const QString before = storage.tables();
        const auto refusal = [&](const StorageForm& form) -> QString {
            const SaveOutcome outcome = storage.registration.save(form);
            return outcome.message->caption + u'|' + outcome.message->text;
        };
        storage.session.flags.addDenied = true;
        QCOMPARE(refusal(urn()), QStringLiteral("Admin|您没有添加记录权限！"));
        storage.session.flags.addDenied = false;
        StorageForm form = urn();
        form.urnType = QStringLiteral(" ");
        QCOMPARE(refusal(form), QStringLiteral("|请填写骨灰盒型!"));
        form = urn();
        form.deceased.clear();
        QCOMPARE(refusal(form), QStringLiteral("|请填写故者姓名!"));
        form = urn();
        form.sex.clear();
        QCOMPARE(refusal(form), QStringLiteral("|请选择性别!"));
        form = urn();
        form.storedUntil = QDate(2007, 4, 5);
        QCOMPARE(refusal(form), QStringLiteral("|使用日期起止错误!"));
        QCOMPARE(storage.registration.save(form).message->icon, Prompter::Icon::Exclamation);
        form = urn();
        form.contact = QStringLiteral("  ");
        QCOMPARE(refusal(form), QStringLiteral("|请把联系人情况填写完整!"));
        form = urn();
        form.amountReceived = QStringLiteral("元");
        QCOMPARE(refusal(form), QStringLiteral("|应收费与实收费不能为零！"));
        QCOMPARE(storage.tables(), before);
    }

    // The register row, the niche taken and the "存入" row with every column, and the six papers by id;
    // the niche is checked again inside the save, and a failure at any write leaves everything as it was.
    void aRegistrationStoresTheUrnOnceAndPrintsItsPapers() {
        Storage storage;
        const QString before = storage.tables();
        for (int write = 1; write <= 3; ++write) {
            storage.data.db().failNthWrite(write);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, storage.registration.save(urn()));
            QCOMPARE(storage.tables(), before);
        }
        storage.data.db().failNthWrite(0);

        StorageForm form = urn();
        form.hideBirthDate = true;
        const SaveOutcome outcome = storage.registration.save(form);
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("输入成功！"));
        QCOMPARE(storage.data.dumpWithoutKey(QStringLiteral("ghjc_dj")),
                 QStringLiteral("福寿厅1室0002号|红木|陈'二|男|1930-01-02|2007-03-04|上海|纺织厂|2007-04-06|"
                                "2027-04-06|陈小二|父子|银行|310101193001021111|南京路9号|021-63001234|"
                                "chen@example.cn|加急"));
        QCOMPARE(
            storage.data.dumpWithoutKey(QStringLiteral("ghjc_xf1")),
            QStringLiteral("福寿厅1室0002号|陈'二|陈小二|2007-04-06|2027-04-06|123456.78|2400.5|存入|Admin|"
                           "2026-12-06 09:30:00"));
        QCOMPARE(storage.data.count(QStringLiteral("ghjc_wz"), QStringLiteral("状态 = '已使用'")), 2);
        QCOMPARE(
            storage.data.value(QStringLiteral("SELECT 状态 FROM ghjc_wz WHERE 存放位置 = '福寿厅1室0002号'")),
            QVariant(QStringLiteral("已使用")));
        // A server hands out keys to the rows the failed saves rolled back too.
        const QString registered = storage.data.value(QStringLiteral("SELECT id FROM ghjc_dj")).toString();
        const QString paid = storage.data.value(QStringLiteral("SELECT id FROM ghjc_xf1")).toString();
        QStringList papers = texts({"lxr_jc|lxr_jc$#select * from ghjc_dj where id=DJ",
                                    "gz_jc|gz_jc$#select *, 1 as 不显示出生日期 from ghjc_dj where id=DJ",
                                    "yxsj_jc|yxsj_jc$#select * from ghjc_dj where id=DJ",
                                    "jc_dj|jc_dj$#select *, 1 as 不显示出生日期 from ghjc_dj where id=DJ",
                                    "jc_xc|jc_xc$#select * from ghjc_xf1 where id=XF1@ 20年",
                                    "jc_xf1|jc_xf1$#select * from ghjc_xf1 where id=XF1"});
        papers.replaceInStrings(QStringLiteral("DJ"), registered)
            .replaceInStrings(QStringLiteral("XF1"), paid);
        QCOMPARE(handedToPrint(outcome.prints), papers);

        // No second urn in the niche; a niche that is not there takes none either.
        const QString stored = storage.tables();
        SaveOutcome again = storage.registration.save(urn());
        QVERIFY(!again.saved);
        QCOMPARE(again.message->text, QStringLiteral("寄存位“福寿厅1室0002号”现在是“已使用”，不能入档！"));
        QCOMPARE(storage.registration.save(urn("福寿厅1室0009号")).message->text,
                 QStringLiteral("找不到寄存位“福寿厅1室0009号”，不能入档！"));
        QCOMPARE(storage.tables(), stored);

        // Fields left empty are stored as the office keeps them; the birth date prints when not hidden.
        form = urn("福寿厅北1室0005号");
        form.nativePlace.clear();
        form.idNumber = QStringLiteral(" ");
        form.email.clear();
        form.remark.clear();
        const SaveOutcome plain = storage.registration.save(form);
        QCOMPARE(storage.data.value(
                     QStringLiteral("SELECT 籍贯 || '/' || 身份证号 || '/' || 电子信箱 || '/' || 备注 "
                                    "FROM ghjc_dj WHERE 存放位置 = '福寿厅北1室0005号'")),
                 QVariant(QStringLiteral(" / /无/无")));
        QCOMPARE(plain.prints.at(1).query,
                 QStringLiteral("select * from ghjc_dj where id=") +
                     storage.data
                         .value(QStringLiteral("SELECT id FROM ghjc_dj WHERE 存放位置 = '福寿厅北1室0005号'"))
                         .toString());
    }

    // Price 30 × 2 and a layer fee of 100 make 160; the row keeps every item and prints by its row key.
    void itemChargesAreTotalledSavedAndPrinted() {
        Storage storage;
        StorageChargesService charges({storage.data.db(), storage.session, storage.clock});
        StorageChargeForm form;
        form.nicheKey = QStringLiteral(" 福寿厅1室0002号 ");
        form.contact = QStringLiteral(" 陈小二 ");
        form.unitPrices = {QStringLiteral("30"), QString(), QString(), QString()};
        form.quantities = {QStringLiteral("2"), QString(), QString(), QString()};
        form.layerFee = QStringLiteral("100");
        QCOMPARE(StorageChargesService::grandTotal(form), 160.0);

        StorageChargeForm empty = form;
        empty.unitPrices[0].clear();
        empty.layerFee.clear();
        QCOMPARE(charges.save(empty).message->text, QStringLiteral("合计不能为零！"));
        empty.otherFee = QStringLiteral("0.004"); // less than a cent is nothing
        QCOMPARE(charges.save(empty).message->text, QStringLiteral("合计不能为零！"));
        empty = form;
        empty.nicheKey = QStringLiteral(" ");
        QCOMPARE(charges.save(empty).message->text, QStringLiteral("存放位置不能为空！"));
        empty = form;
        empty.contact.clear();
        const SaveOutcome refusal = charges.save(empty);
        QCOMPARE(refusal.message->caption + u'|' + refusal.message->text,
                 QStringLiteral("提示|联系人不能为空！"));
        storage.session.flags.addDenied = true;
        QCOMPARE(charges.save(form).message->text, QStringLiteral("您没有添加记录权限！"));
        storage.session.flags.addDenied = false;
        QCOMPARE(storage.data.count(QStringLiteral("ghjc_xf2")), 0);

        form.unitPrices = {QStringLiteral("30"), QStringLiteral("2.5"), QStringLiteral("7"),
                           QStringLiteral("300")};
        form.quantities = {QStringLiteral("2"), QStringLiteral("4"), QStringLiteral("3"),
                           QStringLiteral("1")};
        // Each fee is kept to the cent, and the total is theirs.
        form.layerFee = QStringLiteral("100.004");
        form.otherFee = QStringLiteral("0.304");
        const SaveOutcome outcome = charges.save(form);
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->caption + u'|' + outcome.message->text, QStringLiteral("|输入成功！"));
        QCOMPARE(
            storage.data.dumpWithoutKey(QStringLiteral("ghjc_xf2")),
            QStringLiteral("福寿厅1室0002号|陈小二|30|2|60|2.5|4|10|7|3|21|300|1|300|100|0.3|491.3|Admin|"
                           "2026-12-06 09:30:00"));
        QCOMPARE(handedToPrint(outcome.prints), texts({"jc_xf2|jc_xf2$#select * from GHJC_XF2 where rid=1"}));
    }
};

QTEST_GUILESS_MAIN(StorageTest)
#include "tst_storage.moc"
