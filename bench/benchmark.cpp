#include "bench/benchmark.h"

#include "bench/cemetery.h"
#include "foundation/database.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <stdexcept>

Bench::Bench(QTextStream& out, const QString& folder, int repeats)
    : m_out(out), m_folder(folder), m_repeats(repeats) {}

QString Bench::cemeteryCopy(const QString& name) {
    if (m_cemetery.isEmpty()) {
        const CemeteryShape shape;
        const QString file = m_folder + QStringLiteral("/cemetery.db");
        const double took = millisecondsOf([&] {
            Database database(file, Database::Mode::Create);
            Cemetery::generate(database, shape);
        });
        m_out << "generated a cemetery of " << shape.plots() << " plots in " << milliseconds(took)
              << Qt::endl;
        m_cemetery = file;
    }
    const QString copy = m_folder + QLatin1Char('/') + name + QStringLiteral(".db");
    QFile::remove(copy);
    if (!QFile::copy(m_cemetery, copy))
        throw std::runtime_error("cannot copy the generated cemetery to " + copy.toStdString());
    return copy;
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
