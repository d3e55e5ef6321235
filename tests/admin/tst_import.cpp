#include "admin/importservice.h"
#include "foundation/csvtable.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

// Writes `bytes` as the file `name` of the test's folder and returns its path.
QString writeFile(TestData& data, const QString& name, const QByteArray& bytes) {
    const QString path = QDir(data.folder().path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray utf8(const char* text) {
    return QByteArray(text);
}

// Problems as "file:line:column:text", one string each, for exact comparison.
QStringList listed(const ImportService::Report& report) {
    QStringList lines;
    for (const ImportService::Problem& problem : report.problems)
        lines << QStringLiteral("%1:%2:%3:%4")
                     .arg(problem.file)
                     .arg(problem.line)
                     .arg(problem.column, problem.text);
    return lines;
}

// Every row of `sql`, its values joined by "|" (an absent value as "-"), as a server and one desk both
// give them.
QStringList joined(TestData& data, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery query = data.db().exec(sql, values, QStringLiteral("test rows"));
    QStringList lines;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << (query.isNull(i) ? QStringLiteral("-") : query.value(i).toString());
        lines << fields.join(QLatin1Char('|'));
    }
    return lines;
}

// Two plots already in the office, in areas whose names begin alike.
void addOfficePlots(TestData& data) {
    data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 状态, 寿穴) VALUES "
                            "(?, '1', '0003', ?, 9000, ?, 0), (?, '1', '0004', ?, 9100, ?, 1)"),
             {text("东区"), text("单人墓"), text("已购"), text("东区二"), text("双人墓"), text("未使用")});
}

// A clock at which another desk does `meanwhile` once, the second time the time is asked: after an
// import's first check, while its backup is named.
class SellingClock : public Clock {
public:
    explicit SellingClock(std::function<void()> meanwhile) : m_meanwhile(std::move(meanwhile)) {}
    QDateTime now() const override {
        if (++m_asked == 2)
            m_meanwhile();
        return testNow();
    }

private:
    std::function<void()> m_meanwhile;
    mutable int m_asked = 0;
};

struct Office {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    ImportService service{data.db(), session, data.folder(), clock};
    Office() {
        session.operatorName = QStringLiteral("Admin");
        data.db().setOperator(session.operatorName);
        addOfficePlots(data);
    }
};

// Imports `files` with a failure injected at each write in turn until one goes through; every failure
// must leave each of `tables` as it was. The import that went through, or none.
std::optional<ImportService::Outcome> importThroughFailures(Office& office, const QStringList& files,
                                                            const QStringList& tables) {
    QStringList before;
    for (const QString& table : tables)
        before << office.data.dump(table);
    std::optional<ImportService::Outcome> succeeded;
    for (int failing = 1; !succeeded && failing < 60; ++failing) {
        office.data.db().failNthWrite(failing);
        try {
            succeeded = office.service.import(files);
        } catch (const DatabaseError&) {
            for (qsizetype at = 0; at < tables.size(); ++at)
                if (!QTest::qCompare(office.data.dump(tables.at(at)), before.at(at), "dump", "before",
                                     __FILE__, __LINE__)) {
                    office.data.db().failNthWrite(0);
                    return std::nullopt;
                }
        }
    }
    office.data.db().failNthWrite(0);
    return succeeded;
}

// The office's rows of `tables` exported, imported into a fresh office and exported there again: each
// file reads back as it went out.
void readsBack(ImportService& service, const QStringList& tables) {
    Office fresh;
    fresh.data.sql(QStringLiteral("DELETE FROM mq_wz"));
    QStringList files;
    for (const QString& table : tables)
        files << writeFile(fresh.data, table + QStringLiteral(".csv"), service.exportFile(table));
    QVERIFY(fresh.service.import(files).imported);
    for (const QString& table : tables)
        QCOMPARE(fresh.service.exportFile(table), service.exportFile(table));
}

} // namespace

class ImportTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsQuotedFieldsByteOrderMarksAndGb18030() {
        const CsvTable::Table quoted =
            CsvTable::read(utf8("\xEF\xBB\xBF"
                                "a,\"b,\"\"c\"\"\",d\r\n\"two\nlines\",,x\r\n\r\nlast,1,2"));
        QCOMPARE(quoted.encoding, QStringLiteral("UTF-8"));
        QCOMPARE(quoted.records.size(), 3);
        QCOMPARE(quoted.records.at(0).fields, QStringList({"a", "b,\"c\"", "d"}));
        QCOMPARE(quoted.records.at(1).fields, QStringList({"two\nlines", "", "x"}));
        QCOMPARE(quoted.records.at(1).line, 2);
        QCOMPARE(quoted.records.at(2).line, 5); // after the record of two lines and a blank line
        QCOMPARE(quoted.records.at(2).fields, QStringList({"last", "1", "2"}));

        const CsvTable::Table chinese = CsvTable::read(QByteArray(
            "\xC4\xB9\xC7\xF8\x2C\xBA\xC5\x2C\xD7\xB4\xCC\xAC\x0D\x0A\xB6\xAB\xC7\xF8\x2C\x30\x30\x30\x31\x2C\xCE"
            "\xB4\xCA\xB9\xD3\xC3\x0D\x0A"));
        QCOMPARE(chinese.encoding, QStringLiteral("GB18030"));
        QCOMPARE(chinese.records.at(0).fields, texts({"墓区", "号", "状态"}));
        QCOMPARE(chinese.records.at(1).fields, texts({"东区", "0001", "未使用"}));

