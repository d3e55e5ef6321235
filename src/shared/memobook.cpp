#include "shared/memobook.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"

MemoBook::MemoBook(Database& database, const Clock& clock, MemoTable table)
    : m_database(database), m_clock(clock), m_table(std::move(table)) {}

BoundQuery MemoBook::memos(const QString& key) const {
    return {QStringLiteral("SELECT id, %1, %2, %3 FROM %4 WHERE %1 = ? ORDER BY id")
                .arg(m_table.keyColumn, m_table.momentColumn, m_table.textColumn, m_table.table),
            {key}};
}

SaveOutcome MemoBook::add(const QString& key, const QString& text) {
    const QString trimmed = text.trimmed();
    m_database.transaction([&] {
        m_database.insert(m_table.table,
                          {{m_table.keyColumn, key},
                           {m_table.momentColumn, DateText::fromDateTime(m_clock.now())},
                           {m_table.textColumn, trimmed.isEmpty() ? QStringLiteral("无") : trimmed}},
                          QStringLiteral("登记备忘录"));
    });
    return done();
}

SaveOutcome MemoBook::remove(qint64 id, Prompter& prompter) {
    if (prompter.ask(QStringLiteral("删除"), m_table.deleteQuestion.arg(id)) != Prompter::Answer::Yes)
        return {};
    const int deleted = m_database.transaction([&] {
        return m_database
            .exec(QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(m_table.table), {id},
                  QStringLiteral("删除备忘记录"))
            .numRowsAffected();
    });
    if (deleted == 0)
        return refused(notice(QStringLiteral("这条备忘记录已经不在了。")));
    return done();
}
