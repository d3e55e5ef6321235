#pragma once

#include "foundation/saveoutcome.h"

#include <QString>
#include <atomic>
#include <optional>

class Clock;
class Database;
class DataFolder;

// copy_frm: a verified snapshot of the whole database, taken while the office works on, in a file
// the operator names.
class BackupService {
public:
    BackupService(Database& database, const DataFolder& folder, const Clock& clock);

    // Today's date and "备份数据.dat" in the data folder's data/.
    QString defaultTarget() const;
    // Before an action that changes much, a verified copy of the whole office in the backup folder,
    // named by the action and the moment ("导入数据前的备份-2026-12-07-140501.dat"); its path. Throws
    // DatabaseError.
    QString backupBefore(const QString& action) const;

    // The button that started the backup: the two say the same with one blank more or less.
    enum class Button { Choose, Ok };
    // What the operator waits for: the outcome when it is known at once (a refusal, a failed copy, or a
    // server's copy, which is checked as it is written); otherwise none, and the copy waits beside the
    // target for `check`. Refuses the live database itself (and its log files) as the target, and a
    // target whose copy is still being checked.
    std::optional<SaveOutcome> copy(const QString& target, Button button);
    // Checks what `copy` took and only then puts it in place; runs on any thread while the office works
    // on. Any failure of the copy or of its check says so, never success; so does a check stopped by
    // `stopping`, for a program that is closing.
    static SaveOutcome check(const QString& target, Button button,
                             const std::atomic<bool>* stopping = nullptr);
    // The two, one after the other.
    SaveOutcome backup(const QString& target, Button button);

private:
    bool isLiveDatabase(const QString& target) const;

    Database& m_database;
    const DataFolder& m_folder;
    const Clock& m_clock;
};
