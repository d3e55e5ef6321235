#include "printerror.h"
#include "printout.h"
#include "printtail.h"
#include "printvalues.h"
#include "reportquery.h"
#include "schema.h"
#include "sqlliteral.h"
#include "templatelibrary.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextDocument>

namespace {

const QDate today(2026, 12, 6);

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
    data.sql(QStringLiteral("UPDATE yhxx SET dwmc = '青山公墓管理处'"));
    data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                            "其它, 状态, 寿穴) VALUES "
                            "('甲区', '1', '0001', '单穴', 12000, 3500.5, 800, 0, 200, 0, '已购', 0), "
                            "('甲区', '1', '0002', '双穴', 18000, 4000, 900, 0, 200, 50, '已预订', 0), "
                            "('甲区', '1', '0003', '双穴', 18000, 4000, 900, 0, 200, 50, '已购', 1)"));
    data.sql(
        QStringLiteral(
            "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 身份证号, 工作单位, "
            "家庭住址, 联系电话, "
            "手机, 操作员, 业务员, 墓碑类型, 主碑材质, 底碑材质, 故者姓名, 性别, 籍贯, 生前单位, 出生日期, "
            "逝世日期, "
            "落葬日期, 关系, 备注, 证书编号) VALUES "
            "(12, '甲区1排0001号', '2026-12-06', '2026-12-06', '2046-12-05', '王小明', '110101197001011234', "
            "'市第一中学', "
            "'东城区和平路8号', '010-66001122', '13800001111', 'Admin', '李业务', '卧碑', '花岗岩', '青石', "
            "'张三', '男', "
            "'北京', '市机械厂', '1940-03-02', '2026-11-30', '2026-12-06', '父子', NULL, 'GM-0012'), "
            "(13, '甲区1排0003号', '2006-01-10', '2006-01-10', '2026-12-20', ?, NULL, NULL, '西城区柳巷2号', "
            "'010-66003344', NULL, 'Admin', NULL, '立碑', '大理石', '青石', '李四', '女', '天津', NULL, "
            "'1935-07-07', "
            "'2006-01-01', '2006-01-10', '母女', '寿穴', 'GM-0013')"),
        {QStringLiteral("O'Brien 欧文")});
    data.sql(QStringLiteral("INSERT INTO gm_xf1 (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, "
                            "手机, 工作单位, 安葬日期, 故者姓名, "
                            "墓地费, 墓碑费, 家庭墓费, 工料费, 管理费, 绿化费, 其它费, qt, qtf, 小计, 合计, "
                            "备注, 操作方式, 操作员, 操作日期) "
                            "VALUES (12, '甲区1排0001号', '2026-12-06', '2026-12-06', '2046-12-05', "
                            "'王小明', '010-66001122', '13800001111', "
                            "'市第一中学', '2026-12-06', '张三', 12000, 3500.5, 0, 800, 1000, 200, 0, "
                            "'刻字', 150, 17650.5, 17650.5, NULL, "
                            "'购墓', 'Admin', '2026-12-06 09:30:00'), "
                            "(NULL, '甲区1排0003号', NULL, '2026-12-20', '2031-12-20', ?, NULL, NULL, NULL, "
                            "NULL, NULL, 0, 0, 0, 0, 600, 0, "
                            "0, '  ', 0, NULL, 600, '续五年', '加续费', 'Admin', '2026-12-06 10:00:00')"),
             {QStringLiteral("O'Brien 欧文")});
    data.sql(QStringLiteral(
        "INSERT INTO gm_qtf (编号, 墓碑位置, 联系人, 公墓证, 数量1, 合计1, 香币, 数量2, 合计2, 塑料袋, "
        "数量3, 合计3, 瓷像, "
        "数量4, 合计4, 刻字, 数量5, 合计5, 镏金, 数量6, 合计6, 施工, 吉祥号, 合墓, 外运, 二次安葬, 车费, "
        "特修, QT, QTF, 合计, "
        "操作人, 操作日期) VALUES (12, '甲区1排0001号', '王小明', 20, 1, 20, 5, 4, 20, 0.5, 2, 1, 300, 1, "
        "300, 2, 12, 24, "
        "0, 0, 0, 500, 0, 0, 0, 0, 80, 0, '鲜花', 45.5, 990.5, 'Admin', '2026-12-06 09:30:00')"));
    data.sql(QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, "
                            "工作单位, 预交金额, 成交金额, 补交金额, 余额, "
                            "操作员, 操作时间, 提醒日期, 需要提醒) VALUES (21, '甲区1排0002号', '赵六', "
                            "'120101198002023456', '南开区长江道5号', "
                            "'022-27001234', '天津大学', 5000, 23150, 2000, 18150, 'Admin', '2026-12-05 "
                            "15:20:00', '2027-01-04', 1)"));
    data.sql(QStringLiteral("INSERT INTO yd_tm (编号, 墓碑位置, 联系人, 家庭住址, 联系电话, 工作单位, "
                            "退费金额, 操作员, 操作时间) VALUES "
                            "('22', '甲区1排0003号', '钱七', '河西区友谊路1号', '022-28005678', NULL, 3000, "
                            "'Admin', '2026-12-06 09:30:00')"));
    data.sql(QStringLiteral("INSERT INTO mq_tm (编号, 墓碑位置, 联系人, 工作单位, 联系电话, 墓地费, 墓碑费, "
                            "家庭墓费, 工料费, 管理费, 绿化费, "
                            "其它费, 小计, 合计, 备注, 操作员, 操作日期) VALUES (9, '乙区0007号', '孙八', "
                            "'电力公司', '13900002222', 10000, 0, 0, "
                            "0, 0, 0, 0, 10000, 10000, '无', 'Admin', '2026-12-06 09:30:00')"));
    data.sql(QStringLiteral("INSERT INTO cjdd (墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, "
                            "交款日期, 起始年份, 终止年份, 点灯标志, "
                            "操作人) VALUES ('甲区1排0001号', '张三', '王小明', '010-66001122', "
                            "'2026-12-06', 120, '2026-12-06', '2026', "
                            "'2027', 1, 'Admin'), ('甲区1排0003号', '李四', ?, '010-66003344', '2006-01-10', "
                            "60, '2026-02-01', '2026', "
                            "'2026', 1, 'Admin')"),
             {QStringLiteral("O'Brien 欧文")});
    data.sql(QStringLiteral(
        "INSERT INTO jmsg (墓地位置, 故者姓名, 墓型, 穴位深度, 墓面铺设, 穴位数量, 竣工时间, 备注, 编号) "
        "VALUES "
        "('甲区1排0001号', '张三', '卧碑', 1.2, '花岗岩', 2, '2026-12-20', '先做基础', 'SG-001')"));
    data.sql(QStringLiteral("INSERT INTO jmsgys (墓地位置, 故者姓名, 所建墓型, 穴位深度, 穴位数量, 竣工时间, "
                            "建墓质量评定, 需整改内容, 验收人, "
                            "施工方代表, 工程部代表, 编号) VALUES ('甲区1排0001号', '张三', '卧碑', 1.2, 2, "
                            "'2026-12-20', '合格', NULL, '周九', "
                            "'吴十', '郑一', 'YS-001')"));
    data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('福寿厅', '1', "
                            "'2', '0001', '单人框', 800, '已使用'), "
                            "('福寿厅', '1', '2', '0002', '双人框', 1500, '未使用'), ('福寿厅', '1', '3', "
                            "'0003', '单人框', 800, '未使用')"));
    data.sql(QStringLiteral(
        "INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, "
        "日期起, 日期止, 联系人, "
        "关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, 备注) VALUES ('福寿厅1室0001号', '红木', "
        "'陈二', '男', "
        "'1950-05-05', '2026-11-01', '上海', '纺织厂', '2026-12-06', '2029-12-05', '陈小二', '父子', '银行', "
        "'310101197505051111', '黄浦区南京路9号', '021-63001234', 'chen@example.cn', NULL)"));
    data.sql(QStringLiteral(
        "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, 操作员, "
        "操作日期) VALUES "
        "('福寿厅1室0001号', '陈二', '陈小二', '2026-12-06', '2029-12-05', 2400, 2400, '存入', 'Admin', "
        "'2026-12-06 09:30:00')"));
    data.sql(QStringLiteral("INSERT INTO ghjc_xf2 (存放位置, 联系人, 寄存证, 数量1, 合计1, 香币, 数量2, "
                            "合计2, 小牌位, 数量3, 合计3, 瓷像, 数量4, "
                            "合计4, 层次费, 其它费, 总计, 操作员, 操作日期) VALUES ('福寿厅1室0001号', "
                            "'陈小二', 10, 1, 10, 5, 2, 10, 30, 1, 30, "
                            "0, 0, 0, 100, 0, 150, 'Admin', '2026-12-06 09:30:00')"));
    data.sql(
        QStringLiteral("INSERT INTO jc_tf (存放位置, 联系人, 工作单位, 应退金额, 操作员, 操作日期) VALUES "
                       "('福寿厅1室0002号', '刘三', '邮局', 1200, 'Admin', '2026-12-06 09:30:00')"));
    data.sql(
        QStringLiteral("INSERT INTO MwxsSjdtj (类型, 位置数, 百分比) VALUES ('总位置数', 3, 1), "
                       "('已购买数', 2, 0.6666666667), ('已预订数', 1, 0.3333333333), ('寿穴总数', 1, 0.5)"));
    data.sql(QStringLiteral(
        "INSERT INTO CountXsYear (月份, 销售量) VALUES ('一月', 0), ('十一月', 3), ('十二月', 1)"));
    data.sql(
        QStringLiteral("INSERT INTO Bxxstj (tjmc, xssl, Bfb) VALUES ('卧碑', 1, 0.5), ('立碑', 1, 0.5)"));
    data.sql(QStringLiteral("INSERT INTO jcxstj (类型, 位置数, 百分比) VALUES ('总寄存位', 3, 1), "
                            "('已寄存位', 1, 0.3333333333)"));
    data.sql(QStringLiteral("INSERT INTO Jczdyntj (月份, 销售量) VALUES ('十一月', 0), ('十二月', 1)"));
}

