#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Database;

// On a server, a restore, an upgrade or a copy runs while no other desk works: it holds a lock of the
// whole database for its length, on its own connection, and goes on only when no other desk is logged
// in. A desk logging in takes the same lock shared, for the moment of its login, so desks never wait
// for each other and none starts while maintenance runs. One desk's file has its office lock instead:
// there all of this does nothing.
class MaintenanceLock {
public:
    // Takes the lock on `database`'s connection, then looks for other desks. Throws DatabaseError
    // naming them, with `action` (what waits, "还原数据"), and lets go of the lock again, unless
    // `goOnDespite` is given and, asked with the desks' lines, says to go on; throws too when another
    // maintenance action holds the lock.
    MaintenanceLock(Database& database, const QString& action,
                    const std::function<bool(const QStringList& desks)>& goOnDespite = {});
    ~MaintenanceLock();
    MaintenanceLock(const MaintenanceLock&) = delete;
    MaintenanceLock& operator=(const MaintenanceLock&) = delete;

    // Whether this program holds the lock of `database`'s server database already, on another of its
    // connections: the restore's own upgrade of what it put in must not wait for the restore.
    static bool heldByThisProgram(const Database& database);
    // For a desk logging in, inside the transaction that enters it among the desks at work: false
    // while a maintenance action runs. The shared hold ends with that transaction.
    static bool admitsDesk(Database& database);
    // What a desk refused at its login is told.
    static QString busyText();

    // The other desks still logged in, which `goOnDespite` let the action work beside.
    const QStringList& desksLeftWorking() const { return m_desksLeftWorking; }

private:
    void release() noexcept;

    Database& m_database;
    bool m_held = false;
    QStringList m_desksLeftWorking;
};
