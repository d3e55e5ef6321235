#include "printer/reportrows.h"

#include <QSqlError>
#include <QSqlRecord>
#include <libpq-fe.h>

namespace {

// The server's type numbers (pg_type) of the values that are not text to a template.
enum : Oid {
    boolean = 16,
    bigint = 20,
    smallint = 21,
    integer = 23,
    real = 700,
    doublePrecision = 701,
    numeric = 1700
};

// Reads and drops whatever the connection still has to say, so that it takes the next statement.
void drain(PGconn* connection) {
    while (PGresult* rest = PQgetResult(connection))
        PQclear(rest);
}

} // namespace

QStringList DriverRows::columns() {
    const QSqlRecord record = m_query.record();
    QStringList names;
    for (int column = 0; column < record.count(); ++column)
        names << record.fieldName(column);
    return names;
}

std::pair<QString, QString> DriverRows::failure() const {
    const QSqlError error = m_query.lastError();
    if (!error.isValid())
        return {};
    return {error.nativeErrorCode(), error.text()};
}

ServerRows::ServerRows(pg_conn* connection, const QString& statement) : m_connection(connection) {
    const QByteArray text = statement.toUtf8();
    if (!PQsendQueryParams(m_connection, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)) {
        m_failure = {QString(), QString::fromUtf8(PQerrorMessage(m_connection)).trimmed()};
        m_done = true;
        return;
    }
    PQsetSingleRowMode(m_connection);
    m_rowPending = take();
}

ServerRows::~ServerRows() {
    if (!m_done) {
        // Rows left unread (the list grew too large): the server stops making them.
        if (PGcancel* cancel = PQgetCancel(m_connection)) {
            char reason[256];
            PQcancel(cancel, reason, sizeof reason);
            PQfreeCancel(cancel);
        }
        drain(m_connection);
    }
    PQclear(m_result);
}

bool ServerRows::take() {
    PQclear(m_result);
    m_result = PQgetResult(m_connection);
    if (!m_result) {
        m_done = true;
        return false;
    }
    const ExecStatusType status = PQresultStatus(m_result);
    if (m_columns.isEmpty() && (status == PGRES_SINGLE_TUPLE || status == PGRES_TUPLES_OK))
        for (int column = 0; column < PQnfields(m_result); ++column)
            m_columns << QString::fromUtf8(PQfname(m_result, column));
    if (status == PGRES_SINGLE_TUPLE)
        return true;
    if (status != PGRES_TUPLES_OK)
        m_failure = {QString::fromLatin1(PQresultErrorField(m_result, PG_DIAG_SQLSTATE)),
                     QString::fromUtf8(PQresultErrorMessage(m_result)).trimmed()};
    drain(m_connection);
    m_done = true;
    return false;
}

QStringList ServerRows::columns() {
    return m_columns;
}

bool ServerRows::next() {
    if (std::exchange(m_rowPending, false))
        return true;
    return !m_done && take();
}

QVariant ServerRows::value(int column) const {
    if (!m_result || PQgetisnull(m_result, 0, column))
        return {};
    const QString text = QString::fromUtf8(PQgetvalue(m_result, 0, column));
    switch (PQftype(m_result, column)) {
    case boolean:
        return text == QLatin1String("t");
    case smallint:
    case integer:
    case bigint:
        return text.toLongLong();
    case real:
    case doublePrecision:
    case numeric:
        return text.toDouble();
    default:
        return text;
    }
}
