#pragma once

#include "foundation/boundquery.h"

#include <QString>

// Print queries travel to pelu-print as complete SQL text, so their values are written as literals:
// text between apostrophes with every apostrophe doubled, numbers in plain decimal.
namespace SqlLiteral {

QString text(const QString& value);
QString number(double value);
// The query with its bound values written in as literals, for pelu-print, which is given SQL text.
QString inlined(const BoundQuery& query);

} // namespace SqlLiteral
