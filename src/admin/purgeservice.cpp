#include "admin/purgeservice.h"

#include "admin/backupservice.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/datetext.h"
#include "foundation/prompter.h"
#include "shared/session.h"

#include <QElapsedTimer>

namespace {

std::chrono::milliseconds since(QElapsedTimer& timer) {
    return std::chrono::milliseconds(timer.restart());
}

} // namespace

PurgeService::PurgeService(Database& database, const Session& session, Prompter& prompter,
                           const DataFolder& folder, const Clock& clock)
    : m_database(database), m_session(session), m_prompter(prompter), m_folder(folder), m_clock(clock) {}

const QStringList& PurgeService::tables() {
    static const QStringList tables = {QStringLiteral("ghjc_xf1"), QStringLiteral("ghjc_xf2"),
                                       QStringLiteral("gm_xf1"),   QStringLiteral("gm_qtf"),
                                       QStringLiteral("jc_tf"),    QStringLiteral("mq_tm")};
    return tables;
}

SaveOutcome PurgeService::purge(const QDate& before, const QList<bool>& ticked) {
    m_timings = {};
    if (!m_session.isAdmin())
        return refused(notice(QStringLiteral("您没有此权限！")));
    // Moments are stored as "yyyy-MM-dd HH:mm:ss": every one of an earlier day sorts before the date.
    const QString day = DateText::fromDate(before);
    const auto counted = [&] {
        QList<Database::BulkChange> changes;
        for (int i = 0; i < tables().size(); ++i)
            if (ticked.value(i))
                changes.append(
                    {tables().at(i),
                     QStringLiteral("批量删除"),
                     QStringLiteral("删除操作日期在 %1 以前的记录").arg(day),
                     m_database
                         .scalar(
                             QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 操作日期 < ?").arg(tables().at(i)),
                             {day}, QStringLiteral("统计旧收费记录"))
                         .toLongLong(),
                     {}});
        return changes;
    };
    qint64 going = 0;
    for (const Database::BulkChange& change : counted())
        going += change.rows;
    if (m_prompter.ask(
            Prompter::Icon::Question, QStringLiteral("删除记录"),
            QStringLiteral("您真的要删除这些记录吗?\n将删除 %1 条记录；删除前先备份数据。").arg(going)) !=
        Prompter::Answer::Yes)
        return {};

    QElapsedTimer timer;
    timer.start();
    // The purged rows stay recoverable: nothing goes before a verified copy of the whole office is in place.
    QString backup;
    try {
        backup = BackupService(m_database, m_folder, m_clock).backupBefore(QStringLiteral("删除收费记录"));
    } catch (const DatabaseError& error) {
        return refused(notice(QStringLiteral("删除前备份数据失败，没有删除任何记录。\n") + error.message()));
    }
    m_timings.backup = since(timer);

    // Twenty years of fee rows go at once a table.
    const Database::LongWork longWork(m_database);
    const qint64 removed = m_database.transaction([&] {
        QList<Database::BulkChange> changes = counted();
        for (Database::BulkChange& change : changes)
            change.selection += QStringLiteral("，删除前的备份：") + backup;
        return m_database.inBulk(changes, [&] {
            qint64 rows = 0;
            for (const Database::BulkChange& change : changes)
                rows += m_database.deleteInBulk(change.table, QStringLiteral("操作日期 < ?"), {day});
            return rows;
        });
    });
    m_timings.removal = since(timer);
    QString text =
        QStringLiteral("删除完毕!\n共删除 %1 条记录。\n删除前的数据已备份到：%2").arg(removed).arg(backup);
    try {
        m_database.compact();
    } catch (const DatabaseError& error) {
        // The rows are gone as asked; only the file keeps its size until the next purge.
        text += QStringLiteral("\n数据库文件没有能缩小：") + error.message();
    }
    m_timings.compaction = since(timer);
    return done(plain(text));
}
