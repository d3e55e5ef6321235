#pragma once

#include "printer/reportrows.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

#include <kainjow/mustache.hpp>

// Turns the rows of a report query into the values a template sees:
//   heading, today, unit          the heading from the command line, today's date, the unit's name
//   rows                          one map per row, column name (lower case) -> shown value, plus 序号 (1, 2,
//   ...) (every column of row one)     the first row's values at top level, for one-row documents fields the
//   first row as a list of {name, value}, for sheets that show every field count                         the
//   number of rows sums                          column name -> total, for the money columns and the counts
//   that add up nonzero                       in each row (and at top level for row one): money column ->
//   whether it
//                                 holds an amount, so {{#nonzero.qtf}}...{{/nonzero.qtf}} leaves out a 0 line
//   大写                          {{#大写}}{{合计}}{{/大写}} shows the amount inside in capital numerals
// An empty value (NULL or empty text) is false, so {{#墓碑费}}...{{/墓碑费}} shows a line only when there is
// something to show; {{墓碑费}} prints nothing for it either way.
namespace PrintValues {

// The text a template shows for `value` of `column`. NULL shows as nothing.
QString display(const QString& column, const QVariant& value);

struct Context {
    std::optional<QString> heading;
    QString unit;
    QDate today;
    qint64 byteLimit = 0; // what the shown values may hold in all, as UTF-8
    qint64 rowLimit = 0;  // how many rows may be laid out
};

// Reads every row of a running query and builds the template values. Throws PrintError when the values
// grow beyond the context's byte limit.
kainjow::mustache::data collect(ReportRows& query, const Context& context);

} // namespace PrintValues
