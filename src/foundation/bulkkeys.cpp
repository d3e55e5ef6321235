#include "foundation/bulkkeys.h"

#include <QRegularExpression>
#include <algorithm>

namespace BulkKeys {

namespace {

// A key as the text around its last number.
struct Parts {
    QString prefix;
    QString digits;
    QString suffix;
    qint64 number = -1; // none
};

Parts partsOf(const QString& key) {
    static const QRegularExpression lastNumber(QStringLiteral("^(.*?)(\\d{1,15})(\\D*)$"));
    const QRegularExpressionMatch match = lastNumber.match(key);
    if (!match.hasMatch())
        return {key, {}, {}, -1};
    return {match.captured(1), match.captured(2), match.captured(3), match.captured(2).toLongLong()};
}

bool follows(const Parts& next, const Parts& last) {
    return next.number >= 0 && next.number == last.number + 1 && next.prefix == last.prefix &&
           next.suffix == last.suffix && next.digits.size() == last.digits.size();
}

} // namespace

QString compact(QStringList keys) {
    QList<Parts> parts;
    parts.reserve(keys.size());
    for (const QString& key : std::as_const(keys))
        parts.append(partsOf(key));
    std::sort(parts.begin(), parts.end(), [](const Parts& a, const Parts& b) {
        return std::tie(a.prefix, a.suffix, a.number, a.digits) <
               std::tie(b.prefix, b.suffix, b.number, b.digits);
    });
    QStringList written;
    for (qsizetype first = 0; first < parts.size();) {
        qsizetype last = first;
        while (last + 1 < parts.size() && follows(parts.at(last + 1), parts.at(last)))
            ++last;
        const Parts& from = parts.at(first);
        QString range = from.prefix + from.digits;
        if (last > first)
            range += QStringLiteral("—") + parts.at(last).digits;
        written << range + from.suffix;
        first = last + 1;
    }
    return written.join(QStringLiteral("、"));
}

} // namespace BulkKeys
