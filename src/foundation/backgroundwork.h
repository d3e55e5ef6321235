#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Work on a thread of its own while the office goes on, such as checking a backup. `done` runs on the
// owner's thread once the work has ended, whether or not it threw. Deleting it tells the work to stop
// (the flag the work is handed) and waits for it, so what the work uses must outlive it; what `done` uses
// must outlive its owner.
class BackgroundWork : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const std::atomic<bool>& stopping)>;
    BackgroundWork(const Work& work, const std::function<void()>& done, QObject* owner = nullptr);
    ~BackgroundWork() override;
    // Work nobody waits for but its owner: it deletes itself once `done` has run.
    static void start(const Work& work, const std::function<void()>& done, QObject* owner);

    bool isRunning() const;
    void wait();

private:
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<QThread> m_thread;
};
