// Measurement of the sold-plot map of the burials on an area of 5,000 plots.
#include "bench/benchmark.h"
#include "bench/workloads.h"
#include "foundation/database.h"
#include "graves/map/plotmapservice.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/plotvocabulary.h"
#include "shared/positionkey.h"

namespace {

const QString soldArea = QStringLiteral("落葬区");
constexpr int soldRows = 10;
constexpr int plotsPerSoldRow = 500;

} // namespace

// 5,000 plots of every style, three in five sold and one in ten advance-bought (sold or not); each
// sold plot has its register row, with somebody buried in two of three, and every second sold plot a
// second row: 4,500 register rows.
QString addSoldArea(Database& database) {
    static const QStringList styles = {PlotStyle::single, PlotStyle::twin, PlotStyle::family,
                                       PlotStyle::multiple, PlotStyle::artistic};
    database.transaction([&] {
        QSqlQuery insert = database.prepare(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态, 寿穴) VALUES (?, ?, ?, ?, ?, ?)"),
            QStringLiteral("生成落葬区"));
        for (int serial = 0; serial < soldRows * plotsPerSoldRow; ++serial) {
            insert.bindValue(0, soldArea);
            insert.bindValue(1, QString::number(serial / plotsPerSoldRow + 1));
            insert.bindValue(2, PositionKey::fourDigitNumber(QString::number(serial % plotsPerSoldRow + 1)));
            insert.bindValue(3, styles.at(serial % styles.size()));
            insert.bindValue(4, serial % 5 < 3 ? PlotState::sold : PlotState::free);
            insert.bindValue(5, serial % 10 == 3 || serial % 10 == 4 ? 1 : 0);
            database.run(insert, QStringLiteral("生成落葬区"));
        }
        database.exec(
            QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名, 性别) "
                           "SELECT 墓碑位置, '张三', CASE WHEN rid % 3 = 0 THEN NULL ELSE '李四' END, "
                           "CASE rid % 3 WHEN 0 THEN NULL WHEN 1 THEN '男' ELSE '女' END "
                           "FROM mq_wz WHERE 墓区 = ? AND 状态 = ?"),
            {soldArea, PlotState::sold}, QStringLiteral("生成购墓登记"));
        database.exec(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名, 性别) "
                                     "SELECT 墓碑位置, '张三', '王五', '女' FROM mq_wz "
                                     "WHERE 墓区 = ? AND 状态 = ? AND rid % 2 = 0"),
                      {soldArea, PlotState::sold}, QStringLiteral("生成购墓登记"));
    });
    return soldArea;
}

namespace {

void soldMap(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("sold-map")), Database::Mode::Open);
    addSoldArea(database);
    const int registered = database
                               .scalar(QStringLiteral("SELECT COUNT(*) FROM gm_dj AS d JOIN mq_wz AS w "
                                                      "ON w.墓碑位置 = d.墓碑位置 WHERE w.墓区 = ?"),
                                       {soldArea}, QStringLiteral("检查"))
                               .toInt();
    PlotMapService service(database, MapUses::sold());
    PlotMapModel model;
    model.setPictures(PlotPictures::sold());
    const MapFilter wholeArea{soldArea};
    QList<double> reading;
    QList<double> building;
    MapView view;
    for (int run = 0; run < bench.repeats(); ++run) {
        reading << millisecondsOf([&] { view = service.view(wholeArea); });
        building << millisecondsOf([&] {
            model.setPlots(service.view(wholeArea).plots);
            for (int row = 0; row < model.rowCount(); ++row)
                model.index(row).data(PlotMapModel::PictureRole);
        });
    }
    if (model.rowCount() != 3000 || registered != 4500)
        fail(QStringLiteral("the sold map shows %1 plots with %2 register rows instead of 3000 with 4500")
                 .arg(model.rowCount())
                 .arg(registered));
    bench.out() << "sold-map: an area of " << soldRows * plotsPerSoldRow << " plots, 3000 sold, with "
                << registered << " register rows (median of " << bench.repeats() << ")\n"
                << "  pictures decided in one query:  " << milliseconds(median(reading))
                << "  (goal: at most 50 ms)\n"
                << "  the window's model:             " << milliseconds(median(building))
                << "  (goal: at most 300 ms)\n"
                << "  " << view.statusLine << Qt::endl;
}

} // namespace

Measurement soldMapMeasurement() {
    return {
        QStringLiteral("sold-map"),
        QStringLiteral("the sold-plot map of an area of 5,000 plots, 3,000 sold with 4,500 register rows: "
                       "pictures and model"),
        soldMap};
}
