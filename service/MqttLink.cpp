#include "MqttLink.h"

#include <mosquitto.h>

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace rdsvc {

namespace {

constexpr int kKeepAliveSeconds = 20;
// How often the keep-alive is looked at: a PINGREQ goes out at most this much
// after it is due, well inside the 1.5 keep-alives a broker waits.
constexpr int kKeepAliveCheckMs = 2000;
// While the TCP connect or the TLS handshake is pending the library cannot say
// which way the socket must be watched; it is moved on at this pace instead.
constexpr int kHandshakeStepMs = 10;
// What stop() waits for the broker to acknowledge the last "offline".
constexpr int kStopWaitMs = 2000;

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

// The library's reason, or the system's for a failed system call.
QString LibraryText(int rc, int error)
{
    if (rc == MOSQ_ERR_ERRNO && error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

MqttFailure KindOf(int rc)
{
    switch (rc) {
    case MOSQ_ERR_TLS:
    case MOSQ_ERR_TLS_HANDSHAKE:
        return MqttFailure::Tls;
    case MOSQ_ERR_ERRNO:
    case MOSQ_ERR_EAI:
    case MOSQ_ERR_NO_CONN:
        return MqttFailure::Unreachable;
    default:
        return MqttFailure::Other;
    }
}

// OpenSSL's lines "OpenSSL Error[0]: error:CODE:LIBRARY:FUNCTION:REASON": the
// reason is what a reader needs; the library's own lines lose their "Error: ".
QString ErrorReason(const QString &line)
{
    const qsizetype at = line.indexOf(QLatin1String("error:"));
    if (at >= 0) {
        const QStringList parts = line.mid(at).split(QLatin1Char(':'));
        if (parts.size() > 4 && !parts.at(4).trimmed().isEmpty())
            return parts.at(4).trimmed();
    }
    QString text = line.trimmed();
    if (text.startsWith(QLatin1String("Error: ")))
        text.remove(0, 7);
    return text;
}

} // namespace

MqttLink::MqttLink(const MqttSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_statusTopic(settings.statusTopic.toUtf8())
{
    InitLibrary();
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &MqttLink::connectNow);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (m_phase != Phase::Connecting)
            return;
        dropClient();
        failed(MqttFailureText(MqttFailure::Timeout, 0));
    });
    m_handshake.setInterval(kHandshakeStepMs);
    connect(&m_handshake, &QTimer::timeout, this, [this] { onActivity(true, true); });
    m_keepAlive.setInterval(kKeepAliveCheckMs);
    connect(&m_keepAlive, &QTimer::timeout, this, [this] {
        if (!m_client)
            return;
        mosquitto_loop_misc(m_client);
        settle();
    });
}

MqttLink::~MqttLink()
{
    stop();
}

void MqttLink::start()
{
    connectNow();
}

void MqttLink::connectNow()
{
    if (m_stopped || m_phase != Phase::Idle)
        return;
    if (!QHostAddress(m_settings.host).isNull()) {
        attempt();
        return;
    }
    // The library looks the name up on this thread, which a dead name server
    // would hold for seconds: Qt looks it up first, on its own thread, so that
    // such a server fails there. The library then asks again (answered at once
    // by a server that just answered) and tries each address it gets.
    m_phase = Phase::Resolving;
    m_lookup = QHostInfo::lookupHost(m_settings.host, this, [this](const QHostInfo &info) {
        m_lookup = -1;
        if (m_phase != Phase::Resolving)
            return;
        m_phase = Phase::Idle;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            failed(MqttFailureText(MqttFailure::Unreachable, 0, info.errorString()));
            return;
        }
        attempt();
    });
}

void MqttLink::attempt()
{
    ++m_generation;
    m_tlsText.clear();
    m_connack = m_ended = false;
    m_lastAcked = -1;
    m_client = mosquitto_new(m_settings.clientId.toUtf8().constData(), true, this);
    if (!m_client) {
        failed(MqttFailureText(MqttFailure::Other, 0, LibraryText(MOSQ_ERR_ERRNO, errno)));
        return;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // A state right behind an availability must not wait for the broker's ACK
    // of the first (Nagle): each message is one whole write anyway.
    mosquitto_int_option(m_client, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_client, &MqttLink::OnConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttLink::OnDisconnect);
    mosquitto_publish_callback_set(m_client, &MqttLink::OnPublish);
    mosquitto_message_callback_set(m_client, &MqttLink::OnMessage);
    mosquitto_log_callback_set(m_client, &MqttLink::OnLog);
    mosquitto_will_set(m_client, m_statusTopic.constData(), 7, "offline", m_settings.qos, true);
    if (!m_settings.user.isEmpty())
        mosquitto_username_pw_set(m_client, m_settings.user.toUtf8().constData(), m_settings.password.toUtf8().constData());
    QString why;
    if (m_settings.tls && !configureTls(&why)) {
        dropClient();
        failed(MqttFailureText(MqttFailure::Tls, 0, why));
        return;
    }
    const int rc = mosquitto_connect_async(m_client, m_settings.host.toUtf8().constData(), m_settings.port, kKeepAliveSeconds);
    const int error = errno;
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(m_client) < 0) {
        const QString reason = failureText(rc == MOSQ_ERR_SUCCESS ? MqttFailure::Unreachable : KindOf(rc), rc, error);
        dropClient();
        failed(reason);
        return;
    }
    m_phase = Phase::Connecting;
    const int fd = mosquitto_socket(m_client);
    m_readable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, [this] { onActivity(true, false); });
    m_writable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, [this] { onActivity(false, true); });
    m_deadline.start(m_settings.connectTimeoutSeconds * 1000);
    m_handshake.start();
    onActivity(true, true);
}

