#pragma once

#include <QSqlDatabase>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

struct pg_conn;

// The client library's own connection under Qt's driver; null when `connection` is not a server's.
pg_conn* serverHandleOf(const QSqlDatabase& connection);

// What a desk needs of its server connection beyond what Qt's driver tells: whether the connection
// is gone, and a deadline for each statement. A server whose process stopped never fires its own
// statement_timeout and its kernel still answers keepalives, so without a deadline of our own a desk
// would wait forever; when the deadline passes, the connection is cut under the waiting statement,
// which then returns with an error. The server rolls back whatever that connection had begun.
class ServerWatch {
public:
    explicit ServerWatch(QSqlDatabase& connection);
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // libpq knows the connection is broken (the server closed it, or the deadline cut it).
    bool connectionLost() const;

    // While one lives, the connection is cut if it is still alive `bound` from now.
    class Deadline {
    public:
        Deadline(ServerWatch& watch, std::chrono::milliseconds bound);
        ~Deadline();
        Deadline(const Deadline&) = delete;
        Deadline& operator=(const Deadline&) = delete;
        // The connection was cut because the bound passed.
        bool expired() const;

    private:
        ServerWatch& m_watch;
    };

private:
    void watch();

    QSqlDatabase& m_connection;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::chrono::steady_clock::time_point> m_until; // armed while set
    int m_socket = -1;                                            // of the armed statement
    bool m_expired = false;
    bool m_stopping = false;
    std::thread m_thread;
};
