#pragma once

#include <QList>
#include <QStringList>
#include <functional>

class Database;

// One step of a schema, bringing a database one version forward.
struct SchemaStep {
    QStringList statements;
    // Runs after the statements, in the same transaction: rows that cannot be fixed SQL text.
    std::function<void(Database&)> seed;
};

// What Database builds, upgrades and completes; it knows no table of its own. The program names its
// plan once, before it opens anything (Database::useSchema).
struct SchemaPlan {
    // Step i (0-based) brings the database from version i to version i + 1.
    QList<SchemaStep> steps;
    // A statement of the steps as a PostgreSQL server takes it; the steps are written for SQLite.
    std::function<QString(const QString& statement)> forServer;
    // At every opening that may write, after the upgrade.
    std::function<void(Database&)> completeOnOpening;
    // The other desks working on a server database now, a line each naming the operator and the
    // computer; what maintenance waits for. Without it no desk is known to work.
    std::function<QStringList(Database&)> otherDesks;

    int latestVersion() const { return static_cast<int>(steps.size()); }
};
