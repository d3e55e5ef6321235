#include "business/feerecordsservice.h"

#include "foundation/database.h"
#include "foundation/session.h"
#include "foundation/sqlliteral.h"

#include <QJsonDocument>
#include <QJsonObject>

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
    const QString operation = row.value(0).toString();
    const QString byId = QStringLiteral(" from gm_xf1 where  id=") + QString::number(*id);
    if (operation == purchase) {
        const auto [prepaid, balance] = reservationAmounts(*id, row.value(1).toString());
        return done(
            std::nullopt,
            {{withoutUseDates ? QStringLiteral("gm1") : QStringLiteral("gm"), QStringLiteral("gm"),
              QStringLiteral("select ") + SqlLiteral::number(prepaid) + QStringLiteral(" as 预交金额,") +
                  SqlLiteral::number(balance) + QStringLiteral(" as 余额,*") + byId,
              std::nullopt}});
    }
    if (operation == renewal)
        return done(std::nullopt, {{QStringLiteral("gm_jxf"), QStringLiteral("gm_jxf"),
                                    QStringLiteral("select *") + byId, std::nullopt}});
    return {};
}

// The sale row does not keep the amounts, and the reservation row leaves with the sale. The change
// history keeps the deleted reservation: it is the one of this plot deleted in the same transaction
// (same moment, operator and window) after the fee row was written. A sale that took over no
// reservation, or one older than the history, printed 0 and 0. The plot's history is read by its key
// alone and searched here, so that no other index of the history leads the database astray.
std::pair<double, double> FeeRecordsService::reservationAmounts(qint64 saleRow, const QString& key) {
    QSqlQuery history = m_database.exec(
        QStringLiteral("SELECT 表, 行, 操作, 时间, 操作员, 窗口, 之前 FROM change_history WHERE 位置 = ? "
                       "ORDER BY id"),
        {key}, QStringLiteral("读取购墓时交清的预订记录"));
    std::optional<QStringList> sale; // moment, operator and window of the sale's transaction
    while (history.next()) {
        const QString table = history.value(0).toString();
        const QString action = history.value(2).toString();
        const QStringList context{history.value(3).toString(), history.value(4).toString(),
                                  history.value(5).toString()};
        if (!sale && table == QStringLiteral("gm_xf1") && history.value(1).toLongLong() == saleRow &&
            action == QStringLiteral("添加")) {
            sale = context;
        } else if (sale) {
            if (context != *sale)
                break; // the sale's transaction is over
            if (table != QStringLiteral("ydmd") || action != QStringLiteral("删除"))
                continue;
            const QJsonObject reservation =
                QJsonDocument::fromJson(history.value(6).toString().toUtf8()).object();
            return {reservation.value(QStringLiteral("预交金额")).toDouble(),
                    reservation.value(QStringLiteral("余额")).toDouble()};
        }
    }
    return {0, 0};
}

SaveOutcome FeeRecordsService::remove(std::optional<qint64> id, Prompter& prompter) {
    if (m_session.operatorName != QStringLiteral("Admin"))
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
