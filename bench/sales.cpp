// Measurements of selling plots: the plot map of a busy area and one purchase save.
#include "bench/benchmark.h"
#include "bench/workloads.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "graves/map/plotmapservice.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/plotvocabulary.h"
#include "shared/positionkey.h"
#include "shared/session.h"

namespace {

const QString mapArea = QStringLiteral("选购区");
constexpr int mapRows = 10;
constexpr int plotsPerMapRow = 500;

// An area of 5,000 single and double graves, three in five sold (now and then in advance), the rest
// free or reserved; then every sold plot of the cemetery gets its register row, with the first
// person buried in two of three, and half of the sold double graves a second person.
void addSalesArea(Database& database) {
    database.transaction([&] {
        QSqlQuery insert = database.prepare(
            QStringLiteral(
                "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
                "状态, 寿穴) VALUES (?, ?, ?, ?, 9000, 2000, 600, 0, 300, 0, ?, ?)"),
            QStringLiteral("生成选购区"));
        int serial = 0;
        for (int row = 1; row <= mapRows; ++row)
            for (int plot = 1; plot <= plotsPerMapRow; ++plot, ++serial) {
                const bool sold = serial % 5 < 3;
                insert.bindValue(0, mapArea);
                insert.bindValue(1, QString::number(row));
                insert.bindValue(2, PositionKey::fourDigitNumber(QString::number(plot)));
                insert.bindValue(3, serial % 2 ? QStringLiteral("双人墓") : QStringLiteral("单人墓"));
                insert.bindValue(4, sold              ? PlotState::sold
                                    : serial % 5 == 3 ? PlotState::free
                                                      : PlotState::reserved);
                insert.bindValue(5, sold ? QVariant(serial % 25 == 0 ? 1 : 0) : QVariant());
                database.run(insert, QStringLiteral("生成选购区"));
            }
        database.exec(
            QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名, 性别) "
                           "SELECT 墓碑位置, '张三', CASE WHEN rid % 3 = 0 THEN NULL ELSE '李四' END, "
                           "CASE rid % 3 WHEN 0 THEN NULL WHEN 1 THEN '男' ELSE '女' END "
                           "FROM mq_wz WHERE 状态 = '已购'"),
            {}, QStringLiteral("生成购墓登记"));
        database.exec(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名, 性别) "
                                     "SELECT 墓碑位置, '张三', '王五', '女' FROM mq_wz "
                                     "WHERE 状态 = '已购' AND 样式 = '双人墓' AND rid % 2 = 0"),
                      {}, QStringLiteral("生成购墓登记"));
    });
}

void plotMap(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("map")), Database::Mode::Open);
    addSalesArea(database);
    const int registered =
        database.scalar(QStringLiteral("SELECT count(*) FROM gm_dj"), {}, QStringLiteral("检查")).toInt();

    PlotMapService service(database);
    const MapFilter wholeArea{mapArea, QString(), QString()};
    QList<double> reading;
    QList<double> building;
    MapView view;
    PlotMapModel model;
    for (int run = 0; run < bench.repeats(); ++run) {
        reading << millisecondsOf([&] { view = service.view(wholeArea); });
        building << millisecondsOf([&] {
            model.setPlots(service.view(wholeArea).plots);
            for (int row = 0; row < model.rowCount();
                 ++row) // what the grid asks of every icon but its picture
                model.index(row).data(PlotMapModel::PictureRole);
        });
    }
    if (view.plots.size() != mapRows * plotsPerMapRow ||
        view.counts.total - view.counts.free - view.counts.reserved - view.counts.restricted != 3000)
        fail(QStringLiteral("the map read %1 plots instead of 5000 with 3000 sold").arg(view.plots.size()));

    bench.out() << "map: an area of " << view.plots.size() << " plots, 3000 sold, among " << registered
                << " register rows (median of " << bench.repeats() << ")\n"
                << "  plots with their occupancy, one query:  " << milliseconds(median(reading))
                << "  (goal: at most 50 ms)\n"
                << "  the window's model:                     " << milliseconds(median(building))
                << "  (goal: at most 300 ms)\n"
                << "  " << view.statusLine << Qt::endl;
}

void purchase(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("purchase")), Database::Mode::Open);
    const int plots =
        database.scalar(QStringLiteral("SELECT count(*) FROM mq_wz"), {}, QStringLiteral("检查")).toInt();
    const QList<double> times = timePurchases(database, bench.repeats());
    bench.out() << "purchase: one purchase save on " << plots << " plots (median of " << times.size() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 5 ms)" << Qt::endl;
}

} // namespace

QList<double> timePurchases(Database& database, int count) {
    QSqlQuery free = database.exec(
        QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '未使用' ORDER BY rid DESC LIMIT ?"), {count},
        QStringLiteral("读取空墓位"));
    Session session;
    session.operatorName = QStringLiteral("Admin");
    const SystemClock clock;
    PurchaseService service({database, session, clock});
    QList<double> times;
    while (free.next()) {
        const PurchaseForm form = benchPurchase(free.value(0).toString(), 1000 + times.size(), clock.today());
        SaveOutcome outcome;
        times << millisecondsOf([&] { outcome = service.save(form); });
        if (!outcome.saved)
            fail(QStringLiteral("the purchase was not saved: ") + outcome.message->text);
    }
    return times;
}

PurchaseForm benchPurchase(const QString& plotKey, int number, const QDate& today) {
    PurchaseForm form;
    form.plotKey = plotKey;
    form.number = QString::number(number);
    form.contact = QStringLiteral("王五");
    form.boughtOn = form.useFrom = today;
    form.useUntil = PurchaseService::useUntilFor(form.useFrom);
    form.fees = {QStringLiteral("9000"),
                 QStringLiteral("2000"),
                 QString(),
                 QStringLiteral("600"),
                 QStringLiteral("300"),
                 QString(),
                 QStringLiteral("10"),
                 QString()};
    form.management = QString::number(PurchaseService::computeFees(form.fees).management);
    form.remark = QStringLiteral("无");
    return form;
}

Measurement plotMapMeasurement() {
    return {QStringLiteral("map"),
            QStringLiteral(
                "the plot map of an area of 5,000 plots, 3,000 sold: reading it and building its model"),
            plotMap};
}

Measurement purchaseMeasurement() {
    return {QStringLiteral("purchase"), QStringLiteral("one purchase save on the generated cemetery"),
            purchase};
}
