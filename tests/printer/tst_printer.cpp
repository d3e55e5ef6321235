#include "foundation/ui/systemprinterprobe.h"
#include "printer/printerror.h"
#include "printer/printout.h"
#include "printer/printtail.h"
#include "printer/printvalues.h"
#include "printer/reportquery.h"
#include "printer/templatelibrary.h"
#include "shared/printarchive.h"
#include "shared/schema.h"
#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QSqlDriver>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <libpq-fe.h>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const QDate today(2026, 12, 6);

std::optional<QString> maybe(const char* value) {
    return value ? std::optional(text(value)) : std::nullopt;
}

// Runs `work` and returns the stage of the PrintError it throws, or 0 when it throws none.
int refusalStage(const std::function<void()>& work) {
    try {
        work();
    } catch (const PrintError& error) {
        return error.stage();
    }
    return 0;
}

// A small office: one bought plot with its register, fees, reservation, refunds, lamp fees and construction,
// one niche with its storage, and the statistics work tables as the statistics windows leave them.
void seed(TestData& data) {
    for (
        const char* statement : {
            "UPDATE yhxx SET dwmc = '青山公墓管理处'",
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, 状态, "
            "寿穴) VALUES ('甲区', '1', '0001', '单穴', 12000, 3500.5, 800, 0, 200, 0, '已购', 0), "
            "('甲区', '1', '0002', '双穴', 18000, 4000, 900, 0, 200, 50, '已预订', 0), ('甲区', '1', "
            "'0003', '双穴', 18000, 4000, 900, 0, 200, 50, '已购', 1)",
            "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 身份证号, 工作单位, "
            "家庭住址, 联系电话, 手机, 操作员, 业务员, 墓碑类型, 主碑材质, 底碑材质, 故者姓名, 性别, 籍贯, "
            "生前单位, 出生日期, 逝世日期, 落葬日期, 关系, 备注, 证书编号) VALUES (12, '甲区1排0001号', "
            "'2026-12-06', '2026-12-06', '2046-12-05', '王小明', '110101197001011234', '市第一中学', "
            "'东城区和平路8号', '010-66001122', '13800001111', 'Admin', '李业务', '卧碑', '花岗岩', "
            "'青石', '张三', '男', '北京', '市机械厂', '1940-03-02', '2026-11-30', '2026-12-06', '父子', "
            "NULL, 'GM-0012'), (13, '甲区1排0003号', '2006-01-10', '2006-01-10', '2026-12-20', "
            "'O''Brien 欧文', NULL, NULL, '西城区柳巷2号', '010-66003344', NULL, 'Admin', NULL, '立碑', "
            "'大理石', '青石', '李四', '女', '天津', NULL, '1935-07-07', '2006-01-01', '2006-01-10', "
            "'母女', '寿穴', 'GM-0013')",
            "INSERT INTO gm_xf1 (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, 手机, "
            "工作单位, 安葬日期, 故者姓名, 墓地费, 墓碑费, 家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, "
            "qtf, 小计, 合计, 备注, 操作方式, 操作员, 操作日期, 预交金额, 余额) VALUES (12, '甲区1排0001号', "
            "'2026-12-06', '2026-12-06', '2046-12-05', '王小明', '010-66001122', '13800001111', '市第一中学', "
            "'2026-12-06', '张三', 12000, 3500.5, 0, 800, 1000, 200, 0, '刻字', 150, 17650.5, 17650.5, "
            "NULL, '购墓', 'Admin', '2026-12-06 09:30:00', 5000, 0), (NULL, '甲区1排0003号', NULL, "
            "'2026-12-20', '2031-12-20', 'O''Brien 欧文', NULL, NULL, NULL, NULL, NULL, 0, 0, 0, 0, 600, 0, 0, "
            "'  ', 0, NULL, 600, '续五年', '加续费', 'Admin', '2026-12-06 10:00:00', NULL, NULL)",
            "INSERT INTO gm_qtf (编号, 墓碑位置, 联系人, 公墓证, 数量1, 合计1, 香币, 数量2, 合计2, 塑料袋, "
            "数量3, 合计3, 瓷像, 数量4, 合计4, 刻字, 数量5, 合计5, 镏金, 数量6, 合计6, 施工, 吉祥号, 合墓, "
            "外运, 二次安葬, 车费, 特修, QT, QTF, 合计, 操作人, 操作日期) VALUES (12, '甲区1排0001号', "
            "'王小明', 20, 1, 20, 5, 4, 20, 0.5, 2, 1, 300, 1, 300, 2, 12, 24, 0, 0, 0, 500, 0, 0, 0, 0, "
            "80, 0, '鲜花', 45.5, 990.5, 'Admin', '2026-12-06 09:30:00')",
            "INSERT INTO ydmd (编号, 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, 工作单位, 预交金额, "
            "成交金额, 补交金额, 余额, 操作员, 操作时间, 提醒日期, 需要提醒) VALUES (21, '甲区1排0002号', "
            "'赵六', '120101198002023456', '南开区长江道5号', '022-27001234', '天津大学', 5000, 23150, "
            "2000, 18150, 'Admin', '2026-12-05 15:20:00', '2027-01-04', 1)",
            "INSERT INTO yd_tm (编号, 墓碑位置, 联系人, 家庭住址, 联系电话, 工作单位, 退费金额, 操作员, "
            "操作时间) VALUES ('22', '甲区1排0003号', '钱七', '河西区友谊路1号', '022-28005678', NULL, "
            "3000, 'Admin', '2026-12-06 09:30:00')",
            "INSERT INTO mq_tm (编号, 墓碑位置, 联系人, 工作单位, 联系电话, 墓地费, 墓碑费, 家庭墓费, "
            "工料费, 管理费, 绿化费, 其它费, 小计, 合计, 备注, 操作员, 操作日期) VALUES (9, '乙区0007号', "
            "'孙八', '电力公司', '13900002222', 10000, 0, 0, 0, 0, 0, 0, 10000, 10000, '无', 'Admin', "
            "'2026-12-06 09:30:00')",
            "INSERT INTO cjdd (墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, 交款日期, "
            "起始年份, 终止年份, 点灯标志, 操作人) VALUES ('甲区1排0001号', '张三', '王小明', "
            "'010-66001122', '2026-12-06', 120, '2026-12-06', '2026', '2027', 1, 'Admin'), "
            "('甲区1排0003号', '李四', 'O''Brien 欧文', '010-66003344', '2006-01-10', 60, '2026-02-01', "
            "'2026', '2026', 1, 'Admin')",
            "INSERT INTO jmsg (墓地位置, 故者姓名, 墓型, 穴位深度, 墓面铺设, 穴位数量, 竣工时间, 备注, "
            "编号) VALUES ('甲区1排0001号', '张三', '卧碑', 1.2, '花岗岩', 2, '2026-12-20', '先做基础', "
            "'SG-001')",
            "INSERT INTO jmsgys (墓地位置, 故者姓名, 所建墓型, 穴位深度, 穴位数量, 竣工时间, 建墓质量评定, "
            "需整改内容, 验收人, 施工方代表, 工程部代表, 编号) VALUES ('甲区1排0001号', '张三', '卧碑', "
            "1.2, 2, '2026-12-20', '合格', NULL, '周九', '吴十', '郑一', 'YS-001')",
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('福寿厅', '1', '2', '0001', "
            "'单人框', 800, '已使用'), ('福寿厅', '1', '2', '0002', '双人框', 1500, '未使用'), ('福寿厅', "
            "'1', '3', '0003', '单人框', 800, '未使用')",
            "INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, "
            "日期起, 日期止, 联系人, 关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, 备注) VALUES "
            "('福寿厅1室0001号', '红木', '陈二', '男', '1950-05-05', '2026-11-01', '上海', '纺织厂', "
            "'2026-12-06', '2029-12-05', '陈小二', '父子', '银行', '310101197505051111', "
            "'黄浦区南京路9号', '021-63001234', 'chen@example.cn', NULL)",
            "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, "
            "操作员, 操作日期) VALUES ('福寿厅1室0001号', '陈二', '陈小二', '2026-12-06', '2029-12-05', "
            "2400, 2400, '存入', 'Admin', '2026-12-06 09:30:00')",
            "INSERT INTO ghjc_xf2 (存放位置, 联系人, 寄存证, 数量1, 合计1, 香币, 数量2, 合计2, 小牌位, "
            "数量3, 合计3, 瓷像, 数量4, 合计4, 层次费, 其它费, 总计, 操作员, 操作日期) VALUES "
            "('福寿厅1室0001号', '陈小二', 10, 1, 10, 5, 2, 10, 30, 1, 30, 0, 0, 0, 100, 0, 150, 'Admin', "
            "'2026-12-06 09:30:00')",
            "INSERT INTO jc_tf (存放位置, 联系人, 工作单位, 应退金额, 操作员, 操作日期) VALUES "
            "('福寿厅1室0002号', '刘三', '邮局', 1200, 'Admin', '2026-12-06 09:30:00')",
            "INSERT INTO MwxsSjdtj (类型, 位置数, 百分比) VALUES ('总位置数', 3, 1), ('已购买数', 2, "
            "0.6666666667), ('已预订数', 1, 0.3333333333), ('寿穴总数', 1, 0.5)",
            "INSERT INTO CountXsYear (月份, 销售量) VALUES ('一月', 0), ('十一月', 3), ('十二月', 1)",
            "INSERT INTO Bxxstj (tjmc, xssl, Bfb) VALUES ('卧碑', 1, 0.5), ('立碑', 1, 0.5)",
            "INSERT INTO jcxstj (类型, 位置数, 百分比) VALUES ('总寄存位', 3, 1), ('已寄存位', 1, "
            "0.3333333333)",
            "INSERT INTO Jczdyntj (月份, 销售量) VALUES ('十一月', 0), ('十二月', 1)",
        })
        data.sql(text(statement));
}

// Every built-in template with a query like the one its print site passes; templates named together
// print the same query.
struct TemplateRow {
    const char* names;
    const char* query;
    const char* heading = nullptr;
};
const TemplateRow templateRows[] = {
    {"wz", "select * from mq_wz where 墓区='甲区' and 状态='已购' order by 排,号", "已购墓位列表"},
    {"jcwzs", "select * from ghjc_wz where 厅='福寿厅' and 室='1' and 状态='未使用' order by 号",
     "未使用的墓位列表"},
    {"lxr_jc gz_jc yxsj_jc jc_dj", "select * from ghjc_dj where 存放位置='福寿厅1室0001号'"},
    {"jc_xc jc_xf1", "select * from ghjc_xf1 where 操作日期='2026-12-06 09:30:00'", "3年"},
    {"jc_tf", "select * from JC_TF where 操作日期='2026-12-06 09:30:00'"},
    {"jc_xf2", "select * from GHJC_XF2 where 操作日期='2026-12-06 09:30:00'"},
    {"jc_djlxb",
     "select id,存放位置,骨灰盒型,故者姓名,性别,出生日期,逝世日期,籍贯,生前单位,日期起,日期止,联系人,关系,"
     "工作单位,身份证号,家庭住址,联系电话,电子信箱,备注 from GHJC_dj where 日期止 <= '2030-01-05'",
     "从2026-12-06起1126天内寄存到期联系表"},
    {"jc_tj",
     "select * from GHJC_XF1 where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07' and 操作方式='存入'",
     "2026-12-01到2026-12-06寄存收费统计表"},
    {"jc_tj2", "select * from GHJC_XF2 where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07'",
     "2026-12-01到2026-12-06寄存物品统计表 "},
    {"jctf_tj", "select * from JC_tf where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07'"},
    {"ghjcrqdy", "select * from jcxstj", "2026-01-01至2026-12-06骨灰寄存统计"},
    {"ghjcntj", "select * from Jczdyntj", "2026年骨灰寄存统计打印"},
    {"ydmd ydmd1", "select * from ydmd where 墓碑位置='甲区1排0002号'"},
    {"gm_ydtm", "select * from yd_tm where 墓碑位置='甲区1排0003号' and 操作时间='2026-12-06 09:30:00'"},
    // The contact whose name holds an apostrophe, written as a literal the way print sites write it.
    {"lxr", "select  * from gm_dj where 联系人='O''Brien 欧文'"},
    {"gm gm1", "select * from gm_xf1 where  id=1"},
    {"gz g dj", "select * from gm_dj where 墓碑位置='甲区1排0001号' and 故者姓名='张三'"},
    {"yxsj fz af", "select * from gm_dj where 墓碑位置='甲区1排0001号'"},
    {"gm_jxf", "select * from gm_xf1 where  id=2"},
    {"gm_gmzsf", "select * from gm_xf1 where 操作日期='2026-12-06 10:00:00'", "5年"},
    {"gm_djlxb", "select * from gm_dj where  日期止 <= '2027-01-05'",
     "从2026-12-06起30天内墓地使用到期联系表"},
    {"gm_qtf", "select * from gm_qtf where 操作日期='2026-12-06 09:30:00'"},
    {"gm_tm", "select * from mq_tm where 操作日期='2026-12-06 09:30:00'"},
    {"gm_tj1",
     "select * from gm_xf1 where 操作方式='购墓' and 购墓日期 >= '2026-12-01' and 购墓日期 <= '2026-12-06'",
     "2026-12-01到2026-12-06公墓销售统计表(墓区)"},
    {"gm_tf", "select * from mq_tm where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07'",
     "2026-12-01到2026-12-06公墓退费统计表"},
    {"gm_tj2", "select * from gm_qtf where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07'",
     "2026-12-01到2026-12-06墓区三产统计表"},
    {"gm_tj3",
     "select * from ydmd where 操作时间 >= '2026-12-01' and 操作时间 < '2026-12-07' and 墓碑位置 like "
     "'%甲区%'",
     "2026-12-01到2026-12-06公墓预定统计表(甲区)"},
    {"mwxstj", "select * from MwxsSjdtj", "从2026-01-01至2026-12-06墓位销售情况统计"},
    {"year", "select * from CountXsYear", "2026年墓位销售统计"},
    {"bxxstj", "select * from Bxxstj", "2026-01-01至2026-12-06碑型销售统计打印"},
    {"gm_cjddsf",
     "select * from cjdd where 墓碑位置='甲区1排0001号' and 交款日期='2026-12-06' and 终止年份='2027' "
     "and 起始年份='2026' limit 1"},
    {"gm_cjddhz",
     "select 墓碑位置,故者姓名,落葬日期,联系人,联系电话,交款金额,起始年份,终止年份,交款日期,操作人 from cjdd "
     "where 交款日期 like '2026%' order by 墓碑位置",
     "2026年份春节点灯收费汇总表"},
    {"jmsg", "select * from jmsg where 墓地位置='甲区1排0001号' and 故者姓名='张三'"},
    {"sgys", "select * from jmsgys where 墓地位置='甲区1排0001号' and 故者姓名='张三'"},
};

Printout printFrom(TestData& data, const QString& name, const char* query, const char* heading = nullptr) {
    return Printout::prepare(data.db(), TemplateLibrary(data.folder().templatesFolder()),
                             {name, text(query), maybe(heading)}, today);
}

void writeFile(const QString& path, const QString& content) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(content.toUtf8());
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void setPrinter(const TestData& data, const QString& key, const QString& value) {
    QSettings ini(data.folder().iniFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("printer/") + key, value);
}

struct Run {
    int code;
    QString out;
    QString errors;
};

// Runs pelu-print as pelu starts it, with the tails of one action's papers.
Run runProgram(const QStringList& tails, const QString& dataFolder) {
    QProcess program;
    program.start(QStringLiteral(PELU_PRINT_PROGRAM),
                  QStringList{QStringLiteral("--data"), dataFolder} + tails +
                      QStringList{QStringLiteral("--operator"), QStringLiteral("张三")});
    program.waitForFinished(60000);
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()).trimmed(),
            QString::fromUtf8(program.readAllStandardError())};
}

