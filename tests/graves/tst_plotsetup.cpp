#include "plotsetupservice.h"
#include "positionkey.h"
#include "testsupport.h"

#include <QSqlRecord>
#include <QTest>

namespace {

// Stands in for the window: keeps what the rules showed and runs long work at once.
struct RecordingView : PlotSetupView {
    QStringList statuses;
    QStringList results;
    bool rowGroupEnabled = true;
    QString startNumber;
    QList<Pass> passes;

    void showStatus(const QString& text) override { statuses << text; }
    void showResults(const QStringList& lines) override { results = lines; }
    void setRowGroupEnabled(bool enabled) override { rowGroupEnabled = enabled; }
    void showStartNumber(const QString& number) override { startNumber = number; }
    void runLong(Pass pass, const Work& work) override {
        passes << pass;
        work([] {});
    }
};

struct Setup {
    TestData data;
    Session session;
    ScriptedPrompter prompter;
    RecordingView view;
    PlotSetupService service{data.db(), session, prompter};

    Setup() { session.operatorName = QStringLiteral("张三"); }

    void marker(const QString& area, const QString& row = QString()) {
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES (?, ?)"),
                 {area, row.isEmpty() ? QVariant() : QVariant(row)});
    }
    void plot(const QString& area, const QString& row, const QString& number,
              const QString& state = QStringLiteral("未使用")) {
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES (?, ?, ?, '单人墓', ?)"),
                 {area, row.isEmpty() ? QVariant() : QVariant(row), number, state});
    }
    // The keys of the place's plots in number order, joined by blanks.
    QString keys(const QString& area, const QString& row = QString()) {
        return data
            .value(QStringLiteral(
                       "SELECT group_concat(墓碑位置, ' ') FROM (SELECT 墓碑位置 FROM mq_wz WHERE 墓区 = ? "
                       "AND ifnull(排, '') = ifnull(?, '') AND 号 IS NOT NULL ORDER BY 号)"),
                   {area, row})
            .toString();
    }
    // The named columns of the plot with `key`, joined by slashes.
    QString columns(const QString& key, const QString& names) {
        QSqlQuery query = data.db().exec(QStringLiteral("SELECT ") + names +
                                             QStringLiteral(" FROM mq_wz WHERE 墓碑位置 = ?"),
                                         {key}, QStringLiteral("test read"));
        if (!query.next())
            return QStringLiteral("no plot");
        QStringList values;
        for (int column = 0; column < query.record().count(); ++column)
            values << (query.isNull(column) ? QStringLiteral("null") : query.value(column).toString());
        return values.join(QLatin1Char('/'));
    }
    int rowsOf(const QString& area) {
        return data.count(QStringLiteral("mq_wz"), QStringLiteral("墓区 = ?"), {area});
    }
};

PlotSetupInput run(const QString& area, const QString& row, const QString& start, const QString& count) {
    PlotSetupInput input;
    input.area = area;
    input.row = row;
    input.rowsListed = row.isEmpty() ? 0 : 1;
    input.start = start;
    input.count = count;
    input.style = QStringLiteral("双人墓");
    input.prices = {QStringLiteral("3000"), QStringLiteral("500"), QStringLiteral("200"),
                    QStringLiteral("0"),    QStringLiteral("100"), QStringLiteral("50.5")};
    return input;
}

PlotSetupInput range(const QString& area, const QString& row, const QString& from, const QString& to) {
    PlotSetupInput input = run(area, row, QString(), QString());
    input.deleteFrom = from;
    input.deleteTo = to;
    return input;
}

const ShownMessage& last(const ScriptedPrompter& prompter) {
    return prompter.shown.last();
}

} // namespace

