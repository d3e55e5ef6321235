#include "admin/referencelist.h"

#include "foundation/database.h"
#include "foundation/prompter.h"

ReferenceList::ReferenceList(Database& database, Prompter& prompter, const QString& table,
                             const QString& column)
    : m_database(database), m_prompter(prompter), m_table(table), m_column(column) {}

ReferenceList ReferenceList::relationships(Database& database, Prompter& prompter) {
    return {database, prompter, QStringLiteral("gx"), QStringLiteral("gx")};
}

ReferenceList ReferenceList::tombstoneTypes(Database& database, Prompter& prompter) {
    return {database, prompter, QStringLiteral("mblx"), QStringLiteral("mblx")};
}

QStringList ReferenceList::entries() {
    return m_database.texts(QStringLiteral("SELECT %2 FROM %1 WHERE %2 IS NOT NULL AND %2 <> '' ORDER BY rid")
                                .arg(m_table, m_column),
                            {}, QStringLiteral("读取列表"));
}

int ReferenceList::rowsNaming(const QString& name) {
    return m_database
        .scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(m_table, m_column), {name},
                QStringLiteral("检查列表项目"))
        .toInt();
}

SaveOutcome ReferenceList::add(const QString& entry) {
    const QString name = entry.trimmed();
    if (name.isEmpty())
        return {};
    return m_database.transaction([&] {
        if (rowsNaming(name) > 0)
            return refused(plain(name + QStringLiteral("已存在！")));
        m_database.insert(m_table, {{m_column, name}}, QStringLiteral("添加列表项目"));
        return done();
    });
}

SaveOutcome ReferenceList::remove(const QString& listText) {
    const Message unchosen = notice(QStringLiteral("请选择您要删除的项目!"));
    if (listText.isEmpty() || rowsNaming(listText) == 0)
        return refused(unchosen);
    if (m_prompter.ask(QStringLiteral("提示"), QStringLiteral("真的要删除吗？  ")) != Prompter::Answer::Yes)
        return {};
    const qint64 removed = m_database.transaction([&] {
        const QString doing = QStringLiteral("删除列表项目");
        // A tombstone type shares its row with the materials: only the type is cleared, and the row
        // goes only when nothing is left in it.
        const QString othersEmpty =
            m_table == QStringLiteral("mblx")
                ? QStringLiteral(" AND coalesce(zblx, '') = '' AND coalesce(dblx, '') = ''")
                : QString();
        qint64 rows =
            m_database
                .exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(m_table, m_column) + othersEmpty,
                      {listText}, doing)
                .numRowsAffected();
        if (!othersEmpty.isEmpty())
            rows += m_database
                        .exec(QStringLiteral("UPDATE mblx SET mblx = NULL WHERE mblx = ?"), {listText}, doing)
                        .numRowsAffected();
        return rows;
    });
    if (removed == 0)
        return refused(unchosen);
    return done(notice(QStringLiteral("注销成功！  ")));
}
