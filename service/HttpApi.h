// The service's HTTP port: GET (and HEAD) /metrics (Prometheus text format),
// /api/meters (JSON of the last readings), /healthz. Served by GNU
// libmicrohttpd driven from the main thread's event loop (its epoll
// descriptor under a QSocketNotifier), so the answers are made from the meter
// book without locks and never touch a line.
//
// Bounded against clients that misbehave, so that a daemon running for months
// keeps its memory and its descriptors for the adapters and the broker:
//   - at most kMaxConnections connections; when a new one comes at the cap, the
//     oldest connection without a request in progress (idle, or still sending
//     its header) is closed to make room, else the new one is refused at once;
//   - a request's header must be complete within kHeaderSeconds of the
//     connection's start or of its previous reply; an idle connection is
//     closed after kHeaderSeconds as well;
//   - a header over kMaxHeaderBytes: 431 and close; a body on GET or HEAD:
//     400 (chunked) or 413 and close; other methods 405;
//   - one request at a time per connection: pipelined requests wait in the
//     connection's fixed buffer while a reply is not taken, and nothing more
//     is read;
//   - a WebSocket upgrade is refused with 400 and close, logged once.
#pragma once

#include "MeterBook.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

struct MHD_Daemon;
struct MHD_Connection;

namespace rdsvc {

constexpr int kMaxConnections = 64;
constexpr int kMaxHeaderBytes = 16 * 1024;
constexpr int kHeaderSeconds = 10;

// What the service adds to the answers beside the meter book.
struct HttpExtras {
    // Appended to /metrics (complete exposition lines, or empty).
    std::function<QByteArray()> metrics;
    // Lines saying what is failing (e.g. recording), or empty: /healthz
    // answers 503 with them after its usual line.
    std::function<QByteArray()> problems;
    // Lines about the state of what the service feeds (e.g. InfluxDB), or
    // empty: /healthz shows them after the problems without changing its status.
    std::function<QByteArray()> notes;
};

class HttpApi {
public:
    explicit HttpApi(const std::vector<MeterEntry> &meters, HttpExtras extras = {});
    ~HttpApi();
    HttpApi(const HttpApi &) = delete;
    HttpApi &operator=(const HttpApi &) = delete;

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_port; }
    int connections() const { return int(m_connections.size()); }

    struct Connection;   // one client connection as this class tracks it

private:
    struct Answer {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        bool close = false;
    };
    Answer answer(const QByteArray &method, const QByteArray &path) const;
    QByteArray healthBody(bool *healthy) const;

    struct Callbacks;   // MHD's callbacks, with MHD's own types
    friend struct Callbacks;
    int refusal(MHD_Connection *connection, const char *method);
    static Answer refusedAnswer(int status);
    bool reply(MHD_Connection *connection, const Answer &answer);
    void connectionStarted(MHD_Connection *connection, void **socketContext);
    void connectionClosed(void **socketContext);
    void requestCompleted(MHD_Connection *connection);
    void run();
    void checkDeadlines();

    const std::vector<MeterEntry> &m_meters;
    HttpExtras m_extras;
    MHD_Daemon *m_daemon = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_runTimer;        // MHD's own timeouts
    QTimer m_deadlineTimer;   // the header deadlines, while connections are open
    QElapsedTimer m_clock;
    std::vector<Connection *> m_connections;   // oldest first
    quint16 m_port = 0;
    bool m_upgradeSaid = false;
};

} // namespace rdsvc
