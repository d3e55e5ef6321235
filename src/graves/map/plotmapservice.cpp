#include "graves/map/plotmapservice.h"
#include "graves/plotareas.h"
#include "graves/plotvocabulary.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"
#include "shared/numberedplace.h"
#include "shared/positionkey.h"

namespace {

const QString readingPlots = QStringLiteral("读取墓位图");

// One comparison of a filter: column, operator and the value it compares with.
struct Term {
    QString column;
    QString op;
    QString value;
};

// The filter's comparisons with `state` in place of the use's listed state; none when the filter
// can hold no plot.
std::optional<QList<Term>> termsOf(const MapUse& use, const MapFilter& filter,
                                   const std::optional<QString>& state) {
    const QString is = QStringLiteral("=");
    QList<Term> terms = {{QStringLiteral("墓区"), is, filter.area}};
    if (filter.searchesNumber()) {
        const auto typed = [&use](const QString& number) {
            return use.zeroFillsNumbers ? PositionKey::fourDigitNumber(number) : number;
        };
        if (filter.rowless) {
            if (!use.rowlessNumberState)
                return std::nullopt;
            terms << Term{QStringLiteral("号"), is, typed(filter.number)}
                  << Term{QStringLiteral("状态"), is, *use.rowlessNumberState};
        } else {
            terms << Term{QStringLiteral("排"), is, filter.row};
            if (filter.last.isEmpty())
                terms << Term{QStringLiteral("号"), is, typed(filter.number)};
            else
                terms << Term{QStringLiteral("号"), QStringLiteral(">="), typed(filter.number)}
                      << Term{QStringLiteral("号"), QStringLiteral("<="), typed(filter.last)};
        }
    } else {
        if (!filter.row.isEmpty())
            terms << Term{QStringLiteral("排"), is, filter.row};
        if (!filter.style.isEmpty())
            terms << Term{QStringLiteral("样式"), is, filter.style};
    }
    if (state)
        terms << Term{QStringLiteral("状态"), is, *state};
    return terms;
}

QString number(int value) {
    return QString::number(value);
}

QString saleCountLine(const MapFilter& filter, const MapCounts& c) {
    if (!filter.style.isEmpty())
        // Restricted plots are not told apart here: they count as bought.
        return filter.area + QStringLiteral("，样式为") + filter.style + QStringLiteral("的总位置数： ") +
               number(c.total) + QStringLiteral("  未使用数：") + number(c.free) +
               QStringLiteral("  已预订数：") + number(c.reserved) + QStringLiteral("  已购数：") +
               number(c.total - c.free - c.reserved) + QStringLiteral("  其中寿穴：") +
               number(c.advanceBought);
    const int bought = c.total - c.restricted - c.free - c.reserved;
    if (!filter.row.isEmpty())
        return filter.area + filter.row + QStringLiteral("排，总位置为") + number(c.total) +
               QStringLiteral(" 限制销售数：") + number(c.restricted) + QStringLiteral(" 未使用数：") +
               number(c.free) + QStringLiteral(" 已预订数： ") + number(c.reserved) +
               QStringLiteral("  已购数：") + number(bought) + QStringLiteral("  其中寿穴为：") +
               number(c.advanceBought);
    // An area without plots shows an empty status line; a row or style without plots shows its zeros.
    if (c.total == 0)
        return {};
    return filter.area + QStringLiteral("，总位置数：") + number(c.total) + QStringLiteral(" 限制销售数： ") +
           number(c.restricted) + QStringLiteral(" 未使用数： ") + number(c.free) +
           QStringLiteral("  已预订数：") + number(c.reserved) + QStringLiteral("  已购数：") +
           number(bought) + QStringLiteral("  其中寿穴为：") + number(c.advanceBought);
}

QString reservedCountLine(const MapFilter& filter, const MapCounts& c) {
    if (!filter.style.isEmpty())
        return filter.area + QStringLiteral("，样式为") + filter.style + QStringLiteral("的已预订位置数： ") +
               number(c.total);
    if (!filter.row.isEmpty())
        return filter.area + filter.row + QStringLiteral("排，已预订的位置数： ") + number(c.total);
    return filter.area + QStringLiteral("，已预订的位置数： ") + number(c.total);
}

QString restrictionCountLine(const MapFilter& filter, const MapCounts& c) {
    if (!filter.row.isEmpty())
        return filter.area + filter.row + QStringLiteral("排，总位置数：") + number(c.total) +
               QStringLiteral("限制数：") + number(c.restricted) + QStringLiteral(" 未使用数：") +
               number(c.free) + QStringLiteral(" ");
    return filter.area + QStringLiteral("，总位置数：") + number(c.total) + QStringLiteral(" 限制数：") +
           number(c.restricted) + QStringLiteral(" 未使用数： ") + number(c.free) + QStringLiteral("  ");
}

QString soldCountLine(const MapFilter& filter, const MapCounts& c) {
    const QString counts = number(c.total) + QStringLiteral("  其中寿穴为：") + number(c.advanceBought);
    if (!filter.style.isEmpty())
        return filter.area + QStringLiteral("，样式为") + filter.style + QStringLiteral("的已使用位置数： ") +
               counts;
    if (!filter.row.isEmpty())
        return filter.area + filter.row + QStringLiteral("排，已使用的位置数： ") + counts;
    return filter.area + QStringLiteral("，已使用的位置数： ") + counts;
}

const QString reservedListTitle = QStringLiteral("已预订的墓位列表");

} // namespace

