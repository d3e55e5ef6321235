#include "shared/expirylist.h"

#include "foundation/datetext.h"
#include "foundation/saveoutcome.h"
#include "foundation/sqlliteral.h"

namespace ExpiryList {

namespace {

// The list's condition on the day after the last one listed, bound or written out for pelu-print.
QString endsBefore(ExpiryKind kind, const QString& dayAfter) {
    return member(kind).select + QStringLiteral(" where 日期止 < ") + dayAfter;
}

QString dayAfter(const QDate& today, int days) {
    return DateText::fromDate(today.addDays(qint64(days) + 1));
}

} // namespace

const Member& member(ExpiryKind kind) {
    static const Member plots{QStringLiteral("公墓过期记录"),
                              QStringLiteral("select * from gm_dj"),
                              QStringLiteral("墓碑位置"),
                              QStringLiteral("墓位"),
                              QStringLiteral("gm_djlxb"),
                              QStringLiteral("墓地使用到期联系表"),
                              true};
    static const Member niches{
        QStringLiteral("寄存过期记录"),
        QStringLiteral(
            "select id,存放位置,骨灰盒型,故者姓名,性别,出生日期,逝世日期,籍贯,生前单位,日期起,日期止,"
            "联系人,关系,工作单位,身份证号,家庭住址,联系电话,电子信箱,备注 from ghjc_dj"),
        QStringLiteral("存放位置"),
        QStringLiteral("寄存位"),
        QStringLiteral("jc_djlxb"),
        QStringLiteral("寄存到期联系表"),
        false};
    return kind == ExpiryKind::Plots ? plots : niches;
}

std::optional<int> parseDays(const QString& typed) {
    bool whole = false;
    const int days = typed.trimmed().toInt(&whole);
    return whole ? std::optional(days) : std::nullopt;
}

Message notAWholeNumber() {
    return warning(QStringLiteral("请在文本框中输入正确的整数！ "));
}

BoundQuery listing(ExpiryKind kind, const QDate& today, int days) {
    return {endsBefore(kind, QStringLiteral("?")), {dayAfter(today, days)}};
}

QString countLabel(ExpiryKind kind, int days, qint64 rows) {
    return QStringLiteral("将在%1天内到期的%2总共有：%3条").arg(days).arg(member(kind).place).arg(rows);
}

PrintJob print(ExpiryKind kind, const QDate& today, int days) {
    const Member& list = member(kind);
    PrintJob job{list.listName, list.listName, endsBefore(kind, SqlLiteral::text(dayAfter(today, days))),
                 QStringLiteral("从") + DateText::fromDate(today) + QStringLiteral("起%1天内").arg(days) +
                     list.printTitle};
    job.ignoresPrintFlag = list.ignoresPrintFlag;
    return job;
}

} // namespace ExpiryList
