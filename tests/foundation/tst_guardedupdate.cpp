#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/guardedupdate.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

using Result = GuardedUpdate::Result;

// Two reservations of the same plot and contact with every column filled, the first one edited; a
// third row holds blanks: NULL and empty texts, an empty amount.
struct Rows {
    TestData data;

    Rows() {
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (编号, 墓碑位置, 联系人, 家庭住址, 预交金额, 余额, 操作员, 提醒日期) VALUES "
            "(7, '甲区1排0001号', '李四', '西街', 3000.125, 7000.5, '小张', '2026-12-31'), "
            "(7, '甲区1排0001号', '李四', '西街', 3000.125, 7000.5, '小张', '2026-12-31'), "
            "(NULL, '甲区1排0002号', NULL, '', NULL, 0, NULL, '2027-01-05 08:00:00')"));
    }
    GuardedUpdate first() { return {data.db(), QStringLiteral("ydmd"), QStringLiteral("id = ?"), {1}}; }
    GuardedUpdate blanks() { return {data.db(), QStringLiteral("ydmd"), QStringLiteral("id = ?"), {3}}; }
    QString row(int id) { return data.dump(QStringLiteral("ydmd")).section(u'\n', id - 1, id - 1); }
    // What a window loads: a blank for an empty value on both engines.
    QString loaded(const QString& column, int id) {
        return ColumnText::plain(
            data.value(QStringLiteral("SELECT %1 FROM ydmd WHERE id = ?").arg(column), {id}));
    }
};

} // namespace

class GuardedUpdateTest : public QObject {
    Q_OBJECT

private slots:
    // Only the changed columns are written, to the row named alone; unchanged ones never, even when a
    // colleague changed them meanwhile; nothing changed writes nothing; a row gone is told apart.
    void writesOnlyWhatTheOperatorChanged() {
        Rows rows;
        const QString second = rows.row(2);
        rows.data.sql(QStringLiteral("UPDATE ydmd SET 家庭住址 = '东街', 余额 = 6500.25 WHERE id = 1"));
        QCOMPARE(rows.first()
                     .edit(QStringLiteral("联系人"), QStringLiteral("李四"), QStringLiteral("王五"))
                     .edit(QStringLiteral("家庭住址"), QStringLiteral("西街"), QStringLiteral("西街"))
                     .edit(QStringLiteral("余额"), 7000.5, QStringLiteral("7000.50"))
                     .edit(QStringLiteral("提醒日期"), QDate(2026, 12, 31), QDate(2027, 2, 3))
                     .set(QStringLiteral("操作员"), QStringLiteral("Admin"))
                     .run(QStringLiteral("test")),
                 Result::Written);
        QCOMPARE(rows.row(1),
                 QStringLiteral("1|7|甲区1排0001号|王五||东街|||3000.125|||6500.25|Admin||2027-02-03|"));
        QCOMPARE(rows.row(2), second);

        const QString before = rows.data.dump(QStringLiteral("ydmd"));
        QCOMPARE(rows.first()
                     .edit(QStringLiteral("联系人"), QStringLiteral("王五"), QStringLiteral("王五"))
                     .edit(QStringLiteral("编号"), QStringLiteral("7"), 7)
                     .run(QStringLiteral("test")),
                 Result::NothingChanged);
        GuardedUpdate gone(rows.data.db(), QStringLiteral("ydmd"), QStringLiteral("id = ?"), {9});
        QCOMPARE(gone.edit(QStringLiteral("联系人"), QStringLiteral("李四"), QStringLiteral("赵六"))
                     .run(QStringLiteral("test")),
                 Result::Gone);
        GuardedUpdate goneUnchanged(rows.data.db(), QStringLiteral("ydmd"), QStringLiteral("id = ?"), {9});
        QCOMPARE(goneUnchanged.edit(QStringLiteral("联系人"), QStringLiteral("李四"), QStringLiteral("李四"))
                     .run(QStringLiteral("test")),
                 Result::Gone);
        QCOMPARE(rows.data.dump(QStringLiteral("ydmd")), before);
    }

    // Each changed column must still hold what was loaded, text, amount, number and date each on its
    // own: otherwise nothing at all is written, the unguarded columns neither.
    void aColumnChangedMeanwhileRefusesTheWholeSave() {
        Rows rows;
        struct Case {
            QString colleague; // the colleague's change, committed before the save
            QString column;
            QVariant loaded;
            QVariant typed;
        };
        const QList<Case> cases = {
            {QStringLiteral("联系人 = '赵六'"), QStringLiteral("联系人"), QStringLiteral("李四"),
             QStringLiteral("王五")},
            {QStringLiteral("预交金额 = 3000.126"), QStringLiteral("预交金额"), 3000.125, 3500.0},
            {QStringLiteral("编号 = 8"), QStringLiteral("编号"), QStringLiteral("7"), 9},
            {QStringLiteral("提醒日期 = '2027-01-01'"), QStringLiteral("提醒日期"), QDate(2026, 12, 31),
             QDate(2027, 3, 1)},
        };
        for (const Case& stale : cases) {
            rows.data.sql(QStringLiteral("UPDATE ydmd SET ") + stale.colleague +
                          QStringLiteral(" WHERE id = 1"));
            const QString before = rows.data.dump(QStringLiteral("ydmd"));
            QCOMPARE(rows.first()
                         .edit(QStringLiteral("家庭住址"), QStringLiteral("西街"), QStringLiteral("南街"))
                         .edit(stale.column, stale.loaded, stale.typed)
                         .set(QStringLiteral("操作员"), QStringLiteral("Admin"))
                         .run(QStringLiteral("test")),
                     Result::Stale);
            QCOMPARE(rows.data.dump(QStringLiteral("ydmd")), before);
            rows.data.sql(QStringLiteral("UPDATE ydmd SET 编号 = 7, 联系人 = '李四', 预交金额 = 3000.125, "
                                         "提醒日期 = '2026-12-31' WHERE id = 1"));
        }
        QCOMPARE(GuardedUpdate::staleText(), text("此记录已被其他操作员修改，请重新打开后再修改！"));
    }

