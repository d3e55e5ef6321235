#include "business/lampqueries.h"

#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/saveoutcome.h"
#include "foundation/sqlliteral.h"
#include "shared/namepieces.h"

namespace {

// The year's first four characters pick the index in plot order; the dates keep the list exactly the
// payments made within the year.
const QString summaryColumns = QStringLiteral(
    "select 墓碑位置,故者姓名,落葬日期,联系人,联系电话,交款金额,起始年份,终止年份,交款日期,操作人 "
    "from cjdd where substr(交款日期, 1, 4) = ? and 交款日期 >= ? and 交款日期 < ? order by 墓碑位置");

// A year as the payments store it.
QString yearText(int year) {
    return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0'));
}

LampListing refusal(const char* text) {
    return {std::nullopt, notice(QString::fromUtf8(text))};
}

} // namespace

namespace LampQueries {

QStringList soldNumbers(Database& database, const QString& area, const QString& row) {
    return database.texts(QStringLiteral("SELECT 号 FROM mq_wz WHERE 墓区 = ? AND coalesce(排, '') = ? AND "
                                         "墓碑位置 IN (SELECT 墓碑位置 FROM gm_dj) ORDER BY 号"),
                          {area, row}, QStringLiteral("读取已购墓位的号"));
}

LampListing payments(const LampConditions& conditions) {
    QStringList where;
    QVariantList values;
    if (conditions.byPlace) {
        // The plots of exactly this area, row and number, never the keys that merely begin alike
        // ("1" and "10" are two areas).
        if (conditions.area.isEmpty())
            return refusal("     墓碑位置查询条件错误！    ");
        QString plots = QStringLiteral("select 墓碑位置 from mq_wz where 墓区 = ?");
        values << conditions.area;
        if (!conditions.row.isEmpty() || !conditions.number.isEmpty()) {
            plots += QStringLiteral(" and coalesce(排, '') = ?");
            values << conditions.row;
        }
        if (!conditions.number.isEmpty()) {
            plots += QStringLiteral(" and 号 = ?");
            values << conditions.number;
        }
        where << QStringLiteral("墓碑位置 in (%1)").arg(plots);
    }
    const struct {
        bool ticked;
        const QString& typed;
        const char* column;
        const char* message;
        bool name; // also found by the pinyin of the whole name
    } texts[] = {
        {conditions.byDeceased, conditions.deceased, "故者姓名", "     故者姓名查询条件错误！    ", true},
        {conditions.byContact, conditions.contact, "联系人", "      联系人查询条件错误！     ", true},
        {conditions.byTelephone, conditions.telephone, "联系电话", "      联系电话查询条件错误！     ",
         false},
    };
    for (const auto& condition : texts) {
        if (!condition.ticked)
            continue;
        const QString typed = condition.typed.trimmed();
        if (typed.isEmpty())
            return refusal(condition.message);
        const QString column = QString::fromUtf8(condition.column);
        if (condition.name) {
            const BoundQuery named = NamePieces::whole(column, typed);
            where << named.sql;
            values << named.values;
            continue;
        }
        where << column + QStringLiteral(" = ?");
        values << typed;
    }
    if (conditions.byBurial) {
        if (conditions.buriedFrom > conditions.buriedTo)
            return refusal("      落葬日期查询条件错误！     ");
        const Period buried{conditions.buriedFrom, conditions.buriedTo};
        where << QStringLiteral("落葬日期 >= ? and 落葬日期 < ?");
        values << buried.first() << buried.end();
    }
    QString sql = QStringLiteral("select * from cjdd");
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where.join(QStringLiteral(" and "));
    return {BoundQuery{sql + QStringLiteral(" order by rid"), values}, std::nullopt};
}

std::optional<int> year(const QString& typed, const QDate& today) {
    if (typed.trimmed().isEmpty())
        return today.year();
    return DateText::parseYear(typed);
}

BoundQuery yearSummary(int year) {
    const Period paid = Period::ofYear(year);
    return {summaryColumns, {yearText(year), paid.first(), paid.end()}};
}

double yearTotal(Database& database, int year) {
    // Summed from the index of dates and amounts alone, without the list's order.
    const Period paid = Period::ofYear(year);
    return Money::roundCents(database
                                 .scalar(QStringLiteral("SELECT SUM(交款金额) FROM cjdd WHERE 交款日期 >= ? "
                                                        "AND 交款日期 < ?"),
                                         {paid.first(), paid.end()}, QStringLiteral("合计点灯收费"))
                                 .toDouble());
}

BoundQuery unpaid(int year) {
    // A payment covers the years from its first to its last; a plot is listed once, by its first burial.
    // The lamp tally counts the same plots.
    const QString text = yearText(year);
    return {
        QStringLiteral(
            "select d.墓碑位置, d.联系人, d.联系电话, d.故者姓名, d.落葬日期 from gm_dj d "
            "where d.故者姓名 is not null and d.墓碑位置 is not null "
            "and not exists (select 1 from gm_dj e where e.墓碑位置 = d.墓碑位置 and e.故者姓名 is not null "
            "and e.rid < d.rid) "
            "and not exists (select 1 from cjdd c where c.墓碑位置 = d.墓碑位置 and c.起始年份 <= ? "
            "and c.终止年份 >= ?) "
            "order by d.墓碑位置"),
        {text, text}};
}

qint64 unpaidCount(Database& database, int year) {
    return database
        .scalar(
            QStringLiteral("SELECT COALESCE(SUM(CASE WHEN 年份 = '' THEN 墓位数 ELSE -墓位数 END), 0) FROM "
                           "lamp_tally WHERE 年份 IN ('', ?)"),
            {yearText(year)}, QStringLiteral("统计未交点灯费的墓位"))
        .toLongLong();
}

PrintJob summaryPrint(int year) {
    PrintJob job{QStringLiteral("gm_cjddhz "), QStringLiteral("gm_cjddhz"),
                 SqlLiteral::inlined(yearSummary(year)),
                 QString::number(year) + QStringLiteral("年份春节点灯收费汇总表")};
    job.ignoresPrintFlag = true;
    return job;
}

QString countLabel(qint64 rows) {
    return QStringLiteral("查到符合条件记录%1条").arg(rows);
}

QString totalLabel(double total) {
    return QStringLiteral("合计：") + Money::format(total) + QStringLiteral("元");
}

QString unpaidLabel(int year, qint64 rows) {
    return QStringLiteral("查到%1年份未交款记录%2条").arg(year).arg(rows);
}

} // namespace LampQueries
