#pragma once

#include "foundation/changenotifier.h"
#include "foundation/serverwatch.h"
#include "foundation/storedrow.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>

class Clock;
struct SchemaPlan;

// A database failure, worded for the office: what was being done, and what the database said.
class DatabaseError : public std::runtime_error {
public:
    // What became of the connection to a server with the failure.
    enum class Link {
        Kept,
        Lost,       // the server closed it (a restart): reconnecting and running again is safe
        Unanswered, // the server did not answer in time and this desk cut it
        Uncertain,  // lost while committing: whether the work landed is unknown
    };
    explicit DatabaseError(const QString& message, const QString& engineCode = QString(),
                           Link link = Link::Kept);
    QString message() const { return m_message; }
    // The server refused the transaction because another desk changed what it read at the same time
    // (a serialization failure or a deadlock): run again, it sees the other desk's change.
    bool isConflict() const;
    Link link() const { return m_link; }

private:
    QString m_message;
    QString m_engineCode;
    Link m_link;
};

// Where the office's records are kept: a SQLite file on this desk, or a PostgreSQL database that
// several desks share. The password of a server is never part of it: the server's client library
// reads it from ~/.pgpass (or the file PGPASSFILE names).
struct DatabaseTarget {
    enum class Engine { SQLite, PostgreSQL };
    Engine engine = Engine::SQLite;
    QString filePath; // SQLite
    QString host;     // PostgreSQL: a server's name or address, or the folder of its Unix socket
    int port = 5432;
    QString database;
    QString user;

    static DatabaseTarget file(const QString& path);
    bool isServer() const { return engine == Engine::PostgreSQL; }
    // The place in words, for messages: the file, or database user@host:port/name.
    QString describe() const;
};

// Owns the one connection to the data store, keeps its schema current, and runs every statement
// with bound values. Writes are counted so that a test can make the Nth one fail.
class Database {
public:
    // Create makes a new office in a missing or empty file; Open wants an office database that is
    // already there (an empty file at a normal start is a lost database, not a new office). Both
    // upgrade the schema; ReadOnly changes nothing. Empty wants a database without any table and
    // leaves it so, for a caller that creates the schema (createSchema) inside a transaction of its own.
    enum class Mode { Create, Open, ReadOnly, Empty };

    // Throws DatabaseError naming the place when the database cannot be opened or written, when it is
    // missing or empty (Open), or when its schema version is not one this program knows.
    // Testing: `failNthWrite` as below, counted from the start, so that it can strike the upgrade.
    Database(const DatabaseTarget& target, Mode mode, int failNthWrite = 0);
    // The plan of the tables every database of this program is checked, built and upgraded by; named
    // once at start. Until then every opening throws. Returns the plan it replaces.
    static const SchemaPlan* useSchema(const SchemaPlan* plan);
    Database(const QString& filePath, Mode mode, int failNthWrite = 0);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const DatabaseTarget& target() const { return m_target; }
    bool isServer() const { return m_target.isServer(); }
    // The SQLite file; empty for a server.
    QString filePath() const { return m_target.filePath; }
    QSqlDatabase& connection() { return m_connection; }
    int schemaVersion();
    // Brings the schema to this program's version, as opening does. Inside a transaction every step
    // belongs to it. On a server an upgrade waits for no one: it refuses while other desks work.
    void createSchema();
    // The other desks working on this server database now, as the schema's plan finds them; none on a
    // file.
    QStringList otherDesks();

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
    // into its neighbour's column when a column is added. Returns the new row's own key (id or rid).
    qint64 insert(const QString& table, const QList<Column>& columns, const QString& doing);
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
    // The first row, or none when there is no row; and every row. Both read by column name.
    std::optional<StoredRow> row(const QString& sql, const QVariantList& values, const QString& doing);
    QList<StoredRow> rows(const QString& sql, const QVariantList& values, const QString& doing);

