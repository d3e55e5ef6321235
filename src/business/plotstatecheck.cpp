#include "business/plotstatecheck.h"

#include "foundation/database.h"
#include "graves/plotvocabulary.h"

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
    const QString state = plot.value(QStringLiteral("状态")).toString();
    if (state != expectedState) {
        check.refusal =
            QStringLiteral("墓位“%1”现在是“%2”，不是“%3”，不能%4！").arg(key, state, expectedState, action);
        return check;
    }
    check.plotRow = plot.value(QStringLiteral("rid")).toLongLong();
    check.area = plot.value(QStringLiteral("墓区")).toString();
    return check;
}

std::optional<QString> plotTakenMeanwhile(Database& database, const QString& key,
                                          const QString& expectedState) {
    const QVariant state =
        database.scalar(QStringLiteral("SELECT 状态 FROM mq_wz WHERE 墓碑位置 = ? LIMIT 1"), {key},
                        QStringLiteral("读取墓位的状态"));
    if (!state.isValid())
        return QStringLiteral("该墓位刚被其他操作员删除");
    const QString now = state.toString();
    if (now == expectedState)
        return std::nullopt;
    if (now == PlotState::sold)
        return QStringLiteral("该墓位刚被其他操作员购买");
    if (now == PlotState::reserved)
        return QStringLiteral("该墓位刚被其他操作员预订");
    if (expectedState == PlotState::reserved && now == PlotState::free)
        return QStringLiteral("该墓位的预订刚被其他操作员取消");
    return QStringLiteral("该墓位刚被其他操作员改为“%1”").arg(now);
}

PlotStateCheck checkReservation(Database& database, qint64 reservationId, const QString& key,
                                const QString& action) {
    if (!database
             .scalar(QStringLiteral("SELECT 1 FROM ydmd WHERE id = ? AND 墓碑位置 = ?"), {reservationId, key},
                     QStringLiteral("读取预订记录"))
             .isValid()) {
        PlotStateCheck gone;
        gone.refusal = QStringLiteral("墓位“%1”的这条预订已经不在了，不能%2！").arg(key, action);
        return gone;
    }
    return checkPlotState(database, key, PlotState::reserved, action);
}
