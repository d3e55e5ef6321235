#include "graves/plotsetupservice.h"
#include "support/setupfixture.h"

#include <QSignalSpy>
#include <QSqlRecord>
#include <QTest>

namespace {

using Pass = PlotSetupView::Pass;

struct RecordingView : RecordingSetupView<PlotSetupView> {
    bool rowGroupEnabled = true;
    void setRowGroupEnabled(bool enabled) override { rowGroupEnabled = enabled; }
};

// What the window holds: an empty row name means the area has no rows listed.
PlotSetupInput run(const char* area, const char* row, const char* start = "", const char* count = "") {
    PlotSetupInput input;
    input.area = text(area);
    input.row = text(row);
    input.rowsListed = *row ? 1 : 0;
    input.start = text(start);
    input.count = text(count);
    input.style = QStringLiteral("双人墓");
    input.prices = {QStringLiteral("3000"), QStringLiteral("500"), QStringLiteral("200"),
                    QStringLiteral("80"),   QStringLiteral("100"), QStringLiteral("50.5")};
    return input;
}

struct Setup : SetupFixture<PlotSetupService, RecordingView, PlotSetupInput> {
    // Plots in one state, or the marker row of the place without `numbers`; an empty row name is NULL.
    void add(const char* area, const char* row, std::initializer_list<const char*> numbers = {},
             const char* state = "未使用") {
        const QVariant rowName = *row ? QVariant(text(row)) : QVariant();
        if (numbers.size() == 0)
            data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES (?, ?)"), {text(area), rowName});
        for (const char* number : numbers)
            data.sql(
                QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES (?, ?, ?, '单人墓', ?)"),
                {text(area), rowName, text(number), text(state)});
    }
    QString value(const char* query, const QVariantList& values = {}) {
        return data.value(text(query), values).toString();
    }
    int count(const char* where = "") { return data.count(QStringLiteral("mq_wz"), text(where)); }
    // The keys of the place's plots in number order, joined by blanks.
    QString keys(const char* area, const char* row = "") {
        return data.db()
            .texts(QStringLiteral(
                       "SELECT 墓碑位置 FROM mq_wz WHERE 墓区 = ? AND COALESCE(排, '') = ? AND 号 IS NOT "
                       "NULL ORDER BY 号"),
                   {text(area), text(row)}, QStringLiteral("test read"))
            .join(u' ');
    }
    // The named columns of the plot with `key`, joined by slashes; a Null shows as "null".
    QString columns(const char* key, const char* names) {
        QSqlQuery query = data.db().exec(
            QStringLiteral("SELECT %1 FROM mq_wz WHERE 墓碑位置 = ?").arg(text(names).replace(u' ', u',')),
            {text(key)}, QStringLiteral("test read"));
        QStringList values;
        while (query.next())
            for (int i = 0; i < query.record().count(); ++i)
                values << (query.isNull(i) ? QStringLiteral("null") : query.value(i).toString());
        return values.join(u'/');
    }
    bool create(const PlotSetupInput& input) { return service.createRun(input, view); }
    void remove(const char* area, const char* row, const char* from, const char* to) {
        removeFrom(run(area, row), from, to);
    }
};

// Answers like the scripted prompter; after the answer to the next question another desk's change lands,
// committed before this desk's write begins.
struct InterleavingPrompter : ScriptedPrompter {
    std::function<void()> afterAnswer;
    using ScriptedPrompter::ask;
    Answer ask(Icon icon, const QString& caption, const QString& text, bool withCancel) override {
        const Answer answer = ScriptedPrompter::ask(icon, caption, text, withCancel);
        if (afterAnswer)
            std::exchange(afterAnswer, {})();
        return answer;
    }
};

// Records like the set-up window; between the duplicate check and the write another desk's change lands.
struct InterleavingView : RecordingView {
    std::function<void()> afterCheck;
    void runLong(SetupView::Pass pass, const SetupView::Work& work) override {
        RecordingView::runLong(pass, work);
        if (pass == SetupView::Pass::DuplicateCheck && afterCheck)
            std::exchange(afterCheck, {})();
    }
};

bool onServer(Database& database) {
    if (database.isServer())
        return true;
    QTest::qSkip("a database file has one desk: its transactions never interleave", __FILE__, __LINE__);
    return false;
}

} // namespace