// The text of a PDF, read by pdftotext (poppler-utils); empty when it cannot be read (yet).
QString pdfText(const QString& pdf) {
    QProcess extract;
    extract.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    extract.waitForFinished(60000);
    return QString::fromUtf8(extract.readAllStandardOutput());
}

// Where the CUPS PDF printer writes for this user: `Out` of its configuration, by default ~/PDF.
QString cupsPdfFolder() {
    QString folder = QStringLiteral("${HOME}/PDF");
    QFile configuration(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (configuration.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QString& line : QString::fromUtf8(configuration.readAll()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("Out")) && line.size() > 3 && line.at(3).isSpace())
                folder = line.mid(4).trimmed();
        }
    }
    const passwd* user = getpwuid(getuid());
    return folder.replace(QLatin1String("${HOME}"), QString::fromLocal8Bit(user->pw_dir))
        .replace(QLatin1String("${USER}"), QString::fromLocal8Bit(user->pw_name));
}

} // namespace

class PrinterTest : public QObject {
    Q_OBJECT

private slots:
    void tailSplitsAtTheRightMarks() {
        const auto parses = [](const char* tail, const char* name, const char* query, const char* heading) {
            const PrintRequest request = PrintRequest::parse(text(tail));
            QCOMPARE(request.templateName, text(name));
            QCOMPARE(request.query, text(query));
            QCOMPARE(request.heading, maybe(heading));
        };
        // Padding goes, the heading follows the last "@".
        parses("gm        $#select * from gm_xf1 where id=1@标题", "gm", "select * from gm_xf1 where id=1",
               "标题");
        // "@" and "$#" inside literals and comments belong to the query; a doubled apostrophe does not end
        // the literal.
        parses(
            "jc_djlxb  $#select * from gm_dj where 备注='a$#b@c' and 联系人='O''Brien@x.cn'@从今天起30天内",
            "jc_djlxb", "select * from gm_dj where 备注='a$#b@c' and 联系人='O''Brien@x.cn'",
            "从今天起30天内");
        parses("  ydmd   $#select * from ydmd where 联系人='a@b' -- x@y\n@标题", "ydmd",
               "select * from ydmd where 联系人='a@b' -- x@y", "标题");
        parses("g        $#select \"a@b\", [c@d] from gm_dj", "g", "select \"a@b\", [c@d] from gm_dj",
               nullptr);
        // An apostrophe in the heading does not hide the mark before it.
        parses("wz        $#select 1@O'Brien 的列表", "wz", "select 1", "O'Brien 的列表");

        // No separator, a name that could reach outside the template folder, or nothing to run.
        for (const char* refused : {"gm select 1", "../../x$#select 1", "gm  $#  @标题"})
            QCOMPARE(refusalStage([&] { PrintRequest::parse(text(refused)); }), int(PrintError::CommandLine));
    }

