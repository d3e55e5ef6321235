#include "foundation/money.h"

#include <QRegularExpression>
#include <cmath>

namespace Money {

double parseLeading(const QString& text) {
    static const QRegularExpression leadingNumber(QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+)))"));
    const auto match = leadingNumber.match(text);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

std::optional<double> parseStrict(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double roundCents(double amount) {
    return std::round(amount * 100.0) / 100.0;
}

QString format(double amount) {
    QString text = QString::number(roundCents(amount), 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString formatTwoDecimals(double amount) {
    return QString::number(roundCents(amount), 'f', 2);
}

QString capitals(double amount) {
    static const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    static const QString places[] = {QString(), QStringLiteral("拾"), QStringLiteral("佰"),
                                     QStringLiteral("仟")};
    static const QString groupNames[] = {QString(), QStringLiteral("万"), QStringLiteral("亿"),
                                         QStringLiteral("万亿")};
    if (!(std::abs(amount) < 1e16))
        return QString();
    const qint64 cents = std::llround(std::abs(amount) * 100);
    const qint64 yuan = cents / 100;

    // Groups of four digits, the highest first; a run of zeros before a further digit of the same or a
    // lower group is written as one 零.
    QList<int> groups;
    for (qint64 rest = yuan; rest > 0; rest /= 10000)
        groups.prepend(int(rest % 10000));
    QString text = amount < 0 && cents > 0 ? QStringLiteral("负") : QString();
    bool started = false;
    bool zeroBefore = false;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        for (int place = 3, divisor = 1000; place >= 0; --place, divisor /= 10) {
            const int digit = groups.at(g) / divisor % 10;
            if (digit == 0) {
                zeroBefore = started;
                continue;
            }
            if (zeroBefore)
                text += digits.at(0);
            text += digits.at(digit) + places[place];
            started = true;
            zeroBefore = false;
        }
        // Zeros at the end of a group go unsaid: 壹佰万壹仟, not 壹佰万零壹仟.
        if (groups.at(g) > 0) {
            text += groupNames[groups.size() - 1 - g];
            zeroBefore = false;
        }
    }
    if (yuan > 0)
        text += QStringLiteral("元");

    const int jiao = int(cents / 10 % 10);
    const int fen = int(cents % 10);
    if (jiao == 0 && fen == 0)
        return yuan > 0 ? text + QStringLiteral("整") : text + QStringLiteral("零元整");
    if (jiao > 0)
        text += digits.at(jiao) + QStringLiteral("角");
    else if (yuan > 0)
        text += digits.at(0);
    if (fen > 0)
        text += digits.at(fen) + QStringLiteral("分");
    return text;
}

} // namespace Money
