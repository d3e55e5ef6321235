#include "foundation/datafolder.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/naturalorder.h"
#include "foundation/printbridge.h"
#include "foundation/sqlliteral.h"
#include "foundation/translations.h"
#include "shared/positionkey.h"
#include "shared/printarchive.h"
#include "shared/rights.h"
#include "shared/session.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTest>
#include <sys/stat.h>

namespace {

class FakePrinters : public PrinterProbe {
public:
    QStringList printers; // "" stands for a default printer
    bool available(const QString& printerName) const override { return printers.contains(printerName); }
};

void setPrinterIni(const DataFolder& folder, const QString& key, const QString& value) {
    QSettings ini(folder.iniFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("printer/") + key, value);
}

} // namespace

class RulesTest : public QObject {
    Q_OBJECT

private slots:
    void qtsOwnWordsAreChinese() {
        QVERIFY(Translations::installChinese(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }

    void onlyItemsWithTheirFirstBitOpen() {
        Session session;
        session.permissionString = QStringLiteral("1") + QString(39, QLatin1Char('0'));
        QVERIFY(Rights::checkItem(session, 1));
        for (int item = 2; item <= 40; ++item)
            QVERIFY(!Rights::checkItem(session, item));

        session.permissionString = QString(23, QLatin1Char('f'));
        QVERIFY(Rights::checkItem(session, 23));
        QVERIFY(!Rights::checkItem(session, 24));
        QVERIFY(!Rights::checkItem(session, 40));

        session.permissionString = QString();
        QVERIFY(!Rights::checkItem(session, 1));
        QCOMPARE(Rights::permissionDigit(QStringLiteral("zF"), 1), 0);
        QCOMPARE(Rights::permissionDigit(QStringLiteral("zF"), 2), 15);
    }

    void theRecordFlagsFollowTheBitsOfTheLastOpenedItem() {
        Session session;
        session.permissionString =
            QStringLiteral("3") + QStringLiteral("d") + QStringLiteral("e") + QStringLiteral("F");
        QVERIFY(Rights::checkItem(session, 1)); // 3: open + add
        QVERIFY(!session.flags.addDenied);
        QVERIFY(session.flags.modifyDenied);
        QVERIFY(session.flags.deleteDenied);

        QVERIFY(Rights::checkItem(session, 2)); // d: open + modify + delete
        QVERIFY(session.flags.addDenied);
        QVERIFY(!session.flags.modifyDenied);
        QVERIFY(!session.flags.deleteDenied);

        // e lacks the open bit: refused, and the flags stay those of item 2
        QVERIFY(!Rights::checkItem(session, 3));
        QVERIFY(session.flags.addDenied);
        QVERIFY(!session.flags.deleteDenied);

        // upper case reads the same; the operator's own denials win over the digit
        session.denials.remove = true;
        QVERIFY(Rights::checkItem(session, 4));
        QVERIFY(!session.flags.addDenied);
        QVERIFY(!session.flags.modifyDenied);
        QVERIFY(session.flags.deleteDenied);
    }

    void reportNamesMatchOnlyBetweenCommas() {
        QVERIFY(Rights::reportListAllows(QStringLiteral(",gm,"), QStringLiteral("gm")));
        QVERIFY(!Rights::reportListAllows(QStringLiteral(",gm,"), QStringLiteral("gm_jxf")));
        QVERIFY(!Rights::reportListAllows(QStringLiteral(",gm_jxf,"), QStringLiteral("gm")));
        QVERIFY(Rights::reportListAllows(QStringLiteral(",jcwzs,,lxr_jc,"), QStringLiteral("lxr_jc")));
        QVERIFY(!Rights::reportListAllows(QString(), QStringLiteral("gm")));
        QVERIFY(!Rights::reportListAllows(QStringLiteral(",GM,"), QStringLiteral("gm")));
        QCOMPARE(Rights::reportCatalogue().size(), 40);
    }

    void printGateAndCommandTail() {
        Session session;
        RecordingLauncher launcher;
        PrintBridge bridge(Rights::printRights(session), launcher, QStringLiteral("/opt/pelu"));
        session.reportList = QStringLiteral(",gm,,ydmd,");

        // Nine-character templates pass exactly as they are; a heading follows "@".
        QVERIFY(bridge.print({QStringLiteral("  ydmd   "), QStringLiteral("ydmd"),
                              QStringLiteral("select * from ydmd where 墓碑位置='甲区1排0001号'"),
                              std::nullopt}));
        QVERIFY(bridge.print({QStringLiteral("gm1       "), QStringLiteral("gm"), QStringLiteral("select 1"),
                              QStringLiteral("标题")}));
        QCOMPARE(launcher.tails(),
                 QStringList({QStringLiteral("  ydmd   $#select * from ydmd where 墓碑位置='甲区1排0001号'"),
                              QStringLiteral("gm1       $#select 1@标题")}));
        QCOMPARE(launcher.started.first().program, QStringLiteral("/opt/pelu/pelu-print"));

        // Not in the list: skipped. Print flag set: skipped, unless the site ignores the flag.
        QVERIFY(!bridge.print(
            {QStringLiteral("lxr       "), QStringLiteral("lxr"), QStringLiteral("select 1"), {}}));
        session.flags.printDenied = true;
        QVERIFY(!bridge.print(
            {QStringLiteral("gm        "), QStringLiteral("gm"), QStringLiteral("select 1"), {}}));
        QVERIFY(bridge.print(
            {QStringLiteral("wz        "), QStringLiteral("gm"), QStringLiteral("select 1"), {}, true}));
        // Sites without a list name print for everybody.
        session.reportList.clear();
        QVERIFY(bridge.print({QStringLiteral("jmsg      "), std::nullopt, QStringLiteral("select 1"), {}}));
        QCOMPARE(launcher.started.size(), 4);

        // An action's papers go to one run, in their order, without those the gate stops.
        session.reportList = QStringLiteral(",lxr,,gm,");
        session.flags.printDenied = false;
        session.operatorName = QStringLiteral("王会计");
        const QList<PrintJob> papers = {
            {QStringLiteral("lxr       "), QStringLiteral("lxr"), QStringLiteral("select 1"), {}},
            {QStringLiteral("gm_tm     "), QStringLiteral("gm_tm"), QStringLiteral("select 2"), {}},
            {QStringLiteral("gm        "), QStringLiteral("gm"), QStringLiteral("select 3"), {}}};
        QCOMPARE(bridge.print(papers), 2);
        QCOMPARE(launcher.started.size(), 5);
        QCOMPARE(launcher.started.last().arguments,
                 QStringList({QStringLiteral("lxr       $#select 1"), QStringLiteral("gm        $#select 3"),
                              QStringLiteral("--operator"), QStringLiteral("王会计")}));
        session.reportList.clear();
        QCOMPARE(bridge.print(papers), 0);
        QCOMPARE(launcher.started.size(), 5);
    }

    // Prints that reach no paper say once per login where the PDF went; what pelu.ini holds wrongly is
    // named, not passed over.
    void printsWithoutPaperSayWhereThePdfWent() {
        TestData data;
        const DataFolder& folder = data.folder();
        QCOMPARE(folder.printerSettings().mode, DataFolder::PrinterMode::Printer);
        QCOMPARE(folder.printerSettings().querySeconds, 60);
        QVERIFY(folder.printerSettings().ignored.isEmpty());

        Session session;
        RecordingLauncher launcher;
        FakePrinters printers;
        ScriptedPrompter prompter;
        PrintBridge bridge(Rights::printRights(session), launcher, QStringLiteral("/opt/pelu"));
        bridge.sayWherePdfsGo(folder, printers, prompter);
        const PrintJob job{QStringLiteral("jmsg"), std::nullopt, QStringLiteral("select 1"), {}};
        const PrintJob gated{QStringLiteral("gm"), QStringLiteral("gm"), QStringLiteral("select 1"), {}};

        QVERIFY(!bridge.print(gated));
        QVERIFY(prompter.shown.isEmpty());
        bridge.print(job);
        bridge.print(job);
        QCOMPARE(prompter.texts(),
                 QStringList({QStringLiteral("没有可用的打印机，已保存为 PDF 文件，在文件夹：\n") +
                              QDir::toNativeSeparators(folder.printsFolder())}));
        // The office was told: a later login, or a later start of the program, is not told again.
        bridge.newLogin();
        bridge.print(job);
        PrintBridge restarted(Rights::printRights(session), launcher, QStringLiteral("/opt/pelu"));
        restarted.sayWherePdfsGo(folder, printers, prompter);
        restarted.print(job);
        QCOMPARE(prompter.shown.size(), 1);
        // A new reason is told; paper reached again, the next failure is told again.
        bridge.newLogin();
        setPrinterIni(folder, QStringLiteral("name"), QStringLiteral("前台"));
        printers.printers = {QString()};
        bridge.print(job);
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("找不到打印机“前台”")));
        bridge.newLogin();
        printers.printers = {QStringLiteral("前台")};
        bridge.print(job);
        QCOMPARE(prompter.shown.size(), 2);
        printers.printers = {QString()};
        bridge.newLogin();
        bridge.print(job);
        QCOMPARE(prompter.shown.size(), 3);
        setPrinterIni(folder, QStringLiteral("mode"), QStringLiteral("PDF"));
        bridge.newLogin();
        bridge.print(job);
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("按 pelu.ini 的设置，打印的文件不送打印机")));
        QCOMPARE(launcher.started.size(), 8);

        setPrinterIni(folder, QStringLiteral("mode"), QStringLiteral("preview"));
        QCOMPARE(folder.printerSettings().mode, DataFolder::PrinterMode::Preview);
        setPrinterIni(folder, QStringLiteral("mode"), QStringLiteral("paper"));
        setPrinterIni(folder, QStringLiteral("querySeconds"), QStringLiteral("0"));
        QCOMPARE(folder.printerSettings().mode, DataFolder::PrinterMode::Printer);
        QCOMPARE(folder.printerSettings().querySeconds, 60);
        const QStringList ignored = folder.printerSettings().ignored;
        QCOMPARE(ignored.size(), 2);
        QVERIFY(ignored.first().contains(QStringLiteral("mode=paper")));
        QVERIFY(ignored.last().contains(QStringLiteral("querySeconds=0")));
        setPrinterIni(folder, QStringLiteral("querySeconds"), QStringLiteral("5"));
        QCOMPARE(folder.printerSettings().querySeconds, 5);

        QVERIFY(folder.ignoredDatabaseSettings().isEmpty()); // the default pelu.ini names QSQLITE
        QVERIFY(!folder.databaseTarget().isServer());
        QSettings ini(folder.iniFile(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("peludb/driver"), QStringLiteral("QODBC"));
        ini.sync();
        QCOMPARE(folder.ignoredDatabaseSettings().size(), 1);
        QVERIFY(folder.ignoredDatabaseSettings().first().contains(QStringLiteral("driver=QODBC")));
        QCOMPARE(folder.databaseTarget().filePath, folder.databaseFile());

        // A server: its name, port, database and user; a password in the file is never read, and a
        // server without a database name is refused rather than opened as some default.
        ini.setValue(QStringLiteral("peludb/driver"), QStringLiteral("QPSQL"));
        ini.setValue(QStringLiteral("peludb/host"), QStringLiteral("office-server"));
        ini.setValue(QStringLiteral("peludb/port"), 5433);
        ini.setValue(QStringLiteral("peludb/user"), QStringLiteral("desk2"));
        ini.setValue(QStringLiteral("peludb/password"), QStringLiteral("secret"));
        ini.remove(QStringLiteral("peludb/database"));
        ini.sync();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, folder.databaseTarget());
        ini.setValue(QStringLiteral("peludb/database"), QStringLiteral("office"));
        ini.sync();
        const DatabaseTarget server = folder.databaseTarget();
        QVERIFY(server.isServer());
        QCOMPARE(server.describe(), QStringLiteral("desk2@office-server:5433/office"));
        // Printing reads as the print user when one is named, on the same server.
        QCOMPARE(folder.printTarget().describe(), server.describe());
        ini.setValue(QStringLiteral("peludb/printuser"), QStringLiteral(" pelu_print "));
        ini.sync();
        QCOMPARE(folder.printTarget().describe(), QStringLiteral("pelu_print@office-server:5433/office"));
        QCOMPARE(folder.databaseTarget().user, QStringLiteral("desk2"));
        QCOMPARE(folder.ignoredDatabaseSettings().size(), 1);
        QVERIFY(folder.ignoredDatabaseSettings().first().contains(QStringLiteral("password")));
    }

    // The office's files are its user's alone whatever the umask; a folder an office shares with its group
    // stays shared with the group, but other users lose what they could reach.
    void theOfficesFilesArePrivate() {
        const mode_t before = ::umask(0022);
        const auto mode = [](const QString& path) {
            struct stat status {};
            return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                             : -1;
        };
        for (const mode_t mask : {mode_t(0022), mode_t(0002)}) {
            ::umask(mask);
            QTemporaryDir root;
            const DataFolder folder(root.filePath(QStringLiteral("office")));
            folder.keepPrivate();
            folder.prepare();
            const QString backup = QDir(folder.backupFolder()).filePath(QStringLiteral("backup.db"));
            {
                Database database(folder.databaseFile(), Database::Mode::Create);
                database.exec(QStringLiteral("INSERT INTO mblx (mblx) VALUES ('卧碑')"), {},
                              QStringLiteral("test"));
                database.backupTo(backup);
                QVERIFY(
                    PrintArchive::record(folder.printsFolder(), {QDateTime(QDate(2026, 12, 6), QTime(9, 0)),
                                                                 QStringLiteral("a.pdf"),
                                                                 QStringLiteral("gm"),
                                                                 {},
                                                                 {}}));
                for (const QString& file :
                     QStringList{folder.databaseFile(), folder.databaseFile() + QStringLiteral("-wal"),
                                 folder.databaseFile() + QStringLiteral("-shm"), folder.iniFile(), backup,
                                 PrintArchive::indexFile(folder.printsFolder())})
                    QVERIFY2(mode(file) == 0600,
                             qPrintable(file + QStringLiteral(" %1").arg(mode(file), 0, 8)));
            }
            for (const QString& made : {folder.path(), folder.printsFolder(), folder.backupFolder()})
                QCOMPARE(mode(made), 0700);
        }

        ::umask(0002);
        QTemporaryDir root;
        const QString shared = root.filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(shared + QStringLiteral("/backup")));
        QFile old(shared + QStringLiteral("/backup/old.db"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        QCOMPARE(mode(shared), 0775);
        QCOMPARE(mode(old.fileName()), 0664);
        const DataFolder folder(shared);
        folder.keepPrivate();
        QCOMPARE(mode(shared), 0770);
        QCOMPARE(mode(old.fileName()), 0660);
        QFile made(shared + QStringLiteral("/new.db"));
        QVERIFY(made.open(QIODevice::WriteOnly));
        QCOMPARE(mode(made.fileName()), 0660);
        ::umask(before);
    }

    // What a stopped backup or print left is cleared at the next start; a print part file of this hour may be
    // another print's at work, and a finished backup is never touched.
    void leftoversOfStoppedRunsAreCleared() {
        TestData data;
        const QDir backups(data.folder().backupFolder());
        const QDir prints(data.folder().printsFolder());
        const auto touch = [](const QString& path, const QDateTime& at) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.setFileTime(at, QFileDevice::FileModificationTime);
        };
        const QDateTime now = QDateTime::currentDateTime();
        touch(backups.filePath(QStringLiteral("auto.dat.part")), now);
        touch(backups.filePath(QStringLiteral("auto.dat")), now);
        touch(prints.filePath(QStringLiteral(".20261206-093000-gm-a1b2c3.part")), now.addSecs(-7200));
        touch(prints.filePath(QStringLiteral(".20261207-093000-gm-d4e5f6.part")), now.addSecs(-60));
        data.folder().removeDeadBackupParts();
        PrintArchive::removeDeadParts(prints.path(), now);
        QCOMPARE(backups.entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("auto.dat")}));
        QCOMPARE(prints.entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral(".20261207-093000-gm-d4e5f6.part")}));
    }

    // Lists of rows and rooms count as the clerk counts: 2 before 10, a number inside a name too.
    void namesComeInTheOrderAClerkCounts() {
        QCOMPARE(inNaturalOrder({QStringLiteral("10"), QStringLiteral("2"), QString(), QStringLiteral("99"),
                                 QStringLiteral("1"), text("第10区"), text("第2区"), text("乙"), text("甲")}),
                 QStringList({QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("10"),
                              QStringLiteral("99"), text("第2区"), text("第10区"), text("甲"), text("乙")}));
    }

    void thePrintArchiveListsOnlyItsOwnCompleteDocuments() {
        TestData data;
        const QString prints = data.folder().printsFolder();
        const QDateTime at(QDate(2026, 12, 6), QTime(9, 30, 5));
        QFile(QDir(prints).filePath(QStringLiteral("a.pdf"))).open(QIODevice::WriteOnly);
        QVERIFY(PrintArchive::record(prints, {at, QStringLiteral("a.pdf"), QStringLiteral("gm"),
                                              QStringLiteral("收据\t第1页\n"), QStringLiteral("张三")}));
        // A document since deleted, one outside prints/ and a broken line are passed over.
        QVERIFY(PrintArchive::record(prints, {at, QStringLiteral("gone.pdf"), QStringLiteral("gm"), {}, {}}));
        QVERIFY(
            PrintArchive::record(prints, {at, QStringLiteral("../pelu.db"), QStringLiteral("gm"), {}, {}}));
        QFile index(PrintArchive::indexFile(prints));
        QVERIFY(index.open(QIODevice::Append));
        index.write("{\"printedAt\": 12\n");
        index.close();
        const QList<PrintArchive::Entry> entries = PrintArchive::read(prints);
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().printedAt, at);
        QCOMPARE(entries.first().heading, QStringLiteral("收据\t第1页\n"));
        QCOMPARE(entries.first().operatorName, QStringLiteral("张三"));
        QCOMPARE(entries.first().templateName, QStringLiteral("gm"));
    }

    void valuesBecomeSafeLiterals() {
        QCOMPARE(SqlLiteral::text(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
        QCOMPARE(SqlLiteral::number(1740), QStringLiteral("1740"));
        QCOMPARE(SqlLiteral::number(155.5), QStringLiteral("155.5"));
        QCOMPARE(SqlLiteral::number(1e12), QStringLiteral("1000000000000"));
        QCOMPARE(SqlLiteral::number(1e15), QStringLiteral("1000000000000000"));
        QCOMPARE(SqlLiteral::number(-1e-12), QStringLiteral("0"));

        TestData data;
        data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES (?)"), {QStringLiteral("a'b\"c")});
        QCOMPARE(data.count(QStringLiteral("gx"),
                            QStringLiteral("gx = ") + SqlLiteral::text(QStringLiteral("a'b\"c"))),
                 1);
    }

    void moneyReadsAndShowsLikeTheOffice() {
        QCOMPARE(Money::parseLeading(QStringLiteral("12.5元")), 12.5);
        QCOMPARE(Money::parseLeading(QStringLiteral("")), 0.0);
        QCOMPARE(Money::parseLeading(QStringLiteral("abc")), 0.0);
        QCOMPARE(Money::parseLeading(QStringLiteral(" -3")), -3.0);
        QVERIFY(!Money::parseStrict(QStringLiteral("12a")));
        QCOMPARE(*Money::parseStrict(QStringLiteral(" 12.25 ")), 12.25);
        QCOMPARE(Money::format(1740), QStringLiteral("1740"));
        QCOMPARE(Money::format(155.5), QStringLiteral("155.5"));
        QCOMPARE(Money::format(0.1 + 0.2), QStringLiteral("0.3"));
        QCOMPARE(Money::format(12345678.9), QStringLiteral("12345678.9"));
        QCOMPARE(Money::format(-0.001), QStringLiteral("0"));
        QCOMPARE(Money::formatTwoDecimals(1740), QStringLiteral("1740.00"));

        const QList<std::pair<double, const char*>> capitals = {
            {9000, "玖仟元整"},
            {1005.5, "壹仟零伍元伍角"},
            {0.05, "伍分"},
            {0.5, "伍角"},
            {0, "零元整"},
            {10, "壹拾元整"},
            {10.05, "壹拾元零伍分"},
            {17650.5, "壹万柒仟陆佰伍拾元伍角"},
            {100000, "壹拾万元整"},
            {10005, "壹万零伍元整"},
            {1001010.01, "壹佰万壹仟零壹拾元零壹分"},
            {100010000, "壹亿零壹万元整"},
            {1000000001.99, "壹拾亿零壹元玖角玖分"},
            {23150.456, "贰万叁仟壹佰伍拾元肆角陆分"},
            {-600, "负陆佰元整"},
        };
        for (const auto& [amount, written] : capitals)
            QCOMPARE(Money::capitals(amount), text(written));
    }

    void storedDatesReadBack() {
        QCOMPARE(DateText::toDate(QStringLiteral("2026-03-09 17:45:00")), QDate(2026, 3, 9));
        QCOMPARE(DateText::toDate(QStringLiteral("2026-03-09")), QDate(2026, 3, 9));
        QVERIFY(!DateText::toDate(QStringLiteral("9/3/2026")).isValid());
    }

    void numbersAreFourDigits() {
        QCOMPARE(PositionKey::fourDigitNumber(QStringLiteral(" 7 ")), QStringLiteral("0007"));
        QCOMPARE(PositionKey::fourDigitNumber(QStringLiteral("12345")), QStringLiteral("2345"));
        QCOMPARE(PositionKey::niche(QStringLiteral("福厅"), QStringLiteral("2"), QStringLiteral("15")),
                 QStringLiteral("福厅2室0015号"));
    }
};

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
