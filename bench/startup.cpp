#include "bench/benchmark.h"

#include "foundation/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <unistd.h>

namespace {

struct Start {
    double milliseconds = 0;
    qint64 peakKilobytes = 0; // pelu's own count: a starter's rusage also holds the starter's pages
};

// Starts pelu on the office in `folder` until its login dialog is shown: how long that took and the
// most memory it held.
Start oneStart(const QString& program, const QString& folder) {
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
    Start start{static_cast<double>(clock.nsecsElapsed()) / 1e6};
    const QString said = QString::fromUtf8(pelu.readAllStandardOutput());
    const qsizetype at = said.indexOf(QStringLiteral("peak memory: "));
    if (at < 0)
        fail(QStringLiteral("pelu did not say its peak memory"));
    start.peakKilobytes = said.mid(at + 13).section(QLatin1Char(' '), 0, 0).toLongLong();
    return start;
}

void startup(Bench& bench) {
    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pelu"));
    const DataFolder folder(bench.folder() + QStringLiteral("/startup"));
    folder.prepare();
    QFile::remove(folder.databaseFile());
    // The busy office itself, linked rather than copied (several GB at scale 10): a start reads it
    // and at most refreshes the planner's statistics.
    const QString office = bench.busyOffice();
    if (::link(QFile::encodeName(office).constData(), QFile::encodeName(folder.databaseFile()).constData()) !=
            0 &&
        !QFile::copy(office, folder.databaseFile()))
        fail(QStringLiteral("cannot put the generated office into ") + folder.path());

    qint64 peak = oneStart(program, folder.path()).peakKilobytes; // also fills the system's file caches
    QList<double> runs;
    for (int run = 0; run < bench.repeats(); ++run) {
        const Start start = oneStart(program, folder.path());
        runs << start.milliseconds;
        peak = std::max(peak, start.peakKilobytes);
    }
    const double took = median(runs);
    QFile::remove(folder.databaseFile());
    bench.out() << "startup: from starting pelu to its login dialog shown, "
                << count(bench.cemetery().plots()) << " plots and twenty years of work (median of "
                << bench.repeats() << ")\n"
                << "  pelu:    " << milliseconds(took) << "  (goal: at most 300 ms)\n"
                << "  memory:  " << peak / 1024 << " MB at the most  (goal: at most 60 MB)" << Qt::endl;
}

} // namespace

Measurement startupMeasurement() {
    return {
        QStringLiteral("startup"),
        QStringLiteral("from starting pelu to its login dialog shown (offscreen) on the busy office, and its "
                       "memory"),
        startup};
}
