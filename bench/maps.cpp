// Measurements of the reserved-plot map and of sales restriction on an area of 5,000 plots.
#include "bench/benchmark.h"
#include "foundation/database.h"
#include "graves/map/plotmapservice.h"
#include "graves/map/salesrestrictionservice.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/plotvocabulary.h"
#include "shared/positionkey.h"

namespace {

const QString benchArea = QStringLiteral("维护区");
constexpr int areaRows = 10;
constexpr int plotsPerRow = 500;
constexpr int areaPlots = areaRows * plotsPerRow;

// An area of 5,000 plots of every style whose state is decided by `stateOf` from the plot's serial.
void addArea(Database& database, const std::function<QString(int)>& stateOf) {
    static const QStringList styles = {PlotStyle::single, PlotStyle::twin, PlotStyle::family,
                                       PlotStyle::multiple, PlotStyle::artistic};
    database.transaction([&] {
        QSqlQuery insert = database.prepare(
            QStringLiteral(
                "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
                "状态) VALUES (?, ?, ?, ?, 9000, 2000, 600, 0, 300, 0, ?)"),
            QStringLiteral("生成墓区"));
        for (int serial = 0; serial < areaPlots; ++serial) {
            insert.bindValue(0, benchArea);
            insert.bindValue(1, QString::number(serial / plotsPerRow + 1));
            insert.bindValue(2, PositionKey::fourDigitNumber(QString::number(serial % plotsPerRow + 1)));
            insert.bindValue(3, styles.at(serial % styles.size()));
            insert.bindValue(4, stateOf(serial));
            database.run(insert, QStringLiteral("生成墓区"));
        }
        // Every reserved plot has its reservation.
        database.exec(
            QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 预交金额) SELECT 墓碑位置, '张三', 1000 "
                           "FROM mq_wz WHERE 墓区 = ? AND 状态 = ?"),
            {benchArea, PlotState::reserved}, QStringLiteral("生成预订"));
    });
}

void reservedMap(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("reserved-map")), Database::Mode::Open);
    addArea(database, [](int serial) {
        return serial % 5 < 2 ? PlotState::reserved : serial % 5 == 2 ? PlotState::sold : PlotState::free;
    });
    PlotMapService service(database, MapUses::reserved());
    PlotMapModel model;
    model.setPictures(PlotPictures::reserved());
    QList<double> times;
    MapView view;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] {
            view = service.view({benchArea});
            model.setPlots(view.plots);
            for (int row = 0; row < model.rowCount();
                 ++row) // what the grid asks of every icon but its picture
                model.index(row).data(PlotMapModel::PictureRole);
        });
    if (model.rowCount() != 2000)
        fail(QStringLiteral("the reserved map shows %1 plots instead of 2000").arg(model.rowCount()));
    bench.out() << "reserved-map: the 2000 reserved plots of an area of " << areaPlots << " (median of "
                << bench.repeats() << ")\n"
                << "  read and modelled:  " << milliseconds(median(times)) << "  (goal: at most 50 ms)\n"
                << "  " << view.statusLine << Qt::endl;
}

void restriction(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("restrict")), Database::Mode::Open);
    addArea(database, [](int) { return PlotState::free; });
    SalesRestrictionService service(database);
    const MapFilter wholeArea{benchArea};
    const auto withheld = [&database] {
        return database
            .scalar(QStringLiteral("SELECT COUNT(*) FROM mq_wz WHERE 墓区 = ? AND 状态 = ?"),
                    {benchArea, PlotState::restricted}, QStringLiteral("检查"))
            .toInt();
    };
    QList<double> restricting;
    QList<double> releasing;
    for (int run = 0; run < bench.repeats(); ++run) {
        restricting << millisecondsOf([&] { service.restrict(wholeArea); });
        if (withheld() != areaPlots)
            fail(QStringLiteral("%1 plots were restricted instead of %2").arg(withheld()).arg(areaPlots));
        releasing << millisecondsOf([&] { service.release(wholeArea); });
        if (withheld() != 0)
            fail(QStringLiteral("%1 plots stayed restricted").arg(withheld()));
    }
    bench.out() << "restrict: restricting and releasing the " << areaPlots
                << " free plots of an area (median of " << bench.repeats() << ")\n"
                << "  restrict:  " << milliseconds(median(restricting)) << "  (goal: at most 50 ms)\n"
                << "  release:   " << milliseconds(median(releasing)) << "  (goal: at most 50 ms)"
                << Qt::endl;
}

} // namespace

Measurement reservedMapMeasurement() {
    return {
        QStringLiteral("reserved-map"),
        QStringLiteral("the reserved-plot map of an area of 5,000 plots, 2,000 reserved: read and modelled"),
        reservedMap};
}

Measurement restrictMeasurement() {
    return {QStringLiteral("restrict"),
            QStringLiteral("restricting and releasing the 5,000 plots of an area, one transaction each"),
            restriction};
}
