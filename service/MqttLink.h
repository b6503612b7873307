// The connection to the MQTT broker through Paho's asynchronous C client: its
// network work runs on the library's own threads, so connecting, publishing and
// a lost broker never hold up the poll. Every message is QoS 1 and retained.
// The service's status topic is "online" while connected and "offline" as the
// connection's last will. A failed or lost connection is tried again after
// 1 s, doubling up to 60 s; connected() then asks for the retained topics anew.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>

namespace rdsvc {

struct MqttSettings {
    QString host;
    quint16 port = 1883;
    QString user;          // empty: no user name
    QString password;
    QString prefix;        // topics: PREFIX/status, PREFIX/NAME/...
};

class MqttLink : public QObject {
    Q_OBJECT
public:
    explicit MqttLink(const MqttSettings &settings, QObject *parent = nullptr);
    ~MqttLink() override;

    void start();
    // Queues a retained QoS 1 message; dropped while not connected (the caller
    // republishes what matters on connected()).
    void publish(const QString &topic, const QByteArray &payload);
    // Publishes the status "offline" and disconnects, waiting at most about two
    // seconds for the broker to take what was queued.
    void stop();
    bool isConnected() const { return m_connected.load(); }

    // The next wait before reconnecting after `current`: doubles, at most 60 s.
    static int NextBackoff(int current) { return current >= 30 ? 60 : current * 2; }

signals:
    void connected();
    void disconnected(const QString &reason, int retrySeconds);

private:
    void connectNow();
    void failed(const QString &reason);   // on the main thread
    void succeeded();                     // on the main thread

    // The library's callbacks (on its threads), defined beside the library's header.
    struct Callbacks;
    friend struct Callbacks;

    MqttSettings m_settings;
    void *m_client = nullptr;
    QByteArray m_statusTopic;
    QByteArray m_user;
    QByteArray m_password;
    QTimer m_retry;
    int m_backoff = 1;
    bool m_stopped = false;
    bool m_connecting = false;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_disconnected{false};   // set by the library when stop()'s disconnect is done
};

} // namespace rdsvc
