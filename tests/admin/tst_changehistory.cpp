#include "business/purchaseservice.h"
#include "foundation/ui/recordgrid.h"
#include "support/runningoffice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// The recorded changes, oldest first, with the values of their before and after rows that a case
// looks at; absent values read "-".
QString recorded(TestData& data, const QString& where, const QVariantList& values,
                 const QString& column = QStringLiteral("状态")) {
    const auto valueIn = [&column](const QVariant& row) {
        const QJsonValue value = QJsonDocument::fromJson(row.toString().toUtf8()).object().value(column);
        return value.isNull() || value.isUndefined() ? QStringLiteral("-") : value.toVariant().toString();
    };
    QSqlQuery query =
        data.db().exec(QStringLiteral("SELECT 时间, 操作员, 窗口, 表, 行, 位置, 操作, 之前, 之后 FROM "
                                      "change_history WHERE %1 ORDER BY id")
                           .arg(where),
                       values, QStringLiteral("test"));
    QStringList changes;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < 7; ++i)
            fields << (query.isNull(i) ? QStringLiteral("-") : query.value(i).toString());
        fields << valueIn(query.value(7)) << valueIn(query.value(8));
        changes << fields.join(QLatin1Char('|'));
    }
    return changes.join(QLatin1Char('#'));
}

PurchaseForm sale(const QString& key) {
    PurchaseForm form;
    form.plotKey = key;
    form.number = QStringLiteral("7");
    form.contact = QStringLiteral("王五");
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = QDate(2046, 12, 6);
    form.fees.land = QStringLiteral("1000");
    form.remark = QStringLiteral("无");
    return form;
}

} // namespace

