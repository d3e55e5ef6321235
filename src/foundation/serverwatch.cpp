#include "foundation/serverwatch.h"

#include <QSqlDriver>
#include <libpq-fe.h>
#include <sys/socket.h>

PGconn* serverHandleOf(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver() ? connection.driver()->handle() : QVariant();
    // Qt names the type by its typedef or by the struct behind it, depending on its version.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.data());
}

ServerWatch::ServerWatch(QSqlDatabase& connection)
    : m_connection(connection), m_thread([this] { watch(); }) {}

ServerWatch::~ServerWatch() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

bool ServerWatch::connectionLost() const {
    // The driver closes a connection it found broken.
    if (!m_connection.isOpen())
        return true;
    PGconn* handle = serverHandleOf(m_connection);
    return handle && PQstatus(handle) == CONNECTION_BAD;
}

void ServerWatch::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_until) {
            m_wake.wait(lock);
            continue;
        }
        if (m_wake.wait_until(lock, *m_until) == std::cv_status::timeout && m_until &&
            std::chrono::steady_clock::now() >= *m_until) {
            // Shutting the socket down wakes the statement that waits on it; the socket itself stays
            // the driver's to close.
            if (m_socket >= 0)
                ::shutdown(m_socket, SHUT_RDWR);
            m_expired = true;
            m_until.reset();
        }
    }
}

ServerWatch::Deadline::Deadline(ServerWatch& watch, std::chrono::milliseconds bound) : m_watch(watch) {
    PGconn* handle = serverHandleOf(watch.m_connection);
    {
        const std::lock_guard lock(watch.m_mutex);
        watch.m_socket = handle ? PQsocket(handle) : -1;
        watch.m_expired = false;
        watch.m_until = std::chrono::steady_clock::now() + bound;
    }
    watch.m_wake.notify_one();
}

ServerWatch::Deadline::~Deadline() {
    const std::lock_guard lock(m_watch.m_mutex);
    m_watch.m_until.reset();
    m_watch.m_socket = -1;
}

bool ServerWatch::Deadline::expired() const {
    const std::lock_guard lock(m_watch.m_mutex);
    return m_watch.m_expired;
}
