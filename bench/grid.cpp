// Measurements of the record grid: a big table opened and exported whole.
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "foundation/database.h"
#include "foundation/ui/recordgrid.h"
#include "foundation/xlsxsheet.h"

#include <QFileInfo>

namespace {

// Names the export file in the operator's place.
class ExportPrompter : public YesPrompter {
public:
    explicit ExportPrompter(const QString& path) : m_path(path) {}
    QString saveFileName(const QString&, const QString&, const QString&) override { return m_path; }
    void setPath(const QString& path) { m_path = path; }

private:
    QString m_path;
};

void grid(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("grid")), Database::Mode::Open);
    const int feeRecords = bench.cemetery().feeRecords();
    Cemetery::addFeeRecords(database, feeRecords);
    const QString file = bench.folder() + QStringLiteral("/grid.csv");
    ExportPrompter prompter(file);
    const BoundQuery everyFee{QStringLiteral("SELECT * FROM gm_xf1"), {}};

    const bool sheetHolds = feeRecords <= XlsxSheet::maxRows;
    QList<double> opening;
    QList<double> exporting;
    QList<double> workbooks;
    const QString workbook = bench.folder() + QStringLiteral("/grid.xlsx");
    for (int run = 0; run < bench.repeats(); ++run) {
        RecordGrid grid;
        grid.attach(database, prompter);
        grid.resize(1000, 600);
        opening << millisecondsOf([&] {
            grid.setQuery(everyFee);
            grid.show();
            grid.grab(); // lays out and paints the first screen
        });
        if (grid.count() != feeRecords || grid.model()->rowCount() > feeRecords / 100)
            fail(QStringLiteral("the grid fetched %1 rows at first").arg(grid.model()->rowCount()));
        prompter.setPath(file);
        exporting << millisecondsOf([&] { grid.exportAll(); });
        if (!prompter.lastMessage.startsWith(QStringLiteral("已导出 %1 条").arg(feeRecords)))
            fail(QStringLiteral("the export failed: ") + prompter.lastMessage);
        prompter.setPath(workbook);
        workbooks << millisecondsOf([&] { grid.exportAll(); });
        // More rows than a sheet holds are refused, pointing to CSV.
        if (!prompter.lastMessage.startsWith(sheetHolds ? QStringLiteral("已导出 %1 条").arg(feeRecords)
                                                        : QStringLiteral("Excel 工作表最多容纳")))
            fail(QStringLiteral("the workbook export failed: ") + prompter.lastMessage);
    }
    const QString goal = QStringLiteral("at most %1 ms").arg(feeRecords / 100);
    bench.out() << "grid: every column of " << feeRecords << " fee records (median of " << bench.repeats()
                << ")\n"
                << "  first screen shown:  " << milliseconds(median(opening)) << "  (goal: at most 100 ms)\n"
                << "  exported to CSV:     " << milliseconds(median(exporting)) << "  (goal: " << goal << ", "
                << QFileInfo(file).size() / (1024 * 1024) << " MB)\n";
    if (sheetHolds)
        bench.out() << "  exported to .xlsx:   " << milliseconds(median(workbooks)) << "  (goal: " << goal
                    << ", " << QFileInfo(workbook).size() / (1024 * 1024) << " MB)" << Qt::endl;
    else
        bench.out() << "  exported to .xlsx:   refused, more rows than a sheet holds (" << XlsxSheet::maxRows
                    << "), in " << milliseconds(median(workbooks)) << Qt::endl;
}

} // namespace

Measurement gridMeasurement() {
    return {
        QStringLiteral("grid"),
        QStringLiteral(
            "the record grid on 3 fee records a plot: the first screen shown, and all exported to CSV and .xlsx"),
        grid};
}
