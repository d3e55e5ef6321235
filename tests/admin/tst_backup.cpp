#include "admin/autobackup.h"
#include "admin/backupservice.h"
#include "foundation/datetext.h"
#include "foundation/pgtools.h"
#include "restore/restorer.h"
#include "support/runningoffice.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <atomic>
#include <thread>

namespace {

QString padded(int before, const char* message) {
    return QString(before, QLatin1Char(' ')) + text(message) + QString(11, QLatin1Char(' '));
}

qint64 count(const QString& database, const QString& query) {
    return Database(database, Database::Mode::ReadOnly)
        .scalar(query, {}, QStringLiteral("test"))
        .toLongLong();
}

QByteArray contentOf(const QString& file) {
    QFile opened(file);
    return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
}

// Overwrites the first page of `table` with rubbish: the file still opens, its pages no longer check.
void damage(const QString& database, const char* table) {
    qint64 page = 0;
    qint64 pageSize = 0;
    {
        Database opened(database, Database::Mode::ReadOnly);
        page = opened
                   .scalar(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = ?"),
                           {QString::fromLatin1(table)}, QStringLiteral("test"))
                   .toLongLong();
        pageSize = opened.scalar(QStringLiteral("PRAGMA page_size"), {}, QStringLiteral("test")).toLongLong();
    }
    QFile file(database);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek((page - 1) * pageSize));
    file.write(QByteArray(int(pageSize), '\xff'));
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void backupsTakenWhileAnotherConnectionWritesRestoreConsistently() {
        TestData data;
        if (data.db().isServer())
            QSKIP("reads the copies as SQLite files; a server's copy is restored in tst_restore");
        data.sql(
            QStringLiteral("INSERT INTO gm_xf1 (编号, 墓碑位置) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i + 1 FROM n WHERE i < 20000) SELECT i, 'A1排0001号' FROM n"));
        // Tens of megabytes: the copy is taken in several steps, the other desk writing between them.
        data.sql(
            QStringLiteral("CREATE TABLE filler AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                           "FROM n WHERE i < 40) SELECT zeroblob(1000000) AS b FROM n"));
        // Every write of the other desk puts a fee row and its memo in one transaction.
        std::atomic<bool> stop = false;
        std::atomic<int> written = 0;
        std::thread writer([&] {
            Database other(data.db().target(), Database::Mode::Open);
            for (int i = 0; !stop; ++i) {
                other.transaction([&] {
                    other.exec(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (?)"), {-i},
                               QStringLiteral("test"));
                    other.exec(QStringLiteral("INSERT INTO mq_bwl (内容) VALUES (?)"), {i},
                               QStringLiteral("test"));
                });
                ++written;
            }
        });
        while (written < 10)
            QThread::msleep(1);
        const FixedClock clock(testNow());
        BackupService service(data.db(), data.folder(), clock);
        QStringList copies;
        const int writtenBefore = written;
        for (int i = 0; i < 5; ++i) {
            copies << QDir(data.folder().backupFolder()).filePath(QStringLiteral("copy%1.dat").arg(i));
            QVERIFY(service.backup(copies.last(), BackupService::Button::Ok).saved);
        }
        QVERIFY(written > writtenBefore);
        stop = true;
        writer.join();

        for (const QString& copy : copies)
            QCOMPARE(count(copy, QStringLiteral("SELECT COUNT(*) FROM gm_xf1 WHERE 编号 <= 0")),
                     count(copy, QStringLiteral("SELECT COUNT(*) FROM mq_bwl")));

        // The last copy, without the filler, restores into an office of its own.
        Database(copies.last(), Database::Mode::Open)
            .exec(QStringLiteral("DROP TABLE filler"), {}, QStringLiteral("test"));
        QTemporaryDir elsewhere;
        DataFolder office(elsewhere.path());
        office.prepare();
        Database(office.databaseFile(), Database::Mode::Create);
        Restorer restorer(office, clock);
        QCOMPARE(restorer.prepare(copies.last()), std::nullopt);
        restorer.swapIn();
        Database restored(office.databaseFile(), Database::Mode::Open);
        QCOMPARE(restored.integrityProblems(Database::Check::Full), QStringList());
        QCOMPARE(restored.scalar(QStringLiteral("SELECT COUNT(*) FROM mq_bwl"), {}, QStringLiteral("test")),
                 count(copies.last(), QStringLiteral("SELECT COUNT(*) FROM mq_bwl")));
    }

    void theBackupWindowSaysWhetherTheCopyWasTaken() {
        RunningOffice office;
        office.data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (77)"));
        QWidget* window = office.run(QStringLiteral("datacopy"), QStringLiteral("copy_frm"));
        QVERIFY(window);
        auto* path = control<QLineEdit>(window, "path_edit");
        const QString proposed =
            QDir(office.data.folder().backupFolder()).filePath(text("2026-12-06备份数据.dat"));
        QCOMPARE(path->text(), proposed);

        // "..." and cancel: the proposed file, overwritten without a question.
        QFile earlier(proposed);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an older file");
        earlier.close();
        QTest::mouseClick(control<QPushButton>(window, "dialog_btn"), Qt::LeftButton);
        QTRY_COMPARE(office.prompter.shown.size(), 1);
        QCOMPARE(office.prompter.shown.last().text, padded(7, "备份数据成功！"));
        QCOMPARE(office.prompter.shown.last().caption, text("提示"));
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Information);
        const bool server = office.data.db().isServer();
        if (server)
            QVERIFY(PgTools::tablesOf(proposed).contains(QStringLiteral("gm_xf1")));
        else
            QCOMPARE(count(proposed, QStringLiteral("SELECT COUNT(*) FROM gm_xf1 WHERE 编号 = 77")), 1);

        QTest::mouseClick(control<QPushButton>(window, "ok_btn"), Qt::LeftButton);
        QTRY_COMPARE(office.prompter.lastText(), padded(8, "备份数据成功！"));

        // A copy that cannot be written fails and leaves the earlier backup of that name as it was.
        QVERIFY(QDir().mkpath(proposed + QStringLiteral(".part")));
        const QByteArray earlierCopy = contentOf(proposed);
        QTest::mouseClick(control<QPushButton>(window, "ok_btn"), Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), padded(8, "备份数据失败！请重试"));
        QCOMPARE(contentOf(proposed), earlierCopy);
        QVERIFY(QDir(proposed + QStringLiteral(".part")).removeRecursively());

