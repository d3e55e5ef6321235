#include "business/plotsearch.h"
#include "columbarium/nichesearch.h"
#include "columbarium/ui/nichefeerecordswindow.h"
#include "columbarium/ui/nichesearchwindow.h"
#include "foundation/ui/recordgrid.h"
#include "shared/expirylist.h"
#include "shared/rights.h"
#include "support/runningoffice.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <algorithm>

namespace {

// The values of `column` in the rows `query` finds, sorted.
QStringList found(Database& database, const BoundQuery& query, const QString& column) {
    QStringList values = database.texts(QStringLiteral("select %1 from (%2) as f").arg(column, query.sql),
                                        query.values, QStringLiteral("test"));
    values.sort();
    return values;
}

const SearchField& field(const SearchBook& book, const QString& caption) {
    return *std::find_if(book.fields.cbegin(), book.fields.cend(),
                         [&](const SearchField& f) { return f.caption == caption; });
}

void enter(QWidget* window, const char* box, const QString& typed) {
    control<QLineEdit>(window, box)->setText(typed);
    QTest::keyClick(control<QLineEdit>(window, box), Qt::Key_Return);
}

// Registrations of both books ending around the end of a 30-day list seen from 2026-12-06.
void addEndingRegistrations(TestData& data) {
    for (const QString& table : {QStringLiteral("gm_dj"), QStringLiteral("ghjc_dj")}) {
        const QString key =
            table == QStringLiteral("gm_dj") ? QStringLiteral("墓碑位置") : QStringLiteral("存放位置");
        data.sql(QStringLiteral("INSERT INTO %1 (%2, 日期止) VALUES ('expired', '2019-03-01'), "
                                "('last day', '2027-01-05'), ('last day late', '2027-01-05 18:00:00'), "
                                "('day after', '2027-01-06'), ('no end', NULL)")
                     .arg(table, key));
    }
}

} // namespace

class FindListsTest : public QObject {
    Q_OBJECT

private slots:
    // % and _ typed are themselves, an apostrophe is just a character; 编号 is the whole number,
    // 联系人 any part, 记录id号 the leading number; the unit options read the contact's unit, not the
    // deceased's; an empty text finds all.
    void searchesMatchTheTypedTextLiterally() {
        TestData data;
        data.sql(QStringLiteral(
            "INSERT INTO gm_dj (编号, 联系人, 工作单位, 生前单位) VALUES (12, '张%三', '纺织厂', '机械厂'), "
            "(120, '张三', '机械厂', '纺织厂'), (7, '李_四', NULL, NULL), (8, '李四', NULL, NULL), "
            "(9, 'O''Brien', NULL, NULL)"));
        const SearchBook& purchases = PlotSearch::purchases();
        Database& db = data.db();
        const auto contacts = [&](const char* caption, const char* typed) {
            return found(db, purchases.find(db, field(purchases, text(caption)), text(typed)),
                         QStringLiteral("联系人"));
        };
        QCOMPARE(contacts("联系人", "%"), QStringList{text("张%三")});
        QCOMPARE(contacts("联系人", "_"), QStringList{text("李_四")});
        QCOMPARE(contacts("联系人", " 三 "), texts({"张%三", "张三"}));
        QCOMPARE(contacts("联系人", "'"), QStringList{QStringLiteral("O'Brien")});
        QCOMPARE(contacts("编号", "12"), QStringList{text("张%三")});
        QCOMPARE(contacts("编号", "1"), QStringList());
        QCOMPARE(contacts("联系人工作单位", "纺织"), QStringList{text("张%三")});
        QCOMPARE(contacts("故者生前单位", "纺织"), QStringList{text("张三")});
        QCOMPARE(contacts("联系人", "").size(), 5);

        data.sql(QStringLiteral("INSERT INTO ydmd (联系人) VALUES ('甲'), ('乙'), ('丙')"));
        const SearchBook& reservations = PlotSearch::reservations();
        QCOMPARE(found(db, reservations.find(db, field(reservations, text("记录id号")), text("2号")),
                       QStringLiteral("联系人")),
                 QStringList{text("乙")});
        QCOMPARE(reservations.fields.at(reservations.fallback).caption, text("墓碑位置"));

        data.sql(QStringLiteral(
            "INSERT INTO ghjc_dj (联系人, 工作单位, 生前单位) VALUES ('王_一', '粮站', '医院'), "
            "('王一', '医院', '粮站')"));
        const SearchBook& storages = NicheSearch::storages();
        QCOMPARE(found(db, storages.find(db, field(storages, text("联系人")), text("_")),
                       QStringLiteral("联系人")),
                 QStringList{text("王_一")});
        QCOMPARE(found(db, storages.find(db, field(storages, text("联系人工作单位")), text("医院")),
                       QStringLiteral("联系人")),
                 QStringList{text("王一")});
    }

