#include "foundation/bulkkeys.h"
#include "shared/numberedplace.h"
#include "shared/positionkey.h"
#include "support/testsupport.h"

#include <QTest>

// A bulk action is one line of the change history per table, with its count and positions, instead of
// a line per row; the row-by-row record stops for that work alone.
class TestBulkHistory : public QObject {
    Q_OBJECT

    struct Office {
        TestData data;
        FixedClock clock{testNow()};

        Office() {
            data.db().setClock(clock);
            data.db().setOperator(text("王会计"));
            data.db().setWindow(QStringLiteral("Frm_mqsz"));
        }
        Database& db() { return data.db(); }
        NumberedPlace row(const char* area, const char* row) {
            return NumberedPlace(db(), QStringLiteral("mq_wz"), QStringLiteral("墓区 = ? AND 排 = ?"),
                                 {text(area), text(row)}, text("墓区 %1，排 %2").arg(text(area), text(row)));
        }
        QStringList writeRun(const char* area, const char* row, qint64 count) {
            return db().transaction([&] {
                return this->row(area, row).write(
                    {{text("墓区"), text(area)}, {text("排"), text(row)}},
                    {{text("状态"), text("未使用")}, {text("墓地费"), 1234.567}}, {1, 1, count},
                    [&](const QString& number) { return PositionKey::plot(text(area), text(row), number); },
                    [] {}, QStringLiteral("test"));
            });
        }
        // The history's lines from `id` on: table, action, positions and the summary or the key.
        QStringList linesAfter(qint64 id) {
            QSqlQuery lines = db().exec(
                QStringLiteral(
                    "SELECT 表, 操作, 位置, 位置表, 之后, 操作员 FROM change_history WHERE id > ? ORDER BY id"),
                {id}, QStringLiteral("test"));
            QStringList read;
            while (lines.next()) {
                const QString action = lines.value(QStringLiteral("操作")).toString();
                const bool bulk = action.startsWith(text("批量"));
                read << QStringList{lines.value(QStringLiteral("表")).toString(), action,
                                    bulk ? lines.value(QStringLiteral("位置表")).toString()
                                         : lines.value(QStringLiteral("位置")).toString(),
                                    bulk ? lines.value(QStringLiteral("之后")).toString() : QString(),
                                    lines.value(QStringLiteral("操作员")).toString()}
                            .join(QLatin1Char('|'));
            }
            return read;
        }
        qint64 lastId() {
            return data.value(QStringLiteral("SELECT COALESCE(MAX(id), 0) FROM change_history")).toLongLong();
        }
    };

private slots:
    void positionsAreWrittenShort() {
        QCOMPARE(BulkKeys::compact(texts({"东区3排0003号", "东区3排0001号", "东区10排0001号", "东区3排0002号",
                                          "东区3排0005号", "西区3排0001号", "东区3排0006号", "门口"})),
                 text("东区10排0001号、东区3排0001—0003号、东区3排0005—0006号、西区3排0001号、门口"));
        QCOMPARE(BulkKeys::compact({}), QString());
    }

    // A run, a range deleted and a row removed are one line each; a save after them, in the same
    // transaction or the next, is recorded row by row again.
    void aBulkActionIsOneLine() {
        Office office;
        office.writeRun("东区", "3", 1);
        office.writeRun("东区", "33", 2);
        qint64 before = office.lastId();
        office.db().transaction([&] {
            office.row("东区", "4")
                .write(
                    {{text("墓区"), text("东区")}, {text("排"), text("4")}}, {{text("状态"), text("未使用")}},
                    {2, 1, 5},
                    [](const QString& number) -> QString { return text("东区4排") + number + text("号"); },
                    [] {}, QStringLiteral("test"));
            office.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE 墓碑位置 = ?"),
                             {text("已购"), text("东区33排0002号")}, QStringLiteral("test"));
        });
        QCOMPARE(office.linesAfter(before),
                 texts({"mq_wz|批量添加|东区4排0002—0006号|墓区 东区，排 4，设置 5 个位置，共 5 行|王会计",
                        "mq_wz|修改|东区33排0002号||王会计"}));