    // Runs `work` as one transaction: everything it writes lands, or nothing does, and returns what
    // `work` returned in the attempt that committed. Nested calls become savepoints of the outer
    // transaction. On a server every transaction is serializable: when another desk changed what
    // `work` read meanwhile, the server refuses it and `work` runs again from the start, so that its
    // re-checks see the other desk's change. So `work` must be safe to run twice: it reads what it
    // needs inside, returns its outcome and assigns nothing that lives outside it.
    template <typename Work> auto transaction(Work&& work) -> std::invoke_result_t<Work&> {
        using Result = std::invoke_result_t<Work&>;
        if constexpr (std::is_void_v<Result>) {
            runTransaction([&] { work(); });
        } else {
            std::optional<Result> committed;
            runTransaction([&] {
                committed.reset();
                committed.emplace(work());
            });
            return std::move(*committed);
        }
    }

    // A bulk action's line in the change history, one for each table it changes: what was chosen, in
    // words, how many rows, and the positions touched (none for a purge).
    struct BulkChange {
        QString table;
        QString action; // 批量添加, 批量修改 or 批量删除
        QString selection;
        qint64 rows = 0;
        QStringList keys;
    };
    // Runs `work`, a bulk action, inside the caller's transaction, recorded in the history by `changes`
    // alone, written before it, instead of row by row; writes after it are recorded one by one again.
    // The caller reads the rows and keys in its transaction first, so they are the ones the work
    // changes. No savepoint of its own: with one open, SQLite keeps a copy of every page each of the
    // thousands of statements touches until the savepoint ends, which costs more than the work itself;
    // a failure ends the caller's transaction anyway. Nothing else turns the row-by-row record off, and a
    // failure turns it back on.
    template <typename Work>
    auto inBulk(const QList<BulkChange>& changes, Work&& work) -> std::invoke_result_t<Work&> {
        if (m_savepointDepth == 0)
            return transaction([&] { return inBulk(changes, work); });
        startBulk(changes);
        try {
            if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
                work();
                endBulk();
            } else {
                auto result = work();
                endBulk();
                return result;
            }
        } catch (...) {
            endBulkAfterFailure();
            throw;
        }
    }

    // Deletes the rows of `table` meeting `condition` (with `values`), inside a bulk action's work; how
    // many went. On a file, when they are at least half the table and its only triggers are the
    // history's, which stand aside in a bulk action anyway, the rows that stay are set aside, the
    // triggers taken off, the table emptied at once and the rows put back, and the triggers made again
    // from their definitions: a row-by-row delete keeps every index up to date as it goes, which for
    // twenty years of rows costs many times more than clearing the table's pages.
    qint64 deleteInBulk(const QString& table, const QString& condition, const QVariantList& values);

    // Testing: every outermost transaction is rolled back at its first commit, as a desk's conflict
    // would be, and its work runs again; an action that is not safe to re-run then shows it.
    void setRerunEveryTransaction(bool rerun) { m_rerunEveryTransaction = rerun; }

    // How long one statement may take on a server: the server cancels it then, and should the server
    // not answer at all, this desk gives up on the connection a little later (and reconnects at the
    // next action). A window's reads and saves stay well within the usual bound.
    static constexpr std::chrono::milliseconds usualStatementBound{15000};
    void setStatementBound(std::chrono::milliseconds bound);
    std::chrono::milliseconds statementBound() const { return m_statementBound; }
    // The bound of work that is long by nature (a purge, a copy to the server) while it lives.
    class LongWork {
    public:
        explicit LongWork(Database& database);
        ~LongWork();
        LongWork(const LongWork&) = delete;
        LongWork& operator=(const LongWork&) = delete;

    private:
        Database& m_database;
        std::chrono::milliseconds m_before;
    };

    // What committed actions changed. A notice made inside a transaction waits for its commit. On a
    // server it also goes to the other desks' notifiers at that commit, and theirs come to this one's
    // (never this desk's own a second time). Another desk's notice arrives through the event loop.
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
    // Testing: `hook` runs once, just before the `n`th write statement from now on: another desk's
    // whole action between this one's re-check and its first write.
    void beforeNthWrite(int n, const std::function<void()>& hook);

    // Writes a consistent snapshot of the whole database to `path` while other connections go on
    // writing, checks the copy's integrity and only then puts it in place, replacing a file of that
    // name. The copy is one file, with no journal beside it. Throws DatabaseError; a failed copy
    // leaves nothing behind and an earlier file of that name as it was.
    // A server's copy is pg_dump's custom format, checked by pg_restore.
    void backupTo(const QString& path);
    // The two halves of backupTo, for a check that runs while the office works on: the snapshot,
    // written beside `path` with ".part" added; and, on any thread, the check of that copy, which puts
    // it in place only when it passes. A server's copy is checked as it is written and is in place
    // after the first half, which then returns false. Each leaves nothing behind when it fails.
    // Setting `stopping` ends the check early as failed, for a program that is closing.
    bool copyForBackup(const QString& path);
    static void placeCheckedBackup(const QString& path, const std::atomic<bool>* stopping = nullptr);
    // Gives the space of deleted rows back: one desk's file is rewritten compactly (it needs free disk
    // space of its size meanwhile, and no transaction may be open); a server's autovacuum does the same
    // by itself.
    void compact();
    // Quick checks the structure of every page; Full also compares every index with its table.
    enum class Check { Quick, Full };
    // What the integrity check finds wrong, one line each; empty when the database is sound. Setting
    // `stopping` ends it early with a problem.
    QStringList integrityProblems(Check check, const std::atomic<bool>* stopping = nullptr);
    // The office's tables (the engine's own bookkeeping left out), by name.
    QStringList tableNames();
    // A table's columns in their order, generated ones included.
    QStringList columnNames(const QString& table);
    // The column that is a table's own integer key (id or rid); empty when it has none.
    QString rowKeyColumn(const QString& table);
    bool hasTable(const QString& table);