    void onlyOneReadingSelectRuns() {
        TestData data;
        seed(data);
        const QString before = data.dump(QStringLiteral("gm_dj")) + data.dump(QStringLiteral("czy"));
        Database readOnly(data.folder().databaseTarget(), Database::Mode::ReadOnly);

        // Refused on a writable connection too, so that the check is not just the connection's.
        for (Database* database : {&readOnly, &data.db()})
            for (const char* refused :
                 {"delete from gm_dj", "select 1; delete from gm_dj", "select 1;select 2",
                  "select 1; drop table gm_dj -- gone", "with x as (select 1) delete from gm_dj",
                  "with x as (select 1) delete from gm_dj returning 编号", "update gm_dj set 联系人='x'",
                  "insert into gx values ('x')", "pragma user_version = 9", "explain select 1",
                  "attach database 'x.db' as x", "selec * from gm_dj", "select * from no_such_table",
                  "-- nothing"})
                QCOMPARE(refusalStage([&] { ReportQuery(*database, text(refused), {}); }),
                         int(PrintError::Query));
        for (const char* accepted : {"select 1;", "select 1; -- done", " /* list */ select * from gm_dj",
                                     "with x as (select 1 as a) select a from x"})
            QCOMPARE(refusalStage([&] { ReportQuery(readOnly, text(accepted), {}); }), 0);

        QCOMPARE(data.dump(QStringLiteral("gm_dj")) + data.dump(QStringLiteral("czy")), before);
        QCOMPARE(data.db().schemaVersion(), Schema::latestVersion());
    }

