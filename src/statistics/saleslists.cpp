#include "statistics/saleslists.h"

#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"

const QString SalesLists::all = QStringLiteral("全部");

const SalesLists::Member& SalesLists::member(SalesListKind kind) {
    static const QString purchases = QStringLiteral("gm_xf1");
    static const QString total = QStringLiteral("合计");
    static const QString salesTemplate = QStringLiteral("gm_tj1");
    static const QList<Member> members = {
        {QStringLiteral("墓区预定统计"), Filter::Area, QStringLiteral("ydmd"), false,
         QStringLiteral("操作时间"), QStringLiteral("预交金额"), QStringLiteral("gm_tj3"),
         QStringLiteral("公墓预定统计表")},
        {QStringLiteral("墓区销售统计"), Filter::Area, purchases, true, QStringLiteral("购墓日期"), total,
         salesTemplate, QStringLiteral("公墓销售统计表")},
        {QStringLiteral("墓区安葬统计"), Filter::Area, purchases, true, QStringLiteral("安葬日期"), total,
         salesTemplate, QStringLiteral("公墓安葬统计表")},
        {QStringLiteral("墓区价格范围销售统计"), Filter::Price, purchases, true, QStringLiteral("购墓日期"),
         total, salesTemplate, QStringLiteral("公墓购墓统计表")},
        {QStringLiteral("业务员销售统计"), Filter::Salesman, purchases, true, QStringLiteral("操作日期"),
         total, salesTemplate, QStringLiteral("公墓销售统计表")},
    };
    return members.at(static_cast<int>(kind));
}

QStringList SalesLists::filterChoices(SalesListKind kind) {
    const QString sql = member(kind).filter == Filter::Salesman
                            ? QStringLiteral("SELECT 操作员 FROM czy WHERE 级别 = '业务员' ORDER BY 操作员")
                            : QStringLiteral("SELECT DISTINCT 墓区 FROM mq_wz ORDER BY 墓区");
    return QStringList{all} + m_database.texts(sql, {}, QStringLiteral("读取统计选项"));
}

std::optional<BoundQuery> SalesLists::listing(SalesListKind kind, const SalesListChoice& choice) {
    const Member& list = member(kind);
    BoundQuery query{QStringLiteral("select * from ") + list.table + QStringLiteral(" where "), {}};
    if (list.purchasesOnly) {
        query.sql += QStringLiteral("操作方式 = ? and ");
        query.values << QStringLiteral("购墓");
    }
    if (list.filter == Filter::Price) {
        // Each price counts only when typed; both are read the same way.
        const QString lowest = choice.lowest.trimmed();
        const QString highest = choice.highest.trimmed();
        if (lowest.isEmpty() && highest.isEmpty())
            return std::nullopt;
        if (!lowest.isEmpty()) {
            query.sql += QStringLiteral("墓地费 >= ? and ");
            query.values << Money::parseLeading(lowest);
        }
        if (!highest.isEmpty()) {
            query.sql += QStringLiteral("墓地费 <= ? and ");
            query.values << Money::parseLeading(highest);
        }
    } else if (choice.filter != all) {
        // The plots of exactly this area (or sold by exactly this salesman), never a part of a key. The
        // key is wrapped so that the database goes through the period's index and only checks the key:
        // looking up thousands of keys one by one reads rows from all over the table.
        query.sql +=
            list.filter == Filter::Area
                ? QStringLiteral("coalesce(墓碑位置, '') in (select 墓碑位置 from mq_wz where 墓区 = ?) and ")
                : QStringLiteral(
                      "coalesce(墓碑位置, '') in (select 墓碑位置 from gm_dj where 业务员 = ?) and ");
        query.values << choice.filter;
    }
    query.sql += QStringLiteral("%1 >= ? and %1 < ?").arg(list.dateColumn);
    query.values << choice.period.first() << choice.period.end();
    return query;
}

PrintJob SalesLists::print(SalesListKind kind, const BoundQuery& listed, const SalesListChoice& choice) {
    const Member& list = member(kind);
    QString heading =
        choice.period.first() + QStringLiteral("到") + DateText::fromDate(choice.period.to) + list.printTitle;
    if (list.filter != Filter::Price)
        heading += QLatin1Char('(') + choice.filter + QLatin1Char(')');
    return {Tally::paddedTemplate(list.templateName), std::nullopt, SqlLiteral::inlined(listed), heading};
}

// The office writes a number after its label with the blank a positive number is printed with; an
// empty list reads "墓碑个数：  0" and "费用合计：0".
QString SalesLists::countLabel(qint64 rows) {
    return QStringLiteral("墓碑个数：") +
           (rows > 0 ? QStringLiteral(" %1").arg(rows) : QStringLiteral("  0"));
}

QString SalesLists::sumLabel(qint64 rows, double sum) {
    if (rows == 0)
        return QStringLiteral("费用合计：0");
    return QStringLiteral("费用合计：") + (sum >= 0 ? QStringLiteral(" ") : QString()) + Money::format(sum);
}
