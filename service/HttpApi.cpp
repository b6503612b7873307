#include "HttpApi.h"

#include "Payloads.h"
#include "Service.h"

#include <QCoreApplication>

#include <microhttpd.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>

namespace rdsvc {

struct HttpApi::Connection {
    MHD_Connection *mhd = nullptr;
    int fd = -1;
    bool busy = false;       // a request is being answered (its header is complete)
    qint64 deadline = 0;     // ms on m_clock by which the next header must be complete
};

namespace {

constexpr qint64 kHeaderMs = kHeaderSeconds * 1000;
// MHD's per-connection memory: the read buffer, the parsed header and the reply
// header. A little over the header limit, so that a header just over it is
// still read whole and answered 431 by this class; anything larger is
// answered 431 by MHD itself when the buffer is full.
constexpr size_t kConnectionMemory = 32 * 1024;

void CloseSocket(int fd)
{
    // MHD sees the end of the stream at its next run and frees the connection.
    if (fd >= 0)
        ::shutdown(fd, SHUT_RDWR);
}

MHD_Result HeaderBytes(void *cls, MHD_ValueKind, const char *key, const char *value)
{
    *static_cast<size_t *>(cls) += std::strlen(key) + (value ? std::strlen(value) : 0) + 4;
    return MHD_YES;
}

} // namespace

HttpApi::Answer HttpApi::refusedAnswer(int status)
{
    switch (status) {
    case MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE:
        return {status, "text/plain", "request header too large\n", true};
    case MHD_HTTP_UPGRADE_REQUIRED:
        return {MHD_HTTP_BAD_REQUEST, "text/plain", "WebSocket is not offered\n", true};
    case MHD_HTTP_METHOD_NOT_ALLOWED:
        return {status, "text/plain", "only GET and HEAD\n", true};
    default:
        return {status, "text/plain", "a GET or HEAD request carries no body\n", true};
    }
}

struct HttpApi::Callbacks {
    static MHD_Result request(void *cls, MHD_Connection *connection, const char *url, const char *method,
                              const char *, const char *, size_t *uploadSize, void **requestContext)
    {
        auto *self = static_cast<HttpApi *>(cls);
        // First call: the header is complete. A request that is refused is
        // answered now (and closed, its body unread); one that is not waits for
        // the second call, so that MHD knows the request ended and keeps the
        // connection for the next one.
        if (!*requestContext) {
            *requestContext = cls;
            const int refused = self->refusal(connection, method);
            if (refused == 0)
                return MHD_YES;
            return self->reply(connection, refusedAnswer(refused)) ? MHD_YES : MHD_NO;
        }
        if (*uploadSize != 0) {   // only a request refused above has a body: not read
            *uploadSize = 0;
            return MHD_YES;
        }
        return self->reply(connection, self->answer(QByteArray(method), QByteArray(url))) ? MHD_YES : MHD_NO;
    }
    static void completed(void *cls, MHD_Connection *connection, void **, MHD_RequestTerminationCode)
    {
        static_cast<HttpApi *>(cls)->requestCompleted(connection);
    }
    static void connection(void *cls, MHD_Connection *connection, void **socketContext,
                           MHD_ConnectionNotificationCode code)
    {
        auto *self = static_cast<HttpApi *>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED)
            self->connectionStarted(connection, socketContext);
        else
            self->connectionClosed(socketContext);
    }
};

HttpApi::HttpApi(const std::vector<MeterEntry> &meters, HttpExtras extras)
    : m_meters(meters), m_extras(std::move(extras))
{
    m_clock.start();
    m_runTimer.setSingleShot(true);
    QObject::connect(&m_runTimer, &QTimer::timeout, [this] { run(); });
    m_deadlineTimer.setInterval(1000);
    QObject::connect(&m_deadlineTimer, &QTimer::timeout, [this] { checkDeadlines(); });
}

