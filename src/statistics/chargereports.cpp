#include "statistics/chargereports.h"

#include "foundation/datetext.h"
#include "foundation/sqlliteral.h"
#include "shared/session.h"

namespace ChargeReports {

const QList<ChargeReport>& cemetery() {
    static const QList<ChargeReport> reports = {
        {QStringLiteral("Option1"), QStringLiteral("购墓收费"), QStringLiteral("gm_tj1"),
         QStringLiteral("gm_xf1"), QStringLiteral("购墓"), QStringLiteral("购墓日期"),
         QStringLiteral("公墓销售统计表(墓区)")},
        {QStringLiteral("Option3"), QStringLiteral("加 续 费"), QStringLiteral("gm_tj1"),
         QStringLiteral("gm_xf1"), QStringLiteral("加续费"), QStringLiteral("操作日期"),
         QStringLiteral("续费统计表(墓区)")},
        {QStringLiteral("Option4"), QStringLiteral("退墓退费"), QStringLiteral("gm_tf"),
         QStringLiteral("mq_tm"), QString(), QStringLiteral("操作日期"), QStringLiteral("公墓退费统计表")},
        {QStringLiteral("Option5"), QStringLiteral("三产收费"), QStringLiteral("gm_tj2"),
         QStringLiteral("gm_qtf"), QString(), QStringLiteral("操作日期"), QStringLiteral("墓区三产统计表")},
    };
    return reports;
}

const QList<ChargeReport>& columbarium() {
    static const QList<ChargeReport> reports = {
        {QStringLiteral("Option1"), QStringLiteral("存入收费"), QStringLiteral("jc_tj"),
         QStringLiteral("GHJC_XF1"), QStringLiteral("存入"), QStringLiteral("操作日期"),
         QStringLiteral("寄存收费统计表")},
        {QStringLiteral("Option2"), QStringLiteral("续  费"), QStringLiteral("jc_tj"),
         QStringLiteral("GHJC_xf1"), QStringLiteral("续存"), QStringLiteral("操作日期"),
         QStringLiteral("寄存续费统计表")},
        {QStringLiteral("Option3"), QStringLiteral("物品收费"), QStringLiteral("jc_tj2"),
         QStringLiteral("GHJC_XF2"), QString(), QStringLiteral("操作日期"),
         QStringLiteral("寄存物品统计表 ")},
        {QStringLiteral("Option4"), QStringLiteral("退  费"), QStringLiteral("jctf_tj"),
         QStringLiteral("JC_tf"), QString(), QStringLiteral("操作日期"), QString()},
    };
    return reports;
}

SaveOutcome print(const Session& session, const ChargeReport& report, const Period& period) {
    if (session.flags.printDenied)
        return refused(lacksRight(session.operatorName, QStringLiteral("您没有打印记录权限！")));
    BoundQuery query{QStringLiteral("select * from ") + report.table + QStringLiteral(" where "), {}};
    if (!report.kind.isEmpty()) {
        query.sql += QStringLiteral("操作方式 = ? and ");
        query.values << report.kind;
    }
    query.sql += QStringLiteral("%1 >= ? and %1 < ?").arg(report.dateColumn);
    query.values << period.first() << period.end();
    std::optional<QString> heading;
    if (!report.title.isEmpty())
        heading = period.first() + QStringLiteral("到") + DateText::fromDate(period.to) + report.title;
    return done(std::nullopt, {{Tally::paddedTemplate(report.templateName), report.templateName,
                                SqlLiteral::inlined(query), heading}});
}

} // namespace ChargeReports