    // A server runs what its text holds: semicolons inside quoted text and comments are read as the server
    // reads them, a write that passes the text check is refused by the read-only transaction, a query
    // that never ends is stopped by the server, and the connection writes as before afterwards.
    void aServerRunsOnlyReadingAndOnlyInItsTime() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("the statement timeout and the read-only transaction are the server's");
        seed(data);
        const QString before = data.dump(QStringLiteral("gm_xf1"));
        Database readOnly(data.folder().databaseTarget(), Database::Mode::ReadOnly);
        const auto refusal = [](Database& database, const char* query) {
            try {
                ReportQuery(database, text(query), {});
            } catch (const PrintError& error) {
                return error.message();
            }
            return QString();
        };
        for (Database* database : {&readOnly, &data.db()}) {
            for (const auto& [refused, reason] : QList<std::pair<const char*, const char*>>{
                     {"with gone as (delete from gm_xf1 returning *) select count(*) from gone",
                      "不是 SELECT"},
                     {"select nextval(pg_get_serial_sequence('gm_xf1', 'id'))", "不是 SELECT"},
                     {"select E'\\''; delete from gm_xf1; --'", "多条语句"},
                     {"select $a$x$a$; delete from gm_xf1", "多条语句"},
                     {"select 1 /* /* */ ; delete from gm_xf1 */; delete from gm_xf1", "多条语句"}}) {
                const QString message = refusal(*database, refused);
                QVERIFY2(message.contains(text(reason)),
                         qPrintable(text(refused) + QStringLiteral(": ") + message));
            }
            for (const char* accepted :
                 {"select ';' as a", "select E'\\';' as a", "select $$;$$, $t$;$t$ as a",
                  "select 1 /* ; /* ; */ ; */ as a", "select 1 as \"a;\""})
                QCOMPARE(refusal(*database, accepted), QString());
        }
        QCOMPARE(data.dump(QStringLiteral("gm_xf1")), before);

