#include "MqttLink.h"

#include "MqttReason.h"

#include <MQTTAsync.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <mutex>
#include <unordered_map>

namespace rdsvc {

namespace {

// The live links by number. A callback's context is the number, never the
// link: it is looked up here and used only while this mutex is held, which the
// destructor also takes to remove the link.
std::mutex g_linksMutex;
std::unordered_map<quintptr, MqttLink *> g_links;
quintptr g_nextToken = 1;

void *TokenContext(quintptr token)
{
    return reinterpret_cast<void *>(token);
}

// Runs `f(link)` with the table locked when the link of `context` still lives.
template <class F>
void WithLink(void *context, F f)
{
    std::lock_guard<std::mutex> lock(g_linksMutex);
    const auto it = g_links.find(reinterpret_cast<quintptr>(context));
    if (it != g_links.end())
        f(it->second);
}

QString HostForUri(const QString &host)
{
    return host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
}

} // namespace

struct MqttLink::Callbacks {
    static void OnConnected(void *context, MQTTAsync_successData *);
    static void OnConnectFailure(void *context, MQTTAsync_failureData *data);
    static void OnConnectionLost(void *context, char *cause);
    static int OnMessage(void *context, char *topic, int topicLen, MQTTAsync_message *message);
    static void OnDisconnected(void *context, MQTTAsync_successData *);
    static void OnDisconnectFailed(void *context, MQTTAsync_failureData *);
    static int OnTlsError(const char *text, size_t length, void *context);
};

MqttLink::MqttLink(const MqttSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    {
        std::lock_guard<std::mutex> lock(g_linksMutex);
        m_token = g_nextToken++;
        g_links.emplace(m_token, this);
    }
    m_statusTopic = settings.statusTopic.toUtf8();
    m_user = settings.user.toUtf8();
    m_password = settings.password.toUtf8();
    m_caFile = settings.caFile.toUtf8();
    m_certFile = settings.certFile.toUtf8();
    m_keyFile = settings.keyFile.toUtf8();
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &MqttLink::connectNow);

    const QByteArray uri = QStringLiteral("%1://%2:%3")
                               .arg(settings.tls ? QStringLiteral("ssl") : QStringLiteral("tcp"),
                                    HostForUri(settings.host))
                               .arg(settings.port)
                               .toUtf8();
    const QByteArray id = settings.clientId.toUtf8();
    MQTTAsync client = nullptr;
    if (MQTTAsync_create(&client, uri.constData(), id.constData(), MQTTCLIENT_PERSISTENCE_NONE, nullptr)
        == MQTTASYNC_SUCCESS) {
        m_client = client;
        MQTTAsync_setCallbacks(client, TokenContext(m_token), &Callbacks::OnConnectionLost, &Callbacks::OnMessage,
                               nullptr);
    }
}

MqttLink::~MqttLink()
{
    stop();
    {
        std::lock_guard<std::mutex> lock(g_linksMutex);
        g_links.erase(m_token);
    }
    if (m_client) {
        MQTTAsync client = m_client;
        MQTTAsync_setCallbacks(client, nullptr, nullptr, nullptr, nullptr);
        MQTTAsync_destroy(&client);
    }
}

void MqttLink::start()
{
    connectNow();
}

