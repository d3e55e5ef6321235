#pragma once

#include <QString>
#include <optional>

// Amounts are typed into text fields and stored as numbers (yuan).
namespace Money {

// Reads the leading number of a typed text the way the office expects: "12.5元" is 12.5,
// an empty or non-numeric text is 0.
double parseLeading(const QString& text);
// A strict reading for fields that must hold an amount: the whole trimmed text must be a number.
std::optional<double> parseStrict(const QString& text);
// Rounds to whole cents, the precision every stored amount has.
double roundCents(double amount);
// Plain shortest decimal form: 1740, 155.5, 0.05 - never an exponent.
QString format(double amount);
// Two decimals, for printed money columns: 1740.00.
QString formatTwoDecimals(double amount);
// The amount in the capital numerals of receipts, rounded to cents: 9000 -> 玖仟元整,
// 1005.5 -> 壹仟零伍元伍角, 0.05 -> 伍分. Amounts of 10^16 yuan or more have no such form: empty.
QString capitals(double amount);

} // namespace Money
