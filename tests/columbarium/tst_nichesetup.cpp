#include "columbarium/nichesetupservice.h"
#include "support/setupfixture.h"

#include <QTest>

namespace {

using Pass = SetupView::Pass;

NicheSetupInput run(const char* hall, const char* room, const char* start = "", const char* step = "",
                    const char* count = "") {
    NicheSetupInput input;
    input.hall = text(hall);
    input.room = text(room);
    input.start = text(start);
    input.step = text(step);
    input.count = text(count);
    input.style = QStringLiteral("单人框");
    input.layer = QStringLiteral("3");
    input.price = QStringLiteral("123456.78");
    return input;
}

struct Setup : SetupFixture<NicheSetupService, RecordingSetupView<>, NicheSetupInput> {
    Setup() { session.operatorName = QStringLiteral("张三"); }
    // Niches in one state, or the marker row of the room (or, without a room, of the hall).
    void add(const char* hall, const char* room, std::initializer_list<const char*> numbers = {},
             const char* state = "未使用") {
        const QVariant roomName = *room ? QVariant(text(room)) : QVariant();
        if (numbers.size() == 0)
            data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室) VALUES (?, ?)"), {text(hall), roomName});
        for (const char* number : numbers)
            data.sql(
                QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES (?, ?, '1', ?, "
                               "'双人框', 800, ?)"),
                {text(hall), roomName, text(number), text(state)});
    }
    // The keys of the room's niches in number order, joined by blanks.
    QString keys(const char* hall, const char* room) {
        return data.db()
            .texts(QStringLiteral(
                       "SELECT 存放位置 FROM ghjc_wz WHERE 厅 = ? AND 室 = ? AND 号 IS NOT NULL ORDER BY 号"),
                   {text(hall), text(room)}, QStringLiteral("test read"))
            .join(u' ');
    }
    int count(const char* where = "") { return data.count(QStringLiteral("ghjc_wz"), text(where)); }
    QString dump() { return data.dump(QStringLiteral("ghjc_wz")); }
    void remove(const char* hall, const char* room, const char* from, const char* to) {
        removeFrom(run(hall, room), from, to);
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
struct InterleavingView : RecordingSetupView<> {
    std::function<void()> afterCheck;
    void runLong(SetupView::Pass pass, const SetupView::Work& work) override {
        RecordingSetupView::runLong(pass, work);
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

class NicheSetupTest : public QObject {
    Q_OBJECT

private slots:
    // Start 1, step 2, count 3 fills the room's marker in place with 0001 and adds 0003 and 0005; a run
    // that meets an existing niche or itself past 9999 writes nothing and names the number.
    void aRunFillsTheRoomMarkerAndIsCheckedAgainstItself() {
        Setup setup;
        setup.add("A", "1");
        setup.add("B", "1", {"0003"});
        QVERIFY(setup.service.createRun(run("A", "1", "1", "2", "3"), setup.view));
        QCOMPARE(setup.keys("A", "1"), QStringLiteral("A1室0001号 A1室0003号 A1室0005号"));
        QCOMPARE(setup.count("厅 = 'A'"), 3);
        QCOMPARE(
            setup.data.db()
                .texts(
                    QStringLiteral(
                        "SELECT 层 || '/' || 样式 || '/' || 价位 || '/' || 状态 FROM ghjc_wz WHERE 厅 = 'A'"),
                    {}, QStringLiteral("test read"))
                .join(u' '),
            QStringLiteral("3/单人框/123456.78/未使用 3/单人框/123456.78/未使用 3/单人框/123456.78/未使用"));
        QCOMPARE(setup.view.results, texts({"A1室,新增了0001号", "A1室,新增了0003号", "A1室,新增了0005号"}));
        QCOMPARE(setup.view.startNumber, QStringLiteral("0001"));
        QCOMPARE(setup.view.passes, QList<Pass>({Pass::DuplicateCheck, Pass::Write}));
        QCOMPARE(setup.said(), QStringLiteral("恭喜|OK,设置完毕！"));
        QCOMPARE(setup.view.statuses, texts({"A1室,共有 3 个位置可用"}));

        setup.add("A", "2");
        const QString before = setup.dump();
        setup.view.passes.clear();
        QVERIFY(!setup.service.createRun(run("A", "1", "4", "1", "3"), setup.view));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，A1室0005号,已经存在,请重新设置！"));
        QCOMPARE(setup.view.passes, QList<Pass>({Pass::DuplicateCheck}));
        QVERIFY(!setup.service.createRun(run("A", "2", "1", "5000", "3"), setup.view));
        QCOMPARE(setup.prompter.lastText(), QStringLiteral("经检测，A2室0001号,已经存在,请重新设置！"));
        QCOMPARE(setup.dump(), before);

        // An injected failure half-way through a run leaves the table as it was.
        // A server takes the run 500 positions a statement, one desk one by one.
        setup.data.db().failNthWrite(setup.data.db().isServer() ? 4 : 600);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 setup.service.createRun(run("A", "2", "1", "1", "1200"), setup.view));
        QCOMPARE(setup.dump(), before);
    }

    // Each refusal on its own, in the office's order; single mode writes one niche, and not twice.
    void refusalsComeInOrderAndASingleNicheIsWrittenOnce() {
        Setup setup;
        const auto refusal = [&setup](const NicheSetupInput& input, bool single = false) {
            single ? setup.service.createSingle(input, setup.view)
                   : setup.service.createRun(input, setup.view);
            return setup.said();
        };
        setup.session.flags.addDenied = true;
        QCOMPARE(refusal(run("A", "1", "1", "1", "1")), QStringLiteral("张三|您没有添加记录权限！"));
        setup.session.flags.addDenied = false;
        QCOMPARE(refusal(run("", "1", "1", "1", "1")), QStringLiteral("厅|请选择厅！"));
        QCOMPARE(refusal(run("A", " ", "1", "1", "1")), QStringLiteral("室|请选择室！"));
        QCOMPARE(refusal(run("A", "1", "0", "1", "1")),
                 QStringLiteral("起始号|起始号只能为0-9的字符，不能为空，零或其它字符！"));
        QCOMPARE(refusal(run("A", "1", "1", "", "1")),
                 QStringLiteral("跨步|跨步只能为0-9的字符，不能为空，零或其它字符！"));
        QCOMPARE(refusal(run("A", "1", "1", "1", "x")),
                 QStringLiteral("框个数|框个数只能为0-9的字符，不能为空，零或其它字符！"));
        NicheSetupInput input = run("A", "1", "1", "1", "1");
        input.style.clear();
        QCOMPARE(refusal(input), QStringLiteral("样式|请选择样式！"));
        input = run("A", "1", "1", "1", "1");
        input.layer.clear();
        QCOMPARE(refusal(input), QStringLiteral("层|请选层！"));
        input.layer = QStringLiteral("2");
        input.price = QStringLiteral("0");
        QCOMPARE(refusal(input), QStringLiteral("价位|价位只能为0-9的字符或'.'，不能为空，零或其它字符！"));
        QCOMPARE(refusal(run("A", "1", "", "", ""), true),
                 QStringLiteral("起始号|标签号只能为0-9的字符，不能为空，零或其它字符！"));
        QCOMPARE(setup.count(), 0);
        QVERIFY(setup.view.passes.isEmpty());

        setup.add("A", "1");
        QVERIFY(setup.service.createSingle(run("A", "1", "12"), setup.view));
        QCOMPARE(setup.view.startNumber, QStringLiteral("0012"));
        QCOMPARE(setup.view.results, texts({"A1室,新增了0012号"}));
        QCOMPARE(setup.said(), QStringLiteral("恭喜|设置成功！"));
        QCOMPARE(refusal(run("A", "1", "12"), true), QStringLiteral("|此号已存在！"));
        QCOMPARE(setup.keys("A", "1"), QStringLiteral("A1室0012号"));

        // Typing: digits only, and the point in the price.
        using Field = NicheSetupService::Field;
        QVERIFY(setup.service.acceptTyped(Field::Price, QStringLiteral("12.5")));
        QVERIFY(!setup.service.acceptTyped(Field::Step, QStringLiteral("1.5")));
        QCOMPARE(setup.said(), QStringLiteral("跨步|跨步只能为0-9的字符！"));
        QVERIFY(!setup.service.acceptTypedHallName(QStringLiteral("东'厅")));
        QCOMPARE(setup.said(), QStringLiteral("|不要输入非法字符！"));
    }

    // A new hall's marker becomes room 1; automatic and typed names never repeat; nine rooms at most;
    // only the last numbered room goes, silently when it is not there, and never with a stored urn.
    void hallsAndRoomsAreAddedOnceAndRemovedOnlyWhileFree() {
        Setup setup;
        QCOMPARE(setup.service.addHall(QStringLiteral(" 东厅 ")), QStringLiteral("东厅"));
        QCOMPARE(setup.service.addHall(QStringLiteral("东厅")), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|东厅已存在！"));
        QCOMPARE(setup.service.chooseHall(QStringLiteral("东厅")).status,
                 QStringLiteral("东厅内现有 0 室,可容纳 0 位"));
        NicheSetupInput rooms = run("东厅", "");
        QCOMPARE(setup.service.addRoom(rooms), QStringLiteral("1"));
        QCOMPARE(setup.count("厅 = '东厅'"), 1);
        rooms.room = QStringLiteral("3");
        QCOMPARE(setup.service.addRoom(rooms), QStringLiteral("3"));
        rooms.room.clear();
        QCOMPARE(setup.service.addRoom(rooms), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|3已存在！"));
        QCOMPARE(setup.service.chooseHall(QStringLiteral("东厅")).status,
                 QStringLiteral("东厅内现有 2 室,有未设置室！"));
        for (const char* room : {"4", "5", "6", "7", "8", "9"})
            setup.add("东厅", room, {"0001"});
        setup.add("东厅", "1", {"0001"});
        setup.data.sql(QStringLiteral("DELETE FROM ghjc_wz WHERE 厅 = '东厅' AND 号 IS NULL"));
        setup.add("东厅", "3", {"0001", "0002"});
        const NicheSetupService::HallView hall = setup.service.chooseHall(QStringLiteral("东厅"));
        QCOMPARE(hall.status, QStringLiteral("东厅内现有 8 室,可容纳 9 位"));
        QCOMPARE(hall.rooms, texts({"1", "3", "4", "5", "6", "7", "8", "9"}));
        setup.add("东厅", "2");
        QCOMPARE(setup.service.addRoom(rooms), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|对不起，室个数不能超过9个！"));

        // Room "10" is not there: nothing is removed and nothing said.
        const int told = setup.prompter.shown.size();
        rooms.roomsListed = 10;
        QCOMPARE(setup.service.removeRoom(rooms), std::nullopt);
        QCOMPARE(setup.prompter.shown.size(), told);
        setup.add("东厅", "9", {"0002"}, "已使用");
        setup.add("西厅", "8", {"0001"}, "已使用");
        rooms.roomsListed = 9;
        QCOMPARE(setup.service.removeRoom(rooms), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|您不能注销最后一个室，因为室内还有位置被使用！"));
        rooms.roomsListed = 8;
        setup.prompter.answers << Prompter::Answer::Yes;
        QCOMPARE(setup.service.removeRoom(rooms), QStringLiteral("8"));
        QCOMPARE(setup.said(), QStringLiteral("提示|注销成功！  "));
        QCOMPARE(setup.count("室 = '8'"), 1);

        QVERIFY(!setup.service.removeHall(QStringLiteral("东厅")));
        QCOMPARE(setup.said(), QStringLiteral("|您不能注销此厅，因为厅内还有位置被使用！"));
        setup.data.sql(QStringLiteral("UPDATE ghjc_wz SET 状态 = '未使用' WHERE 厅 = '东厅'"));
        setup.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        QVERIFY(!setup.service.removeHall(QStringLiteral("东厅")));
        QCOMPARE(setup.said(),
                 QStringLiteral("注销厅|确定要注销厅“东厅”吗？该厅的全部寄存位将被删除，且无法恢复。"));
        QVERIFY(setup.service.removeHall(QStringLiteral("东厅")));
        QCOMPARE(setup.service.halls(), texts({"西厅"}));
    }

    // A range with used and free niches deletes only the free ones and lists both; a whole room keeps its
    // last niche; a single one is never deleted; the other hall's room of the same name is left alone.
    void deletingListsEveryNicheAndKeepsTheRoom() {
        Setup setup;
        setup.add("A", "1", {"0001", "0003"}, "已使用");
        setup.add("A", "1", {"0002", "0004", "0006"});
        setup.add("B", "1", {"0002", "0004"});
        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.remove("A", "1", "1", "4");
        QCOMPARE(setup.view.deleteRange, QStringLiteral("0001-0004"));
        QCOMPARE(setup.view.results,
                 texts({"A1室0001号，正在使用中，不能删除！", "OK！A1室0002号，已被删除！",
                        "A1室0003号，正在使用中，不能删除！", "OK！A1室0004号，已被删除！"}));
        QCOMPARE(setup.view.statuses, texts({"正在删除，请等待……", "本次共删除记录2条"}));
        QCOMPARE(setup.keys("A", "1"), QStringLiteral("A1室0001号 A1室0003号 A1室0006号"));
        QCOMPARE(setup.keys("B", "1"), QStringLiteral("B1室0002号 B1室0004号"));

        setup.remove("B", "1", "1", "9");
        QCOMPARE(setup.view.results, texts({"OK！B1室0002号，已被删除！"}));
        QCOMPARE(setup.keys("B", "1"), QStringLiteral("B1室0004号"));
        setup.remove("B", "1", "4", "4");
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("记录只剩下一条,不能删除！"));
        QCOMPARE(setup.keys("B", "1"), QStringLiteral("B1室0004号"));

        setup.remove("A", "1", "0", "4");
        QCOMPARE(setup.said(), QStringLiteral("错误|起始号不能为空！"));
        QCOMPARE(setup.prompter.shown.last().icon, Prompter::Icon::Critical);
        setup.remove("A", "1", "5", "3");
        QCOMPARE(setup.said(), QStringLiteral("错误|起始号不能大于终止号！"));
        QCOMPARE(setup.view.deleteRange, QStringLiteral("-3"));
        const int told = setup.prompter.shown.size();
        setup.remove("A", "1", "5", "");
        QCOMPARE(setup.prompter.shown.size(), told);
    }

    // Another desk stores an urn in the hall, or in the last room, after the operator said yes: nothing
    // goes and the operator hears why. The hall of a similar name beside it is no part of either.
    void aHallOrRoomThatCameIntoUseMeanwhileStays() {
        Setup setup;
        InterleavingPrompter prompter;
        NicheSetupService desk(setup.data.db(), setup.session, prompter);
        setup.add("东厅", "1", {"0001", "0002"});
        setup.add("东厅", "2");
        setup.add("东厅北", "2", {"0001"}, "已使用");
        const auto fill = [&setup](const char* room) {
            return [&setup, room] {
                setup.data.sql(
                    QStringLiteral("UPDATE ghjc_wz SET 状态 = '已使用' WHERE 厅 = '东厅' AND 室 = ? AND "
                                   "号 = '0001'"),
                    {text(room)});
            };
        };
        prompter.answers << Prompter::Answer::Yes;
        prompter.afterAnswer = fill("1");
        QVERIFY(!desk.removeHall(QStringLiteral("东厅")));
        QCOMPARE(prompter.lastText(), QStringLiteral("您不能注销此厅，因为厅内还有位置被使用！"));
        QCOMPARE(setup.count("厅 = '东厅'"), 3);

        setup.add("东厅", "2", {"0001"});
        NicheSetupInput rooms = run("东厅", "");
        rooms.roomsListed = 2;
        prompter.answers << Prompter::Answer::Yes;
        prompter.afterAnswer = fill("2");
        QCOMPARE(desk.removeRoom(rooms), std::nullopt);
        QCOMPARE(prompter.lastText(), QStringLiteral("您不能注销最后一个室，因为室内还有位置被使用！"));
        QCOMPARE(setup.count("厅 = '东厅' AND 室 = '2'"), 2);
        QCOMPARE(setup.count("厅 = '东厅北'"), 1);
        QVERIFY(!prompter.texts().contains(QStringLiteral("注销成功！  ")));
    }

    // Another desk writes a niche of the run, or removes the room, between the check the operator watched
    // and the write: the write sees it, refuses as the check would have and writes nothing.
    void aRunIsCheckedAgainWhereItIsWritten() {
        Setup setup;
        InterleavingView view;
        setup.add("A", "1");
        setup.add("A", "2", {"0007"});
        view.afterCheck = [&setup] { setup.add("A", "1", {"0005"}, "未使用"); };
        QVERIFY(!setup.service.createRun(run("A", "1", "1", "2", "3"), view));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，A1室0005号,已经存在,请重新设置！"));
        QCOMPARE(setup.keys("A", "1"), QStringLiteral("A1室0005号"));
        QCOMPARE(view.passes, QList<Pass>({Pass::DuplicateCheck, Pass::Write}));
        QVERIFY(view.results.isEmpty());

        view.afterCheck = [&setup] {
            setup.data.sql(QStringLiteral("DELETE FROM ghjc_wz WHERE 厅 = 'A' AND 室 = '2'"));
        };
        QVERIFY(!setup.service.createRun(run("A", "2", "1", "1", "3"), view));
        QCOMPARE(setup.said(), QStringLiteral("室|请选择室！"));
        QCOMPARE(setup.count("室 = '2'"), 0);
    }

    // A room typed into the box but never added is no room: a run or a single niche there is refused as an
    // empty choice is, so typing cannot get round the nine rooms either. Room 10 of another hall does not
    // make it one.
    void aTypedRoomThatWasNeverAddedIsRefused() {
        Setup setup;
        for (const char* room : {"1", "2", "3", "4", "5", "6", "7", "8", "9"})
            setup.add("东厅", room);
        setup.add("西厅", "10", {"0001"});
        const QString before = setup.dump();
        QVERIFY(!setup.service.createRun(run("东厅", "10", "1", "1", "2"), setup.view));
        QCOMPARE(setup.said(), QStringLiteral("室|请选择室！"));
        QVERIFY(!setup.service.createSingle(run("东厅", "10", "3"), setup.view));
        QCOMPARE(setup.said(), QStringLiteral("室|请选择室！"));
        QCOMPARE(setup.dump(), before);
        QVERIFY(setup.view.results.isEmpty());
        QVERIFY(setup.service.createSingle(run("东厅", "9", "3"), setup.view));
        QCOMPARE(setup.keys("东厅", "9"), QStringLiteral("东厅9室0003号"));
    }

    // On a server another desk's hall or room can land between this desk's check and its write: the
    // server makes this desk's transaction run again, and the check then sees it.
    void anotherDesksHallOrRoomBetweenCheckAndWriteIsSeen() {
        Setup setup;
        if (!onServer(setup.data.db()))
            return;
        Database deskB(setup.data.db().target(), Database::Mode::Open);
        ScriptedPrompter clerkB;
        NicheSetupService serviceB(deskB, setup.session, clerkB);
        const auto meanwhile = [&setup](const std::function<void()>& change) {
            setup.data.db().beforeNthWrite(1, change);
        };

        meanwhile([&] { QCOMPARE(serviceB.addHall(QStringLiteral("东厅")), QStringLiteral("东厅")); });
        QCOMPARE(setup.service.addHall(QStringLiteral("东厅")), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|东厅已存在！"));
        QCOMPARE(setup.count("厅 = '东厅'"), 1);

        NicheSetupInput typed = run("东厅", "3");
        meanwhile([&] { QCOMPARE(serviceB.addRoom(typed), QStringLiteral("3")); });
        QCOMPARE(setup.service.addRoom(typed), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|3已存在！"));
        QCOMPARE(setup.count("厅 = '东厅' AND 室 = '3'"), 1);

        // Eight rooms: this desk would number the ninth, another desk types one first.
        for (const char* room : {"1", "2", "4", "5", "6", "7", "8"})
            setup.add("东厅", room);
        setup.add("西厅", "9");
        const NicheSetupInput numbered = run("东厅", "");
        const NicheSetupInput typedTenth = run("东厅", "10");
        meanwhile([&] { QCOMPARE(serviceB.addRoom(typedTenth), QStringLiteral("10")); });
        QCOMPARE(setup.service.addRoom(numbered), std::nullopt);
        QCOMPARE(setup.said(), QStringLiteral("|对不起，室个数不能超过9个！"));
        QCOMPARE(setup.count("厅 = '东厅'"), 9);
        QCOMPARE(setup.count("室 = '9'"), 1);

        // Two desks writing one run: the second is refused by name.
        setup.add("南厅", "1");
        meanwhile([&] { QVERIFY(serviceB.createRun(run("南厅", "1", "4", "1", "2"), setup.view)); });
        QVERIFY(!setup.service.createRun(run("南厅", "1", "1", "1", "5"), setup.view));
        QCOMPARE(setup.said(), QStringLiteral("检测|经检测，南厅1室0004号,已经存在,请重新设置！"));
        QCOMPARE(setup.keys("南厅", "1"), QStringLiteral("南厅1室0004号 南厅1室0005号"));
    }

    // The numbers missing below the room's highest, from the room alone.
    void missingNumbersAreListedForTheRoom() {
        Setup setup;
        setup.add("A", "1", {"0002", "0003", "0006"});
        setup.add("B", "1", {"0004"});
        setup.prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;
        setup.service.listMissingNumbers(run("A", "1"), setup.view);
        QCOMPARE(setup.view.results,
                 texts({"A1室0001号，未设置！", "A1室0004号，未设置！", "A1室0005号，未设置！"}));
        QCOMPARE(setup.view.statuses, texts({"正在检测未设置号，可能需要几分钟至十几分钟，请耐心等待……",
                                             "经检测，共有 3 记录未设置！"}));
        setup.service.listMissingNumbers(run("", "1"), setup.view);
        QCOMPARE(setup.said(), QStringLiteral("厅|请选择厅！"));
        QCOMPARE(setup.view.statuses.last(), QStringLiteral("经检测，共有 0 记录未设置！"));
    }
};

QTEST_GUILESS_MAIN(NicheSetupTest)
#include "tst_nichesetup.moc"