QString MqttLink::failureText(MqttFailure kind, int rc, int error) const
{
    // What the TLS layer said is the better reason for a TLS failure.
    const bool tls = kind == MqttFailure::Tls && !m_tlsText.isEmpty();
    return MqttFailureText(kind, rc, tls ? m_tlsText : LibraryText(rc, error));
}

bool MqttLink::configureTls(QString *why)
{
    // The library only says "invalid arguments" for a file it cannot read.
    for (const QString &path : {m_settings.caFile, m_settings.certFile, m_settings.keyFile}) {
        QFile file(path);
        if (!path.isEmpty() && !file.open(QIODevice::ReadOnly)) {
            *why = QStringLiteral("%1: %2").arg(path, file.errorString());
            return false;
        }
    }
    const QByteArray ca = m_settings.caFile.toUtf8();
    const QByteArray cert = m_settings.certFile.toUtf8();
    const QByteArray key = m_settings.keyFile.toUtf8();
    if (ca.isEmpty())
        mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    // A client certificate needs the call that also names the authorities:
    // the system's folder of them stands in when no file is given.
    if (!ca.isEmpty() || !cert.isEmpty()) {
        const int rc = mosquitto_tls_set(m_client, ca.isEmpty() ? nullptr : ca.constData(),
                                         ca.isEmpty() ? "/etc/ssl/certs" : nullptr,
                                         cert.isEmpty() ? nullptr : cert.constData(),
                                         key.isEmpty() ? nullptr : key.constData(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            *why = LibraryText(rc, errno);
            return false;
        }
    }
    // The server's certificate is checked, against its host name too (the library's default).
    mosquitto_tls_opts_set(m_client, 1, nullptr, nullptr);
    return true;
}

void MqttLink::onActivity(bool readable, bool writable)
{
    if (!m_client)
        return;
    if (m_phase == Phase::Connecting) {
        // No wait (timeout 0): it connects, writes CONNECT and reads CONNACK as far as they can go.
        mosquitto_loop(m_client, 0, 1);
    } else {
        if (readable)
            mosquitto_loop_read(m_client, 1);
        if (writable && m_client)
            mosquitto_loop_write(m_client, 1);
    }
    settle();
}

void MqttLink::settle()
{
    if (!m_client)
        return;
    // The library closes the socket itself on some failures: a notifier must
    // not go on watching a number the system may hand out again.
    if (!m_ended && m_readable && mosquitto_socket(m_client) != m_readable->socket()) {
        m_ended = true;
        m_endCode = MOSQ_ERR_CONN_LOST;
        m_endErrno = 0;
    }
    // A refusal ends the connection in the same call; the refusal is the reason.
    if (m_connack && m_connackCode != 0) {
        const QString reason = MqttFailureText(MqttFailure::Refused, m_connackCode);
        dropClient();
        failed(reason);
        return;
    }
    if (m_connack && !m_ended) {
        m_connack = false;
        m_phase = Phase::Up;
        m_deadline.stop();
        m_handshake.stop();
        // The library formats a line for every packet while someone listens;
        // only the attempt's errors were wanted.
        mosquitto_log_callback_set(m_client, nullptr);
        m_keepAlive.start();
        // Outside this call: connected() makes the publisher send everything
        // again, and whoever listens may as well stop the link.
        QMetaObject::invokeMethod(this, [this, generation = m_generation] { succeeded(generation); },
                                  Qt::QueuedConnection);
    }
    if (m_ended) {
        QString reason;
        if (m_phase == Phase::Up) {
            reason = MqttLostText(m_endCode == MOSQ_ERR_SUCCESS ? QString() : LibraryText(m_endCode, m_endErrno));
        } else {
            reason = failureText(m_settings.tls && !m_tlsText.isEmpty() ? MqttFailure::Tls : KindOf(m_endCode),
                                 m_endCode, m_endErrno);
        }
        dropClient();
        failed(reason);
        return;
    }
    watchWrites();
}

void MqttLink::watchWrites()
{
    // Only what the socket did not take at once waits for it to have room.
    const bool want = m_phase == Phase::Up && m_client && mosquitto_want_write(m_client);
    if (m_writable && m_writable->isEnabled() != want)
        m_writable->setEnabled(want);
}

void MqttLink::dropClient()
{
    // The notifiers go before the library closes their socket.
    m_readable.reset();
    m_writable.reset();
    m_deadline.stop();
    m_handshake.stop();
    m_keepAlive.stop();
    if (m_client) {
        mosquitto_destroy(m_client);
        m_client = nullptr;
    }
    m_phase = Phase::Idle;
}

void MqttLink::succeeded(int generation)
{
    if (generation != m_generation || m_phase != Phase::Up || m_stopped)
        return;
    m_retry.connected();
    publish(QString::fromUtf8(m_statusTopic), "online");
    for (const QString &filter : std::as_const(m_filters))
        if (m_client)
            mosquitto_subscribe(m_client, nullptr, filter.toUtf8().constData(), m_settings.qos);
    settle();
    if (m_phase == Phase::Up)
        emit connected();
}

void MqttLink::failed(const QString &reason)
{
    if (m_stopped)
        return;
    const int wait = m_retry.failed();
    emit disconnected(reason, wait);
    m_retryTimer.start(wait * 1000);
}

void MqttLink::OnConnect(mosquitto *, void *self, int rc)
{
    auto *link = static_cast<MqttLink *>(self);
    link->m_connack = true;
    link->m_connackCode = rc;
}

void MqttLink::OnDisconnect(mosquitto *, void *self, int rc)
{
    auto *link = static_cast<MqttLink *>(self);
    link->m_endErrno = errno;
    link->m_ended = true;
    link->m_endCode = rc;
}

void MqttLink::OnPublish(mosquitto *, void *self, int mid)
{
    static_cast<MqttLink *>(self)->m_lastAcked = mid;
}

void MqttLink::OnMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *link = static_cast<MqttLink *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    // Handed on outside the library's call, where the listener may publish.
    QMetaObject::invokeMethod(link, [link, topic, payload] { emit link->message(topic, payload); },
                              Qt::QueuedConnection);
}

