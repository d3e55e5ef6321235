#include "money.h"

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

} // namespace Money
