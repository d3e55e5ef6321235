#pragma once

#include "printer/printerror.h"
#include "printer/reportrows.h"

#include <QDeadlineTimer>
#include <QSqlQuery>
#include <QString>
#include <chrono>
#include <memory>

class Database;
class QSqlError;
struct sqlite3;

// The report query is complete SQL text from the command line, so pelu-print runs it only after
// SQLite itself has confirmed that it is exactly one statement, a SELECT, that reads and never writes.
// The connection is opened read-only as well, so a write could not land even if this check let one by.
// A database server cannot be asked that before it runs the text: there the text is sent through the
// client library's extended protocol, which takes exactly one statement, in a read-only transaction that
// refuses any write in it (and pelu-print connects as a role that may only read). A text that does not
// read as one statement starting with SELECT or WITH is refused before it is sent, with a plainer reason.
//
// A query may still never end (a recursive one) or make values of any size, so it runs under limits:
// SQLite (or the server's statement timeout) stops it when its time is up, SQLite refuses any value longer
// than the byte limit, and the rows it hands over may not hold more than that limit in all.
class ReportQuery {
public:
    struct Limits {
        std::chrono::milliseconds time = std::chrono::seconds(60);
        qint64 bytes = 32 * 1024 * 1024;
        // Laying pages out takes time with every row, and nothing can stop it midway: a list longer than
        // this is refused before it is laid out (at about 45 rows a page, some 1,100 pages).
        qint64 rows = 50000;
    };

    // Checks, then runs the query forward-only. Throws PrintError.
    ReportQuery(Database& database, const QString& sql, const Limits& limits);
    ~ReportQuery();
    ReportQuery(const ReportQuery&) = delete;
    ReportQuery& operator=(const ReportQuery&) = delete;

    // The rows, read straight from the running query.
    ReportRows& rows() { return *m_rows; }
    // Throws PrintError when reading the rows stopped early: the time ran out or the database failed.
    void checkComplete() const;

    // Throws PrintError with the reason when `sql` is not a single read-only SELECT. Returns the statement
    // without what may follow it (a semicolon, blanks, comments).
    static QString checkSingleSelect(Database& database, const QString& sql);

    // The refusal of rows that hold more than `bytes` in all.
    static PrintError tooLarge(qint64 bytes);
    // The refusal of more than `rows` rows.
    static PrintError tooLong(qint64 rows);

private:
    void release();
    static int progress(void* self);
    PrintError failure(const QString& code, const QString& text) const;

    Database& m_database;
    sqlite3* m_connection;        // null on a server
    bool m_inTransaction = false; // the server's read-only transaction is open
    Limits m_limits;
    QDeadlineTimer m_deadline;
    int m_lengthBefore = 0;
    bool m_timedOut = false;
    QSqlQuery m_query; // one desk's
    std::unique_ptr<ReportRows> m_rows;
};
