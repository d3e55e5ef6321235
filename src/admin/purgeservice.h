#pragma once

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QStringList>
#include <chrono>

class Clock;
class Database;
class DataFolder;
class Prompter;
struct Session;

// The purge of old fee rows (Admin only): the rows of the ticked tables made before a date. The office
// is backed up first, so the purged rows stay recoverable from that file; the history records one line
// per table naming it; afterwards one desk's file gives the space back and shrinks.
class PurgeService {
public:
    PurgeService(Database& database, const Session& session, Prompter& prompter, const DataFolder& folder,
                 const Clock& clock);

    // The fee tables of the purge, in the order of its tick boxes.
    static const QStringList& tables();

    // How long each part of the last purge took.
    struct Timings {
        std::chrono::milliseconds backup{0}, removal{0}, compaction{0};
    };
    // Deletes the rows of the ticked tables (`ticked` in the order of tables()) made before `before`.
    SaveOutcome purge(const QDate& before, const QList<bool>& ticked);
    const Timings& lastTimings() const { return m_timings; }

private:
    Database& m_database;
    const Session& m_session;
    Prompter& m_prompter;
    const DataFolder& m_folder;
    const Clock& m_clock;
    Timings m_timings;
};
