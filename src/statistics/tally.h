#pragma once

#include "foundation/boundquery.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

// A range of whole days, both ends included: every moment of the last day belongs to it.
struct Period {
    QDate from;
    QDate to;

    // The bounds as stored texts, for "column >= first AND column < end": the first day, and the day
    // after the last, so that dates and moments of the last day are both inside.
    QString first() const;
    QString end() const;
    static Period ofYear(int year);
};

// One figure of a statistic: what it counts, how many, and its share as a fraction of 1.
struct Figure {
    QString label;
    qint64 count = 0;
    double share = 0;
};

namespace Tally {

// count ÷ divisor, and 0 when the divisor is 0.
double share(qint64 count, qint64 divisor);
// Each figure's share of the sum of all of them.
void shareOfSum(QList<Figure>& figures);
// The share as the office reads it: "66.67%".
QString percent(double share);
// A year as typed: four digits, blanks around them allowed; anything else is no year.
std::optional<int> parseYear(const QString& text);
// "一月" … "十二月"; empty for any other number.
QString monthName(int month);
// The query with its bound values written in as literals, for pelu-print, which is given SQL text.
QString inlined(const BoundQuery& query);
// A template name as the print sites pass it: padded with blanks to ten characters.
QString paddedTemplate(const QString& name);

} // namespace Tally
