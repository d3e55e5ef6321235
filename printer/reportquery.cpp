#include "printer/reportquery.h"

#include "foundation/database.h"
#include "foundation/serverwatch.h"
#include "printer/printerror.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <algorithm>
#include <libpq-fe.h>
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

// The server's code of a statement stopped by statement_timeout, of a write in a read-only transaction,
// and of a text of several statements sent as one.
const QString serverTimedOut = QStringLiteral("57014");
const QString serverReadOnly = QStringLiteral("25006");
const QString serverManyStatements = QStringLiteral("42601");

PrintError manyStatements() {
    return refused(QStringLiteral("打印查询含有多条语句，只允许一条 SELECT 查询，未执行。"));
}

PGconn* serverConnectionOf(Database& database) {
    PGconn* handle = serverHandleOf(database.connection());
    if (!handle)
        throw refused(QStringLiteral("打印程序无法使用数据库服务器的连接。"));
    return handle;
}

PrintError notASelect() {
    return refused(QStringLiteral("打印查询不是 SELECT 查询，未执行：只允许读取数据的 SELECT 查询。"));
}

// The text as the server reads it, with quoted text, quoted names and comments blanked out (quoted ones
// become "x", so that they are still something): what is left is the statement's own words and marks.
QString codeOf(const QString& sql) {
    QString code = sql;
    const qsizetype size = sql.size();
    const auto at = [&](qsizetype i) { return i < size ? sql.at(i) : QChar(); };
    // The server takes every character beyond ASCII into a name, whatever kind of character it is.
    const auto partOfWord = [&](qsizetype i) {
        return i >= 0 && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_') ||
                          sql.at(i) == QLatin1Char('$') || sql.at(i).unicode() >= 0x80);
    };
    const auto blank = [&](qsizetype from, qsizetype to, QChar with) {
        for (qsizetype i = from; i < std::min(to, size); ++i)
            code[i] = with;
    };
    qsizetype i = 0;
    while (i < size) {
        const QChar c = sql.at(i);
        qsizetype end = i + 1;
        if (c == QLatin1Char('-') && at(i + 1) == QLatin1Char('-')) {
            end = sql.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? size : end;
            blank(i, end, QLatin1Char(' '));
        } else if (c == QLatin1Char('/') && at(i + 1) == QLatin1Char('*')) {
            // The server's comments nest.
            int depth = 0;
            for (end = i; end < size; ++end) {
                if (at(end) == QLatin1Char('/') && at(end + 1) == QLatin1Char('*')) {
                    ++depth;
                    ++end;
                } else if (at(end) == QLatin1Char('*') && at(end + 1) == QLatin1Char('/')) {
                    ++end;
                    if (--depth == 0)
                        break;
                }
            }
            blank(i, ++end, QLatin1Char(' '));
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A doubled quote stands for itself; in E'...' a backslash takes the next character as it is.
            const bool escapes = c == QLatin1Char('\'') && i > 0 &&
                                 sql.at(i - 1).toUpper() == QLatin1Char('E') && !partOfWord(i - 2);
            for (end = i + 1; end < size; ++end) {
                if (escapes && at(end) == QLatin1Char('\\'))
                    ++end;
                else if (at(end) == c && at(end + 1) == c)
                    ++end;
                else if (at(end) == c)
                    break;
            }
            blank(i, ++end, QLatin1Char('x'));
        } else if (c == QLatin1Char('$') && !partOfWord(i - 1)) {
            // $tag$ ... $tag$, where the tag is a name (or nothing); $1 is a parameter.
            qsizetype tagEnd = i + 1;
            while (tagEnd < size && (sql.at(tagEnd).isLetter() || sql.at(tagEnd) == QLatin1Char('_') ||
                                     (tagEnd > i + 1 && sql.at(tagEnd).isDigit())))
                ++tagEnd;
            if (at(tagEnd) == QLatin1Char('$')) {
                const QString tag = sql.mid(i, tagEnd + 1 - i);
                const qsizetype close = sql.indexOf(tag, tagEnd + 1);
                end = close < 0 ? size : close + tag.size();
                blank(i, end, QLatin1Char('x'));
            }
        }
        i = end;
    }
    return code;
}