class PlotSetupTest : public QObject {
    Q_OBJECT

private slots:
    // The 0007/0008/0009 run fills the row's marker row in place; a run whose third number exists
    // writes nothing and names it.
    void aRunFillsTheRowMarkerAndStopsAtAnExistingNumber() {
        Setup setup;
        setup.add("A区", "1");
        QVERIFY(setup.create(run("A区", "1", "7", "3")));
        QCOMPARE(setup.keys("A区", "1"), QStringLiteral("A区1排0007号 A区1排0008号 A区1排0009号"));
        QCOMPARE(setup.count(), 3);
        QCOMPARE(setup.view.results,
                 texts({"A区1排,新增了0007号", "A区1排,新增了0008号", "A区1排,新增了0009号"}));
        // The marker row filled in place and a plot inserted after it carry the same values.
        for (const char* key : {"A区1排0007号", "A区1排0008号"})
            QCOMPARE(setup.columns(key, "样式 墓地费 墓碑费 工料费 家族费 绿化费 其它 状态 寿穴"),
                     QStringLiteral("双人墓/3000/500/200/80/100/50.5/未使用/null"));
        QCOMPARE(setup.said(), QStringLiteral("恭喜|OK,设置完毕！"));
        QCOMPARE(setup.view.statuses, texts({"A区1排,共有 3 个位置可用"}));

        setup.add("A区", "2");
        setup.add("A区", "3");
        const QString before = setup.data.dump(QStringLiteral("mq_wz"));
        setup.view.passes.clear();
        QVERIFY(!setup.create(run("A区", "1", "5", "3")));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，A区1排0007号,已经存在,请重新设置！"));
        QCOMPARE(setup.prompter.shown.last().icon, Prompter::Icon::Information);
        QCOMPARE(setup.view.passes, QList<Pass>({Pass::DuplicateCheck}));
        // Numbers keep four digits, so a run of more than 10000 would make its first number twice.
        QVERIFY(!setup.create(run("A区", "3", "5", "10001")));
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("经检测，A区3排0005号,已经存在,请重新设置！"));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
        QVERIFY(setup.create(run("A区", "2", "7", "1"))); // other rows do not count