    // A blank is NULL or an empty text, as the window read it on either engine: unchanged it is never
    // written (a NULL stays NULL), and a value typed into it is written while it is still blank, in a
    // text, an amount and a date column; a stored moment holds the date shown.
    void blanksAndMomentsAreWhatTheWindowShowed() {
        Rows rows;
        QCOMPARE(rows.loaded(QStringLiteral("预交金额"), 3), QString());
        const QString before = rows.data.dump(QStringLiteral("ydmd"));
        QCOMPARE(rows.blanks()
                     .edit(QStringLiteral("联系人"), rows.loaded(QStringLiteral("联系人"), 3), QString())
                     .edit(QStringLiteral("家庭住址"), rows.loaded(QStringLiteral("家庭住址"), 3), QVariant())
                     .edit(QStringLiteral("预交金额"), rows.loaded(QStringLiteral("预交金额"), 3), QVariant())
                     .edit(QStringLiteral("提醒日期"), QDate(2027, 1, 5), QStringLiteral("2027-01-05"))
                     .run(QStringLiteral("test")),
                 Result::NothingChanged);
        QCOMPARE(rows.data.count(QStringLiteral("ydmd"), QStringLiteral("联系人 IS NULL AND 家庭住址 = ''")),
                 1);
        QCOMPARE(rows.data.dump(QStringLiteral("ydmd")), before);

        QCOMPARE(rows.blanks()
                     .edit(QStringLiteral("联系人"), rows.loaded(QStringLiteral("联系人"), 3),
                           QStringLiteral("王五"))
                     .edit(QStringLiteral("家庭住址"), QString(), QStringLiteral("东街"))
                     .edit(QStringLiteral("编号"), rows.loaded(QStringLiteral("编号"), 3), 12)
                     .edit(QStringLiteral("预交金额"), rows.loaded(QStringLiteral("预交金额"), 3), 250.125)
                     .edit(QStringLiteral("余额"), 0.0, 4749.875)
                     .edit(QStringLiteral("提醒日期"), QDate(2027, 1, 5), QDate(2027, 1, 6))
                     .run(QStringLiteral("test")),
                 Result::Written);
        QCOMPARE(rows.row(3),
                 QStringLiteral("3|12|甲区1排0002号|王五||东街|||250.125|||4749.875|||2027-01-06|"));

        // Once filled, the column is no longer blank to a window that loaded it blank.
        QCOMPARE(rows.blanks()
                     .edit(QStringLiteral("联系人"), QString(), QStringLiteral("赵六"))
                     .run(QStringLiteral("test")),
                 Result::Stale);
        QCOMPARE(rows.data.value(QStringLiteral("SELECT 联系人 FROM ydmd WHERE id = 3")).toString(),
                 QStringLiteral("王五"));
    }

    // An amount the window read from an empty column is 0, and the stored NULL still holds it.
    void anEmptyAmountReadAsZeroStillHoldsIt() {
        Rows rows;
        QCOMPARE(rows.blanks().edit(QStringLiteral("预交金额"), 0.0, 100.5).run(QStringLiteral("test")),
                 Result::Written);
        QCOMPARE(rows.data.value(QStringLiteral("SELECT 预交金额 FROM ydmd WHERE id = 3")).toDouble(), 100.5);
    }

    void sameComparesAsTheOfficeReads() {
        QVERIFY(GuardedUpdate::same(QVariant(), QStringLiteral("")));
        QVERIFY(GuardedUpdate::same(QVariant(QMetaType::fromType<double>()), QString()));
        QVERIFY(GuardedUpdate::same(QDate(), QVariant()));
        QVERIFY(!GuardedUpdate::same(QStringLiteral(" "), QString()));
        QVERIFY(!GuardedUpdate::same(0.0, QString()));
        QVERIFY(GuardedUpdate::same(QStringLiteral("7"), 7.0));
        QVERIFY(GuardedUpdate::same(QStringLiteral("3000.10"), 3000.1));
        QVERIFY(!GuardedUpdate::same(QStringLiteral("3000.125"), 3000.12));
        QVERIFY(!GuardedUpdate::same(QStringLiteral("7号"), 7));
        QVERIFY(GuardedUpdate::same(QDate(2026, 1, 3), QStringLiteral("2026-01-03 00:00:00")));
        QVERIFY(!GuardedUpdate::same(QDate(2026, 1, 3), QDate(2026, 1, 4)));
        QVERIFY(!GuardedUpdate::same(QStringLiteral("李四"), QStringLiteral("李四 ")));
    }
};

QTEST_GUILESS_MAIN(GuardedUpdateTest)
#include "tst_guardedupdate.moc"
