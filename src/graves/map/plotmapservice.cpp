#include "graves/map/plotmapservice.h"
#include "graves/plotareas.h"
#include "graves/plotvocabulary.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"

namespace {

const QString readingPlots = QStringLiteral("读取墓位图");

} // namespace

PlotMapService::PlotMapService(Database& database) : m_database(database) {}

QStringList PlotMapService::areas() {
    return PlotAreas::all(m_database);
}

QStringList PlotMapService::rows(const QString& area) {
    return PlotAreas::rows(m_database, area);
}

QList<MapPlot> PlotMapService::read(const QString& condition, const QVariantList& values) {
    // One query gives each plot the number of its register rows and the 性别 of its first one, both
    // looked up through the register's key index: no query per plot.
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT w.墓碑位置, w.样式, w.状态, w.寿穴, w.墓区, "
                       "(SELECT COUNT(*) FROM gm_dj AS d WHERE d.墓碑位置 = w.墓碑位置) AS 登记数, "
                       "(SELECT d.性别 FROM gm_dj AS d WHERE d.墓碑位置 = w.墓碑位置 ORDER BY d.rid LIMIT 1) "
                       "AS 首位性别 FROM mq_wz AS w WHERE w.号 IS NOT NULL AND w.号 <> '' AND ") +
            condition + QStringLiteral(" ORDER BY w.排, w.号"),
        values, readingPlots);
    QList<MapPlot> plots;
    while (query.next()) {
        MapPlot plot;
        plot.position = static_cast<int>(plots.size()) + 1;
        plot.key = query.value(QStringLiteral("墓碑位置")).toString();
        plot.area = query.value(QStringLiteral("墓区")).toString();
        plot.state = query.value(QStringLiteral("状态")).toString();
        plot.advanceBought = query.value(QStringLiteral("寿穴")).toInt() == 1;
        const PlotIconRules::Occupancy occupancy{query.value(QStringLiteral("登记数")).toInt(),
                                                 query.value(QStringLiteral("首位性别")).toString()};
        plot.icon = PlotIconRules::iconFor(query.value(QStringLiteral("样式")).toString(), plot.state,
                                           plot.advanceBought, occupancy);
        plots << plot;
    }
    return plots;
}

MapView PlotMapService::view(const MapFilter& filter) {
    QString condition = QStringLiteral("w.墓区 = ?");
    QVariantList values = {filter.area};
    if (!filter.row.isEmpty()) {
        condition += QStringLiteral(" AND w.排 = ?");
        values << filter.row;
    }
    if (!filter.style.isEmpty()) {
        condition += QStringLiteral(" AND w.样式 = ?");
        values << filter.style;
    }
    MapView view;
    view.plots = read(condition, values);
    view.counts = count(view.plots);
    // An area without plots shows an empty status line; a row or style without plots shows its zeros.
    const bool wholeArea = filter.row.isEmpty() && filter.style.isEmpty();
    if (!(wholeArea && view.plots.isEmpty()))
        view.statusLine = statusLine(filter, view.counts);
    return view;
}

QList<MapPlot> PlotMapService::findNumber(const QString& area, const QString& row, bool areaHasRows,
                                          const QString& number) {
    if (areaHasRows)
        return read(QStringLiteral("w.墓区 = ? AND w.排 = ? AND w.号 = ?"), {area, row, number});
    return read(QStringLiteral("w.墓区 = ? AND w.号 = ? AND w.状态 = ?"), {area, number, PlotState::free});
}

std::optional<ChosenPlot> PlotMapService::choose(const QString& key) {
    QSqlQuery query = m_database.exec(QStringLiteral("SELECT 墓碑位置, 样式, 墓地费, 墓碑费, 工料费, 家族费, "
                                                     "绿化费, 其它 FROM mq_wz WHERE 墓碑位置 = ? LIMIT 1"),
                                      {key}, QStringLiteral("读取选中的墓位"));
    if (!query.next())
        return std::nullopt;
    ChosenPlot plot;
    const auto price = [&query](const char* column) {
        return query.value(QString::fromUtf8(column)).toDouble();
    };
    plot.key = query.value(QStringLiteral("墓碑位置")).toString();
    plot.style = query.value(QStringLiteral("样式")).toString();
    plot.landPrice = price("墓地费");
    plot.stonePrice = price("墓碑费");
    plot.labourPrice = price("工料费");
    plot.familyPrice = price("家族费");
    plot.greeningPrice = price("绿化费");
    plot.otherPrice = price("其它");
    return plot;
}

MapCounts PlotMapService::count(const QList<MapPlot>& plots) {
    MapCounts counts;
    counts.total = static_cast<int>(plots.size());
    for (const MapPlot& plot : plots) {
        if (plot.state == PlotState::restricted)
            ++counts.restricted;
        else if (plot.state == PlotState::free)
            ++counts.free;
        else if (plot.state == PlotState::reserved)
            ++counts.reserved;
        if (plot.advanceBought)
            ++counts.advanceBought;
    }
    return counts;
}

QString PlotMapService::statusLine(const MapFilter& filter, const MapCounts& c) {
    const auto n = [](int value) { return QString::number(value); };
    if (!filter.style.isEmpty())
        // Restricted plots are not told apart here: they count as bought.
        return filter.area + QStringLiteral("，样式为") + filter.style + QStringLiteral("的总位置数： ") +
               n(c.total) + QStringLiteral("  未使用数：") + n(c.free) + QStringLiteral("  已预订数：") +
               n(c.reserved) + QStringLiteral("  已购数：") + n(c.total - c.free - c.reserved) +
               QStringLiteral("  其中寿穴：") + n(c.advanceBought);
    const int bought = c.total - c.restricted - c.free - c.reserved;
    if (!filter.row.isEmpty())
        return filter.area + filter.row + QStringLiteral("排，总位置为") + n(c.total) +
               QStringLiteral(" 限制销售数：") + n(c.restricted) + QStringLiteral(" 未使用数：") + n(c.free) +
               QStringLiteral(" 已预订数： ") + n(c.reserved) + QStringLiteral("  已购数：") + n(bought) +
               QStringLiteral("  其中寿穴为：") + n(c.advanceBought);
    return filter.area + QStringLiteral("，总位置数：") + n(c.total) + QStringLiteral(" 限制销售数： ") +
           n(c.restricted) + QStringLiteral(" 未使用数： ") + n(c.free) + QStringLiteral("  已预订数：") +
           n(c.reserved) + QStringLiteral("  已购数：") + n(bought) + QStringLiteral("  其中寿穴为：") +
           n(c.advanceBought);
}

PrintJob PlotMapService::reservedList(const MapFilter& filter) {
    QString query = QStringLiteral("select * from mq_wz where 墓区=") + SqlLiteral::text(filter.area);
    if (!filter.row.isEmpty())
        query += QStringLiteral(" and 排=") + SqlLiteral::text(filter.row);
    if (!filter.style.isEmpty())
        query += QStringLiteral(" and 样式=") + SqlLiteral::text(filter.style);
    query += QStringLiteral(" and 状态=") + SqlLiteral::text(PlotState::reserved) +
             QStringLiteral(" order by 排,号");
    PrintJob job{QStringLiteral("wz        "), QStringLiteral("wz"), query,
                 QStringLiteral("已预订的墓位列表")};
    job.ignoresPrintFlag = true; // the map's list tests only the report list
    return job;
}
