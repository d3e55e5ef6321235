#include "foundation/backgroundwork.h"

#include <QThread>
#include <exception>

BackgroundWork::BackgroundWork(const Work& work, const std::function<void()>& done, QObject* owner)
    : QObject(owner) {
    // An exception that left the thread would end the program.
    m_thread.reset(QThread::create([work, stopping = m_stopping] {
        try {
            work(*stopping);
        } catch (const std::exception& error) {
            qWarning("%s", error.what());
        } catch (...) {
            qWarning("background work failed");
        }
    }));
    connect(m_thread.get(), &QThread::finished, this, done);
    m_thread->start();
}

BackgroundWork::~BackgroundWork() {
    *m_stopping = true;
    wait();
}

void BackgroundWork::start(const Work& work, const std::function<void()>& done, QObject* owner) {
    auto* started = new BackgroundWork(work, done, owner);
    // After `done`, which was connected first.
    connect(started->m_thread.get(), &QThread::finished, started, &QObject::deleteLater);
}

bool BackgroundWork::isRunning() const {
    return m_thread->isRunning();
}

void BackgroundWork::wait() {
    m_thread->wait();
}