namespace MapUses {

MapUse sale() {
    MapUse use;
    use.icon = &PlotIconRules::iconFor;
    use.readsOccupancy = true;
    use.countLine = saleCountLine;
    use.rowlessNumberState = PlotState::free;
    use.list = MapListPrint{PlotState::reserved, reservedListTitle};
    return use;
}

MapUse reserved() {
    MapUse use;
    use.listedState = PlotState::reserved;
    use.icon = &PlotIconRules::reservedIcon;
    use.countLine = reservedCountLine;
    use.list = MapListPrint{PlotState::reserved, reservedListTitle};
    return use;
}

MapUse restriction() {
    MapUse use;
    use.icon = &PlotIconRules::restrictionIcon;
    use.countLine = restrictionCountLine;
    use.zeroFillsNumbers = true;
    return use;
}

MapUse sold() {
    MapUse use;
    use.listedState = PlotState::sold;
    use.icon = &PlotIconRules::soldIcon;
    use.readsOccupancy = true;
    use.countLine = soldCountLine;
    use.countsAdvanceBoughtInAnyState = true;
    use.list = MapListPrint{PlotState::sold, QStringLiteral("已购墓位列表")};
    return use;
}

} // namespace MapUses

PlotMapService::PlotMapService(Database& database, MapUse use)
    : m_database(database), m_use(std::move(use)) {}

std::optional<PlotMapService::Condition> PlotMapService::condition(const MapUse& use,
                                                                   const MapFilter& filter) {
    return condition(use, filter, use.listedState);
}

std::optional<PlotMapService::Condition> PlotMapService::condition(const MapUse& use, const MapFilter& filter,
                                                                   const std::optional<QString>& state) {
    const std::optional<QList<Term>> terms = termsOf(use, filter, state);
    if (!terms)
        return std::nullopt;
    Condition condition{Numbered::isPosition, {}};
    for (const Term& term : *terms) {
        condition.sql +=
            QStringLiteral(" AND ") + term.column + QLatin1Char(' ') + term.op + QStringLiteral(" ?");
        condition.values << term.value;
    }
    return condition;
}

QStringList PlotMapService::areas() {
    return PlotAreas::all(m_database);
}

QStringList PlotMapService::rows(const QString& area) {
    return PlotAreas::rows(m_database, area);
}

