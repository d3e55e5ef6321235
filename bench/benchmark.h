#pragma once

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

// What a measurement is given: where to print, how often to repeat, and a work folder holding one
// generated cemetery that each measurement copies before changing it.
class Bench {
public:
    Bench(QTextStream& out, const QString& folder, int repeats);

    QTextStream& out() { return m_out; }
    int repeats() const { return m_repeats; }
    QString folder() const { return m_folder; }
    // A fresh copy of the generated cemetery's database file, named after `name`.
    QString cemeteryCopy(const QString& name);

private:
    QTextStream& m_out;
    QString m_folder;
    int m_repeats;
    QString m_cemetery;
};

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
