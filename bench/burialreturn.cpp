// Measurement of taking a sold plot back: its registrations, fees and name slots removed in one return.
#include "bench/benchmark.h"
#include "business/gravereturnservice.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "shared/session.h"

namespace {

// Every sold plot of the cemetery gets three register rows, five fee rows (its purchase among them)
// and a name slot, so that the return finds its rows among those of 20,000 others.
void addSoldPlotHistories(Database& database) {
    database.transaction([&] {
        const QString sold =
            QStringLiteral(" FROM mq_wz, (SELECT 1 AS k UNION ALL SELECT 2 UNION ALL SELECT 3 "
                           "UNION ALL SELECT 4 UNION ALL SELECT 5) n WHERE 状态 = '已购' AND ");
        database.exec(QStringLiteral("INSERT INTO gm_dj (编号, 墓碑位置, 日期起, 日期止, 联系人, 故者姓名) "
                                     "SELECT rid, 墓碑位置, '2024-01-01', '2043-12-31', '张三', '李' || k") +
                          sold + QStringLiteral("k <= 3"),
                      {}, QStringLiteral("生成购墓登记"));
        database.exec(
            QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 墓地费, 墓碑费, 管理费, 绿化费, 合计, 操作方式) "
                           "SELECT 墓碑位置, 9000, 2000, 1100, 300, 12400, "
                           "CASE k WHEN 1 THEN '购墓' ELSE '加续费' END") +
                sold + QStringLiteral("k <= 5"),
            {}, QStringLiteral("生成收费记录"));
        database.exec(QStringLiteral("INSERT INTO gm_xr (墓碑位置, 故者姓名A) SELECT 墓碑位置, '李1'") +
                          sold + QStringLiteral("k = 1"),
                      {}, QStringLiteral("生成姓名位置"));
    });
}

void burialReturn(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("burial-return")), Database::Mode::Open);
    addSoldPlotHistories(database);
    const int plots =
        database.scalar(QStringLiteral("SELECT count(*) FROM mq_wz"), {}, QStringLiteral("检查")).toInt();
    QSqlQuery sold = database.exec(
        QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '已购' ORDER BY rid DESC LIMIT ?"),
        {bench.repeats()}, QStringLiteral("读取已购墓位"));
    Session session;
    session.operatorName = QStringLiteral("Admin");
    const SystemClock clock;
    YesPrompter prompter;
    GraveReturnService service({database, session, clock});
    QList<double> times;
    while (sold.next()) {
        ReturnForm form;
        form.plotKey = sold.value(0).toString();
        form.contact = QStringLiteral("张三");
        form.refund.land = QStringLiteral("9000");
        form.refund.stone = QStringLiteral("2000");
        form.management = QStringLiteral("1100");
        SaveOutcome outcome;
        times << millisecondsOf([&] { outcome = service.save(form, prompter); });
        if (!outcome.saved)
            fail(QStringLiteral("the return was not saved: ") + outcome.message->text);
    }
    const QVariant left = database.scalar(
        QStringLiteral("SELECT count(*) FROM gm_dj WHERE 墓碑位置 IN (SELECT 墓碑位置 FROM mq_tm)"), {},
        QStringLiteral("检查"));
    if (left.toInt() != 0)
        fail(QStringLiteral("register rows of returned plots are left"));
    bench.out() << "burial-return: one return (3 register rows, 5 fee rows) on " << plots
                << " plots (median of " << times.size() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 5 ms)" << Qt::endl;
}

} // namespace

Measurement burialReturnMeasurement() {
    return {QStringLiteral("burial-return"),
            QStringLiteral("one grave return (3 register rows, 5 fee rows) on the generated cemetery"),
            burialReturn};
}