void MqttLink::connectNow()
{
    if (m_stopped || !m_client || m_connecting)
        return;
    MQTTAsync_willOptions will = MQTTAsync_willOptions_initializer;
    will.topicName = m_statusTopic.constData();
    will.message = "offline";
    will.retained = 1;
    will.qos = m_settings.qos;
    MQTTAsync_SSLOptions ssl = MQTTAsync_SSLOptions_initializer;
    MQTTAsync_connectOptions options = MQTTAsync_connectOptions_initializer;
    options.keepAliveInterval = 20;
    options.cleansession = 1;
    options.connectTimeout = m_settings.connectTimeoutSeconds;
    options.MQTTVersion = MQTTVERSION_3_1_1;   // one try per attempt: see the header
    options.will = &will;
    if (!m_user.isEmpty()) {
        options.username = m_user.constData();
        options.password = m_password.constData();
    }
    if (m_settings.tls) {
        // The server's certificate is checked, against its host name too.
        ssl.trustStore = m_caFile.isEmpty() ? nullptr : m_caFile.constData();
        ssl.keyStore = m_certFile.isEmpty() ? nullptr : m_certFile.constData();
        ssl.privateKey = m_keyFile.isEmpty() ? nullptr : m_keyFile.constData();
        ssl.enableServerCertAuth = 1;
        ssl.verify = 1;
        ssl.ssl_error_cb = &Callbacks::OnTlsError;
        ssl.ssl_error_context = TokenContext(m_token);
        options.ssl = &ssl;
    }
    options.onSuccess = &Callbacks::OnConnected;
    options.onFailure = &Callbacks::OnConnectFailure;
    options.context = TokenContext(m_token);
    {
        std::lock_guard<std::mutex> lock(g_linksMutex);
        m_tlsError.clear();
    }
    m_connecting = true;
    m_inFlight.store(true);
    const int rc = MQTTAsync_connect(m_client, &options);
    if (rc != MQTTASYNC_SUCCESS) {
        m_inFlight.store(false);
        m_connecting = false;
        failed(MqttFailureText(rc, QString::fromUtf8(MQTTAsync_strerror(rc))));
    }
}

void MqttLink::succeeded()
{
    m_connecting = false;
    if (m_stopped)
        return;
    m_retry.connected();
    m_connected.store(true);
    publish(QString::fromUtf8(m_statusTopic), "online");
    for (const QString &filter : std::as_const(m_filters)) {
        MQTTAsync_responseOptions options = MQTTAsync_responseOptions_initializer;
        MQTTAsync_subscribe(m_client, filter.toUtf8().constData(), m_settings.qos, &options);
    }
    emit connected();
}

void MqttLink::failed(const QString &reason)
{
    m_connecting = false;
    m_connected.store(false);
    if (m_stopped)
        return;
    const int wait = m_retry.failed();
    emit disconnected(reason, wait);
    m_retryTimer.start(wait * 1000);
}

void MqttLink::Callbacks::OnConnected(void *context, MQTTAsync_successData *)
{
    WithLink(context, [](MqttLink *self) {
        self->m_libraryUp.store(true);
        self->m_inFlight.store(false);
        QMetaObject::invokeMethod(self, [self] { self->succeeded(); }, Qt::QueuedConnection);
    });
}

void MqttLink::Callbacks::OnConnectFailure(void *context, MQTTAsync_failureData *data)
{
    const int code = data ? data->code : 0;
    const QString text = data && data->message ? QString::fromUtf8(data->message) : QString();
    WithLink(context, [code, text](MqttLink *self) {
        const QString reason = MqttFailureText(code, text, self->m_tlsError);
        self->m_inFlight.store(false);
        QMetaObject::invokeMethod(self, [self, reason] { self->failed(reason); }, Qt::QueuedConnection);
    });
}

void MqttLink::Callbacks::OnConnectionLost(void *context, char *cause)
{
    const QString reason = MqttLostText(cause ? QString::fromUtf8(cause) : QString());
    WithLink(context, [reason](MqttLink *self) {
        self->m_libraryUp.store(false);
        self->m_connected.store(false);
        QMetaObject::invokeMethod(self, [self, reason] { self->failed(reason); }, Qt::QueuedConnection);
    });
}

