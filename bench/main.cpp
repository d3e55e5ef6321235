#include "bench/benchmark.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>

int main(int argc, char** argv) {
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
    parser.addOptions({list, repeat});
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
    Bench bench(out, folder.path(), repeats);
    try {
        for (const Measurement& measurement : chosen)
            measurement.run(bench);
    } catch (const std::exception& failure) {
        err << "pelu-bench: " << QString::fromStdString(failure.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
