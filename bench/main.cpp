#include "bench/benchmark.h"
#include "foundation/database.h"
#include "shared/schema.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Every database this program opens is the office's.
    Database::useSchema(&Schema::plan());
    // Some measurements show windows; none needs a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times Pelu's heavy work on a generated cemetery."));
    parser.addHelpOption();
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("List the measurements and stop."));
    const QCommandLineOption repeat(QStringLiteral("repeat"),
                                    QStringLiteral("Runs of each measurement (default 7)."),
                                    QStringLiteral("N"), QStringLiteral("7"));
    const QCommandLineOption scale(
        QStringLiteral("scale"),
        QStringLiteral("Size of the generated office: N times 100,000 plots, 50,000 niches and their "
                       "twenty years of work (default 1)."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption cache(
        QStringLiteral("cache"),
        QStringLiteral("Folder keeping the generated offices between runs (default PELU_BENCH_CACHE, else "
                       "pelu-bench in the user's cache folder)."),
        QStringLiteral("DIR"));
    parser.addOptions({list, repeat, scale, cache});
    parser.addPositionalArgument(QStringLiteral("measurement"),
                                 QStringLiteral("Measurements to run (default all)."),
                                 QStringLiteral("[measurement...]"));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.isSet(list)) {
        for (const Measurement& measurement : measurements())
            out << measurement.name << "\t" << measurement.summary << '\n';
        return 0;
    }
    bool repeatsRead = false;
    const int repeats = parser.value(repeat).toInt(&repeatsRead);
    if (!repeatsRead || repeats < 1) {
        err << "--repeat wants a whole number of at least 1" << Qt::endl;
        return 2;
    }
    bool scaleRead = false;
    const int scaleFactor = parser.value(scale).toInt(&scaleRead);
    if (!scaleRead || scaleFactor < 1 || scaleFactor > 100) {
        err << "--scale wants a whole number from 1 to 100" << Qt::endl;
        return 2;
    }
    QString cacheFolder = parser.value(cache);
    if (cacheFolder.isEmpty())
        cacheFolder = qEnvironmentVariable("PELU_BENCH_CACHE");
    if (cacheFolder.isEmpty())
        cacheFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                      QStringLiteral("/pelu-bench");
    QList<Measurement> chosen;
    for (const QString& name : parser.positionalArguments()) {
        const auto found =
            std::find_if(measurements().cbegin(), measurements().cend(),
                         [&name](const Measurement& measurement) { return measurement.name == name; });
        if (found == measurements().cend()) {
            err << "no measurement called " << name << " (see --list)" << Qt::endl;
            return 2;
        }
        chosen << *found;
    }
    if (chosen.isEmpty())
        chosen = measurements();

    QTemporaryDir folder;
    if (!folder.isValid()) {
        err << "cannot make a work folder: " << folder.errorString() << Qt::endl;
        return 1;
    }
    Bench bench(out, folder.path(), repeats, scaleFactor, cacheFolder);
    out << "scale " << scaleFactor << ": " << count(bench.cemetery().plots()) << " plots, "
        << count(bench.columbarium().niches()) << " niches (generated offices kept in " << cacheFolder << ")"
        << Qt::endl;
    try {
        for (const Measurement& measurement : chosen)
            measurement.run(bench);
    } catch (const std::exception& failure) {
        err << "pelu-bench: " << QString::fromStdString(failure.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
