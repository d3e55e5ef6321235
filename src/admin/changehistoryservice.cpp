#include "admin/changehistoryservice.h"

#include "foundation/database.h"
#include "foundation/datetext.h"

QStringList ChangeHistoryService::operators() {
    return m_database.texts(QStringLiteral("SELECT DISTINCT 操作员 FROM change_history ORDER BY 操作员"), {},
                            QStringLiteral("读取操作记录的操作员"));
}

QStringList ChangeHistoryService::tables() {
    return m_database.texts(QStringLiteral("SELECT DISTINCT 表 FROM change_history ORDER BY 表"), {},
                            QStringLiteral("读取操作记录的数据表"));
}

BoundQuery ChangeHistoryService::query(const ChangeHistoryFilter& filter) {
    // Moments are stored as text in time order: the day after `to` bounds the whole last day.
    BoundQuery query{
        QStringLiteral(
            "SELECT id, 时间, 操作员, 窗口, 表, 行, 位置, 操作, 之前, 之后, 位置表 FROM change_history "
            "WHERE 时间 >= ? AND 时间 < ?"),
        {DateText::fromDate(filter.from), DateText::fromDate(filter.to.addDays(1))}};
    const auto narrow = [&query](const QString& column, const QString& value) {
        if (value.isEmpty())
            return;
        query.sql += QStringLiteral(" AND %1 = ?").arg(column);
        query.values << value;
    };
    narrow(QStringLiteral("操作员"), filter.operatorName);
    narrow(QStringLiteral("表"), filter.table);
    narrow(QStringLiteral("位置"), filter.key.trimmed());
    query.sql += QStringLiteral(" ORDER BY id DESC");
    return query;
}