int MqttLink::Callbacks::OnMessage(void *context, char *topic, int topicLen, MQTTAsync_message *message)
{
    const QString t = topicLen > 0 ? QString::fromUtf8(topic, topicLen) : QString::fromUtf8(topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    WithLink(context, [t, payload](MqttLink *self) {
        QMetaObject::invokeMethod(self, [self, t, payload] { emit self->message(t, payload); }, Qt::QueuedConnection);
    });
    return 1;
}

void MqttLink::Callbacks::OnDisconnected(void *context, MQTTAsync_successData *)
{
    WithLink(context, [](MqttLink *self) { self->m_disconnected.store(true); });
}

void MqttLink::Callbacks::OnDisconnectFailed(void *context, MQTTAsync_failureData *)
{
    WithLink(context, [](MqttLink *self) { self->m_disconnected.store(true); });
}

int MqttLink::Callbacks::OnTlsError(const char *text, size_t length, void *context)
{
    // OpenSSL's error lines, "[THREAD:]error:CODE:LIBRARY:FUNCTION:REASON:FILE:LINE:":
    // the reason is what a reader needs.
    QString line = QString::fromUtf8(text, qsizetype(length)).trimmed();
    const QStringList parts = line.split(QLatin1Char(':'));
    const qsizetype error = parts.indexOf(QStringLiteral("error"));
    if (error >= 0 && error + 4 < parts.size())
        line = parts.at(error + 4);
    WithLink(context, [line](MqttLink *self) {
        if (!self->m_tlsError.contains(line))
            self->m_tlsError += (self->m_tlsError.isEmpty() ? QString() : QStringLiteral("; ")) + line;
    });
    return 0;
}

void MqttLink::publish(const QString &topic, const QByteArray &payload, bool retained)
{
    if (!m_client || !m_connected.load())
        return;
    const QByteArray t = topic.toUtf8();
    MQTTAsync_responseOptions options = MQTTAsync_responseOptions_initializer;
    // The library copies topic and payload before returning.
    MQTTAsync_send(m_client, t.constData(), int(payload.size()), payload.constData(), m_settings.qos,
                   retained ? 1 : 0, &options);
}

void MqttLink::subscribe(const QString &filter)
{
    if (m_filters.contains(filter))
        return;
    m_filters << filter;
    if (m_client && m_connected.load()) {
        MQTTAsync_responseOptions options = MQTTAsync_responseOptions_initializer;
        MQTTAsync_subscribe(m_client, filter.toUtf8().constData(), m_settings.qos, &options);
    }
}

void MqttLink::unsubscribe(const QString &filter)
{
    if (!m_filters.removeAll(filter))
        return;
    if (m_client && m_connected.load()) {
        MQTTAsync_responseOptions options = MQTTAsync_responseOptions_initializer;
        MQTTAsync_unsubscribe(m_client, filter.toUtf8().constData(), &options);
    }
}

void MqttLink::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_retryTimer.stop();
    if (!m_client)
        return;
    // A connect in flight cannot be called off (the library refuses a
    // disconnect before CONNACK) and ends by itself after its timeout, which
    // the library looks at every 3 s: wait for that, so that the client is
    // not destroyed under the attempt.
    QElapsedTimer waited;
    waited.start();
    while (m_inFlight.load() && waited.elapsed() < (m_settings.connectTimeoutSeconds + 4) * 1000)
        QThread::msleep(10);
    if (m_libraryUp.load()) {
        // Up, even when the main thread has not heard it yet: a clean
        // disconnect drops the last will, so "offline" is said here.
        m_connected.store(true);
        publish(QString::fromUtf8(m_statusTopic), "offline");
        m_connected.store(false);
        MQTTAsync_disconnectOptions options = MQTTAsync_disconnectOptions_initializer;
        options.timeout = 2000;   // lets the queued messages go out first
        options.context = TokenContext(m_token);
        options.onSuccess = &Callbacks::OnDisconnected;
        options.onFailure = &Callbacks::OnDisconnectFailed;
        if (MQTTAsync_disconnect(m_client, &options) == MQTTASYNC_SUCCESS) {
            waited.restart();
            while (!m_disconnected.load() && waited.elapsed() < 3000)
                QThread::msleep(10);
        }
    }
    m_connected.store(false);
}

} // namespace rdsvc
