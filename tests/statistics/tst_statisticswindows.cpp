#include "statistics/ui/statisticschart.h"
#include "support/runningoffice.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPieSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// The office of 6 December 2026 with two plots sold this month, one of them a double grave with two
// burials, and a row marker; the operator may print every statistic.
struct Office : RunningOffice {
    Office() {
        session.reportList = QStringLiteral(",mwxstj,,year,,bxxstj,,ghjcrqdy,,ghjcntj,,gm_tj1,,jc_tj,");
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已购'), "
            "('甲区', '1', '0002', '已购'), ('甲区', '1', '0003', '未使用'), ('甲区', '2', NULL, NULL)"));
        data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 购墓日期, 墓碑类型) VALUES ('甲区1排0001号', "
                                "'2026-12-06', '卧碑'), ('甲区1排0002号', '2026-12-01', '立碑'), "
                                "('甲区1排0002号', '2026-12-01', '立碑')"));
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 购墓日期, 合计, 操作方式) VALUES "
                                "('甲区1排0001号', '2026-12-06', 1200, '购墓')"));
    }
};

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

QStringList barLabels(QWidget* window) {
    const auto* chart = control<StatisticsChart>(window, "MSChart1")->chart();
    const auto* axis = qobject_cast<QBarCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
    const auto* bars = qobject_cast<QBarSeries*>(chart->series().value(0))->barSets().value(0);
    QStringList labels;
    for (int at = 0; at < bars->count(); ++at)
        labels << axis->at(at).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QLatin1Char('=') +
                      QString::number(bars->at(at));
    return labels;
}

} // namespace

class StatisticsWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // The chart shows the counts with their shares, the print hands over the work table of exactly
    // those counts, and the chart is saved as a picture where the operator says.
    void theSalesChartIsPrintedAndSavedAsItIs() {
        Office office;
        QWidget* window = office.run(QStringLiteral("Mwxstj"), QStringLiteral("Frm_Mwxstj"));
        QVERIFY(!control<QPushButton>(window, "ComdPrinter")->isEnabled());
        click(window, "ComdFindCount");
        QCOMPARE(barLabels(window),
                 texts({"总位置数 100.00%=3", "已购买数 66.67%=2", "已预订数 0.00%=0", "寿穴总数 0.00%=0"}));
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 号 = '0003'"));
        click(window, "ComdPrinter");
        QCOMPARE(office.launcher.tails(),
                 texts({"mwxstj    $#select * from MwxsSjdtj@从2026-12-01至2026-12-06墓位销售情况统计"}));
        QCOMPARE(office.data.db()
                     .texts(QStringLiteral("SELECT 位置数 FROM MwxsSjdtj ORDER BY rid"), {},
                            QStringLiteral("test"))
                     .join(QLatin1Char(',')),
                 QStringLiteral("3,2,0,0"));

        const QString picture = office.data.folder().printsFolder() + QStringLiteral("/chart.png");
        office.prompter.fileNames.enqueue(picture);
        control<StatisticsChart>(window, "MSChart1")->actions().value(0)->trigger();
        QVERIFY(!QImage(picture).isNull());
        QVERIFY(office.prompter.shown.isEmpty());
    }

    // A year is four digits; the months are charted one bar each; with no sale of a type there is no pie.
    void yearsAreFourDigitsAndEmptyTypesAreTold() {
        Office office;
        QWidget* year = office.run(QStringLiteral("mwxszdyytj"), QStringLiteral("Frmnxstj"));
        QCOMPARE(control<QLineEdit>(year, "Text1")->text(), QStringLiteral("2026"));
        control<QLineEdit>(year, "Text1")->setText(QStringLiteral("20e7"));
        click(year, "ComCount");
        QCOMPARE(office.prompter.texts(), texts({"请输入正确年号！ "}));
        QCOMPARE(office.prompter.shown.first().icon, Prompter::Icon::Exclamation);
        QVERIFY(!control<QPushButton>(year, "ComdPrinter")->isEnabled());
        control<QLineEdit>(year, "Text1")->setText(QStringLiteral("2026"));
        click(year, "ComCount");
        QCOMPARE(barLabels(year).mid(10), texts({"十一月=0", "十二月=2"}));
        QVERIFY(control<QPushButton>(year, "ComCount")->isEnabled());
        click(year, "ComdPrinter");
        QCOMPARE(office.launcher.tails(),
                 texts({"year      $#select * from CountXsYear@2026年墓位销售统计"}));

        QWidget* types = office.run(QStringLiteral("fdfds"), QStringLiteral("Frm_Bxxstj"));
        click(types, "ComdFindCount");
        const auto* pie = qobject_cast<QPieSeries*>(
            control<StatisticsChart>(types, "MSChart1")->chart()->series().value(0));
        QCOMPARE(pie->slices().value(1)->label(), text("立碑 1 (50.00%)"));
        control<QDateEdit>(types, "DP1")->setDate(QDate(2026, 1, 1));
        control<QDateEdit>(types, "DP2")->setDate(QDate(2026, 11, 30));
        click(types, "ComdFindCount");
        QCOMPARE(office.prompter.lastText(), text("当前各碑型统计都为零，不能以图形显示出来！"));
    }

    // The list opens on today's sales of every area with its count and sum, and prints what it lists.
    void theSalesListCountsAndPrintsWhatItShows() {
        Office office;
        QWidget* window = office.run(QStringLiteral("mxxs"), QStringLiteral("Frmmxxs"));
        QCOMPARE(window->windowTitle(), text("墓区销售统计"));
        QCOMPARE(control<QLabel>(window, "Lambcount")->text(), text("墓碑个数： 1"));
        QCOMPARE(control<QLabel>(window, "Lafysum")->text(), text("费用合计： 1200"));
        auto* areas = control<QComboBox>(window, "Combo1");
        QCOMPARE(areas->count(), 2);
        areas->setCurrentIndex(1);
        control<QDateEdit>(window, "DTP1")->setDate(QDate(2026, 12, 7));
        control<QDateEdit>(window, "DTP2")->setDate(QDate(2026, 12, 7));
        click(window, "Command1");
        QCOMPARE(control<QLabel>(window, "Lambcount")->text(), text("墓碑个数：  0"));
        QCOMPARE(control<QLabel>(window, "Lafysum")->text(), text("费用合计：0"));
        click(window, "Command3");
        QCOMPARE(office.launcher.tails().value(0).section(QLatin1Char('@'), 1),
                 text("2026-12-07到2026-12-07公墓销售统计表(甲区)"));

        QWidget* prices = office.run(QStringLiteral("mxjgfwtj"), QStringLiteral("Frmmxjgfwxstj"));
        QVERIFY(!prices->findChild<QComboBox*>());
        click(prices, "Command3");
        QCOMPARE(office.launcher.started.size(), 1);
    }

    // A report is printed only once chosen, and only with the print right.
    void chargeReportsAskForTheirChoiceAndRight() {
        Office office;
        QWidget* window = office.run(QStringLiteral("M_jctj"), QStringLiteral("FRM_JCTJ"));
        click(window, "Command1");
        QVERIFY(office.launcher.started.isEmpty());
        control<QRadioButton>(window, "Option2")->setChecked(true);
        click(window, "Command1");
        QCOMPARE(office.launcher.tails().value(0).section(QLatin1Char('@'), 1),
                 text("2026-12-06到2026-12-06寄存续费统计表"));
        office.session.flags.printDenied = true;
        click(window, "Command1");
        QCOMPARE(office.prompter.texts(), texts({"您没有打印记录权限！"}));
        QCOMPARE(office.launcher.started.size(), 1);
    }
};

QTEST_MAIN(StatisticsWindowsTest)
#include "tst_statisticswindows.moc"