        before = office.lastId();
        const NumberedPlace::Deletion deleted = office.db().transaction([&] {
            return office.row("东区", "4")
                .deleteFree(QStringLiteral("0003"), QStringLiteral("0004"), text("未使用"),
                            QStringLiteral("test"));
        });
        QCOMPARE(deleted.deleted, 2);
        QCOMPARE(
            office.row("东区", "33").removeUnless(text("状态 = ?"), {text("已购")}, QStringLiteral("test")),
            NumberedPlace::Removal::InUse);
        QCOMPARE(
            office.row("东区", "3").removeUnless(text("状态 = ?"), {text("已购")}, QStringLiteral("test")),
            NumberedPlace::Removal::Removed);
        office.db().exec(QStringLiteral("UPDATE mq_wz SET 墓地费 = 1.5 WHERE 墓碑位置 = ?"),
                         {text("东区4排0002号")}, QStringLiteral("test"));
        QCOMPARE(
            office.linesAfter(before),
            texts(
                {"mq_wz|批量删除|东区4排0003—0004号|墓区 东区，排 4，删除 0003 到 0004 号中未使用的位置，共 2 行|王会计",
                 "mq_wz|批量删除|东区3排0001号|注销 墓区 东区，排 3，共 1 行|王会计",
                 "mq_wz|修改|东区4排0002号||王会计"}));
    }

    // A bulk action that fails leaves neither its line nor its rows, and the record row by row goes on;
    // on a server, a desk naming the bulk setting itself does not stop the record.
    void aFailedBulkActionLeavesTheRecordOn() {
        Office office;
        office.writeRun("东区", "3", 3);
        const qint64 before = office.lastId();
        const QString plots = office.data.dump(QStringLiteral("mq_wz"));
        try {
            office.db().transaction([&] {
                office.db().inBulk({{QStringLiteral("mq_wz"), text("批量修改"), text("全部"), 3, {}}}, [&] {
                    office.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = ?"), {text("限制")},
                                     QStringLiteral("test"));
                    throw DatabaseError(QStringLiteral("test"));
                });
            });
            QFAIL("the failure did not come through");
        } catch (const DatabaseError&) {
        }
        QCOMPARE(office.data.dump(QStringLiteral("mq_wz")), plots);
        QCOMPARE(office.linesAfter(before), QStringList());
        // A failure caught inside a transaction that goes on: that transaction does not commit the half
        // of the bulk work it kept, nor anything after it; the next one records row by row.
        try {
            office.db().transaction([&] {
                try {
                    office.db().inBulk({{QStringLiteral("mq_wz"), text("批量修改"), text("全部"), 3, {}}},
                                       [&] {
                                           office.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = ?"),
                                                            {text("限制")}, QStringLiteral("test"));
                                           throw DatabaseError(QStringLiteral("test"));
                                       });
                } catch (const DatabaseError&) {
                }
                if (!office.db().isServer())
                    office.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE 墓碑位置 = ?"),
                                     {text("已购"), text("东区3排0002号")}, QStringLiteral("test"));
            });
            QFAIL("a transaction with a failed bulk action was committed");
        } catch (const DatabaseError&) {
        }
        QCOMPARE(office.data.dump(QStringLiteral("mq_wz")), plots);
        QCOMPARE(office.linesAfter(before), QStringList());
        office.db().transaction([&] {
            if (office.db().isServer())
                office.db().exec(
                    QStringLiteral("SELECT set_config('pelu.bulk', CAST(txid_current() AS text), true)"), {},
                    QStringLiteral("test"));
            office.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE 墓碑位置 = ?"),
                             {text("已购"), text("东区3排0001号")}, QStringLiteral("test"));
        });
        QCOMPARE(office.linesAfter(before), texts({"mq_wz|修改|东区3排0001号||王会计"}));
        if (!office.db().isServer())
            QCOMPARE(office.data.value(QStringLiteral("SELECT 批量 FROM change_context")).toInt(), 0);
    }
};

QTEST_MAIN(TestBulkHistory)
#include "tst_bulkhistory.moc"
