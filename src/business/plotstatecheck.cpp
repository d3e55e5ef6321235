#include "business/plotstatecheck.h"

#include "foundation/database.h"

PlotStateCheck checkPlotState(Database& database, const QString& key, const QString& expectedState,
                              const QString& action) {
    QSqlQuery plot =
        database.exec(QStringLiteral("SELECT rid, 状态, 墓区 FROM mq_wz WHERE 墓碑位置 = ? LIMIT 1"), {key},
                      QStringLiteral("读取墓位的状态"));
    PlotStateCheck check;
    if (!plot.next()) {
        check.refusal = QStringLiteral("找不到墓位“%1”，不能%2！").arg(key, action);
        return check;
    }
    const QString state = plot.value(1).toString();
    if (state != expectedState) {
        check.refusal =
            QStringLiteral("墓位“%1”现在是“%2”，不是“%3”，不能%4！").arg(key, state, expectedState, action);
        return check;
    }
    check.plotRow = plot.value(0).toLongLong();
    check.area = plot.value(2).toString();
    return check;
}
