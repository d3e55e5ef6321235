#include "foundation/columntext.h"
#include "foundation/ui/recordgrid.h"
#include "foundation/ui/recordmodel.h"
#include "foundation/ui/windowhost.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int sold = 600; // more than two pages

// `sold` purchase rows (id i, 合计 i × 0.1, a moment on 2026-01-02) and one refund row the filter leaves out.
void addFeeRows(TestData& data) {
    data.sql(
        QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 联系人, 合计, 操作方式, 操作日期) "
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                       "SELECT '甲区1排' || i, '客' || i, i * 0.1, '购墓', '2026-01-02 08:30:00' FROM n"),
        {sold});
    data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 合计, 操作方式) VALUES ('乙区', 99999, '退墓')"));
}

// A grid on a database holding the fee rows.
struct GridOnFees {
    TestData data;
    ScriptedPrompter prompter;
    RecordGrid grid;
    GridOnFees() {
        addFeeRows(data);
        grid.attach(data.db(), prompter);
    }
};

const BoundQuery purchases{QStringLiteral("SELECT * FROM gm_xf1 WHERE 操作方式 = ?"),
                           {QStringLiteral("购墓")}};

} // namespace

class RecordGridTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fetchesLazilyAndCountsAndSumsFromSql() {
        TestData data;
        addFeeRows(data);
        ScriptedPrompter prompter;
        RecordModel model(data.db(), prompter);
        model.setQuery(purchases);
        QCOMPARE(model.rowCount(), RecordModel::pageRows);
        // The tester fetches more at every check it makes.
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.count(), sold);
        QCOMPARE(model.sum(QStringLiteral("合计")), 18030.0);

        const int total = static_cast<int>(model.columnNames().indexOf(QStringLiteral("合计")));
        const int moment = static_cast<int>(model.columnNames().indexOf(QStringLiteral("操作日期")));
        QCOMPARE(model.headerData(total, Qt::Horizontal).toString(), QStringLiteral("合计"));
        QCOMPARE(model.index(4, total).data().toString(), QStringLiteral("0.50"));
        QCOMPARE(model.index(4, total).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(model.index(4, moment).data().toString(), QStringLiteral("2026-01-02"));
        while (model.canFetchMore(QModelIndex()))
            model.fetchMore(QModelIndex());
        QCOMPARE(model.rowCount(), sold);
        QCOMPARE(model.value(sold - 1, QStringLiteral("id")).toInt(), sold);
        QVERIFY(prompter.shown.isEmpty());
    }

    void showsValuesByTheKindOfTheirColumn() {
        using ColumnCatalogue::Kind;
        QCOMPARE(ColumnText::shown(Kind::Money, QStringLiteral(" 12.5 ")), QStringLiteral("12.50"));
        QCOMPARE(ColumnText::shown(Kind::Money, QStringLiteral("十元")), QStringLiteral("十元"));
        QCOMPARE(ColumnText::shown(Kind::Share, 0.125), QStringLiteral("12.50%"));
        QCOMPARE(ColumnText::shown(Kind::Date, QStringLiteral("2026-12-06 09:30:00")),
                 QStringLiteral("2026-12-06"));
        QCOMPARE(ColumnText::shown(Kind::Date, QStringLiteral("2026-12-06T09:30")),
                 QStringLiteral("2026-12-06"));
        QCOMPARE(ColumnText::shown(Kind::Date, QStringLiteral("明年")), QStringLiteral("明年"));
        QCOMPARE(ColumnText::shown(Kind::Plain, 1740000000.0), QStringLiteral("1740000000"));
        QVERIFY(ColumnText::shown(Kind::Money, QVariant(QMetaType(QMetaType::Double))).isEmpty());
    }

    void headerClickSortsTheWholeQueryAndCurrentRowIsReadByName() {
        GridOnFees fees;
        auto& [data, prompter, grid] = fees;
        grid.setHiddenColumns({QStringLiteral("编号")});
        grid.setColumnTwips(QStringLiteral("联系人"), 1500);
        grid.setQuery(purchases);
        grid.resize(800, 400);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QHeaderView* header = grid.horizontalHeader();
        const int id = 0;
        const auto clickHeader = [&] {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(id) + 5, header->height() / 2));
        };
        clickHeader();
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        clickHeader();
        QCOMPARE(header->sortIndicatorSection(), id);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Sorting keeps how the window arranged the columns.
        QVERIFY(grid.isColumnHidden(1));
        QCOMPARE(grid.columnWidth(6), twipsToPixels(1500));
        // The rows now start with the last one written, far beyond the rows fetched before.
        QSignalSpy moved(&grid, &RecordGrid::currentRowChanged);
        grid.setCurrentIndex(grid.model()->index(2, 1));
        QCOMPARE(moved.size(), 1);
        QCOMPARE(grid.currentValue(QStringLiteral("id")).toInt(), sold - 2);
        QCOMPARE(grid.currentValue(QStringLiteral("联系人")).toString(),
                 QStringLiteral("客%1").arg(sold - 2));
        QVERIFY(!grid.currentValue(QStringLiteral("无此列")).isValid());
        QCOMPARE(grid.model()->rowCount(), RecordModel::pageRows);

        grid.setQuery(purchases);
        QCOMPARE(moved.size(), 2);
        QVERIFY(!grid.currentValue(QStringLiteral("id")).isValid());
        QCOMPARE(header->sortIndicatorSection(), -1);
        QCOMPARE(grid.model()->index(0, id).data().toInt(), 1);
    }

    void copiesTheSelectedCellsAsShownInTheirOrder() {
        GridOnFees fees;
        auto& [data, prompter, grid] = fees;
        grid.setLeadingColumns({QStringLiteral("联系人")});
        grid.setQuery(
            {QStringLiteral("SELECT id AS rid, 墓碑位置, 联系人, 合计 FROM gm_xf1 WHERE id IN (?, ?)"),
             {2, 3}});
        QVERIFY(grid.isColumnHidden(0));
        grid.selectAll();
        QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("客2\t甲区1排2\t0.20\n客3\t甲区1排3\t0.30"));
    }

    void exportsEveryRowInTheShownOrderAsCsv() {
        TestData data;
        addFeeRows(data);
        data.sql(QStringLiteral("UPDATE gm_xf1 SET 备注 = ? WHERE id = 600"), {text("王\"五\", 张三\n二号")});
        ScriptedPrompter prompter;
        RecordGrid grid;
        grid.attach(data.db(), prompter);
        // A column the window hides and one hidden everywhere are not exported.
        grid.setHiddenColumns({QStringLiteral("合计")});
        grid.setQuery(
            {QStringLiteral("SELECT id, id AS rid, 备注, 合计, 操作日期 FROM gm_xf1 WHERE 操作方式 = ?"),
             {QStringLiteral("购墓")}});
        grid.horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
        const QString path = data.folder().path() + QStringLiteral("/导出.csv");

        grid.exportAll(); // the operator cancels the file dialog
        QVERIFY(!QFile::exists(path));
        QVERIFY(prompter.shown.isEmpty());

        prompter.fileNames.enqueue(path);
        grid.findChild<QAbstractButton*>(QStringLiteral("exportButton"))->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QString written = QString::fromUtf8(bytes.mid(3));
        QVERIFY(written.startsWith(text("id,备注,操作日期\r\n"
                                        "600,\"王\"\"五\"\", 张三\n二号\",2026-01-02\r\n"
                                        "599,,2026-01-02\r\n")));
        QVERIFY(written.endsWith(QStringLiteral("\r\n1,,2026-01-02\r\n")));
        QCOMPARE(written.count(QStringLiteral("\r\n")), sold + 1);
        QCOMPARE(prompter.lastText(), QStringLiteral("已导出 600 条记录到 %1。").arg(path));

        prompter.fileNames.enqueue(data.folder().path() + QStringLiteral("/无此文件夹/导出.csv"));
        grid.exportAll();
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("无法写入文件")));
        QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Critical);
    }
};

QTEST_MAIN(RecordGridTest)
#include "tst_recordgrid.moc"