HttpApi::~HttpApi()
{
    m_notifier.reset();
    if (m_daemon)
        MHD_stop_daemon(m_daemon);   // closes every connection: the notify callback frees ours
    for (Connection *c : m_connections)
        delete c;
}

bool HttpApi::listen(const QHostAddress &address, quint16 port, QString *error)
{
    sockaddr_storage storage = {};
    unsigned flags = MHD_USE_EPOLL;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *a6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        a6->sin6_family = AF_INET6;
        a6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&a6->sin6_addr, bytes.c, 16);
        flags |= MHD_USE_IPv6;
    } else {
        auto *a4 = reinterpret_cast<sockaddr_in *>(&storage);
        a4->sin_family = AF_INET;
        a4->sin_port = htons(port);
        a4->sin_addr.s_addr = htonl(address.toIPv4Address());
    }
    m_daemon = MHD_start_daemon(
        flags, port, nullptr, nullptr, &Callbacks::request, this,
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr *>(&storage),
        // No MHD_OPTION_LISTENING_ADDRESS_REUSE: it means SO_REUSEPORT, which
        // would let a second service bind the same port without a word.
        // One more than the cap: the newest connection is let in long enough to
        // close the oldest idle one (connectionStarted).
        MHD_OPTION_CONNECTION_LIMIT, unsigned(kMaxConnections + 1),
        MHD_OPTION_CONNECTION_TIMEOUT, unsigned(kHeaderSeconds),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
        MHD_OPTION_NOTIFY_COMPLETED, &Callbacks::completed, this,
        MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::connection, this,
        MHD_OPTION_END);
    if (!m_daemon) {
        *error = QCoreApplication::translate("rd5800d", "无法在 %1:%2 上提供 HTTP 服务 (端口被占用或无权使用)")
                     .arg(address.toString()).arg(port);
        return false;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_EPOLL_FD);
    m_notifier = std::make_unique<QSocketNotifier>(info->epoll_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { run(); });
    const MHD_DaemonInfo *bound = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = bound ? bound->port : port;
    return true;
}

void HttpApi::run()
{
    MHD_run(m_daemon);
    MHD_UNSIGNED_LONG_LONG wait = 0;
    if (MHD_get_timeout(m_daemon, &wait) == MHD_YES)
        m_runTimer.start(int(std::min<MHD_UNSIGNED_LONG_LONG>(wait, 60000)));
    else
        m_runTimer.stop();
}

void HttpApi::connectionClosed(void **socketContext)
{
    auto *c = static_cast<Connection *>(*socketContext);
    if (!c)
        return;
    m_connections.erase(std::remove(m_connections.begin(), m_connections.end(), c), m_connections.end());
    delete c;
    *socketContext = nullptr;
    if (m_connections.empty())
        m_deadlineTimer.stop();
}

