#pragma once

#include <QString>

// What the values of a column are, decided by the column's name in the schema and nothing else.
// The printer formats and sums by it, the grids align and format by it, and a test holds the
// schema's column types to it.
namespace ColumnCatalogue {

enum class Kind {
    Money,    // yuan, REAL: shown with two decimals and summed
    Count,    // a number of things a statistics list adds up, REAL
    Share,    // a fraction of 1, REAL, shown as a percentage
    Quantity, // a measured or counted REAL that is neither money nor summed (数量1, 穴位深度)
    Date,     // yyyy-MM-dd, or a moment of which the date is shown
    Plain,    // text, flags, numbers typed by the operator
};

Kind kindOf(const QString& column);

// The surrogate key of tables without an id of their own: never shown in a grid or a print.
bool isHidden(const QString& column);

} // namespace ColumnCatalogue