class PlotSetupTest : public QObject {
    Q_OBJECT

private slots:
    void aRunFillsTheRowMarkerAndNamesEveryPlot() {
        Setup setup;
        setup.marker(QStringLiteral("A区"), QStringLiteral("1"));
        QVERIFY(setup.service.createRun(
            run(QStringLiteral("A区"), QStringLiteral("1"), QStringLiteral("7"), QStringLiteral("3")),
            setup.view));

        QCOMPARE(setup.keys(QStringLiteral("A区"), QStringLiteral("1")),
                 QStringLiteral("A区1排0007号 A区1排0008号 A区1排0009号"));
        QCOMPARE(setup.rowsOf(QStringLiteral("A区")), 3); // the marker became the first plot
        QCOMPARE(setup.view.results,
                 QStringList({QStringLiteral("A区1排,新增了0007号"), QStringLiteral("A区1排,新增了0008号"),
                              QStringLiteral("A区1排,新增了0009号")}));
        QCOMPARE(setup.view.startNumber, QStringLiteral("0007"));
        QCOMPARE(setup.view.passes, QList<PlotSetupView::Pass>(
                                        {PlotSetupView::Pass::DuplicateCheck, PlotSetupView::Pass::Write}));
        QCOMPARE(
            setup.columns(QStringLiteral("A区1排0008号"),
                          QStringLiteral("样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, 状态, 寿穴")),
            QStringLiteral("双人墓/3000/500/200/0/100/50.5/未使用/null"));
        QCOMPARE(setup.prompter.shown.size(), 1);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("恭喜"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("OK,设置完毕！"));
    }

    void aRunMeetingAnExistingNumberWritesNothingAndNamesIt() {
        Setup setup;
        setup.plot(QStringLiteral("A区"), QStringLiteral("1"), QStringLiteral("0009"),
                   QStringLiteral("已购"));
        setup.plot(QStringLiteral("A区"), QStringLiteral("2"), QStringLiteral("0001"));
        const QString before = setup.data.dump(QStringLiteral("mq_wz"));

        QVERIFY(!setup.service.createRun(
            run(QStringLiteral("A区"), QStringLiteral("1"), QStringLiteral("7"), QStringLiteral("3")),
            setup.view));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("经检测，A区1排0009号,已经存在,请重新设置！"));
        QCOMPARE(last(setup.prompter).icon, Prompter::Icon::Information);
        QCOMPARE(setup.view.passes, QList<PlotSetupView::Pass>({PlotSetupView::Pass::DuplicateCheck}));

