#include "foundation/passwordhash.h"
#include "restore/restoreflow.h"
#include "restore/restorer.h"
#include "shared/onlinedesks.h"
#include "shared/schema.h"
#include "support/officewithroles.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QTest>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// A backup of a new office, tampered with by `statements` run straight on the file.
QString tampered(const Office& office, const QString& name, const QStringList& statements) {
    const QString file = QDir(office.folder.backupFolder()).filePath(name);
    Database database(file, Database::Mode::Create);
    for (const QString& statement : statements)
        database.exec(statement, {}, QStringLiteral("test"));
    return file;
}

QStringList historyTriggers(const QString& file) {
    return Database(file, Database::Mode::ReadOnly)
        .texts(QStringLiteral(
                   "SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE '%\\_history\\_%' "
                   "ESCAPE '\\' ORDER BY name"),
               {}, QStringLiteral("test"));
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
        // A file that opens and holds this program's schema, but one table's first page is rubbish.
        const QString badPages = copyOf(office.good, QStringLiteral("badpages.dat"));
        {
            qint64 page = 0;
            qint64 pageSize = 0;
            {
                Database opened(badPages, Database::Mode::ReadOnly);
                page = opened
                           .scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'gm_xf1'"),
                                   {}, QStringLiteral("test"))
                           .toLongLong();
                pageSize = opened.scalar(QStringLiteral("PRAGMA page_size"), {}, QStringLiteral("test"))
                               .toLongLong();
            }
            QFile file(badPages);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek((page - 1) * pageSize));
            file.write(QByteArray(int(pageSize), '\xff'));
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
            {badPages, text("完整性检查")},
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

    // What a backup's schema may carry: exactly the tables, indexes and triggers this program makes. A
    // rule someone added could change or delete records behind the office's back and is refused, named;
    // the program's own rules that were removed are put back, named, so that the history records again.
    void aBackupIsHeldAgainstTheSchemaThisProgramMakes() {
        skipOnServer();
        Office office;
        Restorer restorer(office.folder, office.clock);
        const QString wiping =
            tampered(office, QStringLiteral("wiping.dat"),
                     {QStringLiteral("CREATE TRIGGER gm_xf1_wipe AFTER INSERT ON gm_xf1 BEGIN "
                                     "DELETE FROM mq_wz; END")});
        const QString foreign =
            tampered(office, QStringLiteral("foreign-objects.dat"),
                     {QStringLiteral("CREATE TABLE notes (x TEXT)"),
                      QStringLiteral("CREATE VIEW plots AS SELECT * FROM mq_wz"),
                      QStringLiteral("CREATE INDEX mq_wz_style ON mq_wz (样式)"),
                      QStringLiteral("DROP TRIGGER mq_wz_history_delete"),
                      QStringLiteral(
                          "CREATE TRIGGER mq_wz_history_delete AFTER DELETE ON mq_wz BEGIN SELECT 1; END")});
        const QString lacking =
            tampered(office, QStringLiteral("lacking.dat"), {QStringLiteral("DROP TABLE change_history")});
        for (const auto& [file, reasons] :
             {std::pair{wiping, QStringList{text("本程序不建立的：触发器 gm_xf1_wipe")}},
              std::pair{foreign,
                        QStringList{text("数据表 notes"), text("视图 plots"), text("索引 mq_wz_style"),
                                    text("与本程序建立的不同：触发器 mq_wz_history_delete")}},
              std::pair{lacking, QStringList{text("缺少数据表：change_history")}}}) {
            const std::optional<QString> refusal = restorer.prepare(file);
            QVERIFY2(refusal, qPrintable(file));
            for (const QString& reason : reasons)
                QVERIFY2(refusal->contains(reason), qPrintable(*refusal));
            QVERIFY(!QFileInfo::exists(office.live + QStringLiteral(".restoring")));
        }

        // Statistics ANALYZE left, and a position held twice that keeps its table without its unique
        // index, are the office's own.
        const QString analysed = tampered(
            office, QStringLiteral("analysed.dat"),
            {QStringLiteral("ANALYZE"), QStringLiteral("DROP INDEX mq_wz_position"),
             QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已购'), "
                            "('甲区', '1', '0001', '已预订')")});
        QCOMPARE(restorer.prepare(analysed), std::nullopt);
        QCOMPARE(restorer.repairs(), QStringList());

        const QStringList history = historyTriggers(office.good);
        QVERIFY(history.size() > 30);
        QStringList dropping;
        for (const QString& trigger : history)
            dropping << QStringLiteral("DROP TRIGGER ") + trigger;
        dropping << QStringLiteral("DROP INDEX gm_dj_buried") << QStringLiteral("DELETE FROM change_context");
        const QString unrecorded = tampered(office, QStringLiteral("unrecorded.dat"), dropping);
        QCOMPARE(restorer.prepare(unrecorded), std::nullopt);
        QVERIFY2(restorer.repairs().contains(text("触发器 mq_wz_history_insert")) &&
                     restorer.repairs().contains(text("索引 gm_dj_buried")) &&
                     restorer.repairs().contains(text("操作记录的当前操作员行")),
                 qPrintable(restorer.repairs().join(QLatin1Char(','))));
        QCOMPARE(restorer.repairs().size(), history.size() + 2);
        restorer.swapIn();
        QCOMPARE(historyTriggers(office.live), history);
        Database restored(office.live, Database::Mode::Open);
        restored.exec(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('乙区', '2', '0002', '未使用')"),
            {}, QStringLiteral("test"));
        QCOMPARE(restored.scalar(QStringLiteral("SELECT COUNT(*) FROM change_history WHERE 表 = 'mq_wz'"), {},
                                 QStringLiteral("test")),
                 QVariant(1));
    }

    // A name written while its piece trigger was gone is found again once the trigger is put back.
    void aBackupLackingAPieceTriggerIsPiecedAnew() {
        skipOnServer();
        Office office;
        Restorer restorer(office.folder, office.clock);
        const QString unpieced = tampered(office, QStringLiteral("unpieced.dat"),
                                          {QStringLiteral("DROP TRIGGER gm_dj_name_pieces_1_insert"),
                                           QStringLiteral("INSERT INTO gm_dj (故者姓名) VALUES ('李建国')")});
        QCOMPARE(restorer.prepare(unpieced), std::nullopt);
        QCOMPARE(restorer.repairs(), QStringList{text("触发器 gm_dj_name_pieces_1_insert")});
        restorer.swapIn();
        QCOMPARE(Database(office.live, Database::Mode::ReadOnly)
                     .texts(QStringLiteral("SELECT 片 FROM name_pieces WHERE 源 = 1 ORDER BY 片"), {},
                            QStringLiteral("test")),
                 texts({"国", "建", "建国", "李", "李建"}));
    }

    // The operator is told what the backup lacked before it goes in.
    void theRestoreProgramNamesWhatItPutsBack() {
        skipOnServer();
        Office office;
        const QString unrecorded = tampered(office, QStringLiteral("unrecorded.dat"),
                                            {QStringLiteral("DROP TRIGGER gm_xf1_history_update")});
        ScriptedPrompter prompter;
        RecordingLauncher launcher;
        prompter.fileNames << unrecorded;
        prompter.answers << Prompter::Answer::No << Prompter::Answer::No;
        QCOMPARE(runRestore(office.folder, office.clock, prompter, launcher, QStringLiteral("/opt/pelu")), 0);
        QVERIFY2(
            prompter.shown.at(0).text.contains(text("备份中缺少本程序建立的以下结构，还原时补上：\n触发器 "
                                                    "gm_xf1_history_update\n")),
            qPrintable(prompter.shown.at(0).text));
    }

    // A pipe where a file is read would wait for a writer for ever: as the backup chosen, and as the
    // database itself, it is refused at once and named.
    void aPipeIsRefusedAtOnce() {
        skipOnServer();
        Office office;
        const QString pipe = QDir(office.folder.backupFolder()).filePath(QStringLiteral("pipe.dat"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        Restorer restorer(office.folder, office.clock);
        std::optional<QString> refusal;
        QVERIFY(millisecondsOnPipe(pipe, [&] { refusal = restorer.prepare(pipe); }) < 1000);
        QVERIFY2(refusal && refusal->contains(text("不是普通文件")) && refusal->contains(pipe),
                 qPrintable(refusal.value_or(QString())));

        QCOMPARE(restorer.prepare(office.good), std::nullopt);
        QVERIFY(QFile::remove(office.live) && QFile::remove(office.live + QStringLiteral("-wal")));
        QCOMPARE(::mkfifo(QFile::encodeName(office.live).constData(), 0600), 0);
        for (const auto& open : std::initializer_list<std::function<void()>>{
                 [&] { Database(office.live, Database::Mode::Open); }, [&] { restorer.swapIn(); }}) {
            QString said;
            const qint64 took = millisecondsOnPipe(office.live, [&] {
                try {
                    open();
                } catch (const DatabaseError& error) {
                    said = error.message();
                }
            });
            QVERIFY(took < 1000);
            QVERIFY2(said.contains(text("不是普通文件")) && said.contains(office.live), qPrintable(said));
        }
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

    // A restore waits until the other desks have logged out: it names them and changes nothing, not even a
    // safety copy; once they are gone it goes in. The owner cannot see when the desk role's sessions began.
    void aServerRestoreWaitsForTheDesksLoggedIn() {
        if (!testsOnServer())
            QSKIP("restores a server's database");
        OfficeWithRoles office;
        const QDir backups(office.folder().backupFolder());
        const QString backup = backups.filePath(QStringLiteral("before.dat"));
        {
            Database owner(office.folder().ownerTarget(), Database::Mode::Open);
            owner.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'before'"), {}, QStringLiteral("test"));
            owner.backupTo(backup);
            owner.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'after'"), {}, QStringLiteral("test"));
        }
        auto desk = std::make_unique<Database>(office.as(office.roles().desk), Database::Mode::Open);
        const auto unit = [](Database& database) {
            return database.scalar(QStringLiteral("SELECT dwmc FROM yhxx"), {}, QStringLiteral("test"))
                .toString();
        };
        QVERIFY(OnlineDesks::enter(*desk, text("王会计"), text("财务室"), testNow()));
        const FixedClock clock(testNow());
        Restorer restorer(office.folder(), clock);
        QCOMPARE(restorer.prepare(backup), std::nullopt);
        try {
            restorer.swapIn();
            QFAIL("the restore went in under a working desk");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().contains(text("王会计 电脑：财务室\n请他们退出 Pelu 后再还原数据。")),
                     qPrintable(error.message()));
        }
        QCOMPARE(unit(*desk), QStringLiteral("after"));
        QCOMPARE(backups.entryList({text("还原前*")}, QDir::Files), QStringList());

        desk.reset();
        {
            Database owner(office.folder().ownerTarget(), Database::Mode::Open);
            QTRY_VERIFY(OnlineDesks::others(owner).isEmpty());
        }
        restorer.swapIn();
        Database deskAgain(office.as(office.roles().desk), Database::Mode::Open);
        QCOMPARE(unit(deskAgain), QStringLiteral("before"));
        QVERIFY(OnlineDesks::enter(deskAgain, text("王会计"), text("财务室"), testNow()));

        // Admin may restore beside a desk still logged in; that desk hears of it.
        deskAgain.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'again'"), {}, QStringLiteral("test"));
        QSignalSpy heard(&deskAgain.changes(), &ChangeNotifier::changed);
        ScriptedPrompter prompter;
        RecordingLauncher launcher;
        prompter.fileNames << backup;
        prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes << Prompter::Answer::No;
        QCOMPARE(runRestore(office.folder(), clock, prompter, launcher, QStringLiteral("/opt/pelu")), 0);
        QVERIFY2(prompter.shown.size() == 3 && prompter.shown.at(1).text.startsWith(
                                                   text("以下电脑上还有操作员登录着数据库：\n王会计 电脑："
                                                        "财务室\n\n仍要还原吗？")),
                 qPrintable(prompter.shown.value(1).text));
        QVERIFY2(prompter.lastText().startsWith(text("数据已还原。")), qPrintable(prompter.lastText()));
        QCOMPARE(unit(deskAgain), QStringLiteral("before"));
        QTRY_COMPARE(heard.size(), 1);
        QCOMPARE(heard.first().first().value<ChangeNotifier::Subject>(), ChangeNotifier::Subject::Restored);
    }

    // The restore runs as the tables' owner and gives the desk and print roles their rights anew, whatever
    // rights the backup carried: here those of a time when the desk could empty the history.
    void aServerRestoreGivesTheRolesTheirRightsAgain() {
        if (!testsOnServer())
            QSKIP("restores a server's database");
        OfficeWithRoles office;
        const ServerRoles::Roles roles = office.roles();
        const QString backup = QDir(office.folder().backupFolder()).filePath(QStringLiteral("before.dat"));
        {
            Database owner(office.folder().ownerTarget(), Database::Mode::Open);
            owner.exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA public FROM %1").arg(roles.desk),
                       {}, QStringLiteral("test"));
            owner.exec(QStringLiteral("GRANT ALL ON change_history TO %1").arg(roles.desk), {},
                       QStringLiteral("test"));
            owner.backupTo(backup);
        }
        const FixedClock clock(testNow());
        Restorer restorer(office.folder(), clock);
        QCOMPARE(restorer.prepare(backup), std::nullopt);
        restorer.swapIn();

        Database desk(office.as(roles.desk), Database::Mode::Open);
        desk.exec(QStringLiteral("UPDATE yhxx SET dwmc = 'after'"), {}, QStringLiteral("test"));
        try {
            desk.exec(QStringLiteral("TRUNCATE change_history"), {}, QStringLiteral("test"));
            QFAIL("the desk emptied the history");
        } catch (const DatabaseError&) {
        }
        QVERIFY(desk.scalar(QStringLiteral("SELECT COUNT(*) FROM change_history WHERE 之后 LIKE '%after%'"),
                            {}, QStringLiteral("test"))
                    .toInt() == 1);
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
