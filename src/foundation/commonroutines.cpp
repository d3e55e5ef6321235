#include "commonroutines.h"

#include <QStringList>

namespace CommonRoutines {

QString twoDigitDatePart(qint16 n) {
    const QString digits = QString::number(n);
    return digits.size() == 1 ? QStringLiteral("-0") + digits : QStringLiteral("-") + digits;
}

QString chineseMonthName(qint16 n) {
    static const QStringList names = {
        QStringLiteral("一月"), QStringLiteral("二月"), QStringLiteral("三月"),   QStringLiteral("四月"),
        QStringLiteral("五月"), QStringLiteral("六月"), QStringLiteral("七月"),   QStringLiteral("八月"),
        QStringLiteral("九月"), QStringLiteral("十月"), QStringLiteral("十一月"), QStringLiteral("十二月")};
    return (n >= 1 && n <= 12) ? names.at(n - 1) : QString();
}

} // namespace CommonRoutines
