#include "bench/benchmark.h"

#include "foundation/datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <sys/resource.h>
#include <unistd.h>

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
    // The busy office itself, linked rather than copied (several GB at scale 10): a start reads it
    // and at most refreshes the planner's statistics.
    const QString office = bench.busyOffice();
    if (::link(QFile::encodeName(office).constData(), QFile::encodeName(folder.databaseFile()).constData()) !=
            0 &&
        !QFile::copy(office, folder.databaseFile()))
        fail(QStringLiteral("cannot put the generated office into ") + folder.path());

    timeOneStart(program, folder.path()); // the first start also fills the system's file caches
    QList<double> runs;
    for (int run = 0; run < bench.repeats(); ++run)
        runs << timeOneStart(program, folder.path());
    const double took = median(runs);
    // The largest resident size of any child waited for: the starts of pelu, by far the largest.
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    QFile::remove(folder.databaseFile());
    bench.out() << "startup: from starting pelu to its login dialog shown, "
                << count(bench.cemetery().plots()) << " plots and twenty years of work (median of "
                << bench.repeats() << ")\n"
                << "  pelu:    " << milliseconds(took) << "  (goal: at most 300 ms)\n"
                << "  memory:  " << children.ru_maxrss / 1024 << " MB at the most  (goal: at most 60 MB)"
                << Qt::endl;
}

} // namespace

Measurement startupMeasurement() {
    return {
        QStringLiteral("startup"),
        QStringLiteral("from starting pelu to its login dialog shown (offscreen) on the busy office, and its "
                       "memory"),
        startup};
}
