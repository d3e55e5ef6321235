#include "graves/map/salesrestrictionservice.h"

#include "foundation/database.h"
#include "graves/plotvocabulary.h"

namespace {

// The selection in words, for the change history.
QString described(const MapFilter& filter) {
    QStringList parts{QStringLiteral("墓区 ") + filter.area};
    if (!filter.row.isEmpty())
        parts << QStringLiteral("排 ") + filter.row;
    if (!filter.style.isEmpty())
        parts << QStringLiteral("碑型 ") + filter.style;
    if (filter.searchesNumber())
        parts << QStringLiteral("号 %1—%2").arg(filter.number, filter.last);
    return parts.join(QStringLiteral("，"));
}

} // namespace

SalesRestrictionService::SalesRestrictionService(Database& database) : m_database(database) {}

SaveOutcome SalesRestrictionService::restrict(const std::optional<MapFilter>& selection) {
    return change(selection, PlotState::free, PlotState::restricted, QStringLiteral("请选择适合的条件"),
                  QStringLiteral("限制成功"));
}

SaveOutcome SalesRestrictionService::release(const std::optional<MapFilter>& selection) {
    return change(selection, PlotState::restricted, PlotState::free, QStringLiteral("请选择正确的条件"),
                  QStringLiteral("解除限制成功"));
}

SaveOutcome SalesRestrictionService::change(const std::optional<MapFilter>& selection, const QString& from,
                                            const QString& to, const QString& nothingChosen,
                                            const QString& changed) {
    const std::optional<PlotMapService::Condition> where =
        selection ? PlotMapService::condition(MapUses::restriction(), *selection) : std::nullopt;
    const bool holdsPlots = m_database.transaction([&] {
        if (!where || m_database
                              .scalar(QStringLiteral("SELECT COUNT(*) FROM mq_wz WHERE ") + where->sql,
                                      where->values, QStringLiteral("统计所选墓位"))
                              .toLongLong() == 0)
            return false;
        // Only plots in the one state change; sold and reserved plots of the selection stay as they are.
        const QString changing = where->sql + QStringLiteral(" AND 状态 = ?");
        const QVariantList values = where->values + QVariantList{from};
        const QStringList keys =
            m_database.texts(QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE ") + changing, values,
                             QStringLiteral("读取所选墓位"));
        m_database.inBulk(
            {{QStringLiteral("mq_wz"), QStringLiteral("批量修改"),
              QStringLiteral("%1，状态 %2 改为 %3").arg(described(*selection), from, to), keys.size(), keys}},
            [&] {
                m_database.exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE ") + changing,
                                QVariantList{to} + values, QStringLiteral("更改销售控制"));
            });
        m_database.notifyChange(ChangeNotifier::Subject::Plots, selection->area);
        return true;
    });
    if (!holdsPlots)
        return refused(notice(nothingChosen));
    return done(notice(changed));
}
