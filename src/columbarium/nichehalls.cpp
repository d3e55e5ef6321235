#include "columbarium/nichehalls.h"

#include "foundation/database.h"
#include "foundation/naturalorder.h"

namespace NicheHalls {

QStringList all(Database& database) {
    return inNaturalOrder(database.texts(QStringLiteral("SELECT 厅 FROM ghjc_wz GROUP BY 厅"), {},
                                         QStringLiteral("读取厅列表")));
}

QStringList rooms(Database& database, const QString& hall) {
    return inNaturalOrder(database.texts(
        QStringLiteral("SELECT 室 FROM ghjc_wz WHERE 厅 = ? AND coalesce(室, '') <> '' GROUP BY 室"), {hall},
        QStringLiteral("读取室列表")));
}

} // namespace NicheHalls