struct TemplateCase {
    QString name;
    QString query;
    std::optional<QString> heading;
};

// Every built-in template with a query like the one its print site passes.
QList<TemplateCase> templateCases() {
    const QString plot = QStringLiteral("select * from gm_dj where 墓碑位置='甲区1排0001号'");
    const QString deceased = plot + QStringLiteral(" and 故者姓名='张三'");
    const QString niche = QStringLiteral("select * from ghjc_dj where 存放位置='福寿厅1室0001号'");
    const QString moment = QStringLiteral(" where 操作日期='2026-12-06 09:30:00'");
    const QString range = QStringLiteral(" where 操作日期 >= '2026-12-01' and 操作日期 < '2026-12-07'");
    return {
        {QStringLiteral("wz"),
         QStringLiteral("select * from mq_wz where 墓区='甲区' and 状态='已购' order by 排,号"),
         QStringLiteral("已购墓位列表")},
        {QStringLiteral("jcwzs"),
         QStringLiteral("select * from ghjc_wz where 厅='福寿厅' and 室='1' and 状态='未使用' order by 号"),
         QStringLiteral("未使用的墓位列表")},
        {QStringLiteral("lxr_jc"), niche, {}},
        {QStringLiteral("gz_jc"), niche, {}},
        {QStringLiteral("yxsj_jc"), niche, {}},
        {QStringLiteral("jc_dj"), niche, {}},
        {QStringLiteral("jc_xc"), QStringLiteral("select * from ghjc_xf1") + moment, QStringLiteral("3年")},
        {QStringLiteral("jc_xf1"), QStringLiteral("select * from ghjc_xf1") + moment, QStringLiteral("3年")},
        {QStringLiteral("jc_tf"), QStringLiteral("select * from JC_TF") + moment, {}},
        {QStringLiteral("jc_xf2"), QStringLiteral("select * from GHJC_XF2") + moment, {}},
        {QStringLiteral("jc_djlxb"),
         QStringLiteral(
             "select "
             "id,存放位置,骨灰盒型,故者姓名,性别,出生日期,逝世日期,籍贯,生前单位,日期起,日期止,联系人,关系,"
             "工作单位,身份证号,家庭住址,联系电话,电子信箱,备注 from GHJC_dj where 日期止 <= '2030-01-05'"),
         QStringLiteral("从2026-12-06起1126天内寄存到期联系表")},
        {QStringLiteral("jc_tj"),
         QStringLiteral("select * from GHJC_XF1") + range + QStringLiteral(" and 操作方式='存入'"),
         QStringLiteral("2026-12-01到2026-12-06寄存收费统计表")},
        {QStringLiteral("jc_tj2"), QStringLiteral("select * from GHJC_XF2") + range,
         QStringLiteral("2026-12-01到2026-12-06寄存物品统计表 ")},
        {QStringLiteral("jctf_tj"), QStringLiteral("select * from JC_tf") + range, {}},
        {QStringLiteral("ghjcrqdy"), QStringLiteral("select * from jcxstj"),
         QStringLiteral("2026-01-01至2026-12-06骨灰寄存统计")},
        {QStringLiteral("ghjcntj"), QStringLiteral("select * from Jczdyntj"),
         QStringLiteral("2026年骨灰寄存统计打印")},
        {QStringLiteral("ydmd"), QStringLiteral("select * from ydmd where 墓碑位置='甲区1排0002号'"), {}},
        {QStringLiteral("ydmd1"), QStringLiteral("select * from ydmd where 墓碑位置='甲区1排0002号'"), {}},
        {QStringLiteral("gm_ydtm"),
         QStringLiteral(
             "select * from yd_tm where 墓碑位置='甲区1排0003号' and 操作时间='2026-12-06 09:30:00'"),
         {}},
        // The contact sheet of the plot whose contact has an apostrophe in the name, written as a literal.
        {QStringLiteral("lxr"),
         QStringLiteral("select  * from gm_dj where 联系人=") +
             SqlLiteral::text(QStringLiteral("O'Brien 欧文")),
         {}},
        {QStringLiteral("gm"),
         QStringLiteral("select 5000 as 预交金额,0 as 余额,* from gm_xf1 where  id=1"),
         {}},
        {QStringLiteral("gm1"),
         QStringLiteral("select 5000 as 预交金额,0 as 余额,* from gm_xf1 where  id=1"),
         {}},
        {QStringLiteral("gz"), deceased, {}},
        {QStringLiteral("g"), deceased, {}},
        {QStringLiteral("dj"), deceased, {}},
        {QStringLiteral("yxsj"), plot, {}},
        {QStringLiteral("fz"), plot, {}},
        {QStringLiteral("af"), plot, {}},
        {QStringLiteral("gm_jxf"), QStringLiteral("select * from gm_xf1 where  id=2"), {}},
        {QStringLiteral("gm_gmzsf"),
         QStringLiteral("select * from gm_xf1 where 操作日期='2026-12-06 10:00:00'"), QStringLiteral("5年")},
        {QStringLiteral("gm_djlxb"), QStringLiteral("select * from gm_dj where  日期止 <= '2027-01-05'"),
         QStringLiteral("从2026-12-06起30天内墓地使用到期联系表")},
        {QStringLiteral("gm_qtf"), QStringLiteral("select * from gm_qtf") + moment, {}},
        {QStringLiteral("gm_tm"), QStringLiteral("select * from mq_tm") + moment, {}},
        {QStringLiteral("gm_tj1"),
         QStringLiteral("select * from gm_xf1 where 操作方式='购墓' and 购墓日期 >= '2026-12-01' and "
                        "购墓日期 <= '2026-12-06'"),
         QStringLiteral("2026-12-01到2026-12-06公墓销售统计表(墓区)")},
        {QStringLiteral("gm_tf"), QStringLiteral("select * from mq_tm") + range,
         QStringLiteral("2026-12-01到2026-12-06公墓退费统计表")},
        {QStringLiteral("gm_tj2"), QStringLiteral("select * from gm_qtf") + range,
         QStringLiteral("2026-12-01到2026-12-06墓区三产统计表")},
        {QStringLiteral("gm_tj3"),
         QStringLiteral("select * from ydmd where 操作时间 >= '2026-12-01' and 操作时间 < '2026-12-07' and "
                        "墓碑位置 like '%甲区%'"),
         QStringLiteral("2026-12-01到2026-12-06公墓预定统计表(甲区)")},
        {QStringLiteral("mwxstj"), QStringLiteral("select * from MwxsSjdtj"),
         QStringLiteral("从2026-01-01至2026-12-06墓位销售情况统计")},
        {QStringLiteral("year"), QStringLiteral("select * from CountXsYear"),
         QStringLiteral("2026年墓位销售统计")},
        {QStringLiteral("bxxstj"), QStringLiteral("select * from Bxxstj"),
         QStringLiteral("2026-01-01至2026-12-06碑型销售统计打印")},
        {QStringLiteral("gm_cjddsf"),
         QStringLiteral("select * from cjdd where 墓碑位置='甲区1排0001号' and 交款日期='2026-12-06' and "
                        "终止年份='2027' "
                        "and 起始年份='2026' limit 1"),
         {}},
        {QStringLiteral("gm_cjddhz"),
         QStringLiteral(
             "select 墓碑位置,故者姓名,落葬日期,联系人,联系电话,交款金额,起始年份,终止年份,交款日期,操作人 "
             "from cjdd "
             "where 交款日期 like '2026%' order by 墓碑位置"),
         QStringLiteral("2026年份春节点灯收费汇总表")},
        {QStringLiteral("jmsg"),
         QStringLiteral("select * from jmsg where 墓地位置='甲区1排0001号' and 故者姓名='张三'"),
         {}},
        {QStringLiteral("sgys"),
         QStringLiteral("select * from jmsgys where 墓地位置='甲区1排0001号' and 故者姓名='张三'"),
         {}},
    };
}