void MqttLink::OnLog(mosquitto *, void *self, int level, const char *text)
{
    if (!(level & MOSQ_LOG_ERR) || !text)
        return;
    auto *link = static_cast<MqttLink *>(self);
    const QString reason = ErrorReason(QString::fromUtf8(text));
    if (reason.isEmpty() || link->m_tlsText.contains(reason) || link->m_tlsText.size() > 400)
        return;
    link->m_tlsText += (link->m_tlsText.isEmpty() ? QString() : QStringLiteral("; ")) + reason;
}

void MqttLink::publish(const QString &topic, const QByteArray &payload, bool retained)
{
    if (m_phase != Phase::Up || !m_client)
        return;
    // Written to the socket in this call; the library keeps a copy until the PUBACK.
    mosquitto_publish(m_client, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(),
                      m_settings.qos, retained);
    settle();
}

void MqttLink::subscribe(const QString &filter)
{
    if (m_filters.contains(filter))
        return;
    m_filters << filter;
    if (m_phase == Phase::Up && m_client) {
        mosquitto_subscribe(m_client, nullptr, filter.toUtf8().constData(), m_settings.qos);
        settle();
    }
}

void MqttLink::unsubscribe(const QString &filter)
{
    if (!m_filters.removeAll(filter))
        return;
    if (m_phase == Phase::Up && m_client) {
        mosquitto_unsubscribe(m_client, nullptr, filter.toUtf8().constData());
        settle();
    }
}

void MqttLink::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_retryTimer.stop();
    if (m_lookup >= 0) {
        QHostInfo::abortHostLookup(m_lookup);
        m_lookup = -1;
    }
    if (m_phase == Phase::Up && m_client) {
        // A clean disconnect drops the last will, so "offline" is said here.
        // The broker acknowledges in order: once it has this one, it has
        // everything sent before. QoS 0 has no acknowledgement: what is still
        // queued is written out instead.
        int mid = -1;
        if (mosquitto_publish(m_client, &mid, m_statusTopic.constData(), 7, "offline", m_settings.qos, true)
            == MOSQ_ERR_SUCCESS) {
            QElapsedTimer waited;
            waited.start();
            while (!m_ended && mosquitto_socket(m_client) >= 0 && waited.elapsed() < kStopWaitMs) {
                if (m_settings.qos > 0 ? m_lastAcked == mid : !mosquitto_want_write(m_client))
                    break;
                mosquitto_loop(m_client, 100, 1);
            }
        }
        if (!m_ended && mosquitto_socket(m_client) >= 0)
            mosquitto_disconnect(m_client);   // written at once
    }
    dropClient();
}

} // namespace rdsvc
