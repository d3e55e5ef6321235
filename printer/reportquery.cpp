#include "printer/reportquery.h"

#include "foundation/database.h"
#include "printer/printerror.h"

#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {

PrintError refused(const QString& reason) {
    return PrintError(PrintError::Query, reason);
}

sqlite3* handleOf(Database& database) {
    const QVariant handle = database.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw refused(QStringLiteral("打印程序只能读取 SQLite 数据库。"));
    return *static_cast<sqlite3* const*>(handle.data());
}

// Finalizes a prepared statement when leaving the scope.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

// The first word of the statement, after blanks, comments and opening brackets.
QString leadingKeyword(const char* sql) {
    const QString text = QString::fromUtf8(sql);
    qsizetype i = 0;
    while (i < text.size()) {
        if (text.at(i).isSpace() || text.at(i) == QLatin1Char('(')) {
            ++i;
        } else if (text.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? text.size() : end + 1;
        } else if (text.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? text.size() : end + 2;
        } else {
            break;
        }
    }
    qsizetype end = i;
    while (end < text.size() && text.at(end).isLetter())
        ++end;
    return text.mid(i, end - i).toUpper();
}

} // namespace

QString ReportQuery::checkSingleSelect(Database& database, const QString& sql) {
    sqlite3* connection = handleOf(database);
    const QByteArray text = sql.toUtf8();
    const char* rest = nullptr;
    Statement first;
    if (sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &first.handle, &rest) != SQLITE_OK)
        throw refused(
            QStringLiteral("打印查询有错误，未执行：%1").arg(QString::fromUtf8(sqlite3_errmsg(connection))));
    if (!first.handle)
        throw refused(QStringLiteral("打印命令中没有查询语句。"));

    // Whatever follows the first statement may only be blanks, comments and semicolons.
    while (rest && *rest) {
        Statement next;
        const char* after = nullptr;
        const int status = sqlite3_prepare_v2(connection, rest, -1, &next.handle, &after);
        if (status != SQLITE_OK || next.handle || after == rest)
            throw refused(QStringLiteral("打印查询含有多条语句，只允许一条 SELECT 查询，未执行。"));
        rest = after;
    }

    const QString keyword = leadingKeyword(sqlite3_sql(first.handle));
    const bool isSelect = keyword == QLatin1String("SELECT") || keyword == QLatin1String("WITH");
    if (!isSelect || !sqlite3_stmt_readonly(first.handle) || sqlite3_column_count(first.handle) == 0)
        throw refused(QStringLiteral("打印查询不是 SELECT 查询，未执行：只允许读取数据的 SELECT 查询。"));
    return QString::fromUtf8(sqlite3_sql(first.handle));
}

ReportQuery::ReportQuery(Database& database, const QString& sql, const Limits& limits)
    : m_connection(handleOf(database)), m_limits(limits), m_deadline(limits.time),
      m_query(database.connection()) {
    const QString statement = checkSingleSelect(database, sql);
    m_lengthBefore = sqlite3_limit(m_connection, SQLITE_LIMIT_LENGTH, int(limits.bytes));
    // SQLite calls back every thousand steps of its machine, also while the rows are read.
    sqlite3_progress_handler(m_connection, 1000, &ReportQuery::progress, this);
    m_query.setForwardOnly(true);
    if (!m_query.exec(statement)) {
        const PrintError error = failure(m_query.lastError());
        release();
        throw error;
    }
}

ReportQuery::~ReportQuery() {
    release();
}

void ReportQuery::release() {
    m_query.finish();
    sqlite3_progress_handler(m_connection, 0, nullptr, nullptr);
    sqlite3_limit(m_connection, SQLITE_LIMIT_LENGTH, m_lengthBefore);
}

PrintError ReportQuery::tooLarge(qint64 bytes) {
    return refused(
        QStringLiteral("打印查询的结果超过 %1 MB，未打印。请缩小查询范围。").arg(bytes / (1024 * 1024)));
}

void ReportQuery::checkComplete() const {
    if (m_query.lastError().isValid())
        throw failure(m_query.lastError());
}

int ReportQuery::progress(void* self) {
    auto* query = static_cast<ReportQuery*>(self);
    query->m_timedOut = query->m_timedOut || query->m_deadline.hasExpired();
    return query->m_timedOut ? 1 : 0;
}

PrintError ReportQuery::failure(const QSqlError& error) const {
    if (m_timedOut)
        return refused(QStringLiteral("打印查询超过 %1 秒仍未完成，已停止。请缩小查询范围，或在 pelu.ini 的 "
                                      "[printer] querySeconds 中放宽时限。")
                           .arg(QString::number(m_limits.time.count() / 1000.0)));
    if (error.nativeErrorCode() == QString::number(SQLITE_TOOBIG))
        return tooLarge(m_limits.bytes);
    return refused(QStringLiteral("打印查询执行失败：%1").arg(error.text()));
}
