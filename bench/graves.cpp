// Measurements of the grave inventory: plot set-up.
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "bench/workloads.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/positionkey.h"
#include "foundation/session.h"
#include "foundation/sqlliteral.h"
#include "graves/plotvocabulary.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString benchArea = QStringLiteral("第1区");

// The rows of `input` as one transaction of plain INSERT statements, for the sqlite3 shell.
void writeInsertScript(const QString& path, const PlotSetupInput& input) {
    QString values;
    for (const QString& price : input.prices)
        values += QStringLiteral(", ") + SqlLiteral::number(Money::parseLeading(price));
    values += QStringLiteral(", ") + SqlLiteral::text(PlotState::free) + QStringLiteral(");\n");
    const QString head =
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
                       "状态) VALUES (") +
        SqlLiteral::text(input.area) + QStringLiteral(", ") + SqlLiteral::text(input.row) +
        QStringLiteral(", ");
    QString script = QStringLiteral("BEGIN;\n");
    for (int number = 1; number <= runLength; ++number)
        script += head + SqlLiteral::text(PositionKey::fourDigitNumber(QString::number(number))) +
                  QStringLiteral(", ") + SqlLiteral::text(input.style) + values;
    script += QStringLiteral("COMMIT;\n");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0)
        fail(QStringLiteral("cannot write ") + path);
}

double shellMilliseconds(const QString& shell, const QStringList& arguments) {
    QProcess process;
    const double took = millisecondsOf([&] {
        process.start(shell, arguments);
        process.waitForFinished(-1);
    });
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(QStringLiteral("the sqlite3 shell failed: ") +
             QString::fromUtf8(process.readAllStandardError()));
    return took;
}

int plotsInRows(const QString& file, const QString& rowPrefix) {
    Database database(file, Database::Mode::ReadOnly);
    return database
        .scalar(QStringLiteral("SELECT count(*) FROM mq_wz WHERE 墓区 = ? AND 排 LIKE ?"),
                {benchArea, QString(rowPrefix + QLatin1Char('%'))}, QStringLiteral("检查"))
        .toInt();
}

void setupRun(Bench& bench) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        fail(QStringLiteral(
            "setup-run compares with the sqlite3 shell, which is not installed (apt-get install sqlite3)"));
    const QString peluFile = bench.cemeteryCopy(QStringLiteral("setup-run-pelu"));
    const QString shellFile = bench.cemeteryCopy(QStringLiteral("setup-run-shell"));
    const QString script = bench.folder() + QStringLiteral("/setup-run.sql");

    QList<double> pelu;
    QList<double> inserts;
    QList<double> startUp;
    {
        Database database(peluFile, Database::Mode::Open);
        Session session;
        YesPrompter prompter;
        QuietView view;
        PlotSetupService service(database, session, prompter);
        for (int run = 1; run <= bench.repeats(); ++run) {
            // Each run goes into a row of its own, in both copies alike.
            const PlotSetupInput input = runInNewRow(QStringLiteral("新%1").arg(run));
            bool written = false;
            pelu << millisecondsOf([&] { written = service.createRun(input, view); });
            if (!written || view.results.size() != runLength)
                fail(QStringLiteral("the run was not written: ") + prompter.lastMessage);

            writeInsertScript(script, input);
            inserts << shellMilliseconds(
                shell, {QStringLiteral("-batch"), shellFile, QStringLiteral(".read ") + script});
            startUp << shellMilliseconds(shell,
                                         {QStringLiteral("-batch"), shellFile, QStringLiteral("SELECT 1;")});
        }
    }
    const int expected = runLength * bench.repeats();
    if (plotsInRows(peluFile, QStringLiteral("新")) != expected ||
        plotsInRows(shellFile, QStringLiteral("新")) != expected)
        fail(QStringLiteral("the two copies do not hold the same new plots"));

    // The shell's own start-up (starting the program, opening the file) is taken off its time.
    const double peluTime = median(pelu);
    const double shellTime = median(inserts) - median(startUp);
    QTextStream& out = bench.out();
    out << "setup-run: a run of " << runLength << " plots in a new row (median of " << bench.repeats()
        << ")\n"
        << "  pelu, duplicate check and write:   " << milliseconds(peluTime) << '\n'
        << "  sqlite3 shell, the same inserts:   " << milliseconds(shellTime)
        << "  (after taking off its start-up, " << milliseconds(median(startUp)) << ")\n"
        << "  ratio:                             " << QString::number(peluTime / shellTime, 'f', 2)
        << "  (goal: at most 1.50)" << Qt::endl;
}

void missingNumbers(Bench& bench) {
    const QString file = bench.cemeteryCopy(QStringLiteral("missing"));
    Database database(file, Database::Mode::Open);
    // 9,000 plots numbered 1 to 10,000 with every tenth number left out.
    QStringList numbers;
    for (int number = 1; number <= 10000; ++number)
        if (number % 10)
            numbers << PositionKey::fourDigitNumber(QString::number(number));
    Cemetery::addRow(database, benchArea, QStringLiteral("检测"), numbers);

    Session session;
    YesPrompter prompter;
    QuietView view;
    PlotSetupService service(database, session, prompter);
    PlotSetupInput input;
    input.area = benchArea;
    input.rowsListed = 1;
    input.row = QStringLiteral("检测");
    QList<double> times;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] { service.listMissingNumbers(input, view); });
    // 10,000 has no four-character number of its own, so 999 of the 1,000 gaps can be listed.
    if (view.results.size() != 999)
        fail(QStringLiteral("the scan listed %1 missing numbers instead of 999").arg(view.results.size()));

    bench.out() << "missing: the missing numbers of a row of " << numbers.size()
                << " plots numbered 1-10000 (median of " << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 20 ms)" << Qt::endl;
}

} // namespace

PlotSetupInput runInNewRow(const QString& row) {
    PlotSetupInput input;
    input.area = benchArea;
    input.rowsListed = 1;
    input.row = row;
    input.start = QStringLiteral("1");
    input.count = QString::number(runLength);
    input.style = QStringLiteral("单人墓");
    input.prices = {QStringLiteral("12000"), QStringLiteral("3000"), QStringLiteral("800"),
                    QStringLiteral("0"),     QStringLiteral("200"),  QStringLiteral("0")};
    return input;
}

Measurement setupRunMeasurement() {
    return {QStringLiteral("setup-run"),
            QStringLiteral(
                "a run of 10,000 plots in a new row, against the sqlite3 shell inserting the same rows"),
            setupRun};
}

Measurement missingNumbersMeasurement() {
    return {QStringLiteral("missing"),
            QStringLiteral("the missing-number scan of a row of 9,000 plots with 1,000 gaps"),
            missingNumbers};
}
