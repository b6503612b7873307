// The connection to the MQTT broker, through libmosquitto without its threads:
// the client's socket is watched by the main thread's event loop, a state
// message goes out in the publish call itself, and its PUBACK is read when the
// socket says so. The poll runs on its own worker, so a slow or lost broker
// never holds it up.
//
// MQTT 3.1.1 only (every broker in use speaks it). An attempt has
// connectTimeoutSeconds from its start (the host name looked up beforehand,
// off the main thread) to the broker's CONNACK. The service's status topic is
// "online" while connected and "offline" as the connection's last will. A
// failed or lost connection is tried again as MqttRetry says, with a new
// client; connected() then asks for the retained topics anew.
#pragma once

#include "service/MqttReason.h"
#include "service/MqttRetry.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QSocketNotifier;
struct mosquitto;
struct mosquitto_message;

namespace rdsvc {

struct MqttSettings {
    QString host;
    quint16 port = 1883;
    bool tls = false;
    QString caFile;        // empty: the system's certificate authorities
    QString certFile;      // client certificate and key, both or neither
    QString keyFile;
    QString user;          // empty: no user name
    QString password;
    QString clientId;
    QString statusTopic;   // "PREFIX/status"
    int qos = 1;
    int connectTimeoutSeconds = 5;
};

class MqttLink : public QObject {
    Q_OBJECT
public:
    explicit MqttLink(const MqttSettings &settings, QObject *parent = nullptr);
    // Stops first when stop() was not called.
    ~MqttLink() override;

    void start();
    // Sends a message at the settings' QoS; dropped while not connected (the
    // caller republishes what matters on connected()).
    void publish(const QString &topic, const QByteArray &payload, bool retained = true);
    // Subscribed at every connection from now on (at once when connected).
    void subscribe(const QString &filter);
    void unsubscribe(const QString &filter);
    // Publishes the status "offline" and disconnects, waiting at most about two
    // seconds for the broker to acknowledge it (and so everything sent before
    // it). An attempt still connecting is dropped.
    void stop();
    bool isConnected() const { return m_phase == Phase::Up; }

signals:
    void connected();
    void disconnected(const QString &reason, int retrySeconds);
    void message(const QString &topic, const QByteArray &payload);

private:
    enum class Phase { Idle, Resolving, Connecting, Up };

    void connectNow();
    void attempt();
    bool configureTls(QString *why);
    QString failureText(MqttFailure kind, int rc, int error) const;
    void onActivity(bool readable, bool writable);
    void settle();                        // after every call into the library
    void watchWrites();
    void dropClient();
    void failed(const QString &reason);
    void succeeded(int generation);

    // The library's callbacks: they only record what happened; settle() acts on it.
    static void OnConnect(mosquitto *, void *self, int rc);
    static void OnDisconnect(mosquitto *, void *self, int rc);
    static void OnPublish(mosquitto *, void *self, int mid);
    static void OnMessage(mosquitto *, void *self, const mosquitto_message *message);
    static void OnLog(mosquitto *, void *self, int level, const char *text);

    MqttSettings m_settings;
    QByteArray m_statusTopic;
    QStringList m_filters;
    mosquitto *m_client = nullptr;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QTimer m_retryTimer;
    QTimer m_deadline;    // the attempt's connect timeout
    QTimer m_handshake;   // moves the TCP connect and the TLS handshake on while they are pending
    QTimer m_keepAlive;   // PINGREQ when nothing else went out, and the check of its answer
    rdlink::SteadyClock m_clock;
    MqttRetry m_retry{m_clock};
    Phase m_phase = Phase::Idle;
    bool m_stopped = false;
    int m_lookup = -1;           // the host lookup in flight
    int m_generation = 0;        // one per client: a queued success of an older one is ignored
    // What the callbacks recorded during a call into the library.
    bool m_connack = false;
    int m_connackCode = 0;
    bool m_ended = false;
    int m_endCode = 0;
    int m_endErrno = 0;
    int m_lastAcked = -1;
    QString m_tlsText;           // the TLS layer's errors during this attempt
};

} // namespace rdsvc
