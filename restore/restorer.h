#pragma once

#include "foundation/database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class Clock;
class DataFolder;

// Names for a message, cut short where they would fill the screen.
QString listedNames(const QStringList& names);

// What pelu-restore does to the data folder, without windows: checks a backup and puts it in place
// of the database, keeping the database it replaces. On a database server the backup is pg_dump's
// custom format and goes in through pg_restore; the checked copy waits in the data folder.
class Restorer {
public:
    Restorer(const DataFolder& folder, const Clock& clock);
    // Removes a prepared copy that was not put in.
    ~Restorer();
    Restorer(const Restorer&) = delete;
    Restorer& operator=(const Restorer&) = delete;

    // Copies `backupFile` beside the database and checks the copy: a regular file, a database whose
    // pages are sound, of a schema version this program knows, holding, once upgraded to this program's
    // version, exactly the tables, indexes and triggers this program makes. Returns why it cannot be
    // restored; nothing when the copy is ready to go in. The database is not touched either way.
    std::optional<QString> prepare(const QString& backupFile);
    // The program's own indexes and triggers the prepared backup lacked and got back, for the operator:
    // changes made while a history trigger was missing are not in the change history.
    QStringList repairs() const { return m_repairs; }
    // Keeps the database as a safety copy in data/, then renames the prepared copy in its place (a
    // server: restores it into the database, in one transaction). Returns the safety copy's path (empty
    // when there was no database file). Throws DatabaseError.
    // A server's restore waits for the other desks logged in: it refuses naming them, unless
    // `goOnDespiteDesks`, asked with their lines, says to go on; they are then told of the restore and
    // log in again.
    QString swapIn(const std::function<bool(const QStringList& desks)>& goOnDespiteDesks = {});

    // Testing: runs between the last step that leaves the old database whole and the rename, where a
    // kill would leave the office as it was.
    void setBeforeRename(std::function<void()> hook) { m_beforeRename = std::move(hook); }

private:
    QString preparedCopy() const;
    void removePreparedCopy() const;
    std::optional<QString> copyAndCheck(const QString& backupFile);
    // Refuses objects this program does not make or made otherwise, and puts back its own that are
    // missing, collecting them in m_repairs.
    std::optional<QString> checkSchema(Database& copy);
    std::optional<QString> copyAndCheckDump(const QString& backupFile) const;
    // The name of a new safety copy in data/, made when missing.
    QString newSafetyCopy() const;
    void keepSafetyCopy(const QString& database, const QString& safetyCopy) const;
    QString restoreOnServer(const std::function<bool(const QStringList& desks)>& goOnDespiteDesks);

    const DataFolder& m_folder;
    const Clock& m_clock;
    const DatabaseTarget m_target;
    bool m_prepared = false;
    QStringList m_repairs;
    std::function<void()> m_beforeRename;
};
