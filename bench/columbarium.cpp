#include "bench/columbarium.h"

#include "bench/cemetery.h"
#include "foundation/database.h"

namespace Columbarium {

void generate(Database& database, const ColumbariumShape& shape) {
    const int perLayer = (shape.nichesPerRoom + shape.layers - 1) / shape.layers;
    Cemetery::inSlices(
        database, QStringLiteral("ghjc_wz"), QStringLiteral("寄存位"), shape.niches(),
        [&](qint64 from, qint64 to) {
            database.exec(
                QStringLiteral(
                    "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) "
                    "WITH RECURSIVE n(i) AS (SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                    "SELECT '第' || (i / (? * ?) + 1) || '厅', (i / ? % ? + 1), "
                    "((i % ?) / ? + 1), SUBSTR('0000' || (i % ? + 1), -4), "
                    "CASE WHEN i % 2 = 0 THEN '单人框' ELSE '双人框' END, 800.0 + ((i % ?) / ?) * 50.5, "
                    "CASE WHEN i % 10 < 3 THEN '已使用' ELSE '未使用' END FROM n"),
                {from, to, shape.roomsPerHall, shape.nichesPerRoom, shape.nichesPerRoom, shape.roomsPerHall,
                 shape.nichesPerRoom, perLayer, shape.nichesPerRoom, shape.nichesPerRoom, perLayer},
                QStringLiteral("生成寄存位"));
        });
}

void addStorages(Database& database, const ColumbariumShape& shape) {
    using Cemetery::asBulk;
    using Cemetery::inSlices;
    using Cemetery::spreadDate;
    const qint64 occupied = shape.niches() - shape.niches() / 10;
    database.transaction([&] {
        database.inBulk({{QStringLiteral("ghjc_wz"),
                          QStringLiteral("批量修改"),
                          QStringLiteral("生成寄存登记"),
                          shape.niches(),
                          {}}},
                        [&] {
                            database.exec(QStringLiteral("UPDATE ghjc_wz SET 状态 = CASE WHEN rid % 10 = 9 "
                                                         "THEN '未使用' ELSE '已使用' END"),
                                          {}, QStringLiteral("生成寄存登记"));
                        });
    });
    asBulk(database, QStringLiteral("ghjc_dj"), QStringLiteral("寄存登记"), occupied, [&] {
        database.exec(
            QStringLiteral("INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 日期起, 日期止, 联系人) "
                           "SELECT 存放位置, '红木', '陈' || rid, '男', %1, %2, '陈小' || rid "
                           "FROM ghjc_wz WHERE 状态 = '已使用'")
                .arg(spreadDate(QStringLiteral("rid")), spreadDate(QStringLiteral("rid"), 2025)),
            {}, QStringLiteral("生成寄存登记"));
    });
    inSlices(
        database, QStringLiteral("ghjc_xf1"), QStringLiteral("寄存交费记录"), shape.feeRows(),
        [&](qint64 from, qint64 to) {
            database.exec(
                QStringLiteral(
                    "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, 操作员, "
                    "操作日期) WITH RECURSIVE n(i) AS (SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                    "SELECT '第' || (q / ? + 1) || '厅' || (q / ? % ? + 1) || '室' || SUBSTR('0000' || (q % ? + 1), -4) "
                    "|| '号', '陈' || i, '陈小' || i, %1, %2, 2400, 2400, "
                    "CASE WHEN i % 3 = 0 THEN '存入' ELSE '续存' END, 'Admin', %1 || ' 15:30:00' "
                    "FROM (SELECT i, i % ? AS q FROM n)")
                    .arg(spreadDate(QStringLiteral("i")), spreadDate(QStringLiteral("i"), 2025)),
                {from, to, shape.roomsPerHall * shape.nichesPerRoom, shape.nichesPerRoom, shape.roomsPerHall,
                 shape.nichesPerRoom, shape.niches()},
                QStringLiteral("生成寄存交费记录"));
        });
}

} // namespace Columbarium
