#include "shared/onlinedesks.h"

#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/maintenancelock.h"

namespace OnlineDesks {

namespace {

// A session of this database the server still runs, with the moment it began as text.
const QString liveSessions = QStringLiteral(
    "SELECT pid, CAST(backend_start AS TEXT) AS started FROM pg_stat_activity WHERE datname = current_database()");

} // namespace

bool enter(Database& database, const QString& operatorName, const QString& computer,
           const QDateTime& moment) {
    const QString doing = QStringLiteral("记录在线操作员");
    return database.transaction([&] {
        // Held shared until this commits: a maintenance action starting meanwhile waits and then sees
        // this desk.
        if (!MaintenanceLock::admitsDesk(database))
            return false;
        if (!database.isServer()) {
            // One desk works on a file at a time: the row is that desk's.
            database.exec(QStringLiteral("DELETE FROM online_desks"), {}, doing);
            database.exec(QStringLiteral("INSERT INTO online_desks (连接, 连接开始, 操作员, 电脑, 登录时间) "
                                         "VALUES (0, '', ?, ?, ?)"),
                          {operatorName, computer, DateText::fromDateTime(moment)}, doing);
            return true;
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
        return true;
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

QStringList others(Database& database) {
    if (!database.isServer())
        return {};
    const QString doing = QStringLiteral("查看其他登录的操作员");
    QStringList desks;
    // An office from before desks entered themselves knows none; nor does an empty database.
    if (!database.hasTable(QStringLiteral("online_desks")))
        return desks;
    // The tables' owner may not see when another role's session began: its process number and the
    // program's name then say that the desk is there.
    const QList<StoredRow> rows = database.rows(
        QStringLiteral(
            "SELECT d.操作员, d.电脑 FROM online_desks d JOIN pg_stat_activity a ON a.pid = d.连接 "
            "AND a.datname = current_database() AND a.application_name = 'pelu' AND (a.backend_start IS NULL OR "
            "CAST(a.backend_start AS TEXT) = d.连接开始) WHERE d.连接 <> pg_backend_pid() "
            "ORDER BY d.登录时间, d.连接"),
        {}, doing);
    for (const StoredRow& row : rows)
        desks << QStringLiteral("%1 电脑：%2")
                     .arg(row.text(QStringLiteral("操作员")), row.text(QStringLiteral("电脑")));
    return desks;
}

} // namespace OnlineDesks
