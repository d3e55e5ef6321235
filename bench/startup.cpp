#include "bench/benchmark.h"

#include "foundation/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace {

// Starts pelu on the office in `folder` until its login dialog is shown, and returns how long that took.
double timeOneStart(const QString& program, const QString& folder) {
    QProcess pelu;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    pelu.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    pelu.start(program, {QStringLiteral("--data"), folder, QStringLiteral("--check-startup")});
    if (!pelu.waitForFinished(30000) || pelu.exitStatus() != QProcess::NormalExit || pelu.exitCode() != 0)
        fail(QStringLiteral("pelu did not reach its login dialog: ") +
             QString::fromUtf8(pelu.readAllStandardError()));
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void startup(Bench& bench) {
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pelu"));
    const DataFolder folder(bench.folder() + QStringLiteral("/startup"));
    folder.prepare();
    QFile::remove(folder.databaseFile());
    if (!QFile::rename(bench.cemeteryCopy(QStringLiteral("startup")), folder.databaseFile()))
        fail(QStringLiteral("cannot move the generated cemetery into ") + folder.path());

    timeOneStart(program, folder.path()); // the first start also fills the system's file caches
    QList<double> runs;
    for (int run = 0; run < bench.repeats(); ++run)
        runs << timeOneStart(program, folder.path());
    const double took = median(runs);
    bench.out() << "startup: from starting pelu to its login dialog shown, 100,000 plots (median of "
                << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(took) << "  (goal: at most 500 ms)" << Qt::endl;
}

} // namespace

Measurement startupMeasurement() {
    return {QStringLiteral("startup"),
            QStringLiteral("from starting pelu to its login dialog shown (offscreen), on 100,000 plots"),
            startup};
}
