#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class BackgroundWork;
class Clock;
struct DatabaseTarget;
class Database;
class DataFolder;
class Prompter;

// Verified copies the office takes by itself into data/auto/: one at start when the day has none yet
// and one after every so many written rows. The newest copy of each of the last days and of the last
// weeks is kept, the rest removed. Copy names start with their moment, yyyy-MM-dd-HHmmss.
namespace AutoBackup {

// [backup] of pelu.ini.
struct Settings {
    bool enabled = true;
    int daily = 7;       // days whose newest copy is kept
    int weekly = 4;      // weeks whose newest copy is kept
    int writes = 1000;   // rows written since the last copy that call for the next; 0: at start only
    QStringList ignored; // what could not be used, said in words

    static Settings read(const DataFolder& folder);
};

QString folderOf(const DataFolder& folder);

// Copies the database now into `folder` (made when missing) under `now`'s name, then removes the
// copies no longer kept. Returns the copy's path. Throws DatabaseError.
QString takeCopy(Database& source, const QString& folder, const QDateTime& now, const Settings& settings);
// Removes the copies beyond the days and weeks kept; returns their paths.
QStringList rotate(const QString& folder, const Settings& settings);
// The newest backup of the office, automatic or by hand; empty when there is none.
QString newestBackup(const DataFolder& folder);

// The start of a day's work, on a connection of its own: checks the pages of a database file and, when
// it is sound and the day has no copy yet, takes one. Returns what the operator must hear (a damaged
// database, a failed copy); empty when all is well.
QString atStart(const DatabaseTarget& live, const DataFolder& folder, const QDateTime& now,
                const Settings& settings);
// A copy after enough writes, on a connection of its own; returns what went wrong, or nothing.
QString afterWrites(const DatabaseTarget& live, const QString& folder, const QDateTime& now,
                    const Settings& settings);

} // namespace AutoBackup

// Runs the automatic backups of the open office off the operator's thread and tells the operator
// what goes wrong.
class AutoBackups : public QObject {
    Q_OBJECT
public:
    AutoBackups(Database& database, const DataFolder& folder, const Clock& clock, Prompter& prompter,
                QObject* parent = nullptr);
    // Waits for a copy under way: it has its own connection, which must close before the database.
    ~AutoBackups() override;

    void start();
    // After every committed change: a copy once enough rows have been written since the last.
    void countWrites();
    // Testing: waits for the work under way.
    void wait();

private:
    qint64 rowsWritten();
    void runInBackground(std::function<QString()> work);

    Database& m_database;
    const DataFolder& m_folder;
    const Clock& m_clock;
    Prompter& m_prompter;
    AutoBackup::Settings m_settings;
    std::unique_ptr<BackgroundWork> m_worker;
    qint64 m_writtenAtLastCopy = 0;
};
