// Measurement of the columbarium's maintenance browse: the occupied niches of a full room.
#include "bench/benchmark.h"
#include "columbarium/nichebrowseservice.h"
#include "columbarium/nichevocabulary.h"
#include "columbarium/ui/nichegridmodel.h"
#include "foundation/database.h"

namespace {

void timeNicheMaintain(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("niche-maintain")), Database::Mode::Open);
    const QString hall = QStringLiteral("第1厅");
    const QString room = QStringLiteral("满");
    // A room of 5,000 niches on 20 layers, every one occupied, beside the generated rooms of the hall.
    database.transaction([&] {
        database.exec(
            QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) "
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                           "SELECT ?, ?, (i - 1) / 250 + 1, SUBSTR('0000' || i, -4), ?, 2400.5, ? FROM n"),
            {hall, room, NicheStyle::twin, NicheState::used}, QStringLiteral("生成寄存位"));
    });
    NicheBrowseService service(database, NicheListing::Occupied);
    NicheGridModel model;
    QList<double> times;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] { model.setNiches(service.room(hall, room).niches); });
    if (model.rowCount() != 5000)
        fail(QStringLiteral("the maintenance browse listed %1 occupied niches instead of 5000")
                 .arg(model.rowCount()));
    bench.out() << "niche-maintain: the occupied niches of a room of 5000 read and modelled (median of "
                << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 50 ms)" << Qt::endl;
}

} // namespace

Measurement nicheMaintainMeasurement() {
    return {QStringLiteral("niche-maintain"),
            QStringLiteral("the occupied niches of a room of 5,000 read and modelled"), timeNicheMaintain};
}
