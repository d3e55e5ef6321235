#include "graves/plotareas.h"

#include "foundation/database.h"
#include "foundation/naturalorder.h"

namespace PlotAreas {

QStringList all(Database& database) {
    return inNaturalOrder(
        database.texts(QStringLiteral("SELECT 墓区 FROM mq_wz WHERE coalesce(墓区, '') <> '' GROUP BY 墓区"),
                       {}, QStringLiteral("读取墓区列表")));
}

QStringList rows(Database& database, const QString& area) {
    return inNaturalOrder(database.texts(
        QStringLiteral("SELECT 排 FROM mq_wz WHERE 墓区 = ? AND coalesce(排, '') <> '' GROUP BY 排"), {area},
        QStringLiteral("读取排列表")));
}

} // namespace PlotAreas
