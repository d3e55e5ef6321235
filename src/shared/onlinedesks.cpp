#include "shared/onlinedesks.h"

#include "foundation/database.h"
#include "foundation/datetext.h"

namespace OnlineDesks {

namespace {

// A session of this database the server still runs, with the moment it began as text.
const QString liveSessions = QStringLiteral(
    "SELECT pid, CAST(backend_start AS TEXT) AS started FROM pg_stat_activity WHERE datname = current_database()");

} // namespace

void enter(Database& database, const QString& operatorName, const QString& computer,
           const QDateTime& moment) {
    const QString doing = QStringLiteral("记录在线操作员");
    database.transaction([&] {
        if (!database.isServer()) {
            // One desk works on a file at a time: the row is that desk's.
            database.exec(QStringLiteral("DELETE FROM online_desks"), {}, doing);
            database.exec(QStringLiteral("INSERT INTO online_desks (连接, 连接开始, 操作员, 电脑, 登录时间) "
                                         "VALUES (0, '', ?, ?, ?)"),
                          {operatorName, computer, DateText::fromDateTime(moment)}, doing);
            return;
        }
        database.exec(QStringLiteral("DELETE FROM online_desks WHERE 连接 = pg_backend_pid() OR NOT EXISTS "
                                     "(SELECT 1 FROM (") +
                          liveSessions +
                          QStringLiteral(") AS live WHERE live.pid = online_desks.连接 AND live.started = "
                                         "online_desks.连接开始)"),
                      {}, doing);
        database.exec(QStringLiteral("INSERT INTO online_desks (连接, 连接开始, 操作员, 电脑, 登录时间) "
                                     "SELECT pid, started, ?, ?, ? FROM (") +
                          liveSessions + QStringLiteral(") AS live WHERE pid = pg_backend_pid()"),
                      {operatorName, computer, DateText::fromDateTime(moment)}, doing);
    });
}

QList<Desk> list(Database& database) {
    const QList<StoredRow> rows =
        database.isServer()
            ? database.rows(QStringLiteral("SELECT d.操作员, d.电脑, d.登录时间 FROM online_desks d JOIN (") +
                                liveSessions +
                                QStringLiteral(") AS live ON live.pid = d.连接 AND live.started = d.连接开始 "
                                               "ORDER BY d.登录时间, d.连接"),
                            {}, QStringLiteral("读取在线操作员"))
            : database.rows(QStringLiteral("SELECT 操作员, 电脑, 登录时间 FROM online_desks"), {},
                            QStringLiteral("读取在线操作员"));
    QList<Desk> desks;
    for (const StoredRow& row : rows)
        desks << Desk{row.text(QStringLiteral("操作员")), row.text(QStringLiteral("电脑")),
                      row.text(QStringLiteral("登录时间"))};
    return desks;
}

} // namespace OnlineDesks
