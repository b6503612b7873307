#include "MqttLink.h"

#include <MQTTAsync.h>

#include <QCoreApplication>
#include <QThread>
#include <QElapsedTimer>
#include <unistd.h>

namespace rdsvc {

namespace {

constexpr int kQos = 1;


} // namespace

struct MqttLink::Callbacks {
    static void OnConnected(void *context, MQTTAsync_successData *);
    static void OnConnectFailure(void *context, MQTTAsync_failureData *data);
    static void OnConnectionLost(void *context, char *cause);
    static int OnMessage(void *context, char *topic, int topicLen, MQTTAsync_message *message);
    static void OnDisconnected(void *context, MQTTAsync_successData *);
    static void OnDisconnectFailed(void *context, MQTTAsync_failureData *);
};

MqttLink::MqttLink(const MqttSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
    m_statusTopic = (settings.prefix + QStringLiteral("/status")).toUtf8();
    m_user = settings.user.toUtf8();
    m_password = settings.password.toUtf8();
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttLink::connectNow);

    const QByteArray uri = QStringLiteral("tcp://%1:%2").arg(settings.host).arg(settings.port).toUtf8();
    const QByteArray id = QStringLiteral("rd5800d-%1-%2").arg(settings.prefix).arg(::getpid()).toUtf8();
    MQTTAsync client = nullptr;
    if (MQTTAsync_create(&client, uri.constData(), id.constData(), MQTTCLIENT_PERSISTENCE_NONE, nullptr)
        == MQTTASYNC_SUCCESS) {
        m_client = client;
        MQTTAsync_setCallbacks(client, this, &Callbacks::OnConnectionLost, &Callbacks::OnMessage, nullptr);
    }
}

MqttLink::~MqttLink()
{
    if (m_client) {
        MQTTAsync client = m_client;
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
    will.qos = kQos;
    MQTTAsync_connectOptions options = MQTTAsync_connectOptions_initializer;
    options.keepAliveInterval = 20;
    options.cleansession = 1;
    options.connectTimeout = 5;
    options.will = &will;
    if (!m_user.isEmpty()) {
        options.username = m_user.constData();
        options.password = m_password.constData();
    }
    options.onSuccess = &Callbacks::OnConnected;
    options.onFailure = &Callbacks::OnConnectFailure;
    options.context = this;
    m_connecting = true;
    const int rc = MQTTAsync_connect(m_client, &options);
    if (rc != MQTTASYNC_SUCCESS) {
        m_connecting = false;
        failed(QCoreApplication::translate("rd5800d", "错误 %1").arg(rc));
    }
}

void MqttLink::succeeded()
{
    m_connecting = false;
    if (m_stopped)
        return;
    m_backoff = 1;
    m_connected.store(true);
    publish(QString::fromUtf8(m_statusTopic), "online");
    emit connected();
}

void MqttLink::failed(const QString &reason)
{
    m_connecting = false;
    m_connected.store(false);
    if (m_stopped)
        return;
    const int wait = m_backoff;
    m_backoff = NextBackoff(m_backoff);
    emit disconnected(reason, wait);
    m_retry.start(wait * 1000);
}

void MqttLink::Callbacks::OnConnected(void *context, MQTTAsync_successData *)
{
    auto *self = static_cast<MqttLink *>(context);
    QMetaObject::invokeMethod(self, [self] { self->succeeded(); }, Qt::QueuedConnection);
}

void MqttLink::Callbacks::OnConnectFailure(void *context, MQTTAsync_failureData *data)
{
    auto *self = static_cast<MqttLink *>(context);
    const QString reason = data && data->message ? QString::fromUtf8(data->message)
                                                 : QCoreApplication::translate("rd5800d", "错误 %1").arg(data ? data->code : 0);
    QMetaObject::invokeMethod(self, [self, reason] { self->failed(reason); }, Qt::QueuedConnection);
}

void MqttLink::Callbacks::OnConnectionLost(void *context, char *cause)
{
    auto *self = static_cast<MqttLink *>(context);
    self->m_connected.store(false);
    const QString reason = cause ? QString::fromUtf8(cause) : QCoreApplication::translate("rd5800d", "连接中断");
    QMetaObject::invokeMethod(self, [self, reason] { self->failed(reason); }, Qt::QueuedConnection);
}

int MqttLink::Callbacks::OnMessage(void *, char *topic, int, MQTTAsync_message *message)
{
    // Nothing is subscribed; free whatever comes.
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    return 1;
}

void MqttLink::Callbacks::OnDisconnected(void *context, MQTTAsync_successData *)
{
    static_cast<std::atomic<bool> *>(context)->store(true);
}

void MqttLink::Callbacks::OnDisconnectFailed(void *context, MQTTAsync_failureData *)
{
    static_cast<std::atomic<bool> *>(context)->store(true);
}

void MqttLink::publish(const QString &topic, const QByteArray &payload)
{
    if (!m_client || !m_connected.load())
        return;
    const QByteArray t = topic.toUtf8();
    MQTTAsync_responseOptions options = MQTTAsync_responseOptions_initializer;
    // The library copies topic and payload before returning.
    MQTTAsync_send(m_client, t.constData(), payload.size(), payload.constData(), kQos, 1, &options);
}

void MqttLink::stop()
{
    m_retry.stop();
    if (!m_client) {
        m_stopped = true;
        return;
    }
    if (m_connected.load()) {
        publish(QString::fromUtf8(m_statusTopic), "offline");
        MQTTAsync_disconnectOptions options = MQTTAsync_disconnectOptions_initializer;
        options.timeout = 2000;   // lets the queued messages go out first
        options.context = &m_disconnected;
        options.onSuccess = &Callbacks::OnDisconnected;
        options.onFailure = &Callbacks::OnDisconnectFailed;
        if (MQTTAsync_disconnect(m_client, &options) == MQTTASYNC_SUCCESS) {
            QElapsedTimer waited;
            waited.start();
            while (!m_disconnected.load() && waited.elapsed() < 3000)
                QThread::msleep(10);
        }
    }
    m_stopped = true;
    m_connected.store(false);
}

} // namespace rdsvc
