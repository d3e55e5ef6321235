#include "bench/columbarium.h"

#include "foundation/database.h"

namespace Columbarium {

void generate(Database& database, const ColumbariumShape& shape) {
    const int perLayer = (shape.nichesPerRoom + shape.layers - 1) / shape.layers;
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) "
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT '第' || (i / (? * ?) + 1) || '厅', (i / ? % ? + 1), "
                "((i % ?) / ? + 1), SUBSTR('0000' || (i % ? + 1), -4), "
                "CASE WHEN i % 2 = 0 THEN '单人框' ELSE '双人框' END, 800.0 + ((i % ?) / ?) * 50.5, "
                "CASE WHEN i % 10 < 3 THEN '已使用' ELSE '未使用' END FROM n"),
            {shape.niches(), shape.roomsPerHall, shape.nichesPerRoom, shape.nichesPerRoom, shape.roomsPerHall,
             shape.nichesPerRoom, perLayer, shape.nichesPerRoom, shape.nichesPerRoom, perLayer},
            QStringLiteral("生成寄存位"));
    });
}

} // namespace Columbarium
