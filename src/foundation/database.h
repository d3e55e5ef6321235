#pragma once

#include "foundation/changenotifier.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <stdexcept>

class Clock;

// A database failure, worded for the office: what was being done, and what the database said.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Owns the one connection to the data store, keeps its schema current, and runs every statement
// with bound values. Writes are counted so that a test can make the Nth one fail.
class Database {
public:
    // Create makes a new office in a missing or empty file; Open wants an office database that is
    // already there (an empty file at a normal start is a lost database, not a new office). Both
    // upgrade the schema; ReadOnly changes nothing.
    enum class Mode { Create, Open, ReadOnly };

    // Throws DatabaseError naming the path when the file cannot be opened or written, when it is
    // missing or empty (Open), or when its schema version is not one this program knows.
    // Testing: `failNthWrite` as below, counted from the start, so that it can strike the upgrade.
    Database(const QString& filePath, Mode mode, int failNthWrite = 0);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString filePath() const { return m_filePath; }
    QSqlDatabase& connection() { return m_connection; }
    int schemaVersion();

    QSqlQuery prepare(const QString& sql, const QString& doing);
    // Runs an already prepared statement; `doing` names the action in any error.
    void run(QSqlQuery& query, const QString& doing);
    // Prepares, binds `values` in order and runs.
    QSqlQuery exec(const QString& sql, const QVariantList& values, const QString& doing);
    // One column and the value that goes into it.
    struct Column {
        QString name;
        QVariant value;
    };
    // Inserts one row into `table`, naming each value's column beside it, so that no value can slip
    // into its neighbour's column when a column is added. Returns the query for lastInsertId().
    QSqlQuery insert(const QString& table, const QList<Column>& columns, const QString& doing);
    // The same, prepared and bound but not run, for a statement run many times: bindValue(i, …)
    // changes the value of columns[i] between runs.
    QSqlQuery prepareInsert(const QString& table, const QList<Column>& columns, const QString& doing);
    // Prepares `UPDATE table SET column = value, … WHERE where`: the columns' values are bound first,
    // then `whereValues` for the marks of `where`.
    QSqlQuery prepareUpdate(const QString& table, const QList<Column>& columns, const QString& where,
                            const QVariantList& whereValues, const QString& doing);
    // The first column of every row, as texts: the lists that fill drop-down boxes.
    QStringList texts(const QString& sql, const QVariantList& values, const QString& doing);
    // The first column of the first row, or an invalid QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values, const QString& doing);

    // Runs `work` as one transaction: everything it writes lands, or nothing does.
    // Nested calls become savepoints of the outer transaction.
    void transaction(const std::function<void()>& work);

    // What committed actions changed. A notice made inside a transaction waits for its commit.
    ChangeNotifier& changes() { return m_changes; }
    void notifyChange(ChangeNotifier::Subject subject, const QString& scope = QString());

    // Who does what, for the change history: every transaction that writes records its changes with
    // the clock's moment at its first write, the operator logged in and the window or action at work.
    // Without a clock of its own the database reads the system's.
    void setClock(const Clock& clock) { m_clock = &clock; }
    void setOperator(const QString& operatorName) { m_operator = operatorName; }
    void setWindow(const QString& window) { m_window = window; }

    // Testing: the `n`th write statement from now on fails as if the disk had failed. 0 turns it off.
    void failNthWrite(int n);

    // Writes a consistent snapshot of the whole database to `path` while other connections go on
    // writing, checks the copy's integrity and only then puts it in place, replacing a file of that
    // name. The copy is one file, with no journal beside it. Throws DatabaseError; a failed copy
    // leaves nothing behind and an earlier file of that name as it was.
    void backupTo(const QString& path);
    // Quick checks the structure of every page; Full also compares every index with its table.
    enum class Check { Quick, Full };
    // What the integrity check finds wrong, one line each; empty when the database is sound.
    QStringList integrityProblems(Check check);
    QStringList tableNames();

private:
    friend class Transaction;
    void connect(Mode mode);
    // The plain copy of backupTo, without the check.
    void snapshotInto(const QString& path);
    void migrate();
    bool hasHistory();
    // Writes the moment, operator and window into the one row the history triggers read.
    void writeChangeContext();

    QString m_filePath;
    QString m_connectionName;
    QSqlDatabase m_connection;
    int m_savepointDepth = 0;
    ChangeNotifier m_changes;
    // Notices of the open transaction, sent when its outermost level commits.
    QList<std::pair<ChangeNotifier::Subject, QString>> m_pendingChanges;
    const Clock* m_clock;
    QString m_operator;
    QString m_window;
    bool m_recordsHistory = false;
    bool m_contextWritten = false; // by the open transaction
    int m_failAtWrite = 0;
    int m_writesSeen = 0;
};

// Scope-based transaction: commit() makes the work permanent; leaving the scope without it, by an
// early return or an exception, rolls everything back.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_database;
    QString m_savepoint;
    qsizetype m_changesBefore; // notices made before this level began survive its rollback
    bool m_finished = false;
};
