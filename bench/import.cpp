// Measurement of an office's plot register and purchases brought in from CSV files: the check and the import.
#include "admin/importservice.h"
#include "bench/benchmark.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "shared/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void import(Bench& bench) {
    const int plots = 100000 * bench.scale();
    const QString file = bench.cemeteryCopy(QStringLiteral("import"));
    Database database(file, Database::Mode::Open);
    database.setOperator(QStringLiteral("Admin"));
    Session session;
    session.operatorName = QStringLiteral("Admin");
    const DataFolder folder(QFileInfo(file).absolutePath());
    const SystemClock clock;
    ImportService service(database, session, folder, clock);

    // A new area beside the generated ones: rows of a thousand plots, every column filled.
    const QString csv = QDir(bench.folder()).filePath(QStringLiteral("mq_wz.csv"));
    {
        QFile out(csv);
        if (!out.open(QIODevice::WriteOnly))
            fail(QStringLiteral("cannot write ") + csv);
        QString text =
            ImportService::columns(QStringLiteral("mq_wz")).join(QLatin1Char(',')) + QStringLiteral("\r\n");
        for (int plot = 0; plot < plots; ++plot)
            text += QStringLiteral("导入区,%1,%2,单人墓,12000.50,3000,800,0,200,%3,%4,0\r\n")
                        .arg(plot / 1000 + 1)
                        .arg(plot % 1000 + 1, 4, 10, QLatin1Char('0'))
                        .arg(plot % 100)
                        .arg(plot % 3 == 0 ? QStringLiteral("已购") : QStringLiteral("未使用"));
        out.write(text.toUtf8());
    }
    // Purchases of three plots in five, each with its fee row.
    const int purchases = plots / 5 * 3;
    const QString registrations = QDir(bench.folder()).filePath(QStringLiteral("gm_dj.csv"));
    {
        QFile out(registrations);
        if (!out.open(QIODevice::WriteOnly))
            fail(QStringLiteral("cannot write ") + registrations);
        QString text =
            ImportService::columns(QStringLiteral("gm_dj")).join(QLatin1Char(',')) + QStringLiteral("\r\n");
        for (int plot = 0; plot < purchases; ++plot)
            text +=
                QStringLiteral("%1,导入区%2排%3号,2015-03-%4,2015-03-%4,2035-03-%4,联系人%1,33010219800315%5,"
                               "单位,地址,0571-8800%5,1380013%5,,花岗岩,山西黑,芝麻白,Z-%1,"
                               "12000.50,3000,0,800,360.25,200,100,,0,无\r\n")
                    .arg(plot + 1)
                    .arg(plot / 1000 + 1)
                    .arg(plot % 1000 + 1, 4, 10, QLatin1Char('0'))
                    .arg(plot % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(plot % 10000, 4, 10, QLatin1Char('0'));
        out.write(text.toUtf8());
    }

    double checking = 0;
    const ImportService::Report report = [&] {
        ImportService::Report checked;
        checking = millisecondsOf([&] { checked = service.check({registrations, csv}); });
        return checked;
    }();
    if (!report.clean() || report.rows != plots + purchases)
        fail(QStringLiteral("the check found %1 problems in %2 rows")
                 .arg(report.problems.size())
                 .arg(report.rows));
    ImportService::Outcome outcome;
    const double importing = millisecondsOf([&] { outcome = service.import({registrations, csv}); });
    if (!outcome.imported)
        fail(QStringLiteral("the import failed: ") + outcome.message);
    const ImportService::Timings& timings = service.lastTimings();
    bench.out() << "import: " << count(plots) << " plots and " << count(purchases)
                << " purchases with their fee rows from two CSV files into an office of "
                << count(bench.cemetery().plots()) << "\n"
                << "  dry run:             " << milliseconds(checking) << "  (goal: at most 10000 ms)\n"
                << "  import:              " << milliseconds(importing) << "  (goal: at most 10000 ms; check "
                << timings.check.count() << " ms, backup " << timings.backup.count() << " ms, writing "
                << timings.writing.count() << " ms)" << Qt::endl;
    QDir(folder.backupFolder()).removeRecursively();
}

} // namespace

Measurement importMeasurement() {
    return {QStringLiteral("import"),
            QStringLiteral("a dry run and an import of 100,000 plots and 60,000 purchases from CSV files"),
            import};
}