        QVERIFY(!CsvTable::read(utf8("a,\"open\nb")).error.isEmpty());
        QCOMPARE(CsvTable::line({"1", "a,b", "say \"hi\"", "x\ny"}),
                 QStringLiteral("1,\"a,b\",\"say \"\"hi\"\"\",\"x\ny\""));
    }

    void theDryRunNamesEveryProblemByFileLineAndColumnAndWritesNothing() {
        Office office;
        auto& [data, session, clock, service] = office;
        const QString before = data.dump(QStringLiteral("mq_wz"));
        const QString path = writeFile(
            data, QStringLiteral("mq_wz.csv"),
            utf8("\xEF\xBB\xBF"
                 "状态,号,墓区,排,墓地费,墓碑费,样式,寿穴\r\n"
                 "未使用,0001,东区,1,12000.50,3000,单人墓,0\r\n" // line 2: clean
                 "未使用,7,东区,1,1,2,单人墓,0\r\n"              // 3: zeros lost
                 "未使用,0002,东区,1,12.345,-5,单人墓,2\r\n"     // 4: third decimal, negative, flag
                 "已卖,0003,东区,2,１２,1,高级墓,0\r\n"          // 5: unknown state and style, full-width
                 "未使用,0001,东区,1,1,1,单人墓,0\r\n"           // 6: twice in the file
                 "已购,0003,东区,1,1,1,单人墓,0\r\n"             // 7: already in the office
                 "未使用,0004,\"东区,\n北\",1E+3,3.3E+5,1,单人墓,0\r\n" // 8-9: scientific row and amount
                 "未使用,0004,东区二,2,1,1,,1\r\n")); // 10: clean beside 东区二1排0004号
        const ImportService::Report report = service.check({path});
        QCOMPARE(report.rows, 8);
        QCOMPARE(listed(report),
                 texts({"mq_wz.csv:3:号:号“7”前面的零已丢失，应为“0007”",
                        "mq_wz.csv:4:墓地费:金额最多到分（两位小数）：12.345",
                        "mq_wz.csv:4:墓碑费:金额不能为负数：-5", "mq_wz.csv:4:寿穴:应为 0 或 1：2",
                        "mq_wz.csv:5:样式:未知的样式“高级墓”（可用：单人墓、双人墓、家族墓、多人墓、艺术墓）",
                        "mq_wz.csv:5:墓地费:“１２”不是金额",
                        "mq_wz.csv:5:状态:未知的状态“已卖”（可用：未使用、已预订、已购、限制）",
                        "mq_wz.csv:6:号:墓位 东区1排0001号 在本文件第 2 行已有",
                        "mq_wz.csv:7:号:墓位 东区1排0003号 已经存在",
                        "mq_wz.csv:8:排:“1E+3”已被电子表格改为科学记数法，原来的数字已丢失",
                        "mq_wz.csv:8:墓地费:金额“3.3E+5”是科学记数法，请改为普通数字"}));
        QCOMPARE(data.dump(QStringLiteral("mq_wz")), before);

        // The file as a whole: its name, its header.
        const QString wrongName = writeFile(data, QStringLiteral("plots.csv"), utf8("墓区,号,状态\n"));
        QDir(data.folder().path()).mkpath(QStringLiteral("sub"));
        const QString badHeader =
            writeFile(data, QStringLiteral("sub/mq_wz.csv"), utf8("墓区,号,号,颜色\n东区,0009,0009,红\n"));
        QCOMPARE(
            listed(service.check({wrongName, badHeader})),
            texts(
                {"plots.csv:0::文件名应为要导入的表名：mq_wz.csv、gm_dj.csv、gm_xr.csv、ydmd.csv、ghjc_wz.csv、ghjc_dj.csv、cjdd.csv",
                 "mq_wz.csv:1:号:列名重复", "mq_wz.csv:1:颜色:没有这一列", "mq_wz.csv:1:状态:缺少这一列"}));
        QVERIFY(
            listed(service.check({path, badHeader})).contains(text("mq_wz.csv:0::同一种数据只能有一个文件")));
    }

    void importsAllOrNothingAfterABackupWithOneHistoryLinePerFile() {
        Office office;
        auto& [data, session, clock, service] = office;
        const QByteArray bytes = utf8("墓区,排,号,样式,墓地费,墓碑费,工料费,家族费,绿化费,其它,状态,寿穴\n"
                                      "西区,1,0001,单人墓,12000.5,3000,800.25,100,200,50,未使用,0\n"
                                      "西区,1,0002,双人墓,24000,5000,1200,300,400,60.1,已购,1\n"
                                      "西区,2,0001,家族墓,36000,7000,1500,500,600,70,限制,0\n");
        const QString path = writeFile(data, QStringLiteral("mq_wz.csv"), bytes);
        const QString before = data.dump(QStringLiteral("mq_wz"));

        session.operatorName = text("Admin2");
        QCOMPARE(service.import({path}).message, text("只有系统管理员才能导入数据！"));
        QCOMPARE(data.dump(QStringLiteral("mq_wz")), before);
        session.operatorName = QStringLiteral("Admin");

        const qint64 historyBefore =
            data.value(QStringLiteral("SELECT MAX(id) FROM change_history")).toLongLong();
        // A failure at each write in turn leaves the plots and the history as they were.
        const QString historyRows = data.dump(QStringLiteral("change_history"));
        std::optional<ImportService::Outcome> succeeded;
        int failing = 1;
        for (; !succeeded && failing < 30; ++failing) {
            data.db().failNthWrite(failing);
            try {
                succeeded = service.import({path});
            } catch (const DatabaseError&) {
                QCOMPARE(data.dump(QStringLiteral("mq_wz")), before);
                QCOMPARE(data.dump(QStringLiteral("change_history")), historyRows);
            }
        }
        data.db().failNthWrite(0);
        QVERIFY(succeeded);
        QVERIFY(failing > 4); // the history line and three plots at least
        const ImportService::Outcome outcome = *succeeded;
        const QString backup =
            QDir(data.folder().backupFolder()).filePath(text("导入数据前的备份-2026-12-06-093000.dat"));
        QVERIFY2(outcome.imported, qPrintable(outcome.message));
        QCOMPARE(outcome.message, text("导入完毕！共导入 3 条记录。\n导入前的数据已备份到：") + backup);
        QVERIFY(QFileInfo::exists(backup));
        QCOMPARE(QString::fromUtf8(service.exportFile(QStringLiteral("mq_wz"))),
                 text("\xEF\xBB\xBF墓区,排,号,样式,墓地费,墓碑费,工料费,家族费,绿化费,其它,状态,寿穴\r\n"
                      "东区,1,0003,单人墓,9000,,,,,,已购,0\r\n"
                      "东区二,1,0004,双人墓,9100,,,,,,未使用,1\r\n"
                      "西区,1,0001,单人墓,12000.5,3000,800.25,100,200,50,未使用,0\r\n"
                      "西区,1,0002,双人墓,24000,5000,1200,300,400,60.1,已购,1\r\n"
                      "西区,2,0001,家族墓,36000,7000,1500,500,600,70,限制,0\r\n"));
        QCOMPARE(data.count(QStringLiteral("mq_wz"), QStringLiteral("墓碑位置 = ?"), {text("西区2排0001号")}),
                 1);
        const QString checksum =
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        QCOMPARE(
            data.db().texts(
                QStringLiteral(
                    "SELECT 表 || ':' || 操作员 || ':' || 位置表 || ':' || 之后 FROM change_history "
                    "WHERE id > ? ORDER BY id"),
                {historyBefore}, QString()),
            QStringList{
                text(
                    "mq_wz:Admin:西区1排0001—0002号、西区2排0001号:导入文件 mq_wz.csv（SHA-256 %1），共 3 行")
                    .arg(checksum)});

        // The same file again: every plot is there now, and nothing more is written.
        const QString after = data.dump(QStringLiteral("mq_wz"));
        const ImportService::Outcome again = service.import({path});
        QVERIFY(!again.imported);
        QCOMPARE(again.message, text("检查出 3 个问题，没有导入任何数据。"));
        QCOMPARE(data.dump(QStringLiteral("mq_wz")), after);
    }

    void theOfficesRowsAndTheTemplateReadBackUnchanged() {
        Office office;
        auto& [data, session, clock, service] = office;
        const QByteArray exported = service.exportFile(QStringLiteral("mq_wz"));
        QCOMPARE(QString::fromUtf8(exported),
                 text("\xEF\xBB\xBF墓区,排,号,样式,墓地费,墓碑费,工料费,家族费,绿化费,其它,状态,寿穴\r\n"
                      "东区,1,0003,单人墓,9000,,,,,,已购,0\r\n"
                      "东区二,1,0004,双人墓,9100,,,,,,未使用,1\r\n"));
        QDir(data.folder().path()).mkpath(QStringLiteral("sub"));
        // The templates check clean together, each on the ones before it; the reservations on plots of
        // their own, as the example plots are sold.
        QStringList templates;
        for (const QString& table : ImportService::tables())
            if (table != QStringLiteral("ydmd"))
                templates << writeFile(data, table + QStringLiteral(".csv"),
                                       ImportService::templateFile(table));
        QCOMPARE(listed(service.check(templates)), QStringList());
        QCOMPARE(listed(service.check(
                     {writeFile(data, QStringLiteral("ydmd.csv"),
                                ImportService::templateFile(QStringLiteral("ydmd"))),
                      writeFile(data, QStringLiteral("sub/mq_wz.csv"),
                                utf8("墓区,排,号,状态\n西区,1,0001,未使用\n西区,1,0002,已预订\n"))})),
                 QStringList());

        Office fresh;
        fresh.data.sql(QStringLiteral("DELETE FROM mq_wz"));
        const QString path = writeFile(fresh.data, QStringLiteral("mq_wz.csv"), exported);
        QVERIFY(fresh.service.import({path}).imported);
        QCOMPARE(fresh.service.exportFile(QStringLiteral("mq_wz")), exported);
    }

    void aPurchaseNeedsAPlotOfTheOfficeOrTheRunThatNoOneBoughtYet() {
        Office office;
        auto& [data, session, clock, service] = office;
        // 东区1排0003号 is bought already; 东区二1排0005号 reserved, 东区二1排0006号 restricted.
        data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人) VALUES (?, ?)"),
                 {text("东区1排0003号"), text("王五")});
        data.sql(
            QStringLiteral(
                "INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES (?, '1', '0005', ?), (?, '1', '0006', ?)"),
            {text("东区二"), text("已预订"), text("东区二"), text("限制")});
        const QStringList tables = {QStringLiteral("gm_dj"), QStringLiteral("gm_xf1"),
                                    QStringLiteral("mq_wz")};
        QStringList before;
        for (const QString& table : tables)
            before << data.dump(table);
        const QString purchases = writeFile(
            data, QStringLiteral("gm_dj.csv"),
            utf8("墓碑位置,购墓日期,日期起,日期止,联系人,身份证号,墓地费,qtf\n"
                 "东区二1排0004号,2020-02-30,2020-03-01,2040-02-29,甲,,1,2\n" // 2: no 30 February
                 "东区二1排0004号,2020-03-01,2020-13-01,2040-03-01,乙,,1,2\n" // 3: 13th month
                 "东区二1排0004号,2020-03-01,2040-03-01,2020-03-01,丙,,1,2\n" // 4: ends before it begins
                 "西区1排0001号,2020/3/1,2020/3/1,2040/2/29,丁,3.30102198003150E+17,-1,0.125\n" // 5
                 "西区1排0001号,2020-03-01,2020-03-01,2040-03-01,戊,,1,2\n"    // 6: bought at line 5
                 "东区1排0003号,2020-03-01,2020-03-01,2040-03-01,己,,1,2\n"    // 7: bought in the office
                 "东区二1排4号,2020-03-01,2020-03-01,2040-03-01,庚,,1,2\n"     // 8: zeros lost
                 "东区1排0009号,2020-03-01,2020-03-01,2040-03-01,辛,,1,2\n"    // 9: no such plot
                 "东区二1排0005号,2020-03-01,2020-03-01,2040-03-01,壬,,1,2\n"  // 10: reserved
                 "东区二1排0006号,2020-03-01,2020-03-01,2040-03-01,,,1,2\n")); // 11: restricted, no contact
        // The plots come in the same run, whatever the order of the files.
        const QString plots =
            writeFile(data, QStringLiteral("mq_wz.csv"), utf8("墓区,排,号,状态\n西区,1,0001,未使用\n"));
        QCOMPARE(
            listed(service.check({purchases, plots})),
            texts({"gm_dj.csv:2:购墓日期:“2020-02-30”不是日期（应写成 2020-03-15）",
                   "gm_dj.csv:3:日期起:“2020-13-01”不是日期（应写成 2020-03-15）",
                   "gm_dj.csv:3:墓碑位置:墓位 东区二1排0004号 在本文件第 2 行已购",
                   "gm_dj.csv:4:日期止:使用日期起止时间错误：日期止应晚于日期起",
                   "gm_dj.csv:4:墓碑位置:墓位 东区二1排0004号 在本文件第 2 行已购",
                   "gm_dj.csv:5:身份证号:“3.30102198003150E+17”已被电子表格改为科学记数法，原来的数字已丢失",
                   "gm_dj.csv:5:墓地费:金额不能为负数：-1", "gm_dj.csv:5:qtf:金额最多到分（两位小数）：0.125",
                   "gm_dj.csv:6:墓碑位置:墓位 西区1排0001号 在本文件第 5 行已购",
                   "gm_dj.csv:7:墓碑位置:墓位 东区1排0003号 已售出，已有购墓登记",
                   "gm_dj.csv:8:墓碑位置:墓位“东区二1排4号”的号前面的零已丢失，应为“东区二1排0004号”",
                   "gm_dj.csv:9:墓碑位置:没有墓位 东区1排0009号",
                   "gm_dj.csv:10:墓碑位置:墓位 东区二1排0005号 已预订，不能购墓",
                   "gm_dj.csv:11:联系人:不能为空",
                   "gm_dj.csv:11:墓碑位置:墓位 东区二1排0006号 限制，不能购墓"}));
        // Without the plot file, its plot is nowhere.
        QVERIFY(
            listed(service.check({purchases})).contains(text("gm_dj.csv:5:墓碑位置:没有墓位 西区1排0001号")));
        QVERIFY(!service.import({plots, purchases}).imported);
        for (qsizetype at = 0; at < tables.size(); ++at)
            QCOMPARE(data.dump(tables.at(at)), before.at(at));

        // Another desk sells a plot of a clean file after its rows were checked (while the backup is
        // taken): where the rows go in they are checked again, and nothing is written.
        const QString late = writeFile(data, QStringLiteral("gm_dj.csv"),
                                       utf8("墓碑位置,购墓日期,日期起,日期止,联系人,身份证号,墓地费,qtf\n"
                                            "东区二1排0004号,2020-03-01,2020-03-01,2040-03-01,癸,,1,2\n"));
        QVERIFY(service.check({late}).clean());
        SellingClock meanwhile([&] {
            data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人) VALUES (?, ?)"),
                     {text("东区二1排0004号"), text("别的操作员")});
        });
        ImportService racing(data.db(), session, data.folder(), meanwhile);
        const ImportService::Outcome outcome = racing.import({late});
        QVERIFY(!outcome.imported);
        QCOMPARE(listed(outcome.report),
                 texts({"gm_dj.csv:2:墓碑位置:墓位 东区二1排0004号 已售出，已有购墓登记"}));
        QCOMPARE(data.count(QStringLiteral("gm_xf1")), 0);
    }

    void aPurchaseWritesItsRegistrationAndFeeRowAndSellsThePlot() {
        Office office;
        auto& [data, session, clock, service] = office;
        const QByteArray bytes = utf8(
            "编号,墓碑位置,购墓日期,日期起,日期止,联系人,身份证号,工作单位,家庭住址,联系电话,手机,业务员,"
            "墓碑类型,主碑材质,底碑材质,证书编号,墓地费,墓碑费,家庭墓费,工料费,管理费,绿化费,其它费,qt,qtf,备注\n"
            "17,东区二1排0004号,2019/4/5,2019-04-06,2039-04-04,张伟,330102198003150025,电厂,文三路 1 号,"
            "0571-1,138,赵六,花岗岩,山西黑,芝麻白,Z-9,12000.01,3000.02,400.03,800.04,360.05,200.06,100.07,"
            "刻字费,50.08,无\n"
            "18,西区1排0001号,2020-10-01,2020-10-02,2040-09-30,李娜,33010219850601002X,丝厂,解放路 8 号,"
            "0571-2,139,钱七,艺术墓碑,印度红,蒙古黑,Z-10,1,2,3,4,5,6,7,,8,家属自选\n");
        const QString purchases = writeFile(data, QStringLiteral("gm_dj.csv"), bytes);
        const QString plots =
            writeFile(data, QStringLiteral("mq_wz.csv"),
                      utf8("墓区,排,号,状态,寿穴\n西区,1,0001,未使用,1\n西区,1,0002,未使用,0\n"));
        const QStringList tables = {QStringLiteral("gm_dj"), QStringLiteral("gm_xf1"),
                                    QStringLiteral("mq_wz"), QStringLiteral("change_history")};
        QStringList before;
        for (const QString& table : tables)
            before << data.dump(table);
        const qint64 historyBefore =
            data.value(QStringLiteral("SELECT MAX(id) FROM change_history")).toLongLong();

        // A failure at each write in turn leaves every table as it was.
        std::optional<ImportService::Outcome> succeeded;
        int failing = 1;
        for (; !succeeded && failing < 40; ++failing) {
            data.db().failNthWrite(failing);
            try {
                succeeded = service.import({purchases, plots});
            } catch (const DatabaseError&) {
                for (qsizetype at = 0; at < tables.size(); ++at)
                    QCOMPARE(data.dump(tables.at(at)), before.at(at));
            }
        }
        data.db().failNthWrite(0);
        QVERIFY(succeeded && succeeded->imported);
        QVERIFY(failing > 8); // two plots, two registrations, two fee rows, two sales

        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 身份证号, 工作单位, "
                       "家庭住址, 联系电话, 手机, 业务员, 墓碑类型, 主碑材质, 底碑材质, 证书编号, 操作员, "
                       "故者姓名 FROM gm_dj ORDER BY 编号")),
            texts(
                {"17|东区二1排0004号|2019-04-05|2019-04-06|2039-04-04|张伟|330102198003150025|电厂|文三路 1 号|"
                 "0571-1|138|赵六|花岗岩|山西黑|芝麻白|Z-9|Admin|-",
                 "18|西区1排0001号|2020-10-01|2020-10-02|2040-09-30|李娜|33010219850601002X|丝厂|解放路 8 号|"
                 "0571-2|139|钱七|艺术墓碑|印度红|蒙古黑|Z-10|Admin|-"}));
        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, 手机, 工作单位, "
                       "墓地费, 墓碑费, 家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, "
                       "备注, 操作方式, 操作员, 操作日期, 预交金额, 余额, 故者姓名, 安葬日期 "
                       "FROM gm_xf1 ORDER BY 编号")),
            texts(
                {"17|东区二1排0004号|2019-04-05|2019-04-06|2039-04-04|张伟|0571-1|138|电厂|12000.01|3000.02|"
                 "400.03|800.04|360.05|200.06|100.07|刻字费|50.08|16300.17|16910.36|无|购墓|Admin|"
                 "2019-04-05 00:00:00|0|0|-|",
                 "18|西区1排0001号|2020-10-01|2020-10-02|2040-09-30|李娜|0571-2|139|丝厂|1|2|3|4|5|6|7|-|8|17|36|"
                 "家属自选|购墓|Admin|2020-10-01 00:00:00|0|0|-|"}));
        // Only the bought plots are sold; the advance-bought mark is the plot file's.
        QCOMPARE(data.db().texts(
                     QStringLiteral(
                         "SELECT 墓碑位置 || ':' || 状态 || ':' || 寿穴 FROM mq_wz ORDER BY 墓区, 排, 号"),
                     {}, QString()),
                 texts({"东区1排0003号:已购:0", "东区二1排0004号:已购:1", "西区1排0001号:已购:1",
                        "西区1排0002号:未使用:0"}));

        const auto checksum = [&](const QString& path) {
            QFile file(path);
            file.open(QIODevice::ReadOnly);
            return QString::fromLatin1(
                QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
        };
        const QString plotsFile = text("导入文件 mq_wz.csv（SHA-256 %1）").arg(checksum(plots));
        const QString purchaseFile = text("导入文件 gm_dj.csv（SHA-256 %1）").arg(checksum(purchases));
        QCOMPARE(
            data.db().texts(
                QStringLiteral("SELECT 表 || ':' || 操作 || ':' || 位置表 || ':' || 之后 FROM change_history "
                               "WHERE id > ? ORDER BY id"),
                {historyBefore}, QString()),
            QStringList(
                {text("mq_wz:批量添加:西区1排0001—0002号:") + plotsFile + text("，共 2 行"),
                 text("gm_dj:批量添加:东区二1排0004号、西区1排0001号:") + purchaseFile + text("，共 2 行"),
                 text("gm_xf1:批量添加:东区二1排0004号、西区1排0001号:") + purchaseFile + text("，共 2 行"),
                 text("mq_wz:批量修改:东区二1排0004号、西区1排0001号:") + purchaseFile +
                     text("：墓位改为已购，共 2 行")}));

        // The registrations read back as they came in, beside one the office made with a further burial.
        data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名) VALUES (?, ?, ?)"),
                 {text("西区1排0001号"), text("李娜"), text("李父")});
        const QByteArray exported = service.exportFile(QStringLiteral("gm_dj"));
        QCOMPARE(QString::fromUtf8(exported).section(QStringLiteral("\r\n"), 1),
                 QString::fromUtf8(bytes)
                     .section(QLatin1Char('\n'), 1)
                     .replace(QStringLiteral("2019/4/5"), QStringLiteral("2019-04-05"))
                     .replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
        Office fresh;
        fresh.data.sql(QStringLiteral("DELETE FROM mq_wz"));
        const QString plotsAgain =
            writeFile(fresh.data, QStringLiteral("mq_wz.csv"), service.exportFile(QStringLiteral("mq_wz")));
        const QString purchasesAgain = writeFile(fresh.data, QStringLiteral("gm_dj.csv"), exported);
        QVERIFY(fresh.service.import({purchasesAgain, plotsAgain}).imported);
        QCOMPARE(fresh.service.exportFile(QStringLiteral("gm_dj")), exported);
    }

    void aBurialGoesOnASoldPlotOnceAndCompletesItsRegistration() {
        Office office;
        auto& [data, session, clock, service] = office;
        // 东区1排0003号 is bought with no one buried yet; 东区二1排0003号, its namesake in the next area,
        // holds 赵一.
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES (?, '1', '0003', ?)"),
                 {text("东区二"), text("已购")});
        data.sql(
            QStringLiteral(
                "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 关系, 身份证号, 家庭住址, "
                "墓碑类型, 业务员) VALUES (41, ?, '2018-01-02', '2018-01-03', '2038-01-02', ?, ?, ?, ?, ?, ?), "
                "(42, ?, '2017-01-02', '2017-01-03', '2037-01-02', ?, NULL, NULL, NULL, NULL, NULL)"),
            {text("东区1排0003号"), text("王五"), text("子"), text("330102197001010011"), text("北路 3 号"),
             text("花岗岩"), text("赵六"), text("东区二1排0003号"), text("钱八")});
        data.sql(
            QStringLiteral(
                "UPDATE gm_dj SET 故者姓名 = ?, 性别 = ?, 逝世日期 = '2016-05-06', 落葬日期 = '2017-02-03' "
                "WHERE 编号 = 42"),
            {text("赵一"), text("男")});
        data.sql(
            QStringLiteral(
                "INSERT INTO gm_xf1 (编号, 墓碑位置, 联系人, 操作方式, 安葬日期) VALUES (41, ?, ?, ?, '')"),
            {text("东区1排0003号"), text("王五"), text("购墓")});
        const QString header =
            text("墓碑位置,故者姓名,性别,籍贯,生前单位,出生日期,逝世日期,落葬日期,备注,联系人,关系,身份证号,"
                 "工作单位,家庭住址,联系电话,手机,证书编号\n");
        const QString clean = text(
            "东区1排0003号,张三,男,杭州,电厂,1950-01-02,2020-05-06,2020-05-08,甲,王五,父子,,一厂,,0571-3,137,Z-1\n"
            "东区1排0003号,李四,女,绍兴,丝厂,1952-03-04,2021-07-08,2021-07-10,乙,王五,母子,,,南路 4 号,,,Z-2\n"
            "西区1排0001号,孙七,男,宁波,,,2022-02-02,2022-02-03,,李娜,夫妻,,,,,,\n");
        const QString wrong = text(
            "东区二1排0003号,赵一,男,,,,2020-01-01,2020-01-02,,某,,,,,,,\n"         // 5: 赵一 lies there
            "东区1排0003号,张三,男,,,,2020-01-01,2020-01-02,,某,,,,,,,\n"           // 6: twice in the file
            "东区二1排0004号,某甲,女,,,,2020-01-01,2020-01-02,,某,,,,,,,\n"         // 7: not sold
            "东区1排0003号,某乙,女,,,2027-01-01,2020-01-01,2020-01-02,,某,,,,,,,\n" // 8: born after today
            "东区1排0003号,某丙,M,,,,2026-12-07,2026-12-01,,某,,,,,,,\n");          // 9: died later
        const QString plots =
            writeFile(data, QStringLiteral("mq_wz.csv"), utf8("墓区,排,号,状态\n西区,1,0001,未使用\n"));
        const QString purchases = writeFile(
            data, QStringLiteral("gm_dj.csv"),
            utf8(
                "墓碑位置,购墓日期,日期起,日期止,联系人,墓地费\n西区1排0001号,2021-01-01,2021-01-01,2041-01-01,李娜,9.99\n"));
        const QString burials =
            writeFile(data, QStringLiteral("gm_xr.csv"), (header + clean + wrong).toUtf8());
        QCOMPARE(listed(service.check({burials, purchases, plots})),
                 texts({"gm_xr.csv:5:故者姓名:墓位 东区二1排0003号 已有故者 赵一",
                        "gm_xr.csv:6:故者姓名:张三 在本文件第 2 行已落葬于 东区1排0003号",
                        "gm_xr.csv:7:墓碑位置:墓位 东区二1排0004号 未使用，没有售出，不能落葬",
                        "gm_xr.csv:8:出生日期:出生日期晚于今天", "gm_xr.csv:8:逝世日期:逝世日期早于出生日期",
                        "gm_xr.csv:9:性别:应为“男”或“女”：M", "gm_xr.csv:9:逝世日期:逝世日期晚于今天",
                        "gm_xr.csv:9:落葬日期:落葬日期早于逝世日期"}));
        // Without the purchase, the plot of the run is not sold.
        QVERIFY(listed(service.check({burials, plots}))
                    .contains(text("gm_xr.csv:4:墓碑位置:墓位 西区1排0001号 未使用，没有售出，不能落葬")));

        const QString cleanBurials = writeFile(data, QStringLiteral("gm_xr.csv"), (header + clean).toUtf8());
        const std::optional<ImportService::Outcome> succeeded =
            importThroughFailures(office, {cleanBurials, plots, purchases},
                                  {QStringLiteral("gm_dj"), QStringLiteral("gm_xr"), QStringLiteral("gm_xf1"),
                                   QStringLiteral("mq_wz")});
        QVERIFY(succeeded && succeeded->imported);

        // The first burial completes the registration, keeping what the file leaves empty; the second
        // repeats the registration, as the first burial left it, in a row of its own.
        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 编号, 墓碑位置, 购墓日期, 日期起, 日期止, 墓碑类型, 业务员, 故者姓名, 性别, "
                       "籍贯, 生前单位, 出生日期, 逝世日期, 落葬日期, 备注, 联系人, 关系, 身份证号, "
                       "工作单位, 家庭住址, 联系电话, 手机, 证书编号 FROM gm_dj "
                       "WHERE 墓碑位置 <> ? ORDER BY rid"),
                   {text("东区二1排0003号")}),
            texts(
                {"41|东区1排0003号|2018-01-02|2018-01-03|2038-01-02|花岗岩|赵六|张三|男|杭州|电厂|1950-01-02|"
                 "2020-05-06|2020-05-08|甲|王五|父子|330102197001010011|一厂|北路 3 号|0571-3|137|Z-1",
                 "-|西区1排0001号|2021-01-01|2021-01-01|2041-01-01|-|-|孙七|男|宁波|-|-|2022-02-02|2022-02-03|-|"
                 "李娜|夫妻|-|-|-|-|-|-",
                 "41|东区1排0003号|2018-01-02|2018-01-03|2038-01-02|花岗岩|赵六|李四|女|绍兴|丝厂|1952-03-04|"
                 "2021-07-08|2021-07-10|乙|王五|母子|330102197001010011|一厂|南路 4 号|0571-3|137|Z-2"}));
        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 墓碑位置, 故者姓名A, 性别A, 故者姓名B, 性别B FROM gm_xr ORDER BY 墓碑位置")),
            texts({"东区1排0003号|张三|男|李四|女", "西区1排0001号|孙七|男||"}));
        QCOMPARE(
            joined(data, QStringLiteral("SELECT 墓碑位置, 故者姓名, 安葬日期 FROM gm_xf1 ORDER BY 墓碑位置")),
            texts({"东区1排0003号|张三,李四|2020-05-08", "西区1排0001号|孙七|2022-02-03"}));

        QCOMPARE(
            data.db().texts(
                QStringLiteral("SELECT 表 || ':' || 操作 FROM change_history WHERE 之后 LIKE ? ORDER BY id"),
                {text("%gm_xr.csv%登记故者%")}, QString()),
            texts({"gm_dj:批量修改", "gm_xr:批量修改", "gm_xf1:批量修改"}));

        // The office's burials read back as they went in.
        const QByteArray exported = service.exportFile(QStringLiteral("gm_xr"));
        Office fresh;
        fresh.data.sql(QStringLiteral("DELETE FROM mq_wz"));
        QStringList files;
        for (const QString& table :
             {QStringLiteral("gm_xr"), QStringLiteral("gm_dj"), QStringLiteral("mq_wz")})
            files << writeFile(fresh.data, table + QStringLiteral(".csv"), service.exportFile(table));
        const ImportService::Outcome again = fresh.service.import(files);
        QVERIFY2(again.imported, qPrintable(listed(again.report).join(QLatin1Char('\n'))));
        QCOMPARE(fresh.service.exportFile(QStringLiteral("gm_xr")), exported);
        QCOMPARE(fresh.service.exportFile(QStringLiteral("gm_dj")),
                 service.exportFile(QStringLiteral("gm_dj")));
    }

    void aNicheIsStoredOnceWithItsFeeRow() {
        Office office;
        auto& [data, session, clock, service] = office;
        // 东厅1室0001号 holds an urn; 东厅二1室0001号, its namesake in the next hall, is free.
        data.sql(
            QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES "
                           "(?, '1', '1', '0001', ?, 800, ?), (?, '1', '2', '0001', ?, 900, ?)"),
            {text("东厅"), text("单人框"), text("已使用"), text("东厅二"), text("双人框"), text("未使用")});
        data.sql(QStringLiteral("INSERT INTO ghjc_dj (存放位置, 故者姓名, 联系人) VALUES (?, ?, ?)"),
                 {text("东厅1室0001号"), text("周一"), text("周二")});
        const QString niches = writeFile(data, QStringLiteral("ghjc_wz.csv"),
                                         utf8("厅,室,层,号,样式,价位,状态,存放位置\n"
                                              "西厅,1,2,0001,单人框,1200.5,未使用,西厅1室0001号\n" // 2: clean
                                              "东厅,1,1,0001,单人框,1,未使用,\n" // 3: there already
                                              "西厅,1,2,7,三人框,0,已占用,\n"    // 4
                                              "西厅,1,2,0001,单人框,1.005,未使用,西厅1室0002号\n")); // 5
        const QByteArray header =
            utf8("存放位置,骨灰盒型,故者姓名,性别,出生日期,逝世日期,籍贯,生前单位,日期起,日期止,联系人,"
                 "关系,工作单位,身份证号,家庭住址,联系电话,电子信箱,备注,应收费,实收费\n");
        const QByteArray clean = utf8(
            "西厅1室0001号,红木,吴一,男,1940-01-02,2019-03-04,杭州,电厂,2019-03-05,2029-03-04,吴二,父子,一厂,"
            "330102197001010011,北路 3 号,0571-3,w@x.cn,甲,1200.01,1100.02\n"
            "东厅二1室0001号,玉石,郑一,女,,,,,2020-01-01,2030-01-01,郑二,,,,,,,,900.03,900.04\n");
        const QByteArray wrong =
            utf8("东厅1室0001号,木,某,男,,,,,2020-01-01,2030-01-01,某,,,,,,,,1,1\n" // 4
                 "西厅1室0001号,木,某,男,,,,,2020-01-01,2030-01-01,某,,,,,,,,1,1\n" // 5
                 "西厅1室0009号,木,某,X,2020-01-02,2020-01-01,,,2020-01-01,2019-01-01,某,,,"
                 "3.3E+17,,,,,0,1\n"); // 6
        const QString storages = writeFile(data, QStringLiteral("ghjc_dj.csv"), header + clean + wrong);
        QCOMPARE(
            listed(service.check({storages, niches})),
            texts({"ghjc_wz.csv:3:号:寄存位 东厅1室0001号 已经存在",
                   "ghjc_wz.csv:4:号:号“7”前面的零已丢失，应为“0007”",
                   "ghjc_wz.csv:4:样式:未知的样式“三人框”（可用：单人框、双人框）",
                   "ghjc_wz.csv:4:状态:未知的状态“已占用”（可用：未使用、已使用）",
                   "ghjc_wz.csv:4:价位:价位不能为零", "ghjc_wz.csv:5:价位:金额最多到分（两位小数）：1.005",
                   "ghjc_wz.csv:5:存放位置:“西厅1室0002号”与厅、室、号不符（应为“西厅1室0001号”）",
                   "ghjc_wz.csv:5:号:寄存位 西厅1室0001号 在本文件第 2 行已有",
                   "ghjc_dj.csv:4:存放位置:寄存位 东厅1室0001号 已有寄存登记",
                   "ghjc_dj.csv:5:存放位置:寄存位 西厅1室0001号 在本文件第 2 行已寄存",
                   "ghjc_dj.csv:6:性别:应为“男”或“女”：X",
                   "ghjc_dj.csv:6:身份证号:“3.3E+17”已被电子表格改为科学记数法，原来的数字已丢失",
                   "ghjc_dj.csv:6:逝世日期:逝世日期早于出生日期",
                   "ghjc_dj.csv:6:日期止:使用日期起止错误：日期止早于日期起",
                   "ghjc_dj.csv:6:应收费:应收费与实收费不能为零",
                   "ghjc_dj.csv:6:存放位置:没有寄存位 西厅1室0009号"}));

        const QString cleanNiches = writeFile(
            data, QStringLiteral("ghjc_wz.csv"),
            utf8(
                "厅,室,层,号,样式,价位,状态\n西厅,1,2,0001,单人框,1200.5,未使用\n西厅,1,3,0002,双人框,7.25,未使用\n"));
        const QString cleanStorages = writeFile(data, QStringLiteral("ghjc_dj.csv"), header + clean);
        const std::optional<ImportService::Outcome> succeeded = importThroughFailures(
            office, {cleanStorages, cleanNiches},
            {QStringLiteral("ghjc_dj"), QStringLiteral("ghjc_xf1"), QStringLiteral("ghjc_wz")});
        QVERIFY(succeeded && succeeded->imported);
        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, "
                       "日期起, 日期止, 联系人, 关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, "
                       "备注 FROM ghjc_dj WHERE 故者姓名 <> ? ORDER BY id"),
                   {text("周一")}),
            texts(
                {"西厅1室0001号|红木|吴一|男|1940-01-02|2019-03-04|杭州|电厂|2019-03-05|2029-03-04|吴二|父子|一厂|"
                 "330102197001010011|北路 3 号|0571-3|w@x.cn|甲",
                 "东厅二1室0001号|玉石|郑一|女|-|-|-|-|2020-01-01|2030-01-01|郑二|-|-|-|-|-|-|-"}));
        QCOMPARE(
            joined(data, QStringLiteral(
                             "SELECT 存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, "
                             "操作员, 操作日期 FROM ghjc_xf1 ORDER BY id")),
            texts(
                {"西厅1室0001号|吴一|吴二|2019-03-05|2029-03-04|1200.01|1100.02|存入|Admin|2019-03-05 00:00:00",
                 "东厅二1室0001号|郑一|郑二|2020-01-01|2030-01-01|900.03|900.04|存入|Admin|2020-01-01 00:00:00"}));
        QCOMPARE(joined(data, QStringLiteral(
                                  "SELECT 存放位置, 层, 样式, 价位, 状态 FROM ghjc_wz ORDER BY 厅, 室, 号")),
                 texts({"东厅1室0001号|1|单人框|800|已使用", "东厅二1室0001号|2|双人框|900|已使用",
                        "西厅1室0001号|2|单人框|1200.5|已使用", "西厅1室0002号|3|双人框|7.25|未使用"}));

        // Both read back as they went in (the fixture's urn without its details left out).
        data.sql(QStringLiteral("DELETE FROM ghjc_dj WHERE 故者姓名 = ?"), {text("周一")});
        readsBack(service, {QStringLiteral("ghjc_dj"), QStringLiteral("ghjc_wz")});
    }

    void aReservationHoldsAFreePlotOnce() {
        Office office;
        auto& [data, session, clock, service] = office;
        // Beside the free 东区二1排0004号: 0005 reserved in the office, 0006 restricted.
        data.sql(
            QStringLiteral(
                "INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES (?, '1', '0005', ?), (?, '1', '0006', ?)"),
            {text("东区二"), text("已预订"), text("东区二"), text("限制")});
        data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 预交金额) VALUES (?, ?, 100)"),
                 {text("东区二1排0005号"), text("冯一")});
        const QString plots = writeFile(data, QStringLiteral("mq_wz.csv"),
                                        utf8("墓区,排,号,状态\n西区,1,0001,未使用\n西区,1,0002,未使用\n"));
        const QString purchases = writeFile(
            data, QStringLiteral("gm_dj.csv"),
            utf8(
                "墓碑位置,购墓日期,日期起,日期止,联系人\n西区1排0001号,2021-01-01,2021-01-01,2041-01-01,李娜\n"));
        const QByteArray header = utf8(
            "编号,墓碑位置,联系人,身份证号,家庭住址,联系电话,工作单位,预交金额,成交金额,补交金额,余额,操作时间,提醒日期,需要提醒\n");
        const QByteArray clean =
            utf8("7,东区二1排0004号,陈一,330102197001010011,北路 3 号,0571-3,一厂,100.01,"
                 "2000.02,300.03,1599.98,2024-03-01,2024-09-02,1\n"
                 "8,西区1排0002号,陈二,,,,,0,500,,,2024-04-01,,0\n");
        const QByteArray wrong = utf8("9,东区二1排0004号,某,,,,,1,1,,,2024-03-01,,1\n" // 4: twice
                                      "9,东区1排0003号,某,,,,,1,1,,,2024-03-01,,1\n"   // 5: sold
                                      "9,东区二1排0005号,某,,,,,1,1,,,2024-03-01,,1\n" // 6: reserved
                                      "9,东区二1排0006号,某,,,,,1,1,,,2024-03-01,,1\n" // 7: restricted
                                      "9,西区1排0001号,某,,,,,1,1,,,2024-03-01,,1\n"   // 8: bought in the run
                                      "9,西区1排0002号,某,,,,,1,0,,,2024-02-30,,2\n"); // 9
        const QString reservations = writeFile(data, QStringLiteral("ydmd.csv"), header + clean + wrong);
        QCOMPARE(listed(service.check({reservations, purchases, plots})),
                 texts({"ydmd.csv:4:墓碑位置:墓位 东区二1排0004号 在本文件第 2 行已预订",
                        "ydmd.csv:5:墓碑位置:墓位 东区1排0003号 已购，不能预订",
                        "ydmd.csv:6:墓碑位置:墓位 东区二1排0005号 已有预订记录",
                        "ydmd.csv:7:墓碑位置:墓位 东区二1排0006号 限制，不能预订",
                        "ydmd.csv:8:墓碑位置:墓位 西区1排0001号 已购，不能预订",
                        "ydmd.csv:9:操作时间:“2024-02-30”不是日期（应写成 2020-03-15）",
                        "ydmd.csv:9:需要提醒:应为 0 或 1：2", "ydmd.csv:9:成交金额:成交金额不能为零",
                        "ydmd.csv:9:墓碑位置:墓位 西区1排0002号 在本文件第 3 行已预订"}));

        const QString cleanReservations = writeFile(data, QStringLiteral("ydmd.csv"), header + clean);
        const std::optional<ImportService::Outcome> succeeded = importThroughFailures(
            office, {cleanReservations, plots}, {QStringLiteral("ydmd"), QStringLiteral("mq_wz")});
        QVERIFY(succeeded && succeeded->imported);
        QCOMPARE(
            joined(data,
                   QStringLiteral(
                       "SELECT 编号, 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, 工作单位, 预交金额, "
                       "成交金额, 补交金额, 余额, 操作员, 操作时间, 提醒日期, 需要提醒 FROM ydmd "
                       "WHERE 联系人 <> ? ORDER BY id"),
                   {text("冯一")}),
            texts(
                {"7|东区二1排0004号|陈一|330102197001010011|北路 3 号|0571-3|一厂|100.01|2000.02|300.03|1599.98|"
                 "Admin|2024-03-01|2024-09-02|1",
                 "8|西区1排0002号|陈二|-|-|-|-|0|500|-|-|Admin|2024-04-01|-|0"}));
        QCOMPARE(joined(data, QStringLiteral("SELECT 墓碑位置, 状态 FROM mq_wz ORDER BY 墓区, 排, 号")),
                 texts({"东区1排0003号|已购", "东区二1排0004号|已预订", "东区二1排0005号|已预订",
                        "东区二1排0006号|限制", "西区1排0001号|未使用", "西区1排0002号|已预订"}));

        data.sql(QStringLiteral("DELETE FROM ydmd WHERE 联系人 = ?"), {text("冯一")});
        readsBack(service, {QStringLiteral("ydmd"), QStringLiteral("mq_wz")});
    }

    void aLampPaymentIsForASoldPlotAndNotTakenTwice() {
        Office office;
        auto& [data, session, clock, service] = office;
        // 东区1排0003号 paid for 2024 already; 东区二1排0003号, its namesake in the next area, is sold too.
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES (?, '1', '0003', ?)"),
                 {text("东区二"), text("已购")});
        data.sql(
            QStringLiteral("INSERT INTO cjdd (墓碑位置, 故者姓名, 交款金额, 交款日期, 起始年份, 终止年份) "
                           "VALUES (?, ?, 100, '2024-01-20', '2024', '2024')"),
            {text("东区1排0003号"), text("卫一")});
        const QByteArray header =
            utf8("墓碑位置,故者姓名,联系人,联系电话,落葬日期,交款金额,交款日期,起始年份,终止年份,点灯标志\n");
        const QByteArray clean =
            utf8("东区1排0003号,卫一,卫二,0571-5,2019-02-03,300.05,2025-01-20,2025,2026,1\n"
                 "东区二1排0003号,蒋一,蒋二,0571-6,,120.5,2024/1/20,2024,2024,0\n");
        const QByteArray wrong =
            utf8("东区1排0003号,卫一,卫二,1,,1,2024-01-20,2024,2024,1\n" // 4: paid already
                 "东区1排0003号,卫一,卫二,1,,1,2025/1/20,2025,2026,1\n"  // 5: twice in the file
                 "东区二1排0004号,某,某,1,,1,2024-01-20,2024,2024,1\n"   // 6: not sold
                 "东区1排0003号,某,某,1,,1,2024-01-21,2024,2023,1\n"     // 7
                 "东区1排0003号,某,某,1,,-5,2024-01-22,24,2024,1\n");    // 8
        const QString payments = writeFile(data, QStringLiteral("cjdd.csv"), header + clean + wrong);
        QCOMPARE(listed(service.check({payments})),
                 texts({"cjdd.csv:4:交款日期:墓位 东区1排0003号 这一笔缴费已经登记",
                        "cjdd.csv:5:交款日期:与本文件第 2 行是同一笔缴费",
                        "cjdd.csv:6:墓碑位置:墓位 东区二1排0004号 未使用，没有售出，不能点灯",
                        "cjdd.csv:7:终止年份:点灯期限错误：终止年份早于起始年份",
                        "cjdd.csv:8:交款金额:金额不能为负数：-5",
                        "cjdd.csv:8:起始年份:“24”不是年份（应为四位数字）"}));

        const QString cleanPayments = writeFile(data, QStringLiteral("cjdd.csv"), header + clean);
        const std::optional<ImportService::Outcome> succeeded =
            importThroughFailures(office, {cleanPayments}, {QStringLiteral("cjdd")});
        QVERIFY(succeeded && succeeded->imported);
        QCOMPARE(
            joined(data, QStringLiteral(
                             "SELECT 墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, 交款日期, "
                             "起始年份, 终止年份, 点灯标志, 操作人 FROM cjdd WHERE 联系人 IS NOT NULL "
                             "ORDER BY rid")),
            texts({"东区1排0003号|卫一|卫二|0571-5|2019-02-03|300.05|2025-01-20|2025|2026|1|Admin",
                   "东区二1排0003号|蒋一|蒋二|0571-6|-|120.5|2024-01-20|2024|2024|0|Admin"}));

        data.sql(QStringLiteral("DELETE FROM cjdd WHERE 联系人 IS NULL"));
        readsBack(service, {QStringLiteral("cjdd"), QStringLiteral("mq_wz")});
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
