#pragma once

#include <QStringList>

// The database layout: one list of steps, each moving the schema one version forward.
namespace Schema {

// The steps in order; step i (0-based) brings the database from version i to version i + 1.
const QList<QStringList>& migrations();
int latestVersion();

} // namespace Schema
