#include "columbarium/ui/nichefeerecordswindow.h"
#include "support/runningoffice.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// Niche 东厅1室0001号 has two fee rows of the same second, 800/800 and 300/250; 西厅1室0001号 one of 100.
struct Fees {
    RunningOffice office;
    NicheFeeRecordsWindow* window = nullptr;

    Fees() {
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_xf1 (存放位置, 联系人, 应收费, 实收费, 操作方式, 操作日期) VALUES "
            "('东厅1室0001号', '甲', 800, 800, '存入', '2026-12-06 09:30:00'), "
            "('西厅1室0001号', '乙', 100, 100, '存入', '2026-12-06 09:30:00'), "
            "('东厅1室0001号', '甲', 300, 250, '续存', '2026-12-06 09:30:00')"));
        open();
    }
    void open() {
        office.session.chosenStoredNiche = QStringLiteral("东厅1室0001号");
        window = office.window.host().open<NicheFeeRecordsWindow>();
        window->takeChosenNiche();
    }
    QTableView* grid() { return control<QTableView>(window, "Grid1"); }
    // The text of a shown column.
    QString cell(int row, const char* column) {
        const QAbstractItemModel* model = grid()->model();
        for (int at = 0; at < model->columnCount(); ++at)
            if (!grid()->isColumnHidden(at) &&
                model->headerData(at, Qt::Horizontal).toString() == QString::fromUtf8(column))
                return model->index(row, at).data().toString();
        return QStringLiteral("no column");
    }
    // Chooses grid line `row` and answers the delete's question with `answer`.
    void remove(int row, Prompter::Answer answer) {
        grid()->selectRow(row);
        office.prompter.answers << answer;
        QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
    }
};

} // namespace

class NicheFeeRecordsTest : public QObject {
    Q_OBJECT

private slots:
    // The totals are a line of their own above the niche's fee rows; only a fee row can be chosen.
    void theTotalsLineStandsAboveTheFeeRows() {
        Fees fees;
        QCOMPARE(fees.grid()->model()->rowCount(), 3);
        QCOMPARE(fees.cell(0, "存放位置"), QStringLiteral("      消费总计:"));
        QCOMPARE(fees.cell(0, "应收费"), QStringLiteral("1100.00"));
        QCOMPARE(fees.cell(0, "实收费"), QStringLiteral("1050.00"));
        QCOMPARE(fees.cell(1, "应收费"), QStringLiteral("800.00"));
        QCOMPARE(fees.cell(2, "实收费"), QStringLiteral("250.00"));
        QCOMPARE(fees.cell(0, "行序"), QStringLiteral("no column"));

        auto* button = control<QPushButton>(fees.window, "Command1");
        QVERIFY(!button->isEnabled());
        fees.grid()->selectRow(0);
        QVERIFY(!button->isEnabled());
        QCOMPARE(control<QLabel>(fees.window, "Label1")->text(), QString());
        fees.grid()->selectRow(2);
        QVERIFY(button->isEnabled());
        QCOMPARE(control<QLabel>(fees.window, "Label1")->text(),
                 QStringLiteral("您选择的是:   东厅1室0001号"));
        QCOMPARE(control<QLabel>(fees.window, "Label2")->text(),
                 QStringLiteral("操作时间:     2026-12-06 09:30:00"));
    }

    // The delete right, then the question; the chosen row goes by its id and not its twin of the same
    // second, and the window closes.
    void theChosenRowIsDeletedByItsId() {
        Fees fees;
        const QString before = fees.office.data.dump(QStringLiteral("ghjc_xf1"));
        fees.office.session.flags.deleteDenied = true;
        fees.grid()->selectRow(2);
        QTest::mouseClick(control<QPushButton>(fees.window, "Command1"), Qt::LeftButton);
        QCOMPARE(fees.office.prompter.shown.last().text, QStringLiteral("您没有删除记录的权限！"));
        QCOMPARE(fees.office.prompter.shown.last().caption, QStringLiteral("Admin"));
        fees.office.session.flags.deleteDenied = false;
        fees.remove(2, Prompter::Answer::No);
        QCOMPARE(fees.office.prompter.shown.last().caption, QStringLiteral("删除记录"));
        QCOMPARE(fees.office.prompter.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(fees.office.prompter.lastText(), QStringLiteral("您确信要删除这条记录吗?请三思而后行!"));
        QCOMPARE(fees.office.data.dump(QStringLiteral("ghjc_xf1")), before);

        fees.remove(2, Prompter::Answer::Yes);
        QCOMPARE(fees.office.data.dump(QStringLiteral("ghjc_xf1")),
                 text("1|东厅1室0001号||甲|||800|800|存入||2026-12-06 09:30:00\n"
                      "2|西厅1室0001号||乙|||100|100|存入||2026-12-06 09:30:00"));
        QTRY_VERIFY(!fees.office.find(QStringLiteral("Frmjc_sfwh")));
    }

    // The last row of a niche stays, counted at the delete and not from the list; a row gone meanwhile
    // is told and the window stays.
    void theLastRowStaysAndARowGoneIsTold() {
        Fees fees;
        fees.office.data.sql(QStringLiteral("DELETE FROM ghjc_xf1 WHERE id = 1"));
        fees.remove(2, Prompter::Answer::Yes);
        QCOMPARE(fees.office.prompter.lastText(), QStringLiteral("记录只剩下一条,不能删除!"));
        QCOMPARE(fees.office.prompter.shown.last().caption, QString());
        QCOMPARE(fees.office.data.count(QStringLiteral("ghjc_xf1")), 2);

        fees.office.data.sql(
            QStringLiteral("INSERT INTO ghjc_xf1 (存放位置, 应收费) VALUES ('东厅1室0001号', 5)"));
        fees.open();
        fees.office.data.sql(QStringLiteral("DELETE FROM ghjc_xf1 WHERE id = 3"));
        fees.remove(1, Prompter::Answer::Yes);
        QCOMPARE(fees.office.prompter.lastText(), QStringLiteral("这条收费记录已经不在了。"));
        QCOMPARE(fees.office.data.count(QStringLiteral("ghjc_xf1")), 2);
        QVERIFY(fees.office.find(QStringLiteral("Frmjc_sfwh")));
        QCOMPARE(fees.grid()->model()->rowCount(), 2);
    }
};

QTEST_MAIN(NicheFeeRecordsTest)
#include "tst_nichefeerecords.moc"
