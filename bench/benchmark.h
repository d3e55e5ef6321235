#pragma once

#include "bench/cemetery.h"
#include "bench/columbarium.h"
#include "foundation/prompter.h"

#include <QList>
#include <QString>
#include <QTextStream>
#include <functional>

class Bench;
class Database;

// One named measurement of pelu-bench: it prepares its data, times a few runs and prints its
// medians. Every measurement is listed in measurements.cpp.
struct Measurement {
    QString name;
    QString summary;
    std::function<void(Bench&)> run;
};

const QList<Measurement>& measurements();

// What a measurement is given: where to print, how often to repeat, the scale of the generated office,
// and a work folder. The generated offices are made once per scale and kept in `cache` (in a folder
// named after the generator's version and the scale), so that later runs reuse them, upgraded to the
// program's schema as an office would be.
class Bench {
public:
    Bench(QTextStream& out, const QString& folder, int repeats, int scale, const QString& cache);

    QTextStream& out() { return m_out; }
    int repeats() const { return m_repeats; }
    int scale() const { return m_scale; }
    QString folder() const { return m_folder; }
    CemeteryShape cemetery() const { return CemeteryShape::scaled(m_scale); }
    ColumbariumShape columbarium() const { return ColumbariumShape::scaled(m_scale); }

    // A fresh copy, named after `name`, of the generated cemetery and columbarium: the plots and niches
    // alone, for a measurement that adds what it needs.
    QString cemeteryCopy(const QString& name);
    // The generated office of twenty busy years: the plots and niches with their registers, storages, fee
    // records, lamp payments and change history. The cached file itself, for measurements that only
    // read; one that writes takes busyCopy.
    QString busyOffice();
    QString busyCopy(const QString& name);

private:
    // The cached office `name`, generated the first time from a copy of `start` (none: a new office).
    QString cached(const QString& name, const QString& start, const std::function<void(Database&)>& generate);
    QString plainOffice();
    QString copyTo(const QString& source, const QString& name);

    QTextStream& m_out;
    QString m_folder;
    int m_repeats;
    int m_scale;
    QString m_cache;
};

// "100,000" for a measurement's headline.
QString count(qint64 value);

// Stops the measurement: what it timed did not do what it should have.
[[noreturn]] void fail(const QString& message);

// The milliseconds one call of `work` takes.
double millisecondsOf(const std::function<void()>& work);
double median(QList<double> values);
QString milliseconds(double value);

// A run of numbered positions written by pelu against the sqlite3 shell inserting the same rows in one
// transaction, each on its own copy of the generated cemetery. Run n (from 1) goes to `table` with
// `values` (literals) and the numbers 0001 to `length`; `write(database, n)` makes pelu write it and
// says whether it did. Prints both medians and their ratio under `title`.
struct ShellRace {
    QString name;
    QString title;
    QString table;
    int length = 0;
    std::function<QList<std::pair<QString, QString>>(int run)> values; // column, SQL literal
    std::function<bool(Database& database, int run)> write;
};
void raceTheShell(Bench& bench, const ShellRace& race);

// Stands in for the operator: answers every question with yes and keeps the last message.
class YesPrompter : public Prompter {
public:
    QString lastMessage;

    void inform(Icon, const QString&, const QString& text) override { lastMessage = text; }
    using Prompter::ask;
    Answer ask(Icon, const QString&, const QString&, bool) override { return Answer::Yes; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return QString();
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return QString(); }
    QString saveFileName(const QString&, const QString&, const QString&) override { return QString(); }
    std::optional<FontChoice> pickFont(const FontChoice& initial) override { return initial; }
};
