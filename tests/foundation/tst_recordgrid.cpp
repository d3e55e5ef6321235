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
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

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

// One member of a zip archive, read by unzip; empty when the archive lacks it.
QByteArray unzipped(const QString& archive, const QString& member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, member});
    unzip.waitForFinished();
    return unzip.exitCode() == 0 ? unzip.readAllStandardOutput() : QByteArray();
}

// A cell of a written sheet: its type attribute (empty for a number), its value or inline text, and
// the number format its style gives it.
struct Cell {
    QString type;
    QString value;
    QString format;
};

// The cells of the first sheet of an .xlsx, by reference ("B2"), with their styles' number formats.
QHash<QString, Cell> sheetCells(const QString& path) {
    QHash<int, QString> formatCodes{{0, QStringLiteral("General")}, {49, QStringLiteral("@")}};
    QList<int> styleFormats;
    QXmlStreamReader styles(unzipped(path, QStringLiteral("xl/styles.xml")));
    bool inCellStyles = false;
    while (!styles.atEnd()) {
        styles.readNext();
        if (styles.isStartElement() && styles.name() == QLatin1String("numFmt"))
            formatCodes.insert(styles.attributes().value(QLatin1String("numFmtId")).toInt(),
                               styles.attributes().value(QLatin1String("formatCode")).toString());
        else if (styles.name() == QLatin1String("cellXfs"))
            inCellStyles = styles.isStartElement();
        else if (inCellStyles && styles.isStartElement() && styles.name() == QLatin1String("xf"))
            styleFormats << styles.attributes().value(QLatin1String("numFmtId")).toInt();
    }
    QStringList shared;
    QXmlStreamReader strings(unzipped(path, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd())
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == QLatin1String("t"))
            shared << strings.readElementText();

    QHash<QString, Cell> cells;
    QXmlStreamReader sheet(unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString reference;
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (!sheet.isStartElement())
            continue;
        if (sheet.name() == QLatin1String("c")) {
            reference = sheet.attributes().value(QLatin1String("r")).toString();
            Cell& cell = cells[reference];
            cell.type = sheet.attributes().value(QLatin1String("t")).toString();
            cell.format =
                formatCodes.value(styleFormats.value(sheet.attributes().value(QLatin1String("s")).toInt()));
        } else if (sheet.name() == QLatin1String("v") || sheet.name() == QLatin1String("t")) {
            Cell& cell = cells[reference];
            cell.value = sheet.readElementText();
            if (cell.type == QLatin1String("s"))
                cell.value = shared.value(cell.value.toInt());
        }
    }
    return cells;
}

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

    void exportsAWorkbookThatKeepsEveryDigitAndTheKindOfEveryColumn() {
        TestData data;
        addFeeRows(data);
        data.sql(
            QStringLiteral("UPDATE gm_xf1 SET 备注 = ?, 联系电话 = ?, 合计 = ?, 操作员 = ? WHERE id = 600"),
            {QStringLiteral("330102198003150025"), QStringLiteral("0001"), 1234.56, text("李四")});
        ScriptedPrompter prompter;
        RecordGrid grid;
        grid.attach(data.db(), prompter);
        grid.setHiddenColumns({QStringLiteral("操作员")});
        grid.setQuery(
            {QStringLiteral("SELECT id, 备注 AS 身份证号, 联系电话, 操作员, 合计, 操作日期 FROM gm_xf1 "
                            "WHERE 操作方式 = ?"),
             {QStringLiteral("购墓")}});
        grid.horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
        const QString path = data.folder().path() + QStringLiteral("/导出.xlsx");
        prompter.fileNames.enqueue(path);
        grid.exportAll();
        QCOMPARE(prompter.lastText(), QStringLiteral("已导出 600 条记录到 %1。").arg(path));
        QCOMPARE(QDir(data.folder().path()).entryList({QStringLiteral("导出.xlsx*")}),
                 QStringList{QStringLiteral("导出.xlsx")}); // no temporary file left beside it

        const QHash<QString, Cell> cells = sheetCells(path);
        QVERIFY2(!cells.isEmpty(), "unzip could not read the workbook");
        // The header, without the hidden column.
        QCOMPARE(cells.value(QStringLiteral("A1")).value, QStringLiteral("id"));
        QCOMPARE(cells.value(QStringLiteral("B1")).value, text("身份证号"));
        QCOMPARE(cells.value(QStringLiteral("D1")).value, text("合计"));
        QCOMPARE(cells.value(QStringLiteral("E1")).value, text("操作日期"));
        QVERIFY(!cells.contains(QStringLiteral("F1")));
        // The first row is the last written: the shown order.
        const Cell id = cells.value(QStringLiteral("A2"));
        QVERIFY(id.type.isEmpty());
        QCOMPARE(id.value, QStringLiteral("600"));
        for (const QString& reference : {QStringLiteral("B2"), QStringLiteral("C2")}) {
            const Cell textCell = cells.value(reference);
            QVERIFY2(textCell.type == QLatin1String("s") || textCell.type == QLatin1String("inlineStr"),
                     qPrintable(reference + QLatin1Char(' ') + textCell.type));
            QCOMPARE(textCell.format, QStringLiteral("@"));
        }
        QCOMPARE(cells.value(QStringLiteral("B2")).value, QStringLiteral("330102198003150025"));
        QCOMPARE(cells.value(QStringLiteral("C2")).value, QStringLiteral("0001"));
        const Cell amount = cells.value(QStringLiteral("D2"));
        QVERIFY(amount.type.isEmpty());
        QCOMPARE(amount.value.toDouble(), 1234.56);
        QCOMPARE(amount.format, QStringLiteral("0.00"));
        const Cell date = cells.value(QStringLiteral("E2"));
        QVERIFY(date.type.isEmpty());
        QCOMPARE(date.value.toDouble(), double(QDate(1899, 12, 30).daysTo(QDate(2026, 1, 2))));
        QCOMPARE(date.format.toLower(), QStringLiteral("yyyy-mm-dd"));
        // Empty values stay empty cells; the last row is the first written.
        QVERIFY(!cells.contains(QStringLiteral("B3")));
        QCOMPARE(cells.value(QStringLiteral("D601")).value.toDouble(), 0.1);
        QVERIFY(!cells.contains(QStringLiteral("A602")));
        // The header stays in view.
        QVERIFY(unzipped(path, QStringLiteral("xl/worksheets/sheet1.xml")).contains("state=\"frozen\""));

        // A second export replaces the first whole.
        grid.setQuery({QStringLiteral("SELECT id, 合计 FROM gm_xf1 WHERE id = ?"), {7}});
        prompter.fileNames.enqueue(path);
        grid.exportAll();
        QCOMPARE(prompter.lastText(), QStringLiteral("已导出 1 条记录到 %1。").arg(path));
        QCOMPARE(sheetCells(path).value(QStringLiteral("B2")).value.toDouble(), 0.7);
        QVERIFY(!sheetCells(path).contains(QStringLiteral("A3")));

        // A folder that does not exist: told, and nothing written.
        prompter.fileNames.enqueue(data.folder().path() + QStringLiteral("/无此文件夹/导出.xlsx"));
        grid.exportAll();
        QVERIFY(prompter.lastText().startsWith(QStringLiteral("无法写入文件")));
        QCOMPARE(prompter.shown.last().icon, Prompter::Icon::Critical);
    }

    // A spreadsheet program reads the workbook back with every value as the CSV export shows it.
    void aSpreadsheetProgramReadsTheWorkbookAsTheCsvShowsIt() {
        const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (office.isEmpty())
            QSKIP("no spreadsheet program installed");
        TestData data;
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 联系电话, 备注, 合计, 操作日期) VALUES "
                                "(?, '0001', '330102198003150025', 1234.56, '2026-01-02 08:30:00'), "
                                "(?, '13800001234', '11010519491231002X', 0.07, '2025-12-31')"),
                 {text("甲区1排1号"), text("乙区2排12号")});
        ScriptedPrompter prompter;
        RecordGrid grid;
        grid.attach(data.db(), prompter);
        grid.setQuery(
            {QStringLiteral("SELECT id, 墓碑位置, 联系电话, 备注 AS 身份证号, 合计, 操作日期 FROM gm_xf1"),
             {}});
        const QString folder = data.folder().path();
        prompter.fileNames << folder + QStringLiteral("/列表.csv") << folder + QStringLiteral("/列表.xlsx");
        grid.exportAll();
        grid.exportAll();

        QProcess convert;
        convert.setWorkingDirectory(folder);
        convert.start(office,
                      {QStringLiteral("-env:UserInstallation=file://") + folder + QStringLiteral("/office"),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                       QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                       folder + QStringLiteral("/converted"), folder + QStringLiteral("/列表.xlsx")});
        QVERIFY(convert.waitForFinished(120000));
        QFile converted(folder + QStringLiteral("/converted/列表.csv"));
        QVERIFY2(converted.open(QIODevice::ReadOnly), convert.readAllStandardError().constData());
        QFile exported(folder + QStringLiteral("/列表.csv"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const auto lines = [](const QByteArray& bytes) {
            QByteArray text = bytes;
            if (text.startsWith("\xEF\xBB\xBF"))
                text.remove(0, 3);
            return QString::fromUtf8(text)
                .remove(QLatin1Char('\r'))
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        };
        const QStringList read = lines(converted.readAll());
        QCOMPARE(read.size(), 3);
        QVERIFY(read.at(1).contains(QStringLiteral(",0001,330102198003150025,1234.56,2026-01-02")));
        QCOMPARE(read, lines(exported.readAll()));
    }
};

QTEST_MAIN(RecordGridTest)
#include "tst_recordgrid.moc"
