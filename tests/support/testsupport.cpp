#include "support/testsupport.h"

#include "foundation/passwordhash.h"
#include "shared/schema.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlError>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

// The tests open the office's own tables, as the programs do. Named once the application exists, after
// every static of the schema is made.
static void nameTheOfficeSchema() {
    Database::useSchema(&Schema::plan());
}
Q_COREAPP_STARTUP_FUNCTION(nameTheOfficeSchema)

QStringList ScriptedPrompter::texts() const {
    QStringList all;
    for (const auto& message : shown)
        all << message.text;
    return all;
}

void ScriptedPrompter::inform(Icon icon, const QString& caption, const QString& text) {
    shown.append({icon, caption, text});
}

Prompter::Answer ScriptedPrompter::ask(Icon icon, const QString& caption, const QString& text, bool) {
    shown.append({icon, caption, text});
    if (answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
        return Answer::No;
    }
    return answers.dequeue();
}

std::optional<QString> ScriptedPrompter::inputText(const QString& caption, const QString& prompt,
                                                   const QString&) {
    shown.append({Icon::None, caption, prompt});
    if (inputs.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected input box: ") + prompt), __FILE__, __LINE__);
        return std::nullopt;
    }
    return inputs.dequeue();
}

QString ScriptedPrompter::openFileName(const QString&, const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompter::saveFileName(const QString&, const QString&, const QString&) {
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

std::optional<Prompter::FontChoice> ScriptedPrompter::pickFont(const FontChoice&) {
    return fonts.isEmpty() ? std::nullopt : fonts.dequeue();
}

void RecordingLauncher::startDetached(const QString& program, const QStringList& arguments) {
    started.append({program, arguments});
}

QStringList RecordingLauncher::tails() const {
    QStringList all;
    for (const auto& start : started)
        for (qsizetype i = 0; i < start.arguments.size(); ++i) {
            if (start.arguments.at(i).startsWith(QLatin1String("--"))) {
                ++i; // and its value
                continue;
            }
            all << start.arguments.at(i);
        }
    return all;
}

QStringList handedToPrint(const QList<PrintJob>& jobs) {
    QStringList handed;
    for (const PrintJob& job : jobs)
        handed << QString(job.listName.value_or(QString()) + u'|' + PrintBridge::commandTail(job));
    return handed;
}

bool testsOnServer() {
    return qEnvironmentVariable("PELU_TEST_ENGINE").compare(QLatin1String("QPSQL"), Qt::CaseInsensitive) == 0;
}

DatabaseTarget testServerDatabase(const QString& name) {
    DatabaseTarget target;
    target.engine = DatabaseTarget::Engine::PostgreSQL;
    target.host = qEnvironmentVariable("PGHOST");
    target.port = qEnvironmentVariableIntValue("PGPORT") > 0 ? qEnvironmentVariableIntValue("PGPORT") : 5432;
    target.user = qEnvironmentVariable("PGUSER");
    target.database = name;
    return target;
}

void onTestServer(const std::function<void(QSqlQuery&)>& work) {
    const QString name = QStringLiteral("pelu-test-maintenance");
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        const DatabaseTarget server = testServerDatabase(QStringLiteral("postgres"));
        connection.setHostName(server.host);
        connection.setPort(server.port);
        connection.setUserName(server.user);
        connection.setDatabaseName(server.database);
        if (!connection.open())
            qFatal("cannot reach the test server: %s", qPrintable(connection.lastError().text()));
        QSqlQuery query(connection);
        work(query);
    }
    QSqlDatabase::removeDatabase(name);
}

namespace {

void runOrFail(QSqlQuery& query, const QString& statement) {
    if (!query.exec(statement))
        qFatal("%s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
}

// What this program's schema is made of, as a fresh file holds it: branches that share the test server may
// number different schemas alike.
QString schemaFingerprint() {
    QTemporaryDir dir;
    Database fresh(dir.filePath(QStringLiteral("fingerprint.db")), Database::Mode::Create);
    const QStringList objects = fresh.texts(
        QStringLiteral(
            "SELECT type || ' ' || name || ' ' || COALESCE(sql, '') FROM sqlite_master ORDER BY type, name"),
        {}, QStringLiteral("test schema"));
    return QString::fromLatin1(
        QCryptographicHash::hash(objects.join(QLatin1Char('\n')).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(10));
}

// The template of this schema, made once on the server by whichever test gets there first.
QString serverTemplate() {
    static const QString name =
        QStringLiteral("pelu_test_template_v%1_%2").arg(Schema::latestVersion()).arg(schemaFingerprint());
    static bool made = false;
    if (made)
        return name;
    onTestServer([&](QSqlQuery& query) {
        runOrFail(query, QStringLiteral("SELECT pg_advisory_lock(5172)"));
        runOrFail(query, QStringLiteral("SELECT COUNT(*) FROM pg_database WHERE datname = '%1'").arg(name));
        if (query.next() && query.value(0).toInt() == 0) {
            const QString building = name + QStringLiteral("_%1").arg(QCoreApplication::applicationPid());
            runOrFail(query, QStringLiteral("CREATE DATABASE %1").arg(building));
            Database(testServerDatabase(building), Database::Mode::Create);
            runOrFail(query, QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(building, name));
        }
        runOrFail(query, QStringLiteral("SELECT pg_advisory_unlock(5172)"));
    });
    made = true;
    return name;
}

// A fresh file of this schema, made once a process: each test starts from a copy, which is much quicker than
// making the schema again (the name readings alone are some forty thousand rows).
QString fileTemplate() {
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString path = dir.filePath(QStringLiteral("template.db"));
        Database(path, Database::Mode::Create);
        return path;
    }();
    return file;
}

} // namespace

TestData::TestData() : m_folder(m_dir.path()) {
    m_folder.prepare();
    PasswordHash::setCost(PasswordHash::Cost::Cheapest);
    if (!testsOnServer()) {
        if (!QFile::copy(fileTemplate(), m_folder.databaseFile()))
            qFatal("cannot copy the template database to %s", qPrintable(m_folder.databaseFile()));
        m_database = std::make_unique<Database>(m_folder.databaseFile(), Database::Mode::Open);
        m_database->setRerunEveryTransaction(qEnvironmentVariableIsSet("PELU_TEST_RERUN"));
        return;
    }
    static int made = 0;
    m_serverDatabase = QStringLiteral("pelu_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
    const QString from = serverTemplate();
    onTestServer([&](QSqlQuery& query) {
        runOrFail(query, QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_serverDatabase, from));
    });
    const DatabaseTarget target = testServerDatabase(m_serverDatabase);
    // The data folder names the server too, for what opens the office by its folder.
    QSettings ini(m_folder.iniFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("peludb/driver"), QStringLiteral("QPSQL"));
    ini.setValue(QStringLiteral("peludb/host"), target.host);
    ini.setValue(QStringLiteral("peludb/port"), target.port);
    ini.setValue(QStringLiteral("peludb/user"), target.user);
    ini.setValue(QStringLiteral("peludb/database"), target.database);
    ini.sync();
    m_database = std::make_unique<Database>(target, Database::Mode::Open);
}

TestData::~TestData() {
    m_database.reset();
    if (!m_serverDatabase.isEmpty())
        onTestServer([&](QSqlQuery& query) {
            runOrFail(query, QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_serverDatabase));
        });
}

void TestData::sql(const QString& statement, const QVariantList& values) {
    try {
        m_database->exec(statement, values, QStringLiteral("test setup"));
    } catch (const DatabaseError& error) {
        QTest::qFail(qPrintable(error.message()), __FILE__, __LINE__);
    }
}

QVariant TestData::value(const QString& query, const QVariantList& values) {
    return m_database->scalar(query, values, QStringLiteral("test read"));
}

int TestData::count(const QString& table, const QString& where, const QVariantList& values) {
    const QString query = QStringLiteral("SELECT count(*) FROM ") + table +
                          (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    return value(query, values).toInt();
}

QString TestData::dump(const QString& table) {
    // The row key first, as on one desk: a server adds it to the older tables as their last column.
    const QString key = m_database->rowKeyColumn(table);
    QStringList columns = m_database->columnNames(table);
    columns.removeOne(key);
    columns.prepend(key);
    QSqlQuery query = m_database->exec(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(QStringLiteral(", ")), table, key),
        {}, QStringLiteral("test dump"));
    QStringList lines;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << (query.isNull(i) ? QString() : query.value(i).toString());
        lines << fields.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

QString TestData::dumpWithoutKey(const QString& table) {
    QStringList rows = dump(table).split(QLatin1Char('\n'));
    for (QString& row : rows)
        row = row.section(QLatin1Char('|'), 1);
    return rows.join(QLatin1Char('\n'));
}

void TestData::addOperator(const QString& name, const QString& password, const QString& level,
                           const QString& permissions, const QString& reports) {
    sql(QStringLiteral("INSERT INTO czy (操作员, 口令, 级别, 权限字符, 打印报表) VALUES (?, ?, ?, ?, ?)"),
        {name, PasswordHash::make(password), level, permissions, reports.isNull() ? QVariant() : reports});
}

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList texts(std::initializer_list<const char*> utf8) {
    QStringList list;
    for (const char* value : utf8)
        list << text(value);
    return list;
}

QDateTime testNow() {
    return QDateTime(QDate(2026, 12, 6), QTime(9, 30, 0));
}

qint64 millisecondsOnPipe(const QString& fifo, const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread releaser([&] {
        const QDeadlineTimer deadline(1000);
        while (!done && !deadline.hasExpired())
            QThread::msleep(10);
        while (!done) {
            const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
            QThread::msleep(20);
        }
    });
    QElapsedTimer timer;
    timer.start();
    const auto finish = qScopeGuard([&] {
        done = true;
        releaser.join();
    });
    work();
    return timer.elapsed();
}

void registerSoldPlot(TestData& data, const QString& key) {
    for (const char* buried : {"张一", "张二"})
        data.sql(
            QStringLiteral("INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 工作单位, "
                           "联系电话, 故者姓名) VALUES (77, ?, '2026-12-01', '2026-12-06', '2046-12-06', "
                           "'王五', '机械厂', '5551234', ?)"),
            {key, text(buried)});
    data.sql(QStringLiteral("INSERT INTO gm_xr (墓碑位置, 故者姓名A) VALUES (?, '张一')"), {key});
}
