#include "foundation/passwordhash.h"
#include "foundation/schema.h"
#include "restore/restoreflow.h"
#include "restore/restorer.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTest>

namespace {

QString marker(const QString& database) {
    return Database(database, Database::Mode::ReadOnly)
        .scalar(QStringLiteral("SELECT dwmc FROM yhxx"), {}, QStringLiteral("test"))
        .toString();
}

QByteArray fingerprint(const QString& file) {
    QFile opened(file);
    return opened.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(opened.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

QString copyOf(const QString& file, const QString& name) {
    const QString copy = QFileInfo(file).dir().filePath(name);
    if (!QFile::copy(file, copy))
        QTest::qFail("cannot copy the backup", __FILE__, __LINE__);
    return copy;
}

// A closed office whose unit is named "before"; `good` is its backup. The office then goes on to
// "after", which stays in its log as if Pelu had ended without closing its database.
struct Office {
    QTemporaryDir dir;
    DataFolder folder{dir.path()};
    FixedClock clock{testNow()};
    QString live;
    QString good;

    Office() {
        folder.prepare();
        PasswordHash::setCost(PasswordHash::Cost::Cheapest);
        live = folder.databaseFile();
        good = QDir(folder.backupFolder()).filePath(QStringLiteral("good.dat"));
        QTemporaryDir running;
        const QString runningFile = QDir(running.path()).filePath(QStringLiteral("pelu.db"));
        Database database(runningFile, Database::Mode::Create);
        database.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'before'"), {}, QStringLiteral("test"));
        database.backupTo(good);
        database.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'after'"), {}, QStringLiteral("test"));
        for (const QString& suffix : {QString(), QStringLiteral("-wal")})
            if (!QFile::copy(runningFile + suffix, live + suffix))
                QTest::qFail("cannot leave the office's log behind", __FILE__, __LINE__);
    }
};

// The cases of a database file: its log, its pages, its file beside the backups.
void skipOnServer() {
    if (qEnvironmentVariable("PELU_TEST_ENGINE").compare(QLatin1String("QPSQL"), Qt::CaseInsensitive) == 0)
        QSKIP("restores a database file");
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private slots:
    void aFileThatFailsTheChecksIsRefusedAndNothingChanges() {
        skipOnServer();
        Office office;
        const QString damaged = copyOf(office.good, QStringLiteral("damaged.dat"));
        {
            QFile file(damaged);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(file.size() / 2));
            file.write(QByteArray(8192, '\x5a'));
        }
        const QString truncated = copyOf(office.good, QStringLiteral("truncated.dat"));
        QVERIFY(QFile::resize(truncated, QFileInfo(truncated).size() / 2));
        const QString newer = copyOf(office.good, QStringLiteral("newer.dat"));
        {
            Database database(newer, Database::Mode::Open);
            database.exec(QStringLiteral("PRAGMA user_version = %1").arg(Schema::latestVersion() + 1), {},
                          QStringLiteral("test"));
        }
        const QString notADatabase = QDir(office.folder.backupFolder()).filePath(QStringLiteral("notes.dat"));
        {
            QFile file(notADatabase);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
        }
        const QString foreign = QDir(office.folder.backupFolder()).filePath(QStringLiteral("foreign.dat"));
        {
            Database database(foreign, Database::Mode::Create);
            database.exec(QStringLiteral("DROP TABLE gm_xf1"), {}, QStringLiteral("test"));
        }

        const QByteArray database = fingerprint(office.live);
        const QByteArray log = fingerprint(office.live + QStringLiteral("-wal"));
        // No safety copy is made. (Opening a file in write-ahead log mode may leave its empty log beside it.)
        const QStringList backups = QDir(office.folder.backupFolder()).entryList({QStringLiteral("*.dat")});
        Restorer restorer(office.folder, office.clock);
        const QList<std::pair<QString, QString>> cases = {
            {damaged, QString()},
            {truncated, QString()},
            {newer, text("更新版本")},
            {notADatabase, text("无法读取")},
            {foreign, text("缺少数据表 gm_xf1")},
            {office.live, text("正在使用的数据库")},
        };
        for (const auto& [file, reason] : cases) {
            const std::optional<QString> refusal = restorer.prepare(file);
            QVERIFY2(refusal, qPrintable(file));
            QVERIFY2(refusal->contains(reason), qPrintable(*refusal));
            QVERIFY(!QFileInfo::exists(office.live + QStringLiteral(".restoring")));
        }
        QVERIFY_THROWS_EXCEPTION(DatabaseError, restorer.swapIn());
        QCOMPARE(fingerprint(office.live), database);
        QCOMPARE(fingerprint(office.live + QStringLiteral("-wal")), log);
        QCOMPARE(QDir(office.folder.backupFolder()).entryList({QStringLiteral("*.dat")}), backups);
    }

    void aGoodBackupGoesInAndTheReplacedDatabaseIsKept() {
        skipOnServer();
        Office office;
        Restorer restorer(office.folder, office.clock);
        QCOMPARE(restorer.prepare(office.good), std::nullopt);
        const QString safetyCopy = restorer.swapIn();

        QCOMPARE(safetyCopy,
                 QDir(office.folder.backupFolder()).filePath(text("还原前的数据库-2026-12-06-093000.dat")));
        // The replaced database's log went with it into the safety copy, not into the restored one.
        QVERIFY(!QFileInfo::exists(office.live + QStringLiteral("-wal")));
        QCOMPARE(marker(office.live), QStringLiteral("before"));
        QCOMPARE(marker(safetyCopy), QStringLiteral("after"));
        QCOMPARE(Database(office.live, Database::Mode::Open).integrityProblems(Database::Check::Full),
                 QStringList());
    }

    // Killed between putting the old office aside and renaming the restored one in: the old office is there
    // with every save its log held, and the restore can simply run again.
    void aRestoreKilledHalfwayLeavesTheOldOfficeWhole() {
        skipOnServer();
        Office office;
        Restorer restorer(office.folder, office.clock);
        QCOMPARE(restorer.prepare(office.good), std::nullopt);
        restorer.setBeforeRename([] { throw DatabaseError(QStringLiteral("killed")); });
        QVERIFY_THROWS_EXCEPTION(DatabaseError, restorer.swapIn());
        QCOMPARE(marker(office.live), QStringLiteral("after"));
        QCOMPARE(Database(office.live, Database::Mode::ReadOnly).integrityProblems(Database::Check::Full),
                 QStringList());

        restorer.setBeforeRename({});
        const QString safetyCopy = restorer.swapIn();
        QCOMPARE(marker(office.live), QStringLiteral("before"));
        QCOMPARE(marker(safetyCopy), QStringLiteral("after"));

        // The copy a restore killed before the rename prepared is gone at the next start.
        const QString prepared = office.live + QStringLiteral(".restoring");
        QVERIFY(QFile::copy(office.good, prepared));
        Restorer next(office.folder, office.clock);
        QVERIFY(!QFileInfo::exists(prepared));
    }

    void theRestoreProgramLetsTheOperatorPickAgainAndStartsPelu() {
        skipOnServer();
        Office office;
        const QString damaged = copyOf(office.good, QStringLiteral("damaged.dat"));
        QVERIFY(QFile::resize(damaged, 1000));
        ScriptedPrompter prompter;
        RecordingLauncher launcher;
        prompter.fileNames << damaged << office.good;
        prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;

        QCOMPARE(runRestore(office.folder, office.clock, prompter, launcher, QStringLiteral("/opt/pelu")), 0);
        QCOMPARE(prompter.shown.size(), 3);
        QVERIFY(prompter.shown.at(0).text.startsWith(text("不能用这个文件还原数据：\n") + damaged));
        QVERIFY(prompter.shown.at(1).text.contains(office.good));
        QVERIFY2(prompter.shown.at(2).text.startsWith(text("数据已还原。\n原来的数据库另存为：")),
                 qPrintable(prompter.shown.at(2).text));
        QCOMPARE(marker(office.live), QStringLiteral("before"));
        QCOMPARE(launcher.started.size(), 1);
        QCOMPARE(launcher.started.first().program, QStringLiteral("/opt/pelu/pelu"));
        QCOMPARE(launcher.started.first().arguments,
                 QStringList({QStringLiteral("--data"), office.folder.path()}));
    }

    // A server's backup goes back in through the restore program: a file that is no backup of the server
    // or comes from a newer program is refused before anything is touched; then the row is back, a table
    // the backup does not know is gone, and the safety copy brings the replaced records back in turn.
    void aServerBackupRestoresTheRecordsAndKeepsTheReplacedOnes() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("restores a server's database");
        const FixedClock clock(testNow());
        const QDir backups(data.folder().backupFolder());
        const auto unit = [&] { return data.value(QStringLiteral("SELECT dwmc FROM yhxx")).toString(); };
        data.sql(QStringLiteral("UPDATE yhxx SET dwmc = 'before'"));
        const QString good = backups.filePath(QStringLiteral("good.dat"));
        data.db().backupTo(good);
        data.sql(QStringLiteral("UPDATE pelu_schema_version SET version = ?"), {Schema::latestVersion() + 1});
        const QString newer = backups.filePath(QStringLiteral("newer.dat"));
        data.db().backupTo(newer);
        data.sql(QStringLiteral("UPDATE pelu_schema_version SET version = ?"), {Schema::latestVersion()});
        const QString aFile = backups.filePath(QStringLiteral("file.dat"));
        Database(aFile, Database::Mode::Create);
        data.sql(QStringLiteral("UPDATE yhxx SET dwmc = 'after'"));
        data.sql(QStringLiteral("CREATE TABLE pelu_later (x INTEGER)"));
        const QString replaced = data.dump(QStringLiteral("yhxx"));

        Restorer restorer(data.folder(), clock);
        for (const auto& [file, reason] :
             {std::pair{aFile, text("pg_dump")}, std::pair{newer, text("更新版本")}}) {
            const std::optional<QString> refusal = restorer.prepare(file);
            QVERIFY2(refusal && refusal->contains(reason), qPrintable(refusal.value_or(file)));
        }
        QCOMPARE(data.dump(QStringLiteral("yhxx")), replaced);

        ScriptedPrompter prompter;
        RecordingLauncher launcher;
        prompter.fileNames << good;
        prompter.answers << Prompter::Answer::Yes << Prompter::Answer::No;
        QCOMPARE(runRestore(data.folder(), clock, prompter, launcher, QStringLiteral("/opt/pelu")), 0);
        const QString safetyCopy = backups.filePath(text("还原前的数据库-2026-12-06-093000.dat"));
        QCOMPARE(prompter.shown.last().text,
                 text("数据已还原。\n原来的数据库另存为：") + safetyCopy + text("\n\n要重新启动 Pelu 吗？"));
        QCOMPARE(unit(), QStringLiteral("before"));
        QVERIFY(!data.db().hasTable(QStringLiteral("pelu_later")));
        QCOMPARE(data.db().schemaVersion(), Schema::latestVersion());

        QCOMPARE(restorer.prepare(safetyCopy), std::nullopt);
        restorer.swapIn();
        QCOMPARE(data.dump(QStringLiteral("yhxx")), replaced);
        QVERIFY(data.db().hasTable(QStringLiteral("pelu_later")));
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
