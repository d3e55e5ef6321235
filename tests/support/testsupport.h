#pragma once

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"
#include "shared/session.h"

#include <QList>
#include <QQueue>
#include <QTemporaryDir>
#include <memory>

// Everything the operator would have seen, in order, each under its icon.
struct ShownMessage {
    Prompter::Icon icon;
    QString caption;
    QString text;
};

// Answers questions, input boxes and dialogs from queues and records every message.
// An unexpected question fails the running test rather than guessing an answer.
class ScriptedPrompter : public Prompter {
public:
    QList<ShownMessage> shown;
    QQueue<Answer> answers;
    QQueue<std::optional<QString>> inputs;
    QQueue<QString> fileNames;
    QQueue<std::optional<FontChoice>> fonts;

    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }

    void inform(Icon icon, const QString& caption, const QString& text) override;
    using Prompter::ask;
    Answer ask(Icon icon, const QString& caption, const QString& text, bool withCancel) override;
    std::optional<QString> inputText(const QString& caption, const QString& prompt,
                                     const QString& defaultText) override;
    QString openFileName(const QString& caption, const QString& folder, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath,
                         const QString& filter) override;
    std::optional<FontChoice> pickFont(const FontChoice& initial) override;
};

// Records the programs a print would have started.
class RecordingLauncher : public ProcessLauncher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };
    QList<Start> started;

    void startDetached(const QString& program, const QStringList& arguments) override;
    // The command tails handed to the printing program, in order.
    QStringList tails() const;
};

// What a service hands the print bridge, a line a job: the report list name, "|", the command tail.
QStringList handedToPrint(const QList<PrintJob>& jobs);

// With PELU_TEST_ENGINE=QPSQL the tests run on the PostgreSQL server that PGHOST, PGPORT and PGUSER
// name: each test gets a database of its own, copied from a template that holds a fresh office.
bool testsOnServer();
// A database of the test server by name, reached as PGUSER.
DatabaseTarget testServerDatabase(const QString& name);
// Runs `work` on the test server's maintenance database, where databases and roles are made and dropped.
void onTestServer(const std::function<void(QSqlQuery&)>& work);

// A fresh data folder with a fresh database, removed at the end of the test.
class TestData {
public:
    TestData();
    ~TestData();
    Database& db() { return *m_database; }
    const DataFolder& folder() const { return m_folder; }
    // Runs a statement for setting up a case; fails the test on error.
    void sql(const QString& statement, const QVariantList& values = {});
    QVariant value(const QString& query, const QVariantList& values = {});
    int count(const QString& table, const QString& where = QString(), const QVariantList& values = {});
    // A text dump of a whole table, to prove an action left it exactly as it was.
    QString dump(const QString& table);
    // The same without the table's own key column: a server hands out keys to rolled-back rows too, and
    // keeps the key column of an older table at its end.
    QString dumpWithoutKey(const QString& table);
    // Adds an operator with a hashed password.
    void addOperator(const QString& name, const QString& password, const QString& level,
                     const QString& permissions, const QString& reports = QString());

private:
    QTemporaryDir m_dir;
    DataFolder m_folder;
    std::unique_ptr<Database> m_database;
    QString m_serverDatabase; // the test's own database on a server
};

// Test texts written as plain UTF-8 literals.
// A sold plot's register as the burial, renewal and return find it: two rows (编号 77, bought
// 2026-12-01, in use 2026-12-06 to 2046-12-06, 王五 of 机械厂 on 5551234), buried 张一 and 张二, and
// its name slot holding 张一. The plot row and the fee rows are the test's own.
void registerSoldPlot(TestData& data, const QString& key);

QString text(const char* utf8);
QStringList texts(std::initializer_list<const char*> utf8);

// A fixed moment for tests: 2026-12-06 09:30:00.
QDateTime testNow();

// Runs `work`, which reads the named pipe `fifo`, and returns how many milliseconds it took. A reader
// still waiting on the pipe after a second is let go (it reads an empty file), so that a fault fails
// the test instead of hanging it.
qint64 millisecondsOnPipe(const QString& fifo, const std::function<void()>& work);
