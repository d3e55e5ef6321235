#pragma once

#include <QLockFile>
#include <QString>

// The lock file in the data folder that keeps a second copy of Pelu (or a database upgrade) away
// while one is running. Held for the life of the object once taken.
class OfficeLock {
public:
    explicit OfficeLock(const QString& path);

    enum class Outcome { Taken, HeldByRunningCopy };
    // Taken, or held by a Pelu that is running on this computer. A lock file left by a copy that
    // is gone, or one that is empty or unreadable, is cleared and taken. Anything else (a lock of
    // another computer, a folder in the way, no right to write) throws DatabaseError naming the path.
    Outcome take();

private:
    QString m_path;
    QLockFile m_lock;
};
