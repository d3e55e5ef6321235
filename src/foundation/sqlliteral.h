#pragma once

#include <QString>
#include <QVariant>

// Print queries travel to pelu-print as complete SQL text, so their values are written as literals:
// text between apostrophes with every apostrophe doubled, numbers in plain decimal, nothing as NULL.
namespace SqlLiteral {

QString text(const QString& value);
QString number(double value);
QString of(const QVariant& value);

} // namespace SqlLiteral
