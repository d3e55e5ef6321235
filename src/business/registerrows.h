#pragma once

#include "foundation/storedrow.h"

#include <QStringList>
#include <optional>

class Database;

// The register rows of a plot (gm_dj), read in the order they were written. A plot bought once and
// buried in twice has several; which one speaks for the plot depends on the task: the registration and
// its use dates are the first row's, the renewal's contact and end of use the last's, the lamp's deceased
// the first row with a name.
namespace RegisterRows {

enum class Which {
    First,
    Last,
    FirstBuried, // the first row with a deceased's name
};

// `columns` of the chosen row of plot `key`, or none when the plot has no such row.
std::optional<StoredRow> read(Database& database, const QString& key, Which which, const QStringList& columns,
                              const QString& doing);

} // namespace RegisterRows