// A server runs whatever statements the text holds, so the text is read the way the server reads it:
// one statement that starts with SELECT or WITH, and after its semicolon nothing but blanks and comments.
// A write that hides inside a SELECT is refused by the read-only transaction it runs in.
QString checkServerSelect(const QString& sql) {
    const QString code = codeOf(sql);
    const qsizetype end = code.indexOf(QLatin1Char(';')) < 0 ? code.size() : code.indexOf(QLatin1Char(';'));
    for (const QChar c : QStringView(code).mid(end))
        if (c != QLatin1Char(';') && !c.isSpace())
            throw manyStatements();
    const QString statement = code.left(end);
    if (statement.trimmed().isEmpty())
        throw refused(QStringLiteral("打印命令中没有查询语句。"));
    static const QRegularExpression select(QStringLiteral("^[\\s(]*(SELECT|WITH)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!select.match(statement).hasMatch())
        throw notASelect();
    return sql.left(end);
}

} // namespace

QString ReportQuery::checkSingleSelect(Database& database, const QString& sql) {
    if (database.isServer())
        return checkServerSelect(sql);
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
            throw manyStatements();
        rest = after;
    }

    const QString keyword = leadingKeyword(sqlite3_sql(first.handle));
    const bool isSelect = keyword == QLatin1String("SELECT") || keyword == QLatin1String("WITH");
    if (!isSelect || !sqlite3_stmt_readonly(first.handle) || sqlite3_column_count(first.handle) == 0)
        throw notASelect();
    return QString::fromUtf8(sqlite3_sql(first.handle));
}

ReportQuery::ReportQuery(Database& database, const QString& sql, const Limits& limits)
    : m_database(database), m_connection(database.isServer() ? nullptr : handleOf(database)),
      m_limits(limits), m_deadline(limits.time), m_query(database.connection()) {
    const QString statement = checkSingleSelect(database, sql);
    if (m_connection) {
        m_lengthBefore = sqlite3_limit(m_connection, SQLITE_LIMIT_LENGTH, int(limits.bytes));
        // SQLite calls back every thousand steps of its machine, also while the rows are read.
        sqlite3_progress_handler(m_connection, 1000, &ReportQuery::progress, this);
    } else {
        // The server stops the statement when its time is up, and refuses any write in it.
        {
            // Gone before the query is sent: the driver reads away whatever is left when it lets a query go.
            QSqlQuery setup(database.connection());
            m_inTransaction = setup.exec(QStringLiteral("BEGIN TRANSACTION READ ONLY"));
            if (!m_inTransaction ||
                !setup.exec(
                    QStringLiteral("SET LOCAL statement_timeout = %1").arg(qint64(limits.time.count())))) {
                const PrintError error =
                    failure(setup.lastError().nativeErrorCode(), setup.lastError().text());
                release();
                throw error;
            }
        }
        m_rows = std::make_unique<ServerRows>(serverConnectionOf(database), statement);
        if (const auto [code, text] = m_rows->failure(); !text.isEmpty()) {
            const PrintError error = failure(code, text);
            release();
            throw error;
        }
        return;
    }
    m_query.setForwardOnly(true);
    if (!m_query.exec(statement)) {
        const PrintError error = failure(m_query.lastError().nativeErrorCode(), m_query.lastError().text());
        release();
        throw error;
    }
    m_rows = std::make_unique<DriverRows>(m_query);
}

ReportQuery::~ReportQuery() {
    release();
}

void ReportQuery::release() {
    m_rows.reset();
    m_query.finish();
    if (m_inTransaction) {
        QSqlQuery(m_database.connection()).exec(QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
    }
    if (!m_connection)
        return;
    sqlite3_progress_handler(m_connection, 0, nullptr, nullptr);
    sqlite3_limit(m_connection, SQLITE_LIMIT_LENGTH, m_lengthBefore);
}

PrintError ReportQuery::tooLarge(qint64 bytes) {
    return refused(
        QStringLiteral("打印查询的结果超过 %1 MB，未打印。请缩小查询范围。").arg(bytes / (1024 * 1024)));
}

PrintError ReportQuery::tooLong(qint64 rows) {
    return refused(QStringLiteral("打印查询的结果超过 %1 行，未打印。请缩小查询范围。").arg(rows));
}

void ReportQuery::checkComplete() const {
    if (const auto [code, text] = m_rows->failure(); !code.isEmpty() || !text.isEmpty())
        throw failure(code, text);
}

int ReportQuery::progress(void* self) {
    auto* query = static_cast<ReportQuery*>(self);
    query->m_timedOut = query->m_timedOut || query->m_deadline.hasExpired();
    return query->m_timedOut ? 1 : 0;
}

PrintError ReportQuery::failure(const QString& code, const QString& text) const {
    if (code == serverReadOnly)
        return notASelect();
    if (code == serverManyStatements)
        return manyStatements();
    if (m_timedOut || code == serverTimedOut)
        return refused(QStringLiteral("打印查询超过 %1 秒仍未完成，已停止。请缩小查询范围，或在 pelu.ini 的 "
                                      "[printer] querySeconds 中放宽时限。")
                           .arg(QString::number(m_limits.time.count() / 1000.0)));
    if (code == QString::number(SQLITE_TOOBIG))
        return tooLarge(m_limits.bytes);
    return refused(QStringLiteral("打印查询执行失败：%1").arg(text));
}
