#pragma once

#include "foundation/boundquery.h"

#include <QString>

// Print queries travel to pelu-print as complete SQL text, so their values are written as literals:
// text between apostrophes with every apostrophe doubled, numbers in plain decimal.
namespace SqlLiteral {

QString text(const QString& value);
QString number(double value);
// A name of a table or role between double quotes with every double quote doubled, for the statements
// that cannot take it as a bound value.
QString name(const QString& value);
// The query with its bound values written in as literals, for pelu-print, which is given SQL text.
QString inlined(const BoundQuery& query);

} // namespace SqlLiteral
