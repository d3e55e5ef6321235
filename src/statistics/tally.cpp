#include "statistics/tally.h"

namespace Tally {

double share(qint64 count, qint64 divisor) {
    return divisor == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(divisor);
}

QString percent(double share) {
    return QString::number(share * 100, 'f', 2) + QLatin1Char('%');
}

QString monthName(int month) {
    static const QStringList names = {
        QStringLiteral("一月"), QStringLiteral("二月"), QStringLiteral("三月"),   QStringLiteral("四月"),
        QStringLiteral("五月"), QStringLiteral("六月"), QStringLiteral("七月"),   QStringLiteral("八月"),
        QStringLiteral("九月"), QStringLiteral("十月"), QStringLiteral("十一月"), QStringLiteral("十二月")};
    return month >= 1 && month <= 12 ? names.at(month - 1) : QString();
}

QString paddedTemplate(const QString& name) {
    return name.leftJustified(10);
}

} // namespace Tally