private:
    friend class Transaction;
    void runTransaction(const std::function<void()>& attempt);
    void connect(Mode mode);
    // Runs `sql`, prepared into `query` beforehand or (direct) as it is, with the change history's
    // context and the injected failure.
    void execute(QSqlQuery& query, const QString& sql, bool direct, const QString& doing);
    void connectFile(Mode mode);
    void connectServer(Mode mode);
    // Opens a server connection anew after the server dropped it; throws when it cannot.
    void reconnect();
    // Runs one statement; on a server within the statement bound.
    void runOnce(QSqlQuery& query, const QString& sql, bool direct, const QString& doing);
    // The failure of `query`, worded for the office, with what became of the connection.
    DatabaseError failureOf(const QString& doing, const QSqlQuery& query);
    // What an open database says about its schema before any upgrade: refuses what is not ours.
    void checkVersion(int version, Mode mode);
    void writeSchemaVersion(int version);
    // The plain copy of backupTo, without the check.
    void snapshotInto(const QString& path);
    static void putInPlace(const QString& part, const QString& path);
    void migrate();
    bool hasHistory();
    // Writes the moment, operator and window into the one row the history triggers read.
    void writeChangeContext();
    void startBulk(const QList<BulkChange>& changes);
    void endBulk();
    void endBulkAfterFailure() noexcept;
    // A server's desk hears the other desks' notices from now on.
    void listenToOtherDesks();
    // Tells the other desks of `notices`; inside a transaction they hear of them at its commit.
    void tellOtherDesks(const QList<std::pair<ChangeNotifier::Subject, QString>>& notices);
    void heardFromOtherDesk(const QString& payload);

    DatabaseTarget m_target;
    Mode m_mode;
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
    bool m_bulkFailed = false;     // in the open transaction, which must not commit then
    int m_failAtWrite = 0;
    int m_writesSeen = 0;
    int m_hookAtWrite = 0;
    int m_hookWritesSeen = 0;
    std::function<void()> m_beforeWrite;
    bool m_rerunEveryTransaction = false;
    std::chrono::milliseconds m_statementBound = usualStatementBound;
    bool m_committing = false;
    std::unique_ptr<ServerWatch> m_watch; // a server's
    bool m_listening = false;             // to the other desks' notices
    QHash<QString, QString> m_rowKeys;    // by table, read once
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
    bool outermostOnServer() const;

    Database& m_database;
    QString m_savepoint;
    bool m_outermost;
    qsizetype m_changesBefore;           // notices made before this level began survive its rollback
    bool m_contextWrittenBefore = false; // a context written inside this level goes with its rollback
    bool m_finished = false;
};
