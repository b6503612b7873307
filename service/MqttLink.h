// The connection to the MQTT broker through Paho's asynchronous C client: its
// network work runs on the library's own threads, so connecting, publishing and
// a lost broker never hold up the poll. MQTT 3.1.1 only (every broker in use
// speaks it), so that a broker that does not answer is reported after one
// connect timeout (5 s; the library checks it every 3 s, so 5 to 8 s) instead
// of two, one per protocol version. The
// service's status topic is "online" while connected and "offline" as the
// connection's last will. A failed or lost connection is tried again as
// MqttRetry says; connected() then asks for the retained topics anew.
//
// The library's callbacks never hold a pointer to the link: they carry a
// number that a process-wide table maps to the live link under a mutex, and
// the destructor takes the link out of the table before it destroys the
// client, so a callback that comes late finds nothing and does nothing.
#pragma once

#include "service/MqttRetry.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <atomic>

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
    // Queues a message at the settings' QoS; dropped while not connected (the
    // caller republishes what matters on connected()).
    void publish(const QString &topic, const QByteArray &payload, bool retained = true);
    // Subscribed at every connection from now on (at once when connected).
    void subscribe(const QString &filter);
    void unsubscribe(const QString &filter);
    // Publishes the status "offline" and disconnects, waiting at most about two
    // seconds for the broker to take what was queued. A connect in flight is
    // waited for (at most its timeout and 4 s) so that the client is not
    // destroyed under it.
    void stop();
    bool isConnected() const { return m_connected.load(); }

signals:
    void connected();
    void disconnected(const QString &reason, int retrySeconds);
    void message(const QString &topic, const QByteArray &payload);

private:
    void connectNow();
    void failed(const QString &reason);   // on the main thread
    void succeeded();                     // on the main thread

    // The library's callbacks (on its threads), defined beside the library's header.
    struct Callbacks;
    friend struct Callbacks;

    MqttSettings m_settings;
    quintptr m_token = 0;            // this link's number in the table of live links
    void *m_client = nullptr;
    QByteArray m_statusTopic;
    QByteArray m_user;
    QByteArray m_password;
    QByteArray m_caFile, m_certFile, m_keyFile;
    QStringList m_filters;
    QTimer m_retryTimer;
    rdlink::SteadyClock m_clock;
    MqttRetry m_retry{m_clock};
    bool m_stopped = false;
    bool m_connecting = false;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_inFlight{false};       // a connect was sent and its outcome has not come
    std::atomic<bool> m_libraryUp{false};      // the library reported the connection up, not yet down
    std::atomic<bool> m_disconnected{false};   // stop()'s disconnect is done
    QString m_tlsError;                        // the TLS layer's last words (under the table's mutex)
};

} // namespace rdsvc
