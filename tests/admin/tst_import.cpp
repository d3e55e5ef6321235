#include "admin/importservice.h"
#include "foundation/csvtable.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Two plots already in the office, in areas whose names begin alike.
void addOfficePlots(TestData& data) {
    data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 状态, 寿穴) VALUES "
                            "(?, '1', '0003', ?, 9000, ?, 0), (?, '1', '0004', ?, 9100, ?, 1)"),
             {text("东区"), text("单人墓"), text("已购"), text("东区二"), text("双人墓"), text("未使用")});
}

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
                 "未使用,0001,东区,1,12000.50,3000,单人墓,0\r\n"        // line 2: clean
                 "未使用,7,东区,1,1,2,单人墓,0\r\n"                     // 3: zeros lost
                 "未使用,0002,东区,1,12.345,-5,单人墓,2\r\n"            // 4: third decimal, negative, flag
                 "已卖,0003,东区,2,1,1,高级墓,0\r\n"                    // 5: unknown state and style
                 "未使用,0001,东区,1,1,1,单人墓,0\r\n"                  // 6: twice in the file
                 "已购,0003,东区,1,1,1,单人墓,0\r\n"                    // 7: already in the office
                 "未使用,0004,\"东区,\n北\",1E+3,3.3E+5,1,单人墓,0\r\n" // 8-9: scientific row and amount
                 "未使用,0004,东区二,2,1,1,,1\r\n")); // 10: clean beside 东区二1排0004号
        const ImportService::Report report = service.check({path});
        QCOMPARE(report.rows, 8);
        QCOMPARE(listed(report),
                 texts({"mq_wz.csv:3:号:号“7”前面的零已丢失，应为“0007”",
                        "mq_wz.csv:4:墓地费:金额最多到分（两位小数）：12.345",
                        "mq_wz.csv:4:墓碑费:金额不能为负数：-5", "mq_wz.csv:4:寿穴:应为 0 或 1：2",
                        "mq_wz.csv:5:样式:未知的样式“高级墓”（可用：单人墓、双人墓、家族墓、多人墓、艺术墓）",
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
        QCOMPARE(listed(service.check({wrongName, badHeader})),
                 texts({"plots.csv:0::文件名应为要导入的表名：mq_wz.csv", "mq_wz.csv:1:号:列名重复",
                        "mq_wz.csv:1:颜色:没有这一列", "mq_wz.csv:1:状态:缺少这一列"}));
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
        const QString templatePath = writeFile(data, QStringLiteral("mq_wz.csv"),
                                               ImportService::templateFile(QStringLiteral("mq_wz")));
        QCOMPARE(listed(service.check({templatePath})), QStringList());

        Office fresh;
        fresh.data.sql(QStringLiteral("DELETE FROM mq_wz"));
        const QString path = writeFile(fresh.data, QStringLiteral("mq_wz.csv"), exported);
        QVERIFY(fresh.service.import({path}).imported);
        QCOMPARE(fresh.service.exportFile(QStringLiteral("mq_wz")), exported);
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