MapView PlotMapService::view(const MapFilter& filter) {
    MapView view;
    if (const std::optional<Condition> where = condition(m_use, filter)) {
        // One query: the register rows of the chosen plots are grouped once, giving each plot their
        // number and its first row, whose 性别 is one lookup by its key; no subquery per plot.
        const QString plots =
            QStringLiteral("SELECT 墓碑位置, 样式, 状态, 寿穴, 墓区, 排, 号 FROM mq_wz WHERE ") + where->sql;
        QString sql;
        QVariantList values = where->values;
        if (m_use.readsOccupancy) {
            sql =
                QStringLiteral(
                    "SELECT w.墓碑位置, w.样式, w.状态, w.寿穴, w.墓区, COALESCE(r.行数, 0) AS 行数, f.性别 "
                    "FROM (%1) AS w LEFT JOIN (SELECT 墓碑位置, COUNT(*) AS 行数, MIN(rid) AS 首行 "
                    "FROM gm_dj WHERE 墓碑位置 IN (SELECT 墓碑位置 FROM mq_wz WHERE %2) "
                    "GROUP BY 墓碑位置) AS r ON r.墓碑位置 = w.墓碑位置 "
                    "LEFT JOIN gm_dj AS f ON f.rid = r.首行")
                    .arg(plots, where->sql);
            values += where->values;
        } else {
            sql =
                QStringLiteral(
                    "SELECT w.墓碑位置, w.样式, w.状态, w.寿穴, w.墓区, 0 AS 行数, NULL AS 性别 FROM (%1) AS w")
                    .arg(plots);
        }
        QSqlQuery query = m_database.exec(sql + QStringLiteral(" ORDER BY w.排, w.号"), values, readingPlots);
        while (query.next()) {
            MapPlot plot;
            plot.position = static_cast<int>(view.plots.size()) + 1;
            plot.key = query.value(QStringLiteral("墓碑位置")).toString();
            plot.area = query.value(QStringLiteral("墓区")).toString();
            plot.state = query.value(QStringLiteral("状态")).toString();
            plot.advanceBought = query.value(QStringLiteral("寿穴")).toInt() == 1;
            plot.icon =
                m_use.icon(query.value(QStringLiteral("样式")).toString(), plot.state, plot.advanceBought,
                           {query.value(QStringLiteral("行数")).toInt(),
                            query.value(QStringLiteral("性别")).toString()});
            view.plots << plot;
        }
    }
    view.counts = count(view.plots);
    if (m_use.countsAdvanceBoughtInAnyState && !filter.searchesNumber())
        if (const std::optional<Condition> anyState = condition(m_use, filter, std::nullopt))
            view.counts.advanceBought = m_database
                                            .scalar(QStringLiteral("SELECT COUNT(*) FROM mq_wz WHERE ") +
                                                        anyState->sql + QStringLiteral(" AND 寿穴 = 1"),
                                                    anyState->values, readingPlots)
                                            .toInt();
    view.statusLine = m_use.countLine(filter, view.counts);
    return view;
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

std::optional<ChosenReservation> PlotMapService::reservationOf(const QString& key) {
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT id, 墓碑位置 FROM ydmd WHERE 墓碑位置 = ? ORDER BY id LIMIT 1"), {key},
        QStringLiteral("读取选中的预订"));
    if (!query.next())
        return std::nullopt;
    return ChosenReservation{query.value(QStringLiteral("id")).toLongLong(),
                             query.value(QStringLiteral("墓碑位置")).toString()};
}

std::optional<ChosenPurchase> PlotMapService::purchaseOf(const QString& key) {
    QSqlQuery query =
        m_database.exec(QStringLiteral("SELECT 墓碑位置 FROM gm_dj WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"),
                        {key}, QStringLiteral("读取选中的购墓登记"));
    if (!query.next())
        return std::nullopt;
    return ChosenPurchase{query.value(QStringLiteral("墓碑位置")).toString()};
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

PrintJob PlotMapService::listJob(const MapUse& use, const MapFilter& filter) {
    QStringList compared;
    if (const std::optional<QList<Term>> terms = termsOf(use, filter, use.list->state))
        for (const Term& term : *terms)
            compared << term.column + term.op + SqlLiteral::text(term.value);
    else
        compared << QStringLiteral("1=0");
    PrintJob job{QStringLiteral("wz        "), QStringLiteral("wz"),
                 QStringLiteral("select * from mq_wz where ") + compared.join(QStringLiteral(" and ")) +
                     QStringLiteral(" order by 排,号"),
                 use.list->title};
    job.ignoresPrintFlag = true; // the maps' lists test only the report list
    return job;
}