void HttpApi::connectionStarted(MHD_Connection *connection, void **socketContext)
{
    auto *c = new Connection;
    c->mhd = connection;
    if (const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
        c->fd = info->connect_fd;
    c->deadline = m_clock.elapsed() + kHeaderMs;
    *socketContext = c;
    if (int(m_connections.size()) >= kMaxConnections) {
        // At the cap: make room by closing the oldest connection that holds a
        // slot without a request in progress; refuse the new one if all are busy.
        const auto idle = std::find_if(m_connections.begin(), m_connections.end(),
                                       [](const Connection *o) { return !o->busy; });
        if (idle != m_connections.end())
            CloseSocket((*idle)->fd);
        else
            CloseSocket(c->fd);
    }
    m_connections.push_back(c);
    if (!m_deadlineTimer.isActive())
        m_deadlineTimer.start();
}

void HttpApi::checkDeadlines()
{
    const qint64 now = m_clock.elapsed();
    for (Connection *c : m_connections)
        if (!c->busy && c->deadline > 0 && now >= c->deadline) {
            CloseSocket(c->fd);
            c->deadline = 0;   // closed once; MHD frees it at its next run
        }
}

void HttpApi::requestCompleted(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (!info || !info->socket_context)
        return;
    auto *c = static_cast<Connection *>(info->socket_context);
    c->busy = false;
    c->deadline = m_clock.elapsed() + kHeaderMs;
}

// 0 when the request may be answered, else the status that refuses it.
int HttpApi::refusal(MHD_Connection *connection, const char *method)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (info && info->socket_context)
        static_cast<Connection *>(info->socket_context)->busy = true;

    size_t headerBytes = 0;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &HeaderBytes, &headerBytes);
    const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
    const char *encoding = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING);
    const bool body = encoding || (length && QByteArray(length).trimmed() != "0");
    const QByteArray m(method);
    if (headerBytes > size_t(kMaxHeaderBytes))
        return MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE;
    if (MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_UPGRADE)) {
        if (!m_upgradeSaid)
            LogLine(QCoreApplication::translate("rd5800d", "HTTP: 拒绝了 WebSocket 升级请求 (本服务不提供; 以后的不再记录)"));
        m_upgradeSaid = true;
        return MHD_HTTP_UPGRADE_REQUIRED;   // stands for "upgrade refused" (answered 400)
    }
    if (m != "GET" && m != "HEAD")
        return body ? MHD_HTTP_METHOD_NOT_ALLOWED : 0;   // without a body answered (405) as usual
    if (encoding)
        return MHD_HTTP_BAD_REQUEST;
    if (body)
        return MHD_HTTP_CONTENT_TOO_LARGE;
    return 0;
}

bool HttpApi::reply(MHD_Connection *connection, const Answer &a)
{
    MHD_Response *response = MHD_create_response_from_buffer(size_t(a.body.size()), const_cast<char *>(a.body.data()),
                                                             MHD_RESPMEM_MUST_COPY);
    if (!response)
        return false;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, a.contentType.constData());
    if (a.status == MHD_HTTP_METHOD_NOT_ALLOWED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    if (a.close)
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    const MHD_Result queued = MHD_queue_response(connection, unsigned(a.status), response);
    MHD_destroy_response(response);
    return queued == MHD_YES;
}

HttpApi::Answer HttpApi::answer(const QByteArray &method, const QByteArray &path) const
{
    const bool known = path == "/metrics" || path == "/api/meters" || path == "/healthz";
    if (!known)
        return {MHD_HTTP_NOT_FOUND, "text/plain", "not found\n", false};
    if (method != "GET" && method != "HEAD")
        return {MHD_HTTP_METHOD_NOT_ALLOWED, "text/plain", "only GET and HEAD\n", false};
    if (path == "/metrics") {
        QByteArray text = MetricsText(m_meters);
        if (m_extras.metrics)
            text += m_extras.metrics();
        return {MHD_HTTP_OK, "text/plain; version=0.0.4; charset=utf-8", text, false};
    }
    if (path == "/api/meters")
        return {MHD_HTTP_OK, "application/json", MetersJson(m_meters), false};
    bool healthy = false;
    const QByteArray body = healthBody(&healthy);
    return {healthy ? MHD_HTTP_OK : MHD_HTTP_SERVICE_UNAVAILABLE, "text/plain", body, false};
}

// Healthy while at least one meter answered its last poll and nothing the
// service does is failing: a service that reaches none of its meters, or that
// loses the rows it should record, is of no use to whoever watches it.
QByteArray HttpApi::healthBody(bool *healthy) const
{
    int online = 0;
    for (const MeterEntry &m : m_meters)
        online += m.availability == Availability::Online ? 1 : 0;
    QByteArray body = QByteArray::number(online) + '/' + QByteArray::number(qsizetype(m_meters.size()))
                      + " meters online\n";
    const QByteArray problems = m_extras.problems ? m_extras.problems() : QByteArray();
    *healthy = online > 0 && problems.isEmpty();
    return body + problems + (m_extras.notes ? m_extras.notes() : QByteArray());
}

} // namespace rdsvc
