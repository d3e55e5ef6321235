// Measurement of registering a burial on a sold plot that already has its history.
#include "bench/benchmark.h"
#include "business/burialservice.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "shared/session.h"

namespace {

// Each plot timed gets three register rows (two people buried), their name slots, its purchase fee
// row and four renewals, so that the save finds what a plot in use has.
void giveHistory(Database& database, const QStringList& keys) {
    database.transaction([&] {
        for (const QString& key : keys) {
            for (const QString& name : {QStringLiteral("张一"), QStringLiteral("张二"), QString()})
                database.exec(
                    QStringLiteral("INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, "
                                   "故者姓名, 性别) VALUES (1, ?, '2020-01-01', '2020-01-01', "
                                   "'2040-01-01', '王五', ?, '男')"),
                    {key, name.isEmpty() ? QVariant() : QVariant(name)}, QStringLiteral("生成落葬登记"));
            database.exec(
                QStringLiteral("INSERT INTO gm_xr (墓碑位置, 故者姓名A, 性别A, 故者姓名B, 性别B, "
                               "故者姓名C, 故者姓名D) VALUES (?, '张一', '男', '张二', '男', '', '')"),
                {key}, QStringLiteral("生成故者名位"));
            for (const QString& kind :
                 {QStringLiteral("购墓"), QStringLiteral("加续费"), QStringLiteral("加续费"),
                  QStringLiteral("加续费"), QStringLiteral("加续费")})
                database.exec(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 操作方式, 故者姓名, 安葬日期) "
                                             "VALUES (?, ?, '张一,张二', '2020-02-01')"),
                              {key, kind}, QStringLiteral("生成收费记录"));
        }
    });
}

void registerBurial(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("burial")), Database::Mode::Open);
    const int plots =
        database.scalar(QStringLiteral("SELECT count(*) FROM mq_wz"), {}, QStringLiteral("检查")).toInt();
    const QStringList keys = database.texts(
        QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '已购' ORDER BY rid DESC LIMIT ?"),
        {bench.repeats()}, QStringLiteral("读取已购墓位"));
    giveHistory(database, keys);
    Session session;
    session.operatorName = QStringLiteral("Admin");
    const SystemClock clock;
    BurialService service({database, session, clock});
    QList<double> times;
    for (const QString& key : keys) {
        const QDate today = clock.today();
        BurialForm form{key,
                        QStringLiteral("1"),
                        today,
                        today,
                        today.addYears(20),
                        QString(),
                        QString(),
                        QString(),
                        DeceasedForm{QStringLiteral("李四"), QStringLiteral("女"), QString(), QString(),
                                     today, today, today, QStringLiteral("王五")},
                        service.registration(key).value_or(PlotRegistration{})};
        SaveOutcome outcome;
        times << millisecondsOf([&] { outcome = service.save(form); });
        if (!outcome.saved)
            fail(QStringLiteral("the burial was not registered: ") + outcome.message->text);
    }
    bench.out() << "burial-register: one registration save on " << plots
                << " plots, each with 3 register rows "
                << "and 5 fee rows (median of " << times.size() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 5 ms)" << Qt::endl;
}

} // namespace

Measurement burialRegisterMeasurement() {
    return {QStringLiteral("burial-register"),
            QStringLiteral("one burial registration on the generated cemetery"), registerBurial};
}
