#include "admin/servercopy.h"

#include "foundation/database.h"
#include "foundation/maintenancelock.h"
#include "shared/schema.h"

#include <QtMath>
#include <optional>

namespace {

// Rows a statement writes at once: one round trip and one parse for many rows, well below the
// server's limit of bound values.
constexpr int batchRows = 500;

const QStringList numberTypes = {QStringLiteral("smallint"), QStringLiteral("integer"),
                                 QStringLiteral("bigint"),   QStringLiteral("numeric"),
                                 QStringLiteral("real"),     QStringLiteral("double precision")};

QStringList lowerSorted(const QStringList& names) {
    QStringList lower;
    for (const QString& name : names)
        lower << name.toLower();
    lower.sort();
    return lower;
}

// The rows of a table and the sums of its number columns, read alike on both sides.
QList<double> tally(Database& database, const QString& table, const QStringList& numbers,
                    const QString& doing) {
    QStringList parts = {QStringLiteral("COUNT(*)")};
    for (const QString& column : numbers)
        parts << QStringLiteral("SUM(%1)").arg(column);
    QSqlQuery query = database.exec(
        QStringLiteral("SELECT %1 FROM %2").arg(parts.join(QStringLiteral(", ")), table), {}, doing);
    QList<double> values;
    if (query.next())
        for (int i = 0; i < parts.size(); ++i)
            values << query.value(i).toDouble();
    return values;
}

bool same(double a, double b) {
    // Sums of amounts added up in another order may differ in their last bits, never by a row's amount.
    return qAbs(a - b) <= 1e-9 * qMax(1.0, qMax(qAbs(a), qAbs(b)));
}

} // namespace

ServerCopy::ServerCopy(Database& source, Database& server) : m_source(source), m_server(server) {}

void ServerCopy::run() {
    const QString doing = QStringLiteral("复制到服务器");
    // The server keeps every position unique; a file that holds one twice must be sorted out first.
    const QStringList twice = Schema::duplicatePositions(m_source);
    if (!twice.isEmpty())
        throw DatabaseError(QStringLiteral("数据库文件中这些位置重复登记：%1。服务器不接受重复的位置，"
                                           "请先在本机注销多余的位置，再复制到服务器。")
                                .arg(twice.join(QStringLiteral("、"))));
    // No other copy, restore or upgrade on the same server database meanwhile.
    const MaintenanceLock maintenance(m_server, doing);
    // An office of many years copies in statements of thousands of rows.
    const Database::LongWork longWork(m_server);
    m_copied = m_server.transaction([&] {
        // The rows come with their own history; the server's triggers record nothing of the copy.
        m_server.exec(QStringLiteral("SET LOCAL pelu.copying = 'on'"), {}, doing);
        m_server.createSchema();
        const QStringList tables = m_server.tableNames();
        if (lowerSorted(m_source.tableNames()) != lowerSorted(tables))
            throw DatabaseError(
                QStringLiteral("数据库文件 %1 的数据表与本程序在服务器上建立的不同，不能复制。")
                    .arg(m_source.target().describe()));
        // A new schema starts with a new office's rows (Admin, the relations, the unit): the office's own
        // take their place.
        m_server.exec(QStringLiteral("TRUNCATE ") + tables.join(QStringLiteral(", ")), {}, doing);
        // One snapshot of the file, read and checked.
        return m_source.transaction([&] {
            QList<Table> copied;
            for (const QString& table : tables)
                copied.append({table, copyTable(table)});
            return copied;
        });
    });
    // Until the autovacuum comes round the planner knows the copied tables as the empty ones they were,
    // and would loop through a map's thousands of plots row by row.
    m_server.exec(QStringLiteral("ANALYZE"), {}, QStringLiteral("分析数据库"));
}

qint64 ServerCopy::copyTable(const QString& table) {
    const QString doing = QStringLiteral("复制数据表 %1").arg(table);
    QStringList all;
    QStringList written;
    QStringList keys;
    QStringList numbers;
    QSqlQuery columns = m_server.exec(
        QStringLiteral(
            "SELECT column_name, is_generated, is_identity, data_type FROM information_schema.columns "
            "WHERE table_schema = current_schema() AND table_name = ? ORDER BY ordinal_position"),
        {table}, doing);
    while (columns.next()) {
        const QString name = columns.value(QStringLiteral("column_name")).toString();
        all << name;
        if (columns.value(QStringLiteral("is_generated")).toString() == QLatin1String("NEVER"))
            written << name;
        if (columns.value(QStringLiteral("is_identity")).toString() == QLatin1String("YES"))
            keys << name;
        if (numberTypes.contains(columns.value(QStringLiteral("data_type")).toString()))
            numbers << name;
    }
    if (lowerSorted(m_source.columnNames(table)) != lowerSorted(all))
        throw DatabaseError(
            QStringLiteral("数据表 %1 的列在数据库文件和服务器上不同，不能复制。").arg(table));

    const QString list = written.join(QStringLiteral(", "));
    const auto statementFor = [&](qsizetype rows) {
        const QString row = QStringLiteral("(%1)").arg(
            QStringList(written.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        return m_server.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(table, list, QStringList(rows, row).join(QStringLiteral(", "))),
                                doing);
    };
    QVariantList values;
    const auto write = [&](QSqlQuery& statement) {
        for (int i = 0; i < values.size(); ++i)
            statement.bindValue(i, values.at(i));
        m_server.run(statement, doing);
        values.clear();
    };
    QSqlQuery rows = m_source.prepare(QStringLiteral("SELECT %1 FROM %2").arg(list, table), doing);
    rows.setForwardOnly(true);
    m_source.run(rows, doing);
    std::optional<QSqlQuery> fullBatch;
    qint64 copied = 0;
    while (rows.next()) {
        for (int i = 0; i < written.size(); ++i)
            values << rows.value(i);
        if (++copied % batchRows == 0) {
            if (!fullBatch)
                fullBatch = statementFor(batchRows);
            write(*fullBatch);
        }
    }
    if (!values.isEmpty()) {
        QSqlQuery rest = statementFor(values.size() / written.size());
        write(rest);
    }
    // New rows are numbered after the copied ones.
    for (const QString& key : keys)
        m_server.exec(
            QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), COALESCE(MAX(%1), 0) + 1, false) "
                           "FROM %2")
                .arg(key, table),
            {table, key}, doing);

    const QList<double> here = tally(m_source, table, numbers, doing);
    const QList<double> there = tally(m_server, table, numbers, doing);
    for (int i = 0; i < here.size(); ++i)
        if (here.size() != there.size() || !same(here.at(i), there.at(i)))
            throw DatabaseError(
                QStringLiteral(
                    "数据表 %1 复制后两边不一致（%2：数据库文件 %3，服务器 %4），没有复制任何数据。")
                    .arg(table,
                         i == 0 ? QStringLiteral("行数") : QStringLiteral("%1 合计").arg(numbers.at(i - 1)))
                    .arg(here.at(i), 0, 'g', 17)
                    .arg(there.value(i), 0, 'g', 17));
    return copied;
}

QStringList ServerCopy::report() const {
    QStringList lines;
    qint64 total = 0;
    for (const Table& table : m_copied) {
        lines << QStringLiteral("  %1：%2 行").arg(table.name).arg(table.rows);
        total += table.rows;
    }
    lines << QStringLiteral("已复制 %1 个数据表，共 %2 行；每个数据表的行数和各数值列的合计两边一致。")
                 .arg(m_copied.size())
                 .arg(total);
    return lines;
}
