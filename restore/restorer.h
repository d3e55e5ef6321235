#pragma once

#include <QString>
#include <optional>

class Clock;
class DataFolder;

// What pelu-restore does to the data folder, without windows: checks a backup and puts it in place
// of the database, keeping the database it replaces.
class Restorer {
public:
    Restorer(const DataFolder& folder, const Clock& clock);
    // Removes a prepared copy that was not put in.
    ~Restorer();
    Restorer(const Restorer&) = delete;
    Restorer& operator=(const Restorer&) = delete;

    // Copies `backupFile` beside the database and checks the copy: a database whose pages are sound,
    // of a schema version this program knows, holding the office's tables. Returns why it cannot be
    // restored; nothing when the copy is ready to go in. The database is not touched either way.
    std::optional<QString> prepare(const QString& backupFile);
    // Keeps the database as a safety copy in data/, then renames the prepared copy in its place.
    // Returns the safety copy's path (empty when there was no database). Throws DatabaseError.
    QString swapIn();

private:
    QString preparedCopy() const;
    std::optional<QString> copyAndCheck(const QString& backupFile) const;
    void keepSafetyCopy(const QString& database, const QString& safetyCopy) const;

    const DataFolder& m_folder;
    const Clock& m_clock;
    bool m_prepared = false;
};