        // A dollar quote opened right after a character the text check took for a mark, though the server
        // reads it as part of a name: the statements behind it would commit, one by one. The extended
        // protocol refuses the text whole, whatever the check made of it; and the print role can only read.
        data.sql(
            QStringLiteral("DO $$ BEGIN CREATE ROLE pelu_print LOGIN; EXCEPTION WHEN duplicate_object THEN "
                           "NULL; END $$"));
        data.sql(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO pelu_print"));
        DatabaseTarget printTarget = data.db().target();
        printTarget.user = QStringLiteral("pelu_print");
        Database printing(printTarget, Database::Mode::ReadOnly);
        const QString guarded = data.dump(QStringLiteral("czy")) + data.dump(QStringLiteral("gm_xf1")) +
                                data.value(QStringLiteral("SELECT COUNT(*) FROM change_history")).toString();
        for (const char* mark : {"€", "·", "—", "。", "，", "、", "「", "」", "【", "】", "～", "¥"}) {
            const QString bypass =
                QStringLiteral("select 1 as x%1$q$; commit; begin read write; update czy set 口令 = "
                               "'x'; delete from change_history; $q$")
                    .arg(text(mark));
            for (Database* database : {&printing, &data.db()}) {
                const QString message = refusal(*database, bypass.toUtf8().constData());
                QVERIFY2(message.contains(text("多条语句")),
                         qPrintable(bypass + QStringLiteral(": ") + message));
            }
            // The path itself, without the text check in front of it.
            QSqlQuery transaction(printing.connection());
            QVERIFY(transaction.exec(QStringLiteral("BEGIN TRANSACTION READ ONLY")));
            {
                ServerRows rows(serverHandleOf(printing.connection()), bypass);
                QVERIFY(!rows.next());
                QCOMPARE(rows.failure().first, QStringLiteral("42601"));
            }
            QVERIFY(transaction.exec(QStringLiteral("ROLLBACK")));
        }
        // Other desks' sessions are beyond the print role's reach.
        const QString cut =
            refusal(printing, "select pg_terminate_backend(pid) from pg_stat_activity where pid <> "
                              "pg_backend_pid()");
        QVERIFY2(cut.contains(text("打印查询执行失败")), qPrintable(cut));
        QCOMPARE(data.dump(QStringLiteral("czy")) + data.dump(QStringLiteral("gm_xf1")) +
                     data.value(QStringLiteral("SELECT COUNT(*) FROM change_history")).toString(),
                 guarded);
        // What it may read comes as the driver would give it: numbers as numbers, NULL as nothing.
        {
            ReportQuery read(printing,
                             QStringLiteral("select 墓地费, 编号, 联系人, 安葬日期 from gm_xf1 order by id"),
                             {});
            QCOMPARE(read.rows().columns(),
                     QStringList({text("墓地费"), text("编号"), text("联系人"), text("安葬日期")}));
            QVERIFY(read.rows().next());
            QCOMPARE(read.rows().value(0).typeId(), QMetaType::Double);
            QVERIFY(read.rows().value(3).isNull() || read.rows().value(3).typeId() == QMetaType::QString);
        }

        QDeadlineTimer stopped(std::chrono::seconds(3));
        try {
            ReportQuery(data.db(), QStringLiteral("select pg_sleep(10)"), {std::chrono::milliseconds(300)});
            QFAIL("the sleeping query was not stopped");
        } catch (const PrintError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("超过 0.3 秒")), qPrintable(error.message()));
        }
        QVERIFY(!stopped.hasExpired());
        data.sql(QStringLiteral("UPDATE yhxx SET dwmc = '改名'"));
        QCOMPARE(data.value(QStringLiteral("SELECT dwmc FROM yhxx")).toString(), QStringLiteral("改名"));
    }

    // A query that never ends is stopped when its time is up; rows or a value beyond the byte limit are
    // refused; and the connection serves the next query as before.
    void queriesRunWithinLimits() {
        TestData data;
        seed(data);
        const ReportQuery::Limits limits{std::chrono::milliseconds(300), 1024 * 1024};
        const auto refusal = [&](const char* query) {
            try {
                Printout::prepare(data.db(), TemplateLibrary(QString()),
                                  {QStringLiteral("wz"), text(query), {}}, today, limits);
            } catch (const PrintError& error) {
                return std::pair(int(error.stage()), error.message());
            }
            return std::pair(0, QString());
        };
        const auto [endless, timeText] =
            refusal("with recursive r(x) as (select 1 union all select x + 1 from r) select count(*) from r");
        QCOMPARE(endless, int(PrintError::Query));
        QVERIFY2(timeText.contains(QStringLiteral("超过 0.3 秒")), qPrintable(timeText));
        // The two engines make long values with functions of their own.
        const bool server = data.db().isServer();
        for (
            const char* tooLarge :
            {server
                 ? "with recursive r(x) as (select 1 union all select x + 1 from r) select x, repeat('a', "
                   "1000) as 备注 from r"
                 : "with recursive r(x) as (select 1 union all select x + 1 from r) select x, printf('%.1000c', "
                   "'a') as 备注 from r",
             server ? "select repeat('a', 2000000) as 备注" : "select zeroblob(2000000) as 备注"}) {
            const auto [stage, message] = refusal(tooLarge);
            QCOMPARE(stage, int(PrintError::Query));
            QVERIFY2(message.contains(QStringLiteral("超过 1 MB")), qPrintable(message));
        }
        QCOMPARE(refusal("select * from gm_xf1").first, 0);
        QCOMPARE(refusal(server ? "select repeat('a', 1000000) as 备注" : "select zeroblob(1000000) as 备注")
                     .first,
                 0);

        // A list too long to lay out in reasonable time is refused before its pages are laid out.
        const auto rows = [&](int count) {
            try {
                Printout::prepare(
                    data.db(), TemplateLibrary(QString()),
                    {QStringLiteral("wz"),
                     QStringLiteral("with recursive r(x) as (select 1 union all select x + 1 from r "
                                    "where x < %1) select x as 号 from r")
                         .arg(count),
                     {}},
                    today, {std::chrono::seconds(10), 1024 * 1024, 1000});
            } catch (const PrintError& error) {
                return error.message();
            }
            return QString();
        };
        QCOMPARE(rows(1000), QString());
        QCOMPARE(rows(1001), text("打印查询的结果超过 1000 行，未打印。请缩小查询范围。"));
    }

    void valuesAreShownByColumn() {
        const QList<std::tuple<const char*, QVariant, const char*>> shown = {
            {"合计", 17650.5, "17650.50"},
            {"预交金额", 5000, "5000.00"},
            {"QTF", QStringLiteral("45.5"), "45.50"},
            {"数量1", 2.0, "2"},
            {"qt", QStringLiteral("花篮："), "花篮"},
            {"qt", QStringLiteral("："), ""},
            {"穴位深度", 1.25, "1.25"},
            {"百分比", 0.6666666667, "66.67%"},
            {"操作日期", QStringLiteral("2026-12-06 09:30:00"), "2026-12-06"},
            {"日期止", QStringLiteral("长期"), "长期"},
            {"合计", QVariant(), ""}};
        for (const auto& [column, value, expected] : shown)
            QCOMPARE(PrintValues::display(text(column), value), text(expected));
    }

    // What an office template can use and do: counts, sums, the rows, the first row at top level, its own
    // pieces and page; and a broken one is refused.
    void officeTemplates() {
        TestData data;
        seed(data);
        const auto put = [&](const char* name, const char* content) {
            writeFile(QDir(data.folder().templatesFolder()).filePath(text(name) + QStringLiteral(".html")),
                      text(content));
        };
        put("probe", "{{count}}|{{sums.合计}}|{{#rows}}{{序号}}:{{合计}}{{#备注}}({{备注}}){{/备注}}"
                     "{{#nonzero.qtf}}+{{qtf}}{{/nonzero.qtf}} {{#大写}}{{合计}}{{/大写}},{{/rows}}|"
                     "{{联系人}}|{{heading}}{{^heading}}无标题{{/heading}}|{{unit}}|{{today}}|<b>{{qt}}</b>");
        QCOMPARE(
            printFrom(data, QStringLiteral("probe"), "select * from gm_xf1 order by id").html,
            QStringLiteral("2|18250.50|1:17650.50+150.00 壹万柒仟陆佰伍拾元伍角,2:600.00(续五年) 陆佰元整,|"
                           "王小明|无标题|青山公墓管理处|2026-12-06|<b>刻字</b>"));
        // Values are escaped, so a value cannot inject markup.
        data.sql(QStringLiteral("UPDATE gm_xf1 SET qt = '<i>&' WHERE id = 1"));
        QVERIFY(printFrom(data, QStringLiteral("probe"), "select * from gm_xf1 order by id", "x")
                    .html.endsWith(QStringLiteral("<b>&lt;i&gt;&amp;</b>")));

        // The row key is no value of the office: no field, row value or top-level value shows it.
        put("keyless", "{{#fields}}{{name}},{{/fields}}|{{rid}}|{{#rows}}{{rid}}{{墓碑位置}}{{/rows}}");
        QCOMPARE(
            printFrom(data, QStringLiteral("keyless"), "select rid, 墓碑位置, 样式 from mq_wz where rid = 2")
                .html,
            QStringLiteral("墓碑位置,样式,||甲区1排0002号"));

        // The office's receipt and piece replace the built-in ones.
        const char* receipt = "select * from gm_xf1 where id=1";
        put("gm", "{{>_head}}本处收据 {{墓碑位置}}");
        put("_head", "<p>本处抬头</p>");
        QCOMPARE(printFrom(data, QStringLiteral("gm"), receipt).html,
                 QStringLiteral("<p>本处抬头</p>本处收据 甲区1排0001号"));
        // A missing template or piece, or a broken one, is refused rather than printed half.
        for (const char* broken : {"{{>_nothing}}", "{{#rows}}"}) {
            put("gm", broken);
            QCOMPARE(refusalStage([&] { printFrom(data, QStringLiteral("gm"), receipt); }),
                     int(PrintError::Template));
        }
        // Neither a template that is not there nor a shared piece is a document.
        for (const char* name : {"nosuch", "_head"})
            QCOMPARE(refusalStage([&] { printFrom(data, text(name), receipt); }), int(PrintError::Template));

        // The page's orientation and tab stops come from the template; a built-in receipt has neither.
        put("page",
            "<meta name=\"orientation\" content=\"landscape\"><meta name=\"tabs\" content=\"12 r40.5\">"
            "<p>{{count}}</p>");
        const Printout wide = printFrom(data, QStringLiteral("page"), "select 1");
        QVERIFY(wide.landscape);
        QCOMPARE(wide.tabStops,
                 QList<QTextOption::Tab>({{12.0, QTextOption::LeftTab}, {40.5, QTextOption::RightTab}}));
        const Printout plain = printFrom(data, QStringLiteral("gm1"), "select 1");
        QVERIFY(!plain.landscape);
        QVERIFY(plain.tabStops.isEmpty());
    }

    // The office's templates and pieces may include one another, but never in a circle, never deeper
    // than eight pieces, never with other tag marks that would hide an include, and never from a pipe.
    void officeIncludesAreFollowedBeforePrinting() {
        QTemporaryDir folder;
        const TemplateLibrary library(folder.path());
        const auto put = [&](const QString& name, const QString& content) {
            writeFile(QDir(folder.path()).filePath(name + QStringLiteral(".html")), content);
        };
        const auto refusal = [&](const QString& name) -> QString {
            try {
                library.render(name, kainjow::mustache::data());
            } catch (const PrintError& error) {
                return error.message();
            }
            return QString();
        };

        put(QStringLiteral("gm_tj1"), QStringLiteral("<p>{{>gm_tj1}}</p>"));
        QCOMPARE(refusal(QStringLiteral("gm_tj1")), text("打印模板“gm_tj1”循环包含自己：gm_tj1 → gm_tj1"));
        put(QStringLiteral("gm_tj1"), QStringLiteral("{{>_a}}"));
        put(QStringLiteral("_a"), QStringLiteral("a{{^x}}{{>  _b }}{{/x}}"));
        put(QStringLiteral("_b"), QStringLiteral("b{{>\t_a\n}}"));
        QCOMPARE(refusal(QStringLiteral("gm_tj1")),
                 text("打印模板“gm_tj1”循环包含自己：gm_tj1 → _a → _b → _a"));

        // Eight levels are printed; a ninth is refused. A piece included twice is no circle.
        put(QStringLiteral("gm_tj1"), QStringLiteral("{{>_p1}}|{{>_p1}}"));
        for (int level = 1; level < 8; ++level)
            put(QStringLiteral("_p%1").arg(level), QStringLiteral("%1{{>_p%2}}").arg(level).arg(level + 1));
        put(QStringLiteral("_p8"), QStringLiteral("8"));
        QCOMPARE(refusal(QStringLiteral("gm_tj1")), QString());
        QCOMPARE(library.render(QStringLiteral("gm_tj1"), kainjow::mustache::data()),
                 QStringLiteral("12345678|12345678"));
        put(QStringLiteral("_p8"), QStringLiteral("8{{>_p9}}"));
        put(QStringLiteral("_p9"), QStringLiteral("9"));
        QVERIFY2(refusal(QStringLiteral("gm_tj1"))
                     .startsWith(text("打印模板“gm_tj1”包含的部分超过 8 层：gm_tj1 → _p1")),
                 qPrintable(refusal(QStringLiteral("gm_tj1"))));

        // Other tag marks, in the template or in a piece, could hide an include.
        put(QStringLiteral("gm_tj1"), QStringLiteral("{{ =<% %>= }}<%>gm_tj1%>"));
        QCOMPARE(refusal(QStringLiteral("gm_tj1")),
                 text("打印模板“gm_tj1”改变了标记符号（{{=…=}}），不能使用。"));
        put(QStringLiteral("gm_tj1"), QStringLiteral("{{{x}}}{{! {{>_c}} }}{{>_head}}"));
        put(QStringLiteral("_head"), QStringLiteral("{{=[[ ]]=}}[[>_head]]"));
        QCOMPARE(refusal(QStringLiteral("gm_tj1")),
                 text("打印模板“gm_tj1”用到的部分“_head”改变了标记符号（{{=…=}}），不能使用。"));

        // A pipe in place of a template or of a piece is refused at once, named.
        QFile::remove(QDir(folder.path()).filePath(QStringLiteral("_head.html")));
        for (const QString& pipe : {QStringLiteral("gm_tj1"), QStringLiteral("_head")}) {
            put(QStringLiteral("gm_tj1"), QStringLiteral("{{>_head}}"));
            const QString path = QDir(folder.path()).filePath(pipe + QStringLiteral(".html"));
            QFile::remove(path);
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            QString said;
            const qint64 took = millisecondsOnPipe(path, [&] { said = refusal(QStringLiteral("gm_tj1")); });
            QVERIFY2(took < 1000, qPrintable(pipe));
            QVERIFY2(said.contains(text("不是普通文件")) && said.contains(path), qPrintable(said));
            QFile::remove(path);
        }
    }

    // A settled reservation's receipt shows the prepaid amount and the balance, also when nothing was
    // prepaid; a plain sale shows neither.
    void aSettledReceiptShowsPrepaidAndBalance() {
        TestData data;
        seed(data);
        const auto printed = [&](const char* query) {
            return printFrom(data, QStringLiteral("gm"), query).layOut()->toPlainText();
        };
        data.sql(QStringLiteral("UPDATE gm_xf1 SET 预交金额 = 0, 余额 = 7000 WHERE id = 1"));
        QVERIFY(printed("select * from gm_xf1 where id=1")
                    .contains(QStringLiteral("预交金额\n0.00\n余额\n7000.00")));
        data.sql(QStringLiteral("UPDATE gm_xf1 SET 余额 = 0 WHERE id = 1"));
        QVERIFY(!printed("select * from gm_xf1 where id=1").contains(QStringLiteral("余额")));
    }

    // The text of every built-in template, filled from the seeded office, against tests/printer/golden.
    // Run with PELU_UPDATE_GOLDEN=1 to write the golden files anew after a deliberate change of layout.
    void everyTemplateMatchesItsGolden() {
        TestData data;
        seed(data);
        const bool update = qEnvironmentVariableIsSet("PELU_UPDATE_GOLDEN");
        const QDir goldenFolder(QStringLiteral(PRINTER_GOLDEN_FOLDER));
        QStringList covered;
        for (const TemplateRow& row : templateRows)
            for (const QString& name : text(row.names).split(QLatin1Char(' '))) {
                covered << name;
                const QString printed = printFrom(data, name, row.query, row.heading).layOut()->toPlainText();
                const QString golden = goldenFolder.filePath(name + QStringLiteral(".txt"));
                if (update)
                    writeFile(golden, printed);
                QVERIFY2(QFile::exists(golden), qPrintable(QStringLiteral("no golden text for ") + name));
                const QStringList lines = printed.split(QLatin1Char('\n'));
                const QStringList expected = readFile(golden).split(QLatin1Char('\n'));
                for (qsizetype i = 0; i < std::max(lines.size(), expected.size()); ++i)
                    QVERIFY2(lines.value(i) == expected.value(i),
                             qPrintable(QStringLiteral("%1, line %2: \"%3\" instead of \"%4\"")
                                            .arg(name)
                                            .arg(i + 1)
                                            .arg(lines.value(i), expected.value(i))));
            }
        covered.sort();
        QCOMPARE(covered, TemplateLibrary::builtInNames());
    }

    // The deceased part of the storage certificate and the register form leave the birth date out when
    // the registration asks for it with the column 不显示出生日期; the death date stays.
    void storagePapersCanLeaveTheBirthDateOut() {
        TestData data;
        seed(data);
        for (const char* name : {"gz_jc", "jc_dj"}) {
            const auto printed = [&](const char* query) {
                return printFrom(data, text(name), query).layOut()->toPlainText();
            };
            QVERIFY(printed("select * from ghjc_dj where id=1").contains(QStringLiteral("1950-05-05")));
            const QString hidden = printed("select *, 1 as 不显示出生日期 from ghjc_dj where id=1");
            QVERIFY(!hidden.contains(QStringLiteral("1950-05-05")));
            QVERIFY(!hidden.contains(QStringLiteral("出生日期")));
            QVERIFY(hidden.contains(QStringLiteral("2026-11-01")));
        }
    }

    void archiveNeverOverwrites() {
        QTemporaryDir folder;
        Printout printout;
        printout.templateName = QStringLiteral("gm");
        printout.html = QStringLiteral("<p>收据</p>");
        const QDateTime now(today, QTime(9, 30, 5));
        const QFileInfo first(printout.archivePdf(folder.path(), now));
        const QFileInfo second(printout.archivePdf(folder.path(), now));
        QCOMPARE(first.fileName(), QStringLiteral("20261206-093005-gm.pdf"));
        QCOMPARE(second.fileName(), QStringLiteral("20261206-093005-gm-2.pdf"));
        QVERIFY(first.size() > 0 && second.size() > 0);
        // Nothing written beside them is left behind.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // The real program, as pelu starts it: a receipt becomes a PDF with the row's Chinese text, and a tail
    // that would write is refused without touching the database.
    void programPrintsReceiptAndRefusesWrites() {
        TestData data;
        seed(data);
        setPrinter(data, QStringLiteral("mode"), QStringLiteral("pdf"));
        setPrinter(data, QStringLiteral("querySeconds"), QStringLiteral("1"));
        const QString before = data.dump(QStringLiteral("gm_xf1"));
        const QDir prints(data.folder().printsFolder());
        const auto run = [&](const char* tail) { return runProgram({text(tail)}, data.folder().path()); };

        const Run receipt = run("gm        $#select * from gm_xf1 where id=1@标题");
        QCOMPARE(receipt.code, 0);
        static const QRegularExpression archiveName(QStringLiteral("^\\d{8}-\\d{6}-gm(-\\d+)?\\.pdf$"));
        QVERIFY2(archiveName.match(QFileInfo(receipt.out).fileName()).hasMatch(),
                 qPrintable(receipt.out + receipt.errors));
        QCOMPARE(QFileInfo(receipt.out).absolutePath(), prints.absolutePath());

        const QString printed = pdfText(receipt.out);
        for (const char* shown : {"青山公墓管理处", "购墓收费表", "甲区1排0001号", "王小明", "17650.50",
                                  "壹万柒仟陆佰伍拾元伍角", "2026-12-06"})
            QVERIFY2(printed.contains(text(shown)),
                     qPrintable(text(shown) + QStringLiteral(" missing from:\n") + printed));

        // A write, a piece of a template and a query that never ends are refused, each at its stage.
        const Run write = run("gm        $#delete from gm_xf1");
        QCOMPARE(write.code, int(PrintError::Query));
        QVERIFY2(write.errors.contains(QStringLiteral("SELECT")), qPrintable(write.errors));
        QCOMPARE(data.dump(QStringLiteral("gm_xf1")), before);
        QCOMPARE(run("_head$#select 1").code, int(PrintError::Template));
        const Run endless = run("wz        $#with recursive r(x) as (select 1 union all select x + 1 from r) "
                                "select count(*) from r");
        QCOMPARE(endless.code, int(PrintError::Query));
        QVERIFY2(endless.errors.contains(QStringLiteral("无法打印：打印查询超过 1 秒")),
                 qPrintable(endless.errors));
        // Only the receipt was archived, whole, and listed with its heading and operator.
        QCOMPARE(prints.entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({QFileInfo(receipt.out).fileName(), QStringLiteral("index.jsonl")}));
        const QList<PrintArchive::Entry> archived = PrintArchive::read(prints.path());
        QCOMPARE(archived.size(), 1);
        QCOMPARE(archived.first().file, QFileInfo(receipt.out).fileName());
        QCOMPARE(archived.first().heading, QStringLiteral("标题"));
        QCOMPARE(archived.first().operatorName, QStringLiteral("张三"));

        // One action's papers come out in their order; one that fails keeps none of the others back.
        const Run papers =
            runProgram({text("gm        $#select * from gm_xf1 where id=1@第一"), text("_head$#select 1"),
                        text("gm        $#select * from gm_xf1 where id=1@第三")},
                       data.folder().path());
        QCOMPARE(papers.code, int(PrintError::Template));
        QCOMPARE(papers.out.split(QLatin1Char('\n')).size(), 2);
        const QList<PrintArchive::Entry> both = PrintArchive::read(prints.path());
        QCOMPARE(both.size(), 3);
        QCOMPARE(both.at(1).heading + both.at(2).heading, text("第一第三"));

        QTemporaryDir empty;
        const Run missing = runProgram({QStringLiteral("gm        $#select 1")}, empty.path());
        QCOMPARE(missing.code, int(PrintError::Query));
        QVERIFY2(missing.errors.contains(QStringLiteral("数据库文件不存在")), qPrintable(missing.errors));
    }

    // On paper through CUPS: the receipt goes to the PDF printer PeluPDF (set up by ./dev test), and the
    // PDF that printer makes holds the row's Chinese text. The archived PDF is kept as well.
    void printsOnPaperThroughCups() {
        if (!SystemPrinterProbe().available(QStringLiteral("PeluPDF")))
            QSKIP("no CUPS queue PeluPDF: ./dev test sets it up");
        TestData data;
        seed(data);
        setPrinter(data, QStringLiteral("mode"), QStringLiteral("printer"));
        setPrinter(data, QStringLiteral("name"), QStringLiteral("PeluPDF"));
        const QDir paper(cupsPdfFolder());
        const QStringList before = paper.entryList({QStringLiteral("*.pdf")}, QDir::Files);

        const Run receipt =
            runProgram({QStringLiteral("gm        $#select * from gm_xf1 where id=1")}, data.folder().path());
        QCOMPARE(receipt.code, 0);
        QVERIFY2(QFileInfo(receipt.out).size() > 0, qPrintable(receipt.out + receipt.errors));

        QString printed;
        QStringList made;
        QDeadlineTimer deadline(std::chrono::seconds(60));
        while (!printed.contains(text("王小明")) && !deadline.hasExpired()) {
            QTest::qWait(250);
            printed.clear();
            made.clear();
            for (const QString& name : paper.entryList({QStringLiteral("*.pdf")}, QDir::Files))
                if (!before.contains(name)) {
                    made << paper.filePath(name);
                    printed += pdfText(made.last());
                }
        }
        for (const QString& pdf : made)
            QFile::remove(pdf);
        for (const char* shown : {"购墓收费表", "甲区1排0001号", "王小明", "壹万柒仟陆佰伍拾元伍角"})
            QVERIFY2(printed.contains(text(shown)),
                     qPrintable(text(shown) + QStringLiteral(" not printed in ") + paper.path() +
                                QStringLiteral(":\n") + printed));
    }
};

QTEST_MAIN(PrinterTest)
#include "tst_printer.moc"