        // A folder that is not there fails, with each button's blanks, and leaves nothing behind.
        const QString nowhere = QDir(office.data.folder().path()).filePath(QStringLiteral("gone/copy.dat"));
        office.prompter.fileNames.enqueue(nowhere);
        QTest::mouseClick(control<QPushButton>(window, "dialog_btn"), Qt::LeftButton);
        QCOMPARE(path->text(), nowhere);
        QCOMPARE(office.prompter.lastText(), padded(7, "备份数据失败！请重试"));
        QTest::mouseClick(control<QPushButton>(window, "ok_btn"), Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), padded(8, "备份数据失败！请重试"));
        QVERIFY(!QFileInfo::exists(QFileInfo(nowhere).absolutePath()));

        // The live database file is no target; it is left as it was.
        if (!server) {
            const QString live = office.data.db().filePath();
            path->setText(QDir(office.data.folder().path()).filePath(QStringLiteral("./pelu.db")));
            QTest::mouseClick(control<QPushButton>(window, "ok_btn"), Qt::LeftButton);
            QCOMPARE(office.prompter.lastText(), text("不能备份到正在使用的数据库文件，请另选文件名。"));
            QCOMPARE(office.data.count(QStringLiteral("gm_xf1"), QStringLiteral("编号 = 77")), 1);
            QCOMPARE(QDir(QFileInfo(live).absolutePath()).entryList({QStringLiteral("*.part")}),
                     QStringList());
        }

        // A window closed while its copy is checked: the outcome is told all the same.
        path->setText(proposed);
        const qsizetype told = office.prompter.shown.size();
        QTest::mouseClick(control<QPushButton>(window, "ok_btn"), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(window, "cancel_btn"), Qt::LeftButton);
        QVERIFY(!office.find(QStringLiteral("copy_frm")));
        QTRY_COMPARE(office.prompter.shown.size(), told + 1);
        QCOMPARE(office.prompter.lastText(), padded(8, "备份数据成功！"));
    }

    // The operator works on while the copy is checked; it comes under the backup's name only once it
    // passes, and no second copy is taken into the same file meanwhile.
    void aCopyComesUnderItsNameOnlyOnceItsCheckPasses() {
        TestData data;
        if (data.db().isServer())
            QSKIP("a server's copy is checked as it is written");
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (77)"));
        const QString target = QDir(data.folder().backupFolder()).filePath(QStringLiteral("copy.dat"));
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an older file");
        earlier.close();
        const FixedClock clock(testNow());
        BackupService service(data.db(), data.folder(), clock);
        const auto ok = BackupService::Button::Ok;

        QVERIFY(!service.copy(target, ok));
        QCOMPARE(contentOf(target), QByteArray("an older file"));
        const std::optional<SaveOutcome> second = service.copy(target, ok);
        QVERIFY(second && !second->saved);
        QCOMPARE(second->message->text, text("这个文件的备份还在校验，请稍候再试。"));
        damage(target + QStringLiteral(".part"), "gm_xf1");
        QCOMPARE(BackupService::check(target, ok).message->text, padded(8, "备份数据失败！请重试"));
        QCOMPARE(contentOf(target), QByteArray("an older file"));
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".part")));

        // A program closing stops the check: nothing comes into place, nothing is left.
        const std::atomic<bool> closing = true;
        QVERIFY(!service.copy(target, ok));
        QCOMPARE(BackupService::check(target, ok, &closing).message->text, padded(8, "备份数据失败！请重试"));
        QCOMPARE(contentOf(target), QByteArray("an older file"));
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".part")));

        QVERIFY(!service.copy(target, ok));
        QCOMPARE(BackupService::check(target, ok).message->text, padded(8, "备份数据成功！"));
        QCOMPARE(count(target, QStringLiteral("SELECT COUNT(*) FROM gm_xf1 WHERE 编号 = 77")), 1);
    }

    void restoringAsksThenHandsOverToTheRestoreProgram() {
        RunningOffice office;
        office.prompter.answers.enqueue(Prompter::Answer::No);
        office.window.command(QStringLiteral("backup"))->trigger();
        QCOMPARE(office.prompter.lastText(), text("还原数据将退出Pelu，要继续吗？"));
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Information);
        QVERIFY(office.launcher.started.isEmpty());

        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        office.window.command(QStringLiteral("backup"))->trigger();
        QCOMPARE(office.launcher.started.size(), 1);
        QCOMPARE(office.launcher.started.first().program,
                 QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pelu-restore")));
        QCOMPARE(office.launcher.started.first().arguments, QStringList());
    }

    void automaticCopiesKeepTheNewestOfTheLastDaysAndWeeks() {
        TestData data;
        AutoBackup::Settings settings;
        const DatabaseTarget live = data.db().target();
        const QString folder = AutoBackup::folderOf(data.folder());
        for (QDate day(2026, 11, 1); day <= QDate(2026, 12, 10); day = day.addDays(1))
            QCOMPARE(AutoBackup::atStart(live, data.folder(), QDateTime(day, QTime(9, 0)), settings),
                     QString());
        // The day has its copy: the next start takes none; a copy after writes replaces it.
        QCOMPARE(
            AutoBackup::atStart(live, data.folder(), QDateTime(QDate(2026, 12, 10), QTime(10, 0)), settings),
            QString());
        AutoBackup::takeCopy(data.db(), folder, QDateTime(QDate(2026, 12, 10), QTime(15, 0)), settings);
        // 12-10 is a Thursday: the days from 12-04, and the Sundays ending the two weeks before.
        QStringList kept;
        for (const char* day : {"2026-11-22-090000", "2026-11-29-090000", "2026-12-04-090000",
                                "2026-12-05-090000", "2026-12-06-090000", "2026-12-07-090000",
                                "2026-12-08-090000", "2026-12-09-090000", "2026-12-10-150000"})
            kept << QString::fromLatin1(day) + text("自动备份.dat");
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), kept);

        // pelu.ini keeps fewer, or none are taken.
        QSettings ini(data.folder().iniFile(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("backup/daily"), 2);
        ini.setValue(QStringLiteral("backup/weekly"), 1);
        ini.setValue(QStringLiteral("backup/auto"), QStringLiteral("false"));
        ini.sync();
        settings = AutoBackup::Settings::read(data.folder());
        QCOMPARE(
            AutoBackup::atStart(live, data.folder(), QDateTime(QDate(2026, 12, 11), QTime(9, 0)), settings),
            QString());
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), kept.size());
        QCOMPARE(AutoBackup::rotate(folder, settings).size(), kept.size() - 2);
    }

    void automaticCopiesRunInTheBackgroundAfterEnoughWrites() {
        TestData data;
        QSettings ini(data.folder().iniFile(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("backup/writes"), 3);
        ini.sync();
        FixedClock clock(testNow());
        ScriptedPrompter prompter;
        AutoBackups backups(data.db(), data.folder(), clock, prompter);
        backups.start();
        backups.wait();
        const QDir folder(AutoBackup::folderOf(data.folder()));
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);

        clock.set(testNow().addSecs(3600));
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (1), (2)"));
        backups.countWrites();
        backups.wait();
        QCOMPARE(folder.entryList(QDir::Files).size(), 1);
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (3)"));
        backups.countWrites();
        backups.wait();
        // The newer copy of the day replaces the earlier one.
        QCOMPARE(folder.entryList(QDir::Files), QStringList({text("2026-12-06-103000自动备份.dat")}));
        QCoreApplication::processEvents();
        QCOMPARE(prompter.texts(), QStringList());
    }

    void aDamagedDatabaseIsToldAtStartWithTheNewestBackup() {
        TestData data;
        if (data.db().isServer())
            QSKIP("damages the pages of a SQLite file; a server checks its own pages");
        const QString older =
            QDir(AutoBackup::folderOf(data.folder())).filePath(text("2026-12-04-090000自动备份.dat"));
        const QString newer = QDir(data.folder().backupFolder()).filePath(text("2026-12-05备份数据.dat"));
        const QString damaged = QDir(data.folder().path()).filePath(QStringLiteral("damaged.db"));
        AutoBackup::takeCopy(data.db(), AutoBackup::folderOf(data.folder()),
                             QDateTime(QDate(2026, 12, 4), QTime(9, 0)), {});
        data.db().backupTo(newer);
        data.db().backupTo(damaged);
        for (const auto& [file, day] : {std::pair{older, 4}, std::pair{newer, 5}}) {
            QFile backup(file);
            QVERIFY(backup.open(QIODevice::ReadWrite));
            QVERIFY(backup.setFileTime(QDateTime(QDate(2026, 12, day), QTime(9, 0)),
                                       QFileDevice::FileModificationTime));
        }
        damage(damaged, "gm_xf1");

        const QString said = AutoBackup::atStart(DatabaseTarget::file(damaged), data.folder(), testNow(), {});
        QVERIFY2(said.startsWith(text("数据库检查发现错误")), qPrintable(said));
        QVERIFY2(said.contains(text("最近的备份：") + newer), qPrintable(said));
        // No copy of a damaged database is taken.
        QCOMPARE(QDir(AutoBackup::folderOf(data.folder())).entryList(QDir::Files).size(), 1);
    }

    // A database that opens and reads but whose pages fail the check is not backed up: nothing is left
    // under the backup's name, and an earlier backup of that name stays as it was.
    void aDatabaseFailingItsPageCheckIsNotBackedUp() {
        TestData data;
        if (data.db().isServer())
            QSKIP("damages the pages of a SQLite file; a server checks its own pages");
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号) VALUES (77)"));
        const QString damaged = QDir(data.folder().path()).filePath(QStringLiteral("damaged.db"));
        data.db().backupTo(damaged);
        damage(damaged, "gm_xf1");
        const QString target = QDir(data.folder().backupFolder()).filePath(QStringLiteral("copy.dat"));
        data.db().backupTo(target);
        const QByteArray earlier = contentOf(target);
        Database opened(damaged, Database::Mode::ReadOnly);
        QCOMPARE(
            opened.scalar(QStringLiteral("SELECT COUNT(*) FROM yhxx"), {}, QStringLiteral("test")).toInt(),
            1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, opened.backupTo(target));
        QCOMPARE(contentOf(target), earlier);
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".part")));
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