Printout printFrom(TestData& data, const TemplateCase& job) {
    return Printout::prepare(data.db(), TemplateLibrary(data.folder().templatesFolder()),
                             {job.name, job.query, job.heading}, today);
}

void writeFile(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(text.toUtf8());
}

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class PrinterTest : public QObject {
    Q_OBJECT

private slots:
    void tailSplitsAtTheRightMarks() {
        // Padding goes, the heading follows the last "@".
        PrintRequest request =
            PrintRequest::parse(QStringLiteral("gm        $#select * from gm_xf1 where id=1@标题"));
        QCOMPARE(request.templateName, QStringLiteral("gm"));
        QCOMPARE(request.query, QStringLiteral("select * from gm_xf1 where id=1"));
        QCOMPARE(request.heading, std::optional<QString>(QStringLiteral("标题")));

        // "@" and "$#" inside literals belong to the query; a doubled apostrophe does not end the literal.
        request = PrintRequest::parse(QStringLiteral(
            "jc_djlxb  $#select * from gm_dj where 备注='a$#b@c' and 联系人='O''Brien@x.cn'@从今天起30天内"));
        QCOMPARE(request.templateName, QStringLiteral("jc_djlxb"));
        QCOMPARE(request.query,
                 QStringLiteral("select * from gm_dj where 备注='a$#b@c' and 联系人='O''Brien@x.cn'"));
        QCOMPARE(request.heading, std::optional<QString>(QStringLiteral("从今天起30天内")));

        request =
            PrintRequest::parse(QStringLiteral("  ydmd   $#select * from ydmd where 联系人='a@b' -- x@y\n"));
        QCOMPARE(request.templateName, QStringLiteral("ydmd"));
        QVERIFY(!request.heading);
        QVERIFY(!PrintRequest::parse(QStringLiteral("g        $#select \"a@b\" from gm_dj")).heading);

        // An apostrophe in the heading does not hide the mark before it.
        request = PrintRequest::parse(QStringLiteral("wz        $#select 1@O'Brien 的列表"));
        QCOMPARE(request.query, QStringLiteral("select 1"));
        QCOMPARE(request.heading, std::optional<QString>(QStringLiteral("O'Brien 的列表")));

        // No separator, a name that could reach outside the template folder, or nothing to run.
        QCOMPARE(refusalStage([] { PrintRequest::parse(QStringLiteral("gm select 1")); }),
                 int(PrintError::CommandLine));
        QCOMPARE(refusalStage([] { PrintRequest::parse(QStringLiteral("../../x$#select 1")); }),
                 int(PrintError::CommandLine));
        QCOMPARE(refusalStage([] { PrintRequest::parse(QStringLiteral("gm  $#  @标题")); }),
                 int(PrintError::CommandLine));
    }

    void onlyOneReadingSelectRuns() {
        TestData data;
        seed(data);
        const QString before = data.dump(QStringLiteral("gm_dj")) + data.dump(QStringLiteral("czy"));
        Database readOnly(data.folder().databaseFile(), Database::Mode::ReadOnly);

        for (const char* refused :
             {"delete from gm_dj", "select 1; delete from gm_dj", "select 1;select 2",
              "select 1; drop table gm_dj -- gone", "with x as (select 1) delete from gm_dj",
              "update gm_dj set 联系人='x'", "insert into gx values ('x')", "pragma user_version = 9",
              "explain select 1", "attach database 'x.db' as x", "selec * from gm_dj",
              "select * from no_such_table", "-- nothing"}) {
            QCOMPARE(refusalStage([&] { ReportQuery::run(readOnly, QString::fromUtf8(refused)); }),
                     int(PrintError::Query));
        }
        for (const char* accepted : {"select 1;", "select 1; -- done", " /* list */ select * from gm_dj",
                                     "with x as (select 1 as a) select a from x"})
            QCOMPARE(refusalStage([&] { ReportQuery::run(readOnly, QString::fromUtf8(accepted)); }), 0);

        QCOMPARE(data.dump(QStringLiteral("gm_dj")) + data.dump(QStringLiteral("czy")), before);
        QCOMPARE(data.db().schemaVersion(), Schema::latestVersion());
    }

    void valuesAreShownByColumn() {
        QCOMPARE(PrintValues::display(QStringLiteral("合计"), 17650.5), QStringLiteral("17650.50"));
        QCOMPARE(PrintValues::display(QStringLiteral("预交金额"), 5000), QStringLiteral("5000.00"));
        QCOMPARE(PrintValues::display(QStringLiteral("QTF"), QStringLiteral("45.5")),
                 QStringLiteral("45.50"));
        QCOMPARE(PrintValues::display(QStringLiteral("数量1"), 2.0), QStringLiteral("2"));
        QCOMPARE(PrintValues::display(QStringLiteral("qt"), QStringLiteral("花篮：")), QStringLiteral("花篮"));
        QCOMPARE(PrintValues::display(QStringLiteral("qt"), QStringLiteral("：")), QString());
        QCOMPARE(PrintValues::display(QStringLiteral("穴位深度"), 1.25), QStringLiteral("1.25"));
        QCOMPARE(PrintValues::display(QStringLiteral("百分比"), 0.6666666667), QStringLiteral("66.67%"));
        QCOMPARE(PrintValues::display(QStringLiteral("操作日期"), QStringLiteral("2026-12-06 09:30:00")),
                 QStringLiteral("2026-12-06"));
        QCOMPARE(PrintValues::display(QStringLiteral("日期止"), QStringLiteral("长期")),
                 QStringLiteral("长期"));
        QCOMPARE(PrintValues::display(QStringLiteral("合计"), QVariant()), QString());

        // Counts and sums over the rows, the first row at top level, and an office template that replaces
        // none.
        TestData data;
        seed(data);
        writeFile(
            QDir(data.folder().templatesFolder()).filePath(QStringLiteral("probe.html")),
            QStringLiteral(
                "{{count}}|{{sums.合计}}|{{#rows}}{{序号}}:{{合计}}{{#备注}}({{备注}}){{/备注}},{{/rows}}|"
                "{{联系人}}|{{heading}}{{^heading}}无标题{{/heading}}|{{unit}}|{{today}}|<b>{{qt}}</b>"));
        const Printout probe = printFrom(
            data, {QStringLiteral("probe"), QStringLiteral("select * from gm_xf1 order by id"), {}});
        QCOMPARE(probe.html,
                 QStringLiteral("2|18250.50|1:17650.50,2:600.00(续五年),|王小明|无标题|青山公墓管理处|"
                                "2026-12-06|<b>刻字</b>"));
        // Values are escaped, so a value cannot inject markup.
        data.sql(QStringLiteral("UPDATE gm_xf1 SET qt = '<i>&' WHERE id = 1"));
        QVERIFY(printFrom(data, {QStringLiteral("probe"), QStringLiteral("select * from gm_xf1"),
                                 QStringLiteral("x")})
                    .html.endsWith(QStringLiteral("<b>&lt;i&gt;&amp;</b>")));
    }

    void officeTemplatesReplaceBuiltInOnes() {
        TestData data;
        seed(data);
        const TemplateCase receipt{
            QStringLiteral("gm"), QStringLiteral("select * from gm_xf1 where id=1"), {}};
        QVERIFY(printFrom(data, receipt).html.contains(QStringLiteral("购墓收费表")));

        const QString folder = data.folder().templatesFolder();
        writeFile(QDir(folder).filePath(QStringLiteral("gm.html")),
                  QStringLiteral("{{>_head}}本处收据 {{墓碑位置}}"));
        writeFile(QDir(folder).filePath(QStringLiteral("_head.html")), QStringLiteral("<p>本处抬头</p>"));
        QCOMPARE(printFrom(data, receipt).html, QStringLiteral("<p>本处抬头</p>本处收据 甲区1排0001号"));

        // A missing template or piece, or a broken one, is refused rather than printed half.
        writeFile(QDir(folder).filePath(QStringLiteral("gm.html")), QStringLiteral("{{>_nothing}}"));
        QCOMPARE(refusalStage([&] { printFrom(data, receipt); }), int(PrintError::Template));
        writeFile(QDir(folder).filePath(QStringLiteral("gm.html")), QStringLiteral("{{#rows}}"));
        QCOMPARE(refusalStage([&] { printFrom(data, receipt); }), int(PrintError::Template));
        QCOMPARE(refusalStage([&] {
                     printFrom(data, {QStringLiteral("nosuch"), receipt.query, {}});
                 }),
                 int(PrintError::Template));
    }

    void templatesSetTheirPage() {
        TestData data;
        writeFile(QDir(data.folder().templatesFolder()).filePath(QStringLiteral("probe.html")),
                  QStringLiteral("<meta name=\"orientation\" content=\"landscape\">"
                                 "<meta name=\"tabs\" content=\"12 r40.5\"><p>{{count}}</p>"));
        const Printout wide = printFrom(data, {QStringLiteral("probe"), QStringLiteral("select 1"), {}});
        QVERIFY(wide.landscape);
        QCOMPARE(wide.tabStops.size(), 2);
        QCOMPARE(wide.tabStops.at(0).position, 12.0);
        QCOMPARE(wide.tabStops.at(0).type, QTextOption::LeftTab);
        QCOMPARE(wide.tabStops.at(1).position, 40.5);
        QCOMPARE(wide.tabStops.at(1).type, QTextOption::RightTab);
        const Printout plain = printFrom(data, {QStringLiteral("gm"), QStringLiteral("select 1"), {}});
        QVERIFY(!plain.landscape);
        QVERIFY(plain.tabStops.isEmpty());
    }

    // The text of every built-in template, filled from the seeded office, against tests/printer/golden.
    // Run with PELU_UPDATE_GOLDEN=1 to write the golden files anew after a deliberate change of layout.
    void everyTemplateMatchesItsGolden() {
        TestData data;
        seed(data);
        const bool update = qEnvironmentVariableIsSet("PELU_UPDATE_GOLDEN");
        QStringList covered;
        for (const TemplateCase& job : templateCases()) {
            covered << job.name;
            const Printout printout = printFrom(data, job);
            const QString text = printout.layOut()->toPlainText();
            const QString golden =
                QDir(QStringLiteral(PRINTER_GOLDEN_FOLDER)).filePath(job.name + QStringLiteral(".txt"));
            if (update)
                writeFile(golden, text);
            QVERIFY2(QFile::exists(golden), qPrintable(QStringLiteral("no golden text for ") + job.name));
            const QStringList lines = text.split(QLatin1Char('\n'));
            const QStringList expected = readFile(golden).split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < std::max(lines.size(), expected.size()); ++i)
                QVERIFY2(lines.value(i) == expected.value(i),
                         qPrintable(QStringLiteral("%1, line %2: \"%3\" instead of \"%4\"")
                                        .arg(job.name)
                                        .arg(i + 1)
                                        .arg(lines.value(i), expected.value(i))));
        }
        covered.sort();
        QCOMPARE(covered, TemplateLibrary::builtInNames());
    }

    void archiveNeverOverwrites() {
        QTemporaryDir folder;
        Printout printout;
        printout.templateName = QStringLiteral("gm");
        printout.html = QStringLiteral("<p>收据</p>");
        const QDateTime now(today, QTime(9, 30, 5));
        const QString first = printout.archivePdf(folder.path(), now);
        const QString second = printout.archivePdf(folder.path(), now);
        QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("20261206-093005-gm.pdf"));
        QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("20261206-093005-gm-2.pdf"));
        QVERIFY(QFileInfo(first).size() > 0);
        QVERIFY(QFileInfo(second).size() > 0);
    }

    // The real program, as pelu starts it: a receipt becomes a PDF with the row's Chinese text, and a tail
    // that would write is refused without touching the database.
    void programPrintsReceiptAndRefusesWrites() {
        TestData data;
        seed(data);
        const QString before = data.dump(QStringLiteral("gm_xf1"));
        const auto run = [&](const QString& tail, const QString& dataFolder) {
            QProcess program;
            program.start(QStringLiteral(PELU_PRINT_PROGRAM), {QStringLiteral("--data"), dataFolder, tail});
            program.waitForFinished(60000);
            return std::tuple(program.exitCode(),
                              QString::fromUtf8(program.readAllStandardOutput()).trimmed(),
                              QString::fromUtf8(program.readAllStandardError()));
        };

        const auto [code, pdf, errors] =
            run(QStringLiteral("gm        $#select * from gm_xf1 where id=1@标题"), data.folder().path());
        QCOMPARE(code, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}-gm(-\\d+)?\\.pdf$"))
                     .match(QFileInfo(pdf).fileName())
                     .hasMatch(),
                 qPrintable(pdf + errors));
        QCOMPARE(QFileInfo(pdf).absolutePath(), QDir(data.folder().printsFolder()).absolutePath());

        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (!pdftotext.isEmpty()) {
            QProcess extract;
            extract.start(pdftotext, {pdf, QStringLiteral("-")});
            extract.waitForFinished(60000);
            const QString text = QString::fromUtf8(extract.readAllStandardOutput());
            for (const QString& shown : {QStringLiteral("青山公墓管理处"), QStringLiteral("购墓收费表"),
                                         QStringLiteral("甲区1排0001号"), QStringLiteral("王小明"),
                                         QStringLiteral("17650.50"), QStringLiteral("2026-12-06")})
                QVERIFY2(text.contains(shown), qPrintable(shown + QStringLiteral(" missing from:\n") + text));
        }

        const auto [refusedCode, refusedOut, refusal] =
            run(QStringLiteral("gm        $#delete from gm_xf1"), data.folder().path());
        QCOMPARE(refusedCode, int(PrintError::Query));
        QVERIFY2(refusal.contains(QStringLiteral("SELECT")), qPrintable(refusal));
        QCOMPARE(data.dump(QStringLiteral("gm_xf1")), before);
        QCOMPARE(QDir(data.folder().printsFolder()).entryList(QDir::Files).size(), 1);

        QTemporaryDir empty;
        const auto [missingCode, missingOut, missing] =
            run(QStringLiteral("gm        $#select 1"), empty.path());
        QCOMPARE(missingCode, int(PrintError::Query));
        QVERIFY2(missing.contains(QStringLiteral("数据库文件不存在")), qPrintable(missing));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed: the PDF's text was not checked");
    }
};

QTEST_MAIN(PrinterTest)
#include "tst_printer.moc"
