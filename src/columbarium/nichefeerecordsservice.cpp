#include "columbarium/nichefeerecordsservice.h"

#include "foundation/database.h"
#include "shared/session.h"

const QString NicheFeeRecordsService::lineOrder = QStringLiteral("行序");

NicheFeeRecordsService::NicheFeeRecordsService(Database& database, const Session& session)
    : m_database(database), m_session(session) {}

BoundQuery NicheFeeRecordsService::rows(const QString& key) {
    return {
        QStringLiteral(
            "SELECT 0 AS %1, NULL AS id, '      消费总计:' AS 存放位置, NULL AS 故者姓名, NULL AS 联系人, "
            "NULL AS 日期起, NULL AS 日期止, COALESCE(SUM(应收费), 0) AS 应收费, "
            "COALESCE(SUM(实收费), 0) AS 实收费, NULL AS 操作方式, NULL AS 操作员, NULL AS 操作日期 "
            "FROM ghjc_xf1 WHERE 存放位置 = ? "
            "UNION ALL SELECT 1, id, 存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, "
            "操作员, 操作日期 FROM ghjc_xf1 WHERE 存放位置 = ? ORDER BY %1, id")
            .arg(lineOrder),
        {key, key}};
}

SaveOutcome NicheFeeRecordsService::remove(std::optional<qint64> id, Prompter& prompter) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录的权限！")));
    if (!id || prompter.ask(Prompter::Icon::Exclamation, QStringLiteral("删除记录"),
                            QStringLiteral("您确信要删除这条记录吗?请三思而后行!")) != Prompter::Answer::Yes)
        return {};
    enum class Result { Deleted, LastRow, Gone };
    const Result result = m_database.transaction([&] {
        QSqlQuery row = m_database.exec(QStringLiteral("SELECT 存放位置 FROM ghjc_xf1 WHERE id = ?"), {*id},
                                        QStringLiteral("读取寄存收费记录"));
        if (!row.next())
            return Result::Gone;
        // A niche always keeps one fee row. Counted again here: the list may be older than the table.
        if (m_database
                .scalar(QStringLiteral("SELECT COUNT(*) FROM ghjc_xf1 WHERE 存放位置 = ?"),
                        {row.value(QStringLiteral("存放位置"))}, QStringLiteral("统计寄存收费记录"))
                .toLongLong() < 2)
            return Result::LastRow;
        m_database.exec(QStringLiteral("DELETE FROM ghjc_xf1 WHERE id = ?"), {*id},
                        QStringLiteral("删除寄存收费记录"));
        return Result::Deleted;
    });
    switch (result) {
    case Result::LastRow:
        return refused(plain(QStringLiteral("记录只剩下一条,不能删除!")));
    case Result::Gone:
        return refused(notice(QStringLiteral("这条收费记录已经不在了。")));
    case Result::Deleted:
        break;
    }
    return done();
}
