#include "bench/benchmark.h"

#include "foundation/database.h"
#include "foundation/sqlliteral.h"
#include "shared/positionkey.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <stdexcept>

namespace {

// Raised whenever what the generator makes changes, so that no office of an older generator is reused.
constexpr int generatorVersion = 2;

} // namespace

Bench::Bench(QTextStream& out, const QString& folder, int repeats, int scale, const QString& cache)
    : m_out(out), m_folder(folder), m_repeats(repeats), m_scale(scale),
      m_cache(QStringLiteral("%1/office-g%2-x%3").arg(cache).arg(generatorVersion).arg(scale)) {}

QString Bench::cached(const QString& name, const QString& start,
                      const std::function<void(Database&)>& generate) {
    const QString file = m_cache + QLatin1Char('/') + name + QStringLiteral(".db");
    if (QFileInfo::exists(file)) {
        try {
            // Brought to this program's schema as an office's file is, once.
            Database upgrade(file, Database::Mode::Open);
            return file;
        } catch (const DatabaseError& error) {
            m_out << "generating " << file << " again: " << error.what() << Qt::endl;
            QFile::remove(file);
        }
    }
    if (!QDir().mkpath(m_cache))
        fail(QStringLiteral("cannot make the cache folder ") + m_cache);
    // Made under a name of its own and renamed when complete: a generation stopped midway is not reused.
    const QString part = file + QStringLiteral(".%1.part").arg(QCoreApplication::applicationPid());
    const double took = millisecondsOf([&] {
        {
            QFile::remove(part);
            if (!start.isEmpty() && !QFile::copy(start, part))
                fail(QStringLiteral("cannot copy %1 to %2").arg(start, part));
            Database database(part, start.isEmpty() ? Database::Mode::Create : Database::Mode::Open);
            // Lost only if the machine stops midway, and then generated again.
            database.exec(QStringLiteral("PRAGMA synchronous = OFF"), {}, QStringLiteral("生成"));
            generate(database);
            database.exec(QStringLiteral("ANALYZE"), {}, QStringLiteral("生成"));
        }
        if (!QFile::rename(part, file))
            fail(QStringLiteral("cannot put the generated office at ") + file);
    });
    m_out << "generated " << file << " (" << QFileInfo(file).size() / (1024 * 1024) << " MB) in "
          << milliseconds(took) << Qt::endl;
    return file;
}

QString Bench::copyTo(const QString& source, const QString& name) {
    const QString copy = m_folder + QLatin1Char('/') + name + QStringLiteral(".db");
    QFile::remove(copy);
    if (!QFile::copy(source, copy))
        fail(QStringLiteral("cannot copy the generated office to ") + copy);
    QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}

QString Bench::plainOffice() {
    return cached(QStringLiteral("plain"), QString(), [this](Database& database) {
        Cemetery::generate(database, cemetery());
        Columbarium::generate(database, columbarium());
    });
}

QString Bench::cemeteryCopy(const QString& name) {
    return copyTo(plainOffice(), name);
}

QString Bench::busyOffice() {
    // The plain office, then twenty years of work on it.
    return cached(QStringLiteral("busy"), plainOffice(), [this](Database& database) {
        Cemetery::addRegistrations(database, cemetery());
        Cemetery::addFeeRecords(database, cemetery().feeRecords(), 20);
        Columbarium::addStorages(database, columbarium());
        Cemetery::addLampFees(database, cemetery(), cemetery().lampPayments());
        Cemetery::addHistory(database);
    });
}

QString Bench::busyCopy(const QString& name) {
    return copyTo(busyOffice(), name);
}

QString count(qint64 value) {
    return QLocale(QLocale::English).toString(value);
}

double millisecondsOf(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

QString milliseconds(double value) {
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

namespace {

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

// The run's rows as one transaction of plain INSERT statements, for the sqlite3 shell.
void writeInsertScript(const QString& path, const ShellRace& race, int run) {
    QStringList columns;
    QStringList literals;
    for (const auto& [column, literal] : race.values(run)) {
        columns << column;
        literals << literal;
    }
    const QString head =
        QStringLiteral("INSERT INTO %1 (%2, 号) VALUES (%3, ")
            .arg(race.table, columns.join(QStringLiteral(", ")), literals.join(QStringLiteral(", ")));
    QString script = QStringLiteral("BEGIN;\n");
    for (int number = 1; number <= race.length; ++number)
        script += head + SqlLiteral::text(PositionKey::fourDigitNumber(QString::number(number))) +
                  QStringLiteral(");\n");
    script += QStringLiteral("COMMIT;\n");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(script.toUtf8()) < 0)
        fail(QStringLiteral("cannot write ") + path);
}

qint64 rowsIn(const QString& file, const QString& table) {
    Database database(file, Database::Mode::ReadOnly);
    return database.scalar(QStringLiteral("SELECT count(*) FROM ") + table, {}, QStringLiteral("检查"))
        .toLongLong();
}

} // namespace

void raceTheShell(Bench& bench, const ShellRace& race) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        fail(race.name +
             QStringLiteral(
                 " compares with the sqlite3 shell, which is not installed (apt-get install sqlite3)"));
    const QString peluFile = bench.cemeteryCopy(race.name + QStringLiteral("-pelu"));
    const QString shellFile = bench.cemeteryCopy(race.name + QStringLiteral("-shell"));
    const QString script = bench.folder() + QLatin1Char('/') + race.name + QStringLiteral(".sql");
    const qint64 before = rowsIn(peluFile, race.table);

    QList<double> pelu;
    QList<double> inserts;
    QList<double> startUp;
    {
        Database database(peluFile, Database::Mode::Open);
        for (int run = 1; run <= bench.repeats(); ++run) {
            bool written = false;
            pelu << millisecondsOf([&] { written = race.write(database, run); });
            if (!written)
                fail(race.name + QStringLiteral(": pelu did not write run %1").arg(run));
            writeInsertScript(script, race, run);
            inserts << shellMilliseconds(
                shell, {QStringLiteral("-batch"), shellFile, QStringLiteral(".read ") + script});
            startUp << shellMilliseconds(shell,
                                         {QStringLiteral("-batch"), shellFile, QStringLiteral("SELECT 1;")});
        }
    }
    const qint64 expected = before + qint64(race.length) * bench.repeats();
    if (rowsIn(peluFile, race.table) != expected || rowsIn(shellFile, race.table) != expected)
        fail(race.name + QStringLiteral(": the two copies do not hold the same new rows"));

    // The shell's own start-up (starting the program, opening the file) is taken off its time.
    const double peluTime = median(pelu);
    const double shellTime = median(inserts) - median(startUp);
    bench.out() << race.name << ": " << race.title << " (median of " << bench.repeats() << ")\n"
                << "  pelu, duplicate check and write:   " << milliseconds(peluTime) << '\n'
                << "  sqlite3 shell, the same inserts:   " << milliseconds(shellTime)
                << "  (after taking off its start-up, " << milliseconds(median(startUp)) << ")\n"
                << "  ratio:                             " << QString::number(peluTime / shellTime, 'f', 2)
                << "  (goal: at most 1.50)" << Qt::endl;
}
