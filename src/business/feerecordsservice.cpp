#include "business/feerecordsservice.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"
#include "shared/session.h"

namespace {

const QString purchase = QStringLiteral("购墓");
const QString renewal = QStringLiteral("加续费");
const QString gone = QStringLiteral("这条收费记录已经不在了。");

} // namespace

FeeRecordsService::FeeRecordsService(Database& database, const Session& session)
    : m_database(database), m_session(session) {}

BoundQuery FeeRecordsService::rows(const QString& key) {
    return {QStringLiteral("SELECT * FROM gm_xf1 WHERE 墓碑位置 = ? ORDER BY id"), {key}};
}

QString FeeRecordsService::rowLabel(qint64 id, const QString& operation) {
    return QStringLiteral("当前记录id: ") + QString::number(id) + QStringLiteral("  ----  操作方式： ") +
           operation;
}

SaveOutcome FeeRecordsService::reprint(std::optional<qint64> id, bool withoutUseDates) {
    if (m_session.flags.printDenied)
        return refused(notice(QStringLiteral("您没有打印的权限！")));
    if (!id)
        return {};
    QSqlQuery row = m_database.exec(QStringLiteral("SELECT 操作方式, 墓碑位置 FROM gm_xf1 WHERE id = ?"),
                                    {*id}, QStringLiteral("读取收费记录"));
    if (!row.next())
        return refused(notice(gone));
    const QString operation = row.value(QStringLiteral("操作方式")).toString();
    const QString byId = QStringLiteral(" from gm_xf1 where  id=") + QString::number(*id);
    if (operation == purchase)
        return done(std::nullopt, {{withoutUseDates ? QStringLiteral("gm1") : QStringLiteral("gm"),
                                    QStringLiteral("gm"), QStringLiteral("select *") + byId, std::nullopt}});
    if (operation == renewal)
        return done(std::nullopt, {{QStringLiteral("gm_jxf"), QStringLiteral("gm_jxf"),
                                    QStringLiteral("select *") + byId, std::nullopt}});
    return {};
}

SaveOutcome FeeRecordsService::remove(std::optional<qint64> id, Prompter& prompter) {
    if (!m_session.isAdmin())
        return refused(notice(QStringLiteral("您没有此权限！")));
    if (!id)
        return {};
    if (prompter.ask(QStringLiteral("删除收费记录"),
                     QStringLiteral("您真的要删除id： ") + QString::number(*id) +
                         QStringLiteral(" 的记录吗？")) != Prompter::Answer::Yes)
        return {};
    const int deleted = m_database.transaction([&] {
        return m_database
            .exec(QStringLiteral("DELETE FROM gm_xf1 WHERE id = ?"), {*id}, QStringLiteral("删除收费记录"))
            .numRowsAffected();
    });
    if (deleted == 0)
        return refused(notice(gone));
    return done();
}