    // Seen from 2026-12-06, 30 days reach 2027-01-05, its evening included and the day after not;
    // the expired stay on the list. Both books alike.
    void expiryListsReachTheLastDayAndKeepTheExpired() {
        TestData data;
        addEndingRegistrations(data);
        const QDate today = testNow().date();
        for (const ExpiryKind kind : {ExpiryKind::Plots, ExpiryKind::Niches}) {
            const QString key = ExpiryList::member(kind).keyColumn;
            QCOMPARE(found(data.db(), ExpiryList::listing(kind, today, 30), key),
                     texts({"expired", "last day", "last day late"}));
            QCOMPARE(found(data.db(), ExpiryList::listing(kind, today, 31), key).size(), 4);
            QCOMPARE(found(data.db(), ExpiryList::listing(kind, today, -2000), key),
                     QStringList{text("expired")});
        }
        QCOMPARE(ExpiryList::parseDays(QStringLiteral(" 45 ")), std::optional<int>(45));
        QCOMPARE(ExpiryList::parseDays(QStringLiteral("-3")), std::optional<int>(-3));
        for (const char* typed : {"abc", "", "3.5", "30天"})
            QCOMPARE(ExpiryList::parseDays(text(typed)), std::nullopt);
    }

    // Opened from the menu, each list shows 30 days and its count; "abc" is refused and leaves the list
    // as it was; the print is the list shown, under its gate.
    void expiryWindowsListRefuseAndPrint() {
        RunningOffice office;
        addEndingRegistrations(office.data);
        office.session.reportList = Rights::fullReportList();

        QWidget* plots = office.run(QStringLiteral("M_ckmw"), QStringLiteral("Frm_gm_gqjl"));
        QVERIFY(plots);
        QCOMPARE(plots->windowTitle(), text("公墓过期记录"));
        QCOMPARE(control<QLineEdit>(plots, "Text1")->text(), QStringLiteral("30"));
        QCOMPARE(control<QLabel>(plots, "Label1")->text(), text("将在30天内到期的墓位总共有：3条"));
        const qsizetype shown = office.prompter.shown.size();
        control<QLineEdit>(plots, "Text1")->setText(QStringLiteral("abc"));
        QTest::mouseClick(control<QPushButton>(plots, "Command2"), Qt::LeftButton);
        QCOMPARE(office.prompter.shown.size(), shown + 1);
        QCOMPARE(office.prompter.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(office.prompter.shown.last().caption, text("提示"));
        QCOMPARE(office.prompter.lastText(), text("请在文本框中输入正确的整数！ "));
        QCOMPARE(control<QLabel>(plots, "Label1")->text(), text("将在30天内到期的墓位总共有：3条"));
        QCOMPARE(control<RecordGrid>(plots, "Grid1")->count(), 3);
        // Only what the grid shows is printed, not days typed but not looked for; the cemetery's list
        // needs no print right.
        office.session.flags.printDenied = true;
        QTest::mouseClick(control<QPushButton>(plots, "Command3"), Qt::LeftButton);
        QCOMPARE(office.launcher.tails(),
                 QStringList{text("gm_djlxb$#select * from gm_dj where 日期止 < '2027-01-06'"
                                  "@从2026-12-06起30天内墓地使用到期联系表")});
        control<QLineEdit>(plots, "Text1")->setText(QStringLiteral(" 31"));
        QTest::mouseClick(control<QPushButton>(plots, "Command2"), Qt::LeftButton);
        QCOMPARE(control<QLabel>(plots, "Label1")->text(), text("将在31天内到期的墓位总共有：4条"));

        QWidget* niches = office.run(QStringLiteral("M_ckjc"), QStringLiteral("FRM_JC_GQJL"));
        QVERIFY(niches);
        QCOMPARE(control<QLabel>(niches, "Label1")->text(), text("将在30天内到期的寄存位总共有：3条"));
        office.session.flags.printDenied = true;
        QTest::mouseClick(control<QPushButton>(niches, "Command3"), Qt::LeftButton);
        QCOMPARE(office.launcher.started.size(), 1);
        office.session.flags.printDenied = false;
        office.session.reportList = QStringLiteral(",gm_djlxb,");
        QTest::mouseClick(control<QPushButton>(niches, "Command3"), Qt::LeftButton);
        QCOMPARE(office.launcher.started.size(), 1);
        office.session.reportList = QStringLiteral(",jc_djlxb,");
        QTest::mouseClick(control<QPushButton>(niches, "Command3"), Qt::LeftButton);
        QVERIFY(office.launcher.tails().last().endsWith(text("@从2026-12-06起30天内寄存到期联系表")));
    }

    // The purchases show on opening with their count; a search by a name heard (its box says so), by 编号
    // and a switch to the reservations count what they show.
    void plotSearchCountsWhatItShows() {
        RunningOffice office;
        office.data.sql(
            QStringLiteral("INSERT INTO gm_dj (编号, 联系人, 故者姓名) VALUES (12, '张三', '李建国'), "
                           "(120, '李四', '王秀英'), (5, '王五', '李建')"));
        office.data.sql(QStringLiteral("INSERT INTO ydmd (联系人) VALUES ('甲'), ('乙')"));
        QWidget* search = office.run(QStringLiteral("M_czmw"), QStringLiteral("Frm_czmd"));
        QVERIFY(search);
        QCOMPARE(control<QLabel>(search, "Label2")->text(), text("记录个数：3"));
        control<QRadioButton>(search, "Option1")->click();
        QCOMPARE(control<QLineEdit>(search, "Text1")->toolTip(), text("可输入拼音或拼音首字母，如 zgq"));
        enter(search, "Text1", QStringLiteral("ljg"));
        QCOMPARE(control<QLabel>(search, "Label2")->text(), text("记录个数：1"));
        enter(search, "Text1", QStringLiteral("wang xiu"));
        QCOMPARE(control<QLabel>(search, "Label2")->text(), text("记录个数：1"));
        control<QRadioButton>(search, "Option4")->click();
        QCOMPARE(control<QLineEdit>(search, "Text1")->toolTip(), QString());
        enter(search, "Text1", QStringLiteral("12"));
        QCOMPARE(control<QLabel>(search, "Label2")->text(), text("记录个数：1"));
        control<QRadioButton>(search, "Opt_yd")->click();
        QVERIFY(control<QWidget>(search, "Frame2")->isVisibleTo(search));
        QVERIFY(!control<QWidget>(search, "Frame1")->isVisibleTo(search));
        QCOMPARE(control<QLabel>(search, "Label2")->text(), text("记录个数：2"));
    }

    // 收费明细维护 follows what a search found (showing all leaves it be) and hands on the selected
    // row's niche without its blanks; opened from the menu, it opens the fee records.
    void nicheSearchHandsOnTheFoundNiche() {
        RunningOffice office;
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_dj (存放位置, 故者姓名) VALUES (' 东厅1室0001号 ', '陈一'), ('东厅1室0002号', '林二')"));
        auto* search = office.window.host().open<NicheSearchWindow>();
        auto* fees = control<QPushButton>(search, "Command2");
        QVERIFY(!fees->isEnabled());
        enter(search, "Text1", text("陈"));
        QVERIFY(fees->isEnabled());
        QTest::mouseClick(fees, Qt::LeftButton);
        auto* records = office.window.host().find<NicheFeeRecordsWindow>();
        QVERIFY(records);
        QCOMPARE(control<RecordGrid>(records, "Grid1")->count(), 1);
        office.window.host().close<NicheFeeRecordsWindow>();
        enter(search, "Text1", text("无此人"));
        QVERIFY(!fees->isEnabled());
        enter(search, "Text1", QString());
        QCOMPARE(control<RecordGrid>(search, "MSHFlexGrid1")->count(), 2);
        QVERIFY(!fees->isEnabled());
        office.window.host().close<NicheSearchWindow>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QWidget* fromMenu = office.run(QStringLiteral("M_czjc"), QStringLiteral("FRM_CZJCWZ"));
        QVERIFY(fromMenu);
        enter(fromMenu, "Text1", text("陈"));
        QCOMPARE(control<RecordGrid>(fromMenu, "MSHFlexGrid1")->count(), 1);
        QTest::mouseClick(control<QPushButton>(fromMenu, "Command2"), Qt::LeftButton);
        QVERIFY(office.find(QStringLiteral("Frmjc_sfwh")));
    }
};

QTEST_MAIN(FindListsTest)
#include "tst_findlists.moc"