        // A run longer than a server's batch of inserts: every number once, each with the run's values.
        setup.add("A区", "4");
        QVERIFY(setup.create(run("A区", "4", "1", "1201")));
        QCOMPARE(setup.count("排 = '4'"), 1201);
        QCOMPARE(setup.value("SELECT COUNT(DISTINCT 号) FROM mq_wz WHERE 排 = '4'"), QStringLiteral("1201"));
        QCOMPARE(setup.value("SELECT MIN(号) || '-' || MAX(号) FROM mq_wz WHERE 排 = '4'"),
                 QStringLiteral("0001-1201"));
        QCOMPARE(
            setup.value("SELECT COUNT(*) FROM mq_wz WHERE 排 = '4' AND 样式 = '双人墓' AND 墓地费 = 3000 "
                        "AND 其它 = 50.5 AND 墓区 = 'A区' AND 状态 = '未使用'"),
            QStringLiteral("1201"));
        for (const char* key : {"A区4排0500号", "A区4排0501号", "A区4排1001号", "A区4排1201号"})
            QCOMPARE(setup.columns(key, "样式 墓碑费 工料费 家族费 绿化费"),
                     QStringLiteral("双人墓/500/200/80/100"));
    }

    // The rows question and its flag.
    void anAreaWithoutRowsIsAskedAboutOnceForEachRun() {
        Setup setup;
        setup.add("B区", "");
        setup.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes << Prompter::Answer::Yes;
        QVERIFY(!setup.create(run("B区", "", "1", "2")));
        QCOMPARE(
            setup.said(),
            QStringLiteral("排|您确信忽略排吗?\n\n选择'是',墓区排列为'某区某号'\n选择'否',请选择要设置的排"));
        QCOMPARE(setup.count(), 1);
        QVERIFY(setup.view.rowGroupEnabled);

        QVERIFY(setup.create(run("B区", "", "1", "2")));
        QVERIFY(!setup.view.rowGroupEnabled);
        QCOMPARE(setup.keys("B区"), QStringLiteral("B区0001号 B区0002号"));
        QCOMPARE(setup.count("排 IS NULL"), 2);
        QCOMPARE(setup.view.results, texts({"B区,新增了0001号", "B区,新增了0002号"}));
        QCOMPARE(setup.view.statuses, texts({"B区,可容纳 2 位"}));

        // After a success the question comes back; after a failed run it does not.
        QVERIFY(!setup.create(run("B区", "", "2", "1")));
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("经检测，B区0002号,已经存在,请重新设置！"));
        QVERIFY(setup.prompter.answers.isEmpty()); // the question came back
        setup.add("C区", "");
        QVERIFY(setup.create(run("C区", "", "1", "1"))); // an unexpected question would fail the test
        QCOMPARE(setup.keys("C区"), QStringLiteral("C区0001号"));
    }

    void refusalsOfARunComeInTheOfficesOrder() {
        Setup setup;
        auto refusal = [&setup](const PlotSetupInput& input) {
            setup.create(input);
            return setup.said();
        };
        QCOMPARE(refusal(run("", "1", "-1", "0")), QStringLiteral("墓区|请选择墓区！"));
        QCOMPARE(refusal(run("A区", "1", "-1", "0")),
                 QStringLiteral("起始号|起始号只能为0-9的字符，不能为空，小于零或其它字符！"));
        const QString badCount = QStringLiteral("跨步|墓碑个数只能为0-9的字符，不能为空，零或其它字符！");
        QCOMPARE(refusal(run("A区", "1", "x", "个")), badCount);
        QCOMPARE(refusal(run("A区", "1", "1", "-3")), badCount);
        PlotSetupInput noStyle = run("A区", "1", "1", "2");
        noStyle.style.clear();
        QCOMPARE(refusal(noStyle), QStringLiteral("样式|请选择样式！"));
        PlotSetupInput noRow = run("A区", "", "7", "2");
        noRow.rowsListed = 2;
        QCOMPARE(refusal(noRow), QStringLiteral("提示|请选择排！"));
        QCOMPARE(setup.view.startNumber, QStringLiteral("0007"));
        QVERIFY(setup.view.passes.isEmpty());
        QCOMPARE(setup.count(), 0);
    }

    // An injected failure in the middle of a run, or of a delete, leaves the table unchanged.
    void aFailureHalfWayLeavesTheTableAsItWas() {
        Setup setup;
        setup.add("A区", "1");
        setup.add("A区", "2", {"0001", "0002"});
        const QString before = setup.data.dump(QStringLiteral("mq_wz"));

        // A server takes the run 500 positions a statement, one desk one by one.
        setup.data.db().failNthWrite(setup.data.db().isServer() ? 4 : 600);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, setup.create(run("A区", "1", "1", "1200")));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
        QVERIFY(setup.prompter.shown.isEmpty());

        setup.prompter.answers << Prompter::Answer::Yes;
        setup.data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, setup.remove("A区", "2", "1", "1"));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
    }

    // Creating, deleting, re-styling and re-pricing plots tell their area once committed; refused, failed
    // and fruitless actions tell nobody.
    void plotChangesAreToldForTheirArea() {
        Setup setup;
        setup.add("A区", "1");
        setup.add("B区", "1", {"0001"});
        QSignalSpy heard(&setup.data.db().changes(), &ChangeNotifier::changed);
        const auto told = [&] {
            QStringList areas;
            for (const QVariantList& notice : std::as_const(heard))
                areas << (notice.at(0).value<ChangeNotifier::Subject>() == ChangeNotifier::Subject::Plots
                              ? notice.at(1).toString()
                              : QStringLiteral("?"));
            heard.clear();
            return areas.join(u' ');
        };
        setup.data.db().failNthWrite(2);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, setup.create(run("A区", "1", "1", "3")));
        setup.data.db().failNthWrite(0);
        QCOMPARE(told(), QString());
        QVERIFY(setup.create(run("A区", "1", "1", "3")));
        QCOMPARE(told(), QStringLiteral("A区"));
        QVERIFY(!setup.create(run("A区", "1", "3", "1")));
        QCOMPARE(told(), QString());

        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.service.changePrices(run("B区", "1", "5", "1"), setup.view);
        QCOMPARE(told(), QString());
        setup.service.changeStyle(run("B区", "1", "1", "1"), setup.view);
        QCOMPARE(told(), QStringLiteral("B区"));

        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.remove("B区", "1", "1", "1");
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("记录只剩下一条,不能删除！"));
        QCOMPARE(told(), QString());
        setup.remove("A区", "1", "1", "2");
        QCOMPARE(told(), QStringLiteral("A区"));

        PlotSetupInput rows = run("A区", "");
        rows.rowsListed = 1;
        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;
        QCOMPARE(setup.service.removeRow(rows), QStringLiteral("1"));
        QCOMPARE(told(), QStringLiteral("A区"));
        QVERIFY(setup.service.removeArea(QStringLiteral("B区")));
        QCOMPARE(told(), QStringLiteral("B区"));
    }

    // Row 3 added and removed: only the last numbered row goes, and only while none of its plots is used.
    void rowsAndAreasAreAddedOnceAndRemovedOnlyWhileFree() {
        Setup setup;
        setup.add("A区", "1", {"0001"});
        setup.add("A区", "2", {"0001"});
        PlotSetupInput rows = run("A区", "");
        rows.rowsListed = 2;
        QCOMPARE(setup.service.addRow(rows), QStringLiteral("3"));
        QCOMPARE(setup.count("排 = '3' AND 号 IS NULL"), 1);
        rows.row = QStringLiteral(" 2 ");
        QCOMPARE(setup.service.addRow(rows), std::nullopt);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("2已存在！"));

        // Removing asks first; "否" leaves the row as it is. Row 3 of another area stays.
        setup.add("A区北", "3");
        rows.row.clear();
        rows.rowsListed = 3;
        setup.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        QCOMPARE(setup.service.removeRow(rows), std::nullopt);
        QCOMPARE(setup.said(),
                 QStringLiteral("注销排|确定要注销“A区3排”吗？该排的全部墓位将被删除，且无法恢复。"));
        QCOMPARE(setup.prompter.shown.last().icon, Prompter::Icon::Question);
        QCOMPARE(setup.count("墓区 = 'A区' AND 排 = '3'"), 1);
        QCOMPARE(setup.service.removeRow(rows), QStringLiteral("3"));
        QCOMPARE(setup.said(), QStringLiteral("提示|注销成功！ "));
        QCOMPARE(setup.count("排 = '3'"), 1);
        rows.rowsListed = 2;
        setup.add("A区", "2", {"0002"}, "限制");
        QCOMPARE(setup.service.removeRow(rows), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("提示|您不能注销最后一个排，因为还有位置被使用！"));
        QCOMPARE(setup.count("排 = '2'"), 2);

        // The first row of a new area takes the place of the area's marker, typed or numbered.
        setup.add("D区", "");
        QCOMPARE(setup.service.addRow(run("D区", "")), QStringLiteral("1"));
        QCOMPARE(setup.count("墓区 = 'D区'"), 1);
        setup.add("E区", "");
        QCOMPARE(setup.service.addRow(run("E区", "东")), QStringLiteral("东"));
        QCOMPARE(setup.count("墓区 = 'E区'"), 1);
        QCOMPARE(setup.value("SELECT 排 FROM mq_wz WHERE 墓区 = 'E区'"), QStringLiteral("东"));

        for (int row = 2; row <= 99; ++row)
            setup.add("D区", QByteArray::number(row).constData());
        QCOMPARE(setup.service.addRow(run("D区", "")), std::nullopt);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("对不起，排个数不能超过99个！"));

        // An area name is added once, trimmed; any plot not free blocks its removal, marker rows do not.
        const int shown = setup.prompter.shown.size();
        QCOMPARE(setup.service.addArea(QStringLiteral("  ")), std::nullopt);
        QCOMPARE(setup.service.addArea(QStringLiteral(" 新区 ")), QStringLiteral("新区"));
        QCOMPARE(setup.service.addArea(QStringLiteral("新区")), std::nullopt);
        QCOMPARE(setup.prompter.shown.size(), shown + 1);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("新区已存在！"));
        // Chinese sorts names in characters before those in letters.
        QCOMPARE(setup.service.areas(), texts({"新区", "A区", "A区北", "D区", "E区"}));

        setup.add("新区", "1");
        setup.add("新区", "2", {"0001"});
        setup.add("新区", "2", {"0002"}, "限制");
        QVERIFY(!setup.service.removeArea(QStringLiteral("新区")));
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("您不能注销此墓区，因为墓区内还有位置被使用！"));
        QCOMPARE(setup.count("墓区 = '新区'"), 4);

        setup.add("新区北", "1");
        setup.data.sql(
            QStringLiteral("UPDATE mq_wz SET 状态 = '未使用' WHERE 墓区 = '新区' AND 号 = '0002'"));
        setup.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        QVERIFY(!setup.service.removeArea(QStringLiteral("新区")));
        QCOMPARE(setup.said(),
                 QStringLiteral("注销墓区|确定要注销墓区“新区”吗？该墓区的全部墓位将被删除，且无法恢复。"));
        QCOMPARE(setup.count("墓区 = '新区'"), 4);
        QVERIFY(setup.service.removeArea(QStringLiteral("新区")));
        QCOMPARE(setup.said(), QStringLiteral("提示|注销成功！ "));
        QCOMPARE(setup.service.areas(), texts({"新区北", "A区", "A区北", "D区", "E区"}));
    }

    // Another desk sells a plot of the area, or of the last row, after the operator said yes: nothing goes
    // and the operator hears why. The area of a similar name beside it is no part of either.
    void anAreaOrRowThatCameIntoUseMeanwhileStays() {
        Setup setup;
        InterleavingPrompter prompter;
        PlotSetupService desk(setup.data.db(), setup.session, prompter);
        setup.add("A区", "1", {"0001", "0002"});
        setup.add("A区", "2", {"0001"});
        setup.add("A区北", "2", {"0001"}, "已购");
        const auto sell = [&setup](const char* row) {
            return [&setup, row] {
                setup.data.sql(
                    QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 墓区 = 'A区' AND 排 = ? AND 号 = "
                                   "'0001'"),
                    {text(row)});
            };
        };
        prompter.answers << Prompter::Answer::Yes;
        prompter.afterAnswer = sell("1");
        QVERIFY(!desk.removeArea(QStringLiteral("A区")));
        QCOMPARE(prompter.lastText(), QStringLiteral("您不能注销此墓区，因为墓区内还有位置被使用！"));
        QCOMPARE(setup.count("墓区 = 'A区'"), 3);

        PlotSetupInput rows = run("A区", "");
        rows.rowsListed = 2;
        prompter.answers << Prompter::Answer::Yes;
        prompter.afterAnswer = sell("2");
        QCOMPARE(desk.removeRow(rows), std::nullopt);
        QCOMPARE(prompter.shown.last().caption + u'|' + prompter.lastText(),
                 QStringLiteral("提示|您不能注销最后一个排，因为还有位置被使用！"));
        QCOMPARE(setup.count("墓区 = 'A区' AND 排 = '2'"), 1);
        QCOMPARE(setup.count("墓区 = 'A区北'"), 1);
        QVERIFY(!prompter.texts().contains(QStringLiteral("注销成功！ ")));
    }

    // Another desk writes a plot of the run, or removes the row, between the check the operator watched
    // and the write: the write sees it, refuses as the check would have and writes nothing.
    void aRunIsCheckedAgainWhereItIsWritten() {
        Setup setup;
        InterleavingView view;
        setup.add("A区", "1");
        setup.add("A区", "2", {"0009"});
        view.afterCheck = [&setup] { setup.add("A区", "1", {"0008"}); };
        QVERIFY(!setup.service.createRun(run("A区", "1", "7", "3"), view));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，A区1排0008号,已经存在,请重新设置！"));
        QCOMPARE(setup.keys("A区", "1"), QStringLiteral("A区1排0008号"));
        QCOMPARE(view.passes, QList<Pass>({Pass::DuplicateCheck, Pass::Write}));
        QVERIFY(view.results.isEmpty());

        view.afterCheck = [&setup] {
            setup.data.sql(QStringLiteral("DELETE FROM mq_wz WHERE 墓区 = 'A区' AND 排 = '2'"));
        };
        QVERIFY(!setup.service.createRun(run("A区", "2", "1", "3"), view));
        QCOMPARE(setup.said(), QStringLiteral("提示|请选择排！"));
        QCOMPARE(setup.count("排 = '2'"), 0);
    }

    // A row typed into the box but never added is no row: a run there is refused as an empty choice is.
    // Row 5 of another area does not make it one.
    void aTypedRowThatWasNeverAddedIsRefused() {
        Setup setup;
        setup.add("A区", "1");
        setup.add("A区北", "5", {"0001"});
        const QString before = setup.data.dump(QStringLiteral("mq_wz"));
        QVERIFY(!setup.create(run("A区", "5", "1", "2")));
        QCOMPARE(setup.said(), QStringLiteral("提示|请选择排！"));
        QCOMPARE(setup.data.dump(QStringLiteral("mq_wz")), before);
        QVERIFY(setup.view.results.isEmpty());
    }

    // On a server another desk's area or row can land between this desk's check and its write: the server
    // makes this desk's transaction run again, and the check then sees it.
    void anotherDesksAreaOrRowBetweenCheckAndWriteIsSeen() {
        Setup setup;
        if (!onServer(setup.data.db()))
            return;
        Database deskB(setup.data.db().target(), Database::Mode::Open);
        ScriptedPrompter clerkB;
        PlotSetupService serviceB(deskB, setup.session, clerkB);
        const auto meanwhile = [&setup](const std::function<void()>& change) {
            setup.data.db().beforeNthWrite(1, change);
        };

        meanwhile([&] { QCOMPARE(serviceB.addArea(QStringLiteral("新区")), QStringLiteral("新区")); });
        QCOMPARE(setup.service.addArea(QStringLiteral("新区")), std::nullopt);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("新区已存在！"));
        QCOMPARE(setup.count("墓区 = '新区'"), 1);

        const PlotSetupInput typed = run("新区", "东");
        meanwhile([&] { QCOMPARE(serviceB.addRow(typed), QStringLiteral("东")); });
        QCOMPARE(setup.service.addRow(typed), std::nullopt);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("东已存在！"));
        QCOMPARE(setup.count("墓区 = '新区' AND 排 = '东'"), 1);

        // 98 rows: this desk would number the 99th, another desk types one first.
        for (int row = 1; row <= 97; ++row)
            setup.add("新区", QByteArray::number(row).constData());
        setup.add("新区北", "98");
        const PlotSetupInput numbered = run("新区", "");
        const PlotSetupInput typedLast = run("新区", "西");
        meanwhile([&] { QCOMPARE(serviceB.addRow(typedLast), QStringLiteral("西")); });
        QCOMPARE(setup.service.addRow(numbered), std::nullopt);
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("对不起，排个数不能超过99个！"));
        QCOMPARE(setup.count("墓区 = '新区'"), 99);
        QCOMPARE(setup.count("排 = '98'"), 1);

        // Two desks writing one run: the second is refused by name.
        setup.add("南区", "1");
        meanwhile([&] { QVERIFY(serviceB.createRun(run("南区", "1", "4", "2"), setup.view)); });
        QVERIFY(!setup.create(run("南区", "1", "1", "5")));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，南区1排0004号,已经存在,请重新设置！"));
        QCOMPARE(setup.keys("南区", "1"), QStringLiteral("南区1排0004号 南区1排0005号"));
    }

    // The status line of an area or row with plots (the window test shows the empty ones), and the numbers
    // missing below a row's highest one.
    void theStatusLineAndTheMissingNumbersDescribeAPlace() {
        Setup setup;
        setup.add("A区", "1", {"0001", "0002", "0005", "0007"});
        setup.add("A区", "2", {"0009"});
        setup.add("A区", "3");
        setup.add("B区", "", {"0002"});
        setup.add("A区北", "1", {"0009"});

        // Status, then whether the row group is usable, then the rows listed.
        auto area = [&setup](const char* name) {
            const PlotSetupService::AreaView view = setup.service.chooseArea(text(name));
            return QString(view.status + u'|' + (view.rowGroupEnabled ? u'+' : u'-') + u'|' +
                           view.rows.join(u','));
        };
        QCOMPARE(area("A区"), QStringLiteral("A区内现有 3 排,可容纳 5 位|+|1,2,3"));
        QCOMPARE(area("B区"), QStringLiteral("B区,可容纳 1 位|-|"));
        QCOMPARE(setup.service.chooseRow(QStringLiteral("A区"), QStringLiteral("1")),
                 QStringLiteral("A区1排,共有 4 个位置可用"));

        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.service.listMissingNumbers(run("A区", "1"), setup.view);
        QCOMPARE(setup.said(), QStringLiteral("问题|您确信要检测吗？"));
        QCOMPARE(setup.view.results,
                 texts({"A区1排0003号，未设置！", "A区1排0004号，未设置！", "A区1排0006号，未设置！"}));
        QCOMPARE(setup.view.statuses,
                 texts({"正在检测未设置号，可能需要几分钟，请等待……", "经检测，共有 3 记录未设置！"}));
        setup.service.listMissingNumbers(run("B区", ""), setup.view);
        QCOMPARE(setup.view.results, texts({"B区0001号，未设置！"}));
        PlotSetupInput noRow = run("A区", "");
        noRow.rowsListed = 2;
        setup.service.listMissingNumbers(noRow, setup.view);
        QCOMPARE(setup.said(), QStringLiteral("排|请选择排！"));
    }

    // Delete 0001-0010 keeps one and a single plot is never deleted; a mixed range deletes only free
    // plots and lists sold and reserved ones.
    void deletingKeepsTheLastPlotOfAPlaceAndEveryPlotInUse() {
        Setup setup;
        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes << Prompter::Answer::Yes
                               << Prompter::Answer::Yes;
        setup.add("A区", "1",
                  {"0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008", "0009", "0010"});
        setup.remove("A区", "1", "1", "10");
        QCOMPARE(setup.view.deleteRange, QStringLiteral("0001-0010"));
        QCOMPARE(setup.keys("A区", "1"), QStringLiteral("A区1排0010号"));
        QCOMPARE(setup.view.results.size(), 9);
        QCOMPARE(setup.view.results.first(), QStringLiteral("OK！A区1排0001号，已被删除！"));
        QCOMPARE(setup.view.statuses, texts({"正在删除，请等待……", "本次共删除记录9条"}));
        QCOMPARE(setup.said(), QStringLiteral("删除|您真的要删除这些记录吗?"));
        setup.remove("A区", "1", "0", "20");
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("记录只剩下一条,不能删除！"));
        QCOMPARE(setup.keys("A区", "1"), QStringLiteral("A区1排0010号"));

        // A row marker counts as a row of the place, so both plots go.
        setup.add("A区", "2");
        setup.add("A区", "2", {"0001", "0002"});
        setup.remove("A区", "2", "1", "2");
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("本次共删除记录2条"));
        QCOMPARE(setup.count("排 = '2'"), 1);

        setup.add("A区", "3", {"0001"}, "已购");
        setup.add("A区", "3", {"0002"}, "已预订");
        setup.add("A区", "3", {"0003"}, "限制");
        setup.add("A区", "3", {"0004", "0005", "0006"});
        setup.add("A区", "2", {"0004"});
        setup.add("A区北", "3", {"0004", "0005"});
        setup.remove("A区", "3", "1", "5");
        QCOMPARE(setup.view.results,
                 texts({"A区3排0001号，正在使用中，不能删除！", "A区3排0002号，已被预订，不能删除！",
                        "OK！A区3排0004号，已被删除！", "OK！A区3排0005号，已被删除！"}));
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("本次共删除记录2条"));
        QCOMPARE(setup.keys("A区", "3"),
                 QStringLiteral("A区3排0001号 A区3排0002号 A区3排0003号 A区3排0006号"));
        QCOMPARE(setup.keys("A区", "2"), QStringLiteral("A区2排0004号"));
        QCOMPARE(setup.keys("A区北", "3"), QStringLiteral("A区北3排0004号 A区北3排0005号"));

        setup.remove("A区", "1", "-1", "3");
        QCOMPARE(setup.prompter.shown.last().icon, Prompter::Icon::Critical);
        QCOMPARE(setup.said(), QStringLiteral("错误|起始号不能为负！"));
        setup.remove("A区", "1", "5", "3");
        QCOMPARE(setup.said(), QStringLiteral("错误|起始号不能大于终止号！"));
    }

    // Sold plots take the new style and prices too; numbers not there are named.
    void styleAndPricesChangeOnEveryPlotFound() {
        Setup setup;
        setup.add("A区", "1", {"0001"}, "已购");
        setup.add("A区", "1", {"0002"});
        setup.add("A区", "2", {"0001"});
        PlotSetupInput input = run("A区", "1", "1", "3");
        input.style = QStringLiteral("艺术墓");
        setup.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.service.changeStyle(input, setup.view);
        QCOMPARE(setup.said(), QStringLiteral("修改样式|您确信要修改墓地样式吗？"));
        QVERIFY(setup.view.statuses.isEmpty());

        setup.service.changeStyle(input, setup.view);
        QCOMPARE(setup.view.results, texts({"A区1排0001号，样式已修改为： 艺术墓",
                                            "A区1排0002号，样式已修改为： 艺术墓", "未发现 A区1排0003号！"}));
        QCOMPARE(setup.view.statuses, texts({"正在运行修改记录命令，请等待……", "共有 2 记录被修改！"}));
        QCOMPARE(setup.count("样式 = '艺术墓'"), 2);

        input.count = QStringLiteral("1");
        setup.service.changePrices(input, setup.view);
        QCOMPARE(setup.said(), QStringLiteral("修改收费标准|您确信要修改墓地收费标准吗？"));
        QCOMPARE(setup.view.results, texts({"A区1排0001号，已调整了收费标准！"}));
        QCOMPARE(setup.columns("A区1排0001号", "样式 墓地费 墓碑费 工料费 家族费 绿化费 其它 状态"),
                 QStringLiteral("艺术墓/3000/500/200/80/100/50.5/已购"));
        QCOMPARE(setup.count("墓地费 IS NOT NULL"), 1);
    }
};

QTEST_GUILESS_MAIN(PlotSetupTest)
#include "tst_plotsetup.moc"