        // Numbers keep four digits, so a run of more than 10000 would make its first number twice.
        QVERIFY(!setup.service.createRun(
            run(QStringLiteral("A区"), QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("10001")),
            setup.view));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("经检测，A区3排0005号,已经存在,请重新设置！"));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
    }

    void anAreaWithoutRowsIsAskedAboutOnceForEachRun() {
        Setup setup;
        setup.marker(QStringLiteral("B区"));
        const QString question =
            QStringLiteral("您确信忽略排吗?\n\n选择'是',墓区排列为'某区某号'\n选择'否',请选择要设置的排");

        setup.prompter.answers.enqueue(Prompter::Answer::No);
        QVERIFY(!setup.service.createRun(
            run(QStringLiteral("B区"), QString(), QStringLiteral("1"), QStringLiteral("2")), setup.view));
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("排"));
        QCOMPARE(last(setup.prompter).text, question);
        QCOMPARE(setup.rowsOf(QStringLiteral("B区")), 1);
        QVERIFY(setup.view.rowGroupEnabled);

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        QVERIFY(setup.service.createRun(
            run(QStringLiteral("B区"), QString(), QStringLiteral("1"), QStringLiteral("2")), setup.view));
        QVERIFY(!setup.view.rowGroupEnabled);
        QCOMPARE(setup.keys(QStringLiteral("B区")), QStringLiteral("B区0001号 B区0002号"));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("墓区 = 'B区' AND 排 IS NULL")), 2);
        QCOMPARE(setup.view.results,
                 QStringList({QStringLiteral("B区,新增了0001号"), QStringLiteral("B区,新增了0002号")}));

        // After a success the question comes back; after a failed run it does not.
        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        QVERIFY(!setup.service.createRun(
            run(QStringLiteral("B区"), QString(), QStringLiteral("2"), QStringLiteral("1")), setup.view));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("经检测，B区0002号,已经存在,请重新设置！"));
        const int asked = setup.prompter.shown.size();
        QVERIFY(setup.service.createRun(
            run(QStringLiteral("C区"), QString(), QStringLiteral("1"), QStringLiteral("1")), setup.view));
        QCOMPARE(setup.prompter.shown.size(), asked + 1); // only the success message
        QCOMPARE(setup.keys(QStringLiteral("C区")), QStringLiteral("C区0001号"));
    }

    void refusalsOfARunComeInTheOfficesOrder() {
        Setup setup;
        setup.session.flags.addDenied = true;
        QVERIFY(!setup.service.createRun(PlotSetupInput(), setup.view));
        QCOMPARE(last(setup.prompter).icon, Prompter::Icon::Information);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("张三"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您没有添加记录的权限！"));
        setup.session.flags.addDenied = false;

        auto refusal = [&setup](const PlotSetupInput& input) -> QString {
            setup.service.createRun(input, setup.view);
            return last(setup.prompter).caption + QLatin1Char('|') + last(setup.prompter).text;
        };
        const QString area = QStringLiteral("A区");
        QCOMPARE(refusal(run(QString(), QStringLiteral("1"), QStringLiteral("-1"), QStringLiteral("0"))),
                 QStringLiteral("墓区|请选择墓区！"));
        QCOMPARE(refusal(run(area, QStringLiteral("1"), QStringLiteral("-1"), QStringLiteral("0"))),
                 QStringLiteral("起始号|起始号只能为0-9的字符，不能为空，小于零或其它字符！"));
        QCOMPARE(refusal(run(area, QStringLiteral("1"), QStringLiteral("x"), QStringLiteral("个"))),
                 QStringLiteral("跨步|墓碑个数只能为0-9的字符，不能为空，零或其它字符！"));
        QCOMPARE(refusal(run(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("-3"))),
                 QStringLiteral("跨步|墓碑个数只能为0-9的字符，不能为空，零或其它字符！"));
        PlotSetupInput noStyle = run(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"));
        noStyle.style.clear();
        QCOMPARE(refusal(noStyle), QStringLiteral("样式|请选择样式！"));
        PlotSetupInput noRow = run(area, QString(), QStringLiteral("7"), QStringLiteral("2"));
        noRow.rowsListed = 2;
        QCOMPARE(refusal(noRow), QStringLiteral("提示|请选择排！"));
        QCOMPARE(setup.view.startNumber, QStringLiteral("0007"));
        QVERIFY(setup.view.passes.isEmpty());
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz")), 0);
    }

    void aFailureHalfWayLeavesTheTableAsItWas() {
        Setup setup;
        setup.marker(QStringLiteral("A区"), QStringLiteral("1"));
        setup.plot(QStringLiteral("A区"), QStringLiteral("2"), QStringLiteral("0001"));
        setup.plot(QStringLiteral("A区"), QStringLiteral("2"), QStringLiteral("0002"));
        const QString before = setup.data.dump(QStringLiteral("mq_wz"));

        setup.data.db().failNthWrite(50);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 setup.service.createRun(run(QStringLiteral("A区"), QStringLiteral("1"),
                                                             QStringLiteral("1"), QStringLiteral("100")),
                                                         setup.view));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
        QVERIFY(setup.prompter.shown.isEmpty());

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 setup.service.deleteRun(range(QStringLiteral("A区"), QStringLiteral("2"),
                                                               QStringLiteral("1"), QStringLiteral("1")),
                                                         setup.view));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
    }

    void rowsAreNumberedOnAndOnlyTheLastFreeOneIsRemoved() {
        Setup setup;
        const QString area = QStringLiteral("A区");
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0001"));
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0001"));
        PlotSetupInput rows = run(area, QString(), QString(), QString());
        rows.rowsListed = 2;
        QCOMPARE(setup.service.addRow(rows), QStringLiteral("3"));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("排 = '3' AND 号 IS NULL")), 1);

        rows.row = QStringLiteral(" 2 ");
        QCOMPARE(setup.service.addRow(rows), std::nullopt);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("2已存在！"));

        rows.row.clear();
        rows.rowsListed = 3;
        QCOMPARE(setup.service.removeRow(rows), QStringLiteral("3"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("注销成功！ "));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("排 = '3'")), 0);

        rows.rowsListed = 2;
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0002"), QStringLiteral("限制"));
        QCOMPARE(setup.service.removeRow(rows), std::nullopt);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("提示"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您不能注销最后一个排，因为还有位置被使用！"));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("排 = '2'")), 2);

        // The first row of a new area takes the place of the area's marker, typed or numbered.
        setup.marker(QStringLiteral("D区"));
        PlotSetupInput fresh = run(QStringLiteral("D区"), QString(), QString(), QString());
        QCOMPARE(setup.service.addRow(fresh), QStringLiteral("1"));
        QCOMPARE(setup.rowsOf(QStringLiteral("D区")), 1);
        setup.marker(QStringLiteral("E区"));
        fresh.area = QStringLiteral("E区");
        fresh.row = QStringLiteral("东");
        QCOMPARE(setup.service.addRow(fresh), QStringLiteral("东"));
        QCOMPARE(setup.data.value(QStringLiteral("SELECT group_concat(排) FROM mq_wz WHERE 墓区 = 'E区'"))
                     .toString(),
                 QStringLiteral("东"));

        for (int row = 2; row <= 99; ++row)
            setup.marker(QStringLiteral("D区"), QString::number(row));
        fresh.area = QStringLiteral("D区");
        fresh.row.clear();
        QCOMPARE(setup.service.addRow(fresh), std::nullopt);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("对不起，排个数不能超过99个！"));
    }

    void areasAreAddedOnceAndRemovedOnlyWhileAllFree() {
        Setup setup;
        QVERIFY(!setup.service.acceptTypedAreaName(QStringLiteral("A'区")));
        QCOMPARE(last(setup.prompter).icon, Prompter::Icon::Exclamation);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("不要输入非法字符！"));
        QVERIFY(setup.service.acceptTypedAreaName(QStringLiteral("A区")));

        QCOMPARE(setup.service.addArea(QStringLiteral("  ")), std::nullopt);
        QCOMPARE(setup.service.addArea(QStringLiteral(" 新区 ")), QStringLiteral("新区"));
        QCOMPARE(setup.service.addArea(QStringLiteral("新区")), std::nullopt);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("新区已存在！"));
        QCOMPARE(setup.prompter.shown.size(), 2);
        QCOMPARE(setup.service.areas(), QStringList({QStringLiteral("新区")}));

        setup.marker(QStringLiteral("新区"), QStringLiteral("1"));
        setup.plot(QStringLiteral("新区"), QStringLiteral("2"), QStringLiteral("0001"));
        setup.plot(QStringLiteral("新区"), QStringLiteral("2"), QStringLiteral("0002"),
                   QStringLiteral("限制"));
        QVERIFY(!setup.service.removeArea(QStringLiteral("新区")));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您不能注销此墓区，因为墓区内还有位置被使用！"));
        QCOMPARE(setup.rowsOf(QStringLiteral("新区")), 4);

        setup.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '未使用' WHERE 号 = '0002'"));
        QVERIFY(setup.service.removeArea(QStringLiteral("新区")));
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("提示"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("注销成功！ "));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz")), 0);
    }

    void theStatusLineDescribesTheChosenAreaAndRow() {
        Setup setup;
        setup.plot(QStringLiteral("A区"), QStringLiteral("1"), QStringLiteral("0001"));
        setup.plot(QStringLiteral("A区"), QStringLiteral("1"), QStringLiteral("0002"));
        setup.plot(QStringLiteral("A区"), QStringLiteral("2"), QStringLiteral("0001"));
        setup.marker(QStringLiteral("A区"), QStringLiteral("3"));
        setup.marker(QStringLiteral("G区"), QStringLiteral("1"));
        setup.plot(QStringLiteral("B区"), QString(), QStringLiteral("0001"));
        setup.plot(QStringLiteral("B区"), QString(), QStringLiteral("0002"));
        setup.marker(QStringLiteral("C区"));

        auto area = setup.service.chooseArea(QStringLiteral("A区"));
        QCOMPARE(area.rows, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(area.status, QStringLiteral("A区内现有 3 排,可容纳 3 位"));
        QVERIFY(area.rowGroupEnabled);
        QCOMPARE(setup.service.chooseArea(QStringLiteral("G区")).status,
                 QStringLiteral("G区内现有 1 排,但是现在还没有设置！"));
        area = setup.service.chooseArea(QStringLiteral("B区"));
        QVERIFY(area.rows.isEmpty());
        QCOMPARE(area.status, QStringLiteral("B区,可容纳 2 位"));
        QVERIFY(!area.rowGroupEnabled);
        area = setup.service.chooseArea(QStringLiteral("C区"));
        QCOMPARE(area.status, QStringLiteral("C区,没有设置号,没有位置可用！"));
        QVERIFY(area.rowGroupEnabled);

        QCOMPARE(setup.service.chooseRow(QStringLiteral("A区"), QStringLiteral("1")),
                 QStringLiteral("A区1排,共有 2 个位置可用"));
        QCOMPARE(setup.service.chooseRow(QStringLiteral("A区"), QStringLiteral("3")),
                 QStringLiteral("A区3排,还没有设置！"));
    }

    void deletingAWholeRowKeepsItsLastPlot() {
        Setup setup;
        const QString area = QStringLiteral("A区");
        for (int n = 1; n <= 10; ++n)
            setup.plot(area, QStringLiteral("1"), PositionKey::fourDigitNumber(QString::number(n)));
        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("10")),
                                setup.view);
        QCOMPARE(setup.keys(area, QStringLiteral("1")), QStringLiteral("A区1排0010号"));
        QCOMPARE(setup.view.results.size(), 9);
        QCOMPARE(setup.view.results.first(), QStringLiteral("OK！A区1排0001号，已被删除！"));
        QCOMPARE(setup.view.statuses,
                 QStringList({QStringLiteral("正在删除，请等待……"), QStringLiteral("本次共删除记录9条")}));
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("删除"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您真的要删除这些记录吗?"));

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("20")),
                                setup.view);
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("记录只剩下一条,不能删除！"));
        QCOMPARE(setup.keys(area, QStringLiteral("1")), QStringLiteral("A区1排0010号"));

        // Part of a row goes entirely; a row marker counts as a row of the place.
        setup.marker(area, QStringLiteral("2"));
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0001"));
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0002"));
        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.deleteRun(range(area, QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("2")),
                                setup.view);
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("本次共删除记录2条"));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("排 = '2'")), 1);

        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("-1"), QStringLiteral("3")),
                                setup.view);
        QCOMPARE(last(setup.prompter).icon, Prompter::Icon::Critical);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("错误"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("起始号不能为负！"));
        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("3")),
                                setup.view);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("起始号不能大于终止号！"));
    }

    void aMixedRangeDeletesOnlyFreePlotsAndNamesSoldAndReservedOnes() {
        Setup setup;
        const QString area = QStringLiteral("A区");
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0001"), QStringLiteral("已购"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0002"), QStringLiteral("已预订"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0003"), QStringLiteral("限制"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0004"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0005"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0006"));
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0004"));
        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("5")),
                                setup.view);
        QCOMPARE(setup.view.results, QStringList({QStringLiteral("A区1排0001号，正在使用中，不能删除！"),
                                                  QStringLiteral("A区1排0002号，已被预订，不能删除！"),
                                                  QStringLiteral("OK！A区1排0004号，已被删除！"),
                                                  QStringLiteral("OK！A区1排0005号，已被删除！")}));
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("本次共删除记录2条"));
        QCOMPARE(setup.keys(area, QStringLiteral("1")),
                 QStringLiteral("A区1排0001号 A区1排0002号 A区1排0003号 A区1排0006号"));
        QCOMPARE(setup.keys(area, QStringLiteral("2")), QStringLiteral("A区2排0004号"));

        setup.session.flags.deleteDenied = true;
        setup.service.deleteRun(range(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("5")),
                                setup.view);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("张三"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您没有删除记录的权限！"));
    }

    void styleAndPricesChangeOnEveryPlotFound() {
        Setup setup;
        const QString area = QStringLiteral("A区");
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0001"), QStringLiteral("已购"));
        setup.plot(area, QStringLiteral("1"), QStringLiteral("0002"));
        setup.plot(area, QStringLiteral("2"), QStringLiteral("0001"));
        PlotSetupInput input = run(area, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("3"));
        input.style = QStringLiteral("艺术墓");

        setup.prompter.answers.enqueue(Prompter::Answer::No);
        setup.service.changeStyle(input, setup.view);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("修改样式"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您确信要修改墓地样式吗？"));
        QVERIFY(setup.view.statuses.isEmpty());

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.changeStyle(input, setup.view);
        QCOMPARE(setup.view.results, QStringList({QStringLiteral("A区1排0001号，样式已修改为： 艺术墓"),
                                                  QStringLiteral("A区1排0002号，样式已修改为： 艺术墓"),
                                                  QStringLiteral("未发现 A区1排0003号！")}));
        QCOMPARE(setup.view.statuses, QStringList({QStringLiteral("正在运行修改记录命令，请等待……"),
                                                   QStringLiteral("共有 2 记录被修改！")}));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("样式 = '艺术墓'")), 2);

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        input.count = QStringLiteral("1");
        setup.service.changePrices(input, setup.view);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("修改收费标准"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您确信要修改墓地收费标准吗？"));
        QCOMPARE(setup.view.results, QStringList({QStringLiteral("A区1排0001号，已调整了收费标准！")}));
        QCOMPARE(setup.columns(QStringLiteral("A区1排0001号"), QStringLiteral("样式, 墓地费, 其它, 状态")),
                 QStringLiteral("艺术墓/3000/50.5/已购"));
        QCOMPARE(setup.data.count(QStringLiteral("mq_wz"), QStringLiteral("墓地费 IS NOT NULL")), 1);

        setup.session.flags.modifyDenied = true;
        setup.service.changePrices(input, setup.view);
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您没有修改记录的权限！"));
    }

    void missingNumbersAreListedUpToTheHighestOne() {
        Setup setup;
        for (const char* number : {"0001", "0002", "0005", "0007"})
            setup.plot(QStringLiteral("A区"), QStringLiteral("1"), QString::fromLatin1(number));
        setup.plot(QStringLiteral("A区"), QStringLiteral("2"), QStringLiteral("0009"));
        setup.plot(QStringLiteral("B区"), QString(), QStringLiteral("0002"));

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.listMissingNumbers(
            run(QStringLiteral("A区"), QStringLiteral("1"), QString(), QString()), setup.view);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("问题"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("您确信要检测吗？"));
        QCOMPARE(setup.view.results, QStringList({QStringLiteral("A区1排0003号，未设置！"),
                                                  QStringLiteral("A区1排0004号，未设置！"),
                                                  QStringLiteral("A区1排0006号，未设置！")}));
        QCOMPARE(setup.view.statuses,
                 QStringList({QStringLiteral("正在检测未设置号，可能需要几分钟，请等待……"),
                              QStringLiteral("经检测，共有 3 记录未设置！")}));

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        setup.service.listMissingNumbers(run(QStringLiteral("B区"), QString(), QString(), QString()),
                                         setup.view);
        QCOMPARE(setup.view.results, QStringList({QStringLiteral("B区0001号，未设置！")}));

        setup.prompter.answers.enqueue(Prompter::Answer::Yes);
        PlotSetupInput noRow = run(QStringLiteral("A区"), QString(), QString(), QString());
        noRow.rowsListed = 2;
        setup.service.listMissingNumbers(noRow, setup.view);
        QCOMPARE(last(setup.prompter).caption, QStringLiteral("排"));
        QCOMPARE(last(setup.prompter).text, QStringLiteral("请选择排！"));
    }
};

QTEST_GUILESS_MAIN(PlotSetupTest)
#include "tst_plotsetup.moc"