class ChangeHistoryTest : public QObject {
    Q_OBJECT

private slots:
    // A purchase, a later change and a delete: each row recorded once, with who, when, where and what.
    // A save that fails at any of its writes leaves no history at all.
    void everyWriteIsRecordedWithItsActorAndNothingOfARolledBackOne() {
        TestData data;
        Session session;
        session.operatorName = QStringLiteral("张三");
        FixedClock clock{testNow()};
        Database& db = data.db();
        db.setClock(clock);
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '1', '未使用')"));
        db.setOperator(QStringLiteral("张三"));
        db.setWindow(QStringLiteral("购墓登记"));
        clock.set(testNow().addSecs(60));
        const int before = data.count(QStringLiteral("change_history"));
        PurchaseService service({db, session, clock});
        for (int failing = 1; failing <= 3; ++failing) {
            db.failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, service.save(sale(QStringLiteral("甲区1排1号"))));
            QCOMPARE(data.count(QStringLiteral("change_history")), before);
        }
        db.failNthWrite(0);
        QVERIFY(service.save(sale(QStringLiteral("甲区1排1号"))).saved);

        const QString moment = QStringLiteral("2026-12-06 09:31:00|张三|购墓登记|");
        const QVariant plot = data.value(QStringLiteral("SELECT rid FROM mq_wz"));
        QCOMPARE(recorded(data, QStringLiteral("表 = 'mq_wz' AND id > ?"), {before}),
                 moment + QStringLiteral("mq_wz|%1|甲区1排1号|修改|未使用|已购").arg(plot.toString()));
        const QVariant registration = data.value(QStringLiteral("SELECT rid FROM gm_dj"));
        QCOMPARE(recorded(data, QStringLiteral("表 = 'gm_dj'"), {}, QStringLiteral("联系人")),
                 moment + QStringLiteral("gm_dj|%1|甲区1排1号|添加|-|王五").arg(registration.toString()));
        QCOMPARE(
            data.count(QStringLiteral("change_history"), QStringLiteral("表 = 'gm_xf1' AND 操作 = '添加'")),
            1);

        // A lone statement outside any action is recorded with the moment it ran.
        db.setOperator(QStringLiteral("李四"));
        db.setWindow(QStringLiteral("费用修改"));
        clock.set(testNow().addDays(1));
        db.exec(QStringLiteral("UPDATE gm_dj SET 联系人 = '赵六'"), {}, QStringLiteral("修改"));
        db.exec(QStringLiteral("DELETE FROM gm_xf1"), {}, QStringLiteral("删除"));
        const QString nextDay = QStringLiteral("2026-12-07 09:30:00|李四|费用修改|");
        QCOMPARE(
            recorded(data, QStringLiteral("表 = 'gm_dj' AND 操作 = '修改'"), {}, QStringLiteral("联系人")),
            nextDay + QStringLiteral("gm_dj|%1|甲区1排1号|修改|王五|赵六").arg(registration.toString()));
        QCOMPARE(
            recorded(data, QStringLiteral("表 = 'gm_xf1' AND 操作 = '删除'"), {}, QStringLiteral("联系人")),
            nextDay + QStringLiteral("gm_xf1|%1|甲区1排1号|删除|王五|-")
                          .arg(data.value(QStringLiteral("SELECT 行 FROM change_history WHERE 表 = "
                                                         "'gm_xf1' AND 操作 = '添加'"))
                                   .toString()));

        // The work tables of the statistics are not the office's records.
        db.exec(QStringLiteral("INSERT INTO jcxstj (类型) VALUES ('x')"), {}, QStringLiteral("统计"));
        QCOMPARE(data.count(QStringLiteral("change_history"), QStringLiteral("表 = 'jcxstj'")), 0);
    }

    void theHistoryCannotBeChanged() {
        TestData data;
        data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES ('邻居')"));
        const QString history = data.dump(QStringLiteral("change_history"));
        QVERIFY(!history.isEmpty());
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 data.db().exec(QStringLiteral("UPDATE change_history SET 操作员 = 'x'"), {},
                                                QStringLiteral("改")));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, data.db().exec(QStringLiteral("DELETE FROM change_history"),
                                                               {}, QStringLiteral("删")));
        QCOMPARE(data.dump(QStringLiteral("change_history")), history);
    }

    // Admin opens the viewer from its menu; each filter narrows the grid, the key exactly and not
    // the plot of a similar key beside it, the dates to whole days.
    void theViewerNarrowsTheHistory() {
        RunningOffice office;
        office.data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号) VALUES ('甲区', '1', '1'), ('甲区', '1', '11')"));
        office.data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES ('邻居')"));
        QWidget* window = office.run(QStringLiteral("M_czjl"), QStringLiteral("Frm_czjl"));
        QVERIFY(window);
        auto* grid = control<RecordGrid>(window, "Grid1");
        auto* count = control<QLabel>(window, "CountLabel");
        QCOMPARE(grid->count(), qint64(3));
        QCOMPARE(count->text(), QStringLiteral("共 3 条"));

        control<QLineEdit>(window, "KeyEdit")->setText(QStringLiteral("甲区1排1号"));
        control<QPushButton>(window, "SearchButton")->click();
        QCOMPARE(grid->count(), qint64(1));
        control<QLineEdit>(window, "KeyEdit")->clear();
        auto* table = control<QComboBox>(window, "TableBox");
        table->setCurrentText(QStringLiteral("gx"));
        control<QPushButton>(window, "SearchButton")->click();
        QCOMPARE(count->text(), QStringLiteral("共 1 条"));
        table->setCurrentIndex(0);
        control<QDateEdit>(window, "DateTo")->setDate(testNow().date().addDays(-1));
        control<QPushButton>(window, "SearchButton")->click();
        QCOMPARE(grid->count(), qint64(0));
        control<QDateEdit>(window, "DateFrom")->setDate(testNow().date());
        control<QDateEdit>(window, "DateTo")->setDate(testNow().date());
        control<QPushButton>(window, "SearchButton")->click();
        QCOMPARE(grid->count(), qint64(3));
    }
};

QTEST_MAIN(ChangeHistoryTest)
#include "tst_changehistory.moc"
