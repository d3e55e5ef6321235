// Measurement of an office's plot register brought in from a CSV file: the check and the import.
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

    double checking = 0;
    const ImportService::Report report = [&] {
        ImportService::Report checked;
        checking = millisecondsOf([&] { checked = service.check({csv}); });
        return checked;
    }();
    if (!report.clean() || report.rows != plots)
        fail(QStringLiteral("the check found %1 problems in %2 rows")
                 .arg(report.problems.size())
                 .arg(report.rows));
    ImportService::Outcome outcome;
    const double importing = millisecondsOf([&] { outcome = service.import({csv}); });
    if (!outcome.imported)
        fail(QStringLiteral("the import failed: ") + outcome.message);
    const ImportService::Timings& timings = service.lastTimings();
    bench.out() << "import: " << count(plots) << " plots from one CSV file into an office of "
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
            QStringLiteral("a dry run and an import of 100,000 plots from a CSV file"), import};
}
