#include "admin/ui/printarchivewindow.h"
#include "shared/printarchive.h"
#include "support/runningoffice.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>

namespace {

class FakePrinters : public PrinterProbe {
public:
    QStringList printers; // "" stands for a default printer
    bool available(const QString& printerName) const override { return printers.contains(printerName); }
};

// An archived document: its PDF in prints/ and its line in the index.
void archive(const DataFolder& folder, const char* moment, const char* file, const char* templateName,
             const char* heading, const char* operatorName, bool keepPdf = true) {
    QFile pdf(QDir(folder.printsFolder()).filePath(text(file)));
    if (keepPdf) {
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF-1.4\n");
    }
    QVERIFY(PrintArchive::record(folder.printsFolder(),
                                 {QDateTime::fromString(QString::fromLatin1(moment), Qt::ISODate), text(file),
                                  text(templateName), text(heading), text(operatorName)}));
}

// Two documents of 12-05 (the later one printed after the index's next line), one of 12-01 whose
// heading is like the 16:20 one but for a _ and a %, and one whose PDF was deleted.
struct ArchiveOffice : RunningOffice {
    ArchiveOffice() {
        archive(data.folder(), "2026-12-01T10:00:00", "a.pdf", "gm        ", "1排_01号 收费100%", "张三");
        archive(data.folder(), "2026-12-05T16:20:00", "b.pdf", "gm", "1排101号 收费1000", "张三");
        archive(data.folder(), "2026-12-05T09:00:00", "c.pdf", "jc", "骨灰寄存证", "李四");
        archive(data.folder(), "2026-12-04T11:00:00", "d.pdf", "gm", "已删除", "张三", false);
    }
    QString pdf(const QString& file) const { return QDir(data.folder().printsFolder()).filePath(file); }
    void setPrinter(const QString& key, const QString& value) {
        QSettings(data.folder().iniFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("printer/") + key, value);
    }
};

// The values of the grid's column headed `name`, top to bottom.
QStringList column(QTableView* grid, const QString& name) {
    QAbstractItemModel* model = grid->model();
    QStringList values;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (model->headerData(c, Qt::Horizontal).toString() != name)
            continue;
        for (int row = 0; row < model->rowCount(); ++row)
            values << model->index(row, c).data().toString();
    }
    return values;
}

} // namespace

class PrintArchiveTest : public QObject {
    Q_OBJECT

private slots:
    void listsNewestFirstAndFindsByTextAndWholeDays() {
        ArchiveOffice office;
        QWidget* window = office.run(QStringLiteral("M_dyda"), QStringLiteral("Frm_dyda"));
        auto* grid = control<QTableView>(window, "Grid1");
        auto* from = control<QDateEdit>(window, "DTP1");
        auto* to = control<QDateEdit>(window, "DTP2");
        auto* find = control<QLineEdit>(window, "Text1");

        QCOMPARE(from->date(), QDate(2026, 12, 1));
        QCOMPARE(to->date(), QDate(2026, 12, 6));
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"b.pdf", "c.pdf", "a.pdf"}));
        QCOMPARE(column(grid, QStringLiteral("文档")), texts({"gm", "jc", "gm"}));
        QCOMPARE(column(grid, QStringLiteral("操作员")), texts({"张三", "李四", "张三"}));

        find->setText(text("寄存"));
        QCOMPARE(column(grid, QStringLiteral("标题")), texts({"骨灰寄存证"}));
        // Typed % and _ are the characters themselves, not wildcards.
        find->setText(QStringLiteral("_01"));
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"a.pdf"}));
        find->setText(QStringLiteral("100%"));
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"a.pdf"}));
        find->clear();

        // The last day counts whole, to its last minute.
        from->setDate(QDate(2026, 12, 5));
        to->setDate(QDate(2026, 12, 5));
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"b.pdf", "c.pdf"}));
        from->setDate(QDate(2026, 12, 1));
        to->setDate(QDate(2026, 12, 4));
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"a.pdf"}));

        // 刷新 reads the index afresh, each document once.
        to->setDate(QDate(2026, 12, 6));
        archive(office.data.folder(), "2026-12-06T08:00:00", "e.pdf", "gm", "新的", "张三");
        QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(column(grid, QStringLiteral("文件")), texts({"e.pdf", "b.pdf", "c.pdf", "a.pdf"}));
        QVERIFY(office.prompter.shown.isEmpty());
    }

    void opensAndPrintsAgainTheChosenPdf() {
        ArchiveOffice office;
        FakePrinters printers;
        printers.printers = {QString(), QStringLiteral("PeluPDF")};
        auto* window = office.window.host().open<PrintArchiveWindow>(std::cref<PrinterProbe>(printers));
        auto* grid = control<QTableView>(window, "Grid1");
        auto* open = control<QPushButton>(window, "Command2");
        auto* reprint = control<QPushButton>(window, "Command3");

        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), text("请先在列表中选择一份文档。"));
        QVERIFY(office.launcher.started.isEmpty());

        grid->setCurrentIndex(grid->model()->index(1, 0));
        const QString chosen = office.pdf(QStringLiteral("c.pdf"));
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(office.launcher.started.last().program, QStringLiteral("xdg-open"));
        QCOMPARE(office.launcher.started.last().arguments, QStringList({chosen}));

        QTest::mouseClick(reprint, Qt::LeftButton);
        QCOMPARE(office.launcher.started.last().program, QStringLiteral("lp"));
        QCOMPARE(office.launcher.started.last().arguments, QStringList({chosen}));
        office.setPrinter(QStringLiteral("name"), QStringLiteral("PeluPDF"));
        QTest::mouseClick(reprint, Qt::LeftButton);
        QCOMPARE(office.launcher.started.last().arguments,
                 QStringList({QStringLiteral("-d"), QStringLiteral("PeluPDF"), chosen}));
        QCOMPARE(office.launcher.started.size(), 3);

        // No paper to be had: said with the file's name, and nothing started.
        office.setPrinter(QStringLiteral("name"), QStringLiteral("Kitchen"));
        QTest::mouseClick(reprint, Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), text("找不到打印机“Kitchen”，c.pdf 没有重新打印。"));
        office.setPrinter(QStringLiteral("name"), QString());
        office.setPrinter(QStringLiteral("mode"), QStringLiteral("pdf"));
        QTest::mouseClick(reprint, Qt::LeftButton);
        QVERIFY(office.prompter.lastText().contains(QStringLiteral("c.pdf")));
        // A PDF removed since the list was read.
        QVERIFY(QFile::remove(chosen));
        QTest::mouseClick(open, Qt::LeftButton);
        QVERIFY(office.prompter.lastText().contains(QStringLiteral("c.pdf")));
        QCOMPARE(office.launcher.started.size(), 3);
    }
};

QTEST_MAIN(PrintArchiveTest)
#include "tst_printarchive.moc"
