#pragma once

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

struct pg_conn;
struct pg_result;

// The rows of a running report query, read one at a time.
class ReportRows {
public:
    virtual ~ReportRows() = default;
    // The query's column names, in order.
    virtual QStringList columns() = 0;
    virtual bool next() = 0;
    virtual QVariant value(int column) const = 0;
    // The engine's code and text of a failure while the rows were read; both empty when there was none.
    virtual std::pair<QString, QString> failure() const = 0;
};

// Rows read through Qt's driver: a SQLite file's.
class DriverRows : public ReportRows {
public:
    explicit DriverRows(QSqlQuery& query) : m_query(query) {}
    QStringList columns() override;
    bool next() override { return m_query.next(); }
    QVariant value(int column) const override { return m_query.value(column); }
    std::pair<QString, QString> failure() const override;

private:
    QSqlQuery& m_query;
};

// Rows of a server, sent through libpq's extended protocol on the driver's connection: the server takes
// the text as exactly one statement, or refuses it, however the text might be read otherwise. The rows
// come one at a time, so a long list is never held twice.
class ServerRows : public ReportRows {
public:
    // Sends `statement`; a failure to send (or the server's refusal) shows in failure() and in no rows.
    ServerRows(pg_conn* connection, const QString& statement);
    ~ServerRows() override;
    ServerRows(const ServerRows&) = delete;
    ServerRows& operator=(const ServerRows&) = delete;

    QStringList columns() override;
    bool next() override;
    QVariant value(int column) const override;
    std::pair<QString, QString> failure() const override { return m_failure; }

private:
    // Takes the server's next result; false when there is no row in it.
    bool take();

    pg_conn* m_connection;
    pg_result* m_result = nullptr;
    bool m_rowPending = false; // m_result holds a row next() has not handed out yet
    bool m_done = false;
    QStringList m_columns;
    std::pair<QString, QString> m_failure;
};
