// What the service publishes to MQTT, on top of MqttLink: per meter its state
// and its availability, the service's status and Home Assistant's discovery.
//
// - Availability goes out when it changes, and all of it again at every
//   connection and when Home Assistant announces itself ("online" on
//   <ha-prefix>/status: it may have restarted with a broker that forgot).
// - The state goes out after each poll with a reading, or at most every
//   publish-interval seconds (by the readings' own times).
// - Discovery configs this instance published earlier and no configured meter
//   owns any more are emptied: for 5 s after each connection the service
//   subscribes to its own discovery node (rd5800_<instance>) and empties every
//   retained config there that it did not just publish. Configs of the layout
//   before instances (node named after the adapter) are emptied once per run.
#pragma once

#include "service/MeterBook.h"
#include "service/Payloads.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

namespace rdsvc {

class MqttLink;
struct MqttSettings;

class MqttPublisher : public QObject {
    Q_OBJECT
public:
    // `meters` must outlive the publisher.
    MqttPublisher(const ServiceConfig &config, const QString &password, const QString &version,
                  const std::vector<MeterEntry> &meters, QObject *parent = nullptr);
    ~MqttPublisher() override;

    void start();
    // After ApplyPoll: `fresh` when the poll brought a new reading.
    void polled(int index, Change change, bool fresh);
    // Every meter offline, the service's status offline, then disconnects.
    void shutdown();
    bool isConnected() const;
    // A reload changed the meter list (the vector given to the constructor) but
    // none of the settings SameSettings compares: the meters in `removed` are
    // said offline, configs no meter owns any more are emptied, and everything
    // is published again.
    void metersChanged(const ServiceConfig &config, const QStringList &removed);
    // A reload goes on with `next` on another connection: the discovery configs
    // `next` will not publish are emptied, then as shutdown().
    void retire(const ServiceConfig &next);
    // Whether a reload can keep this connection: broker, credentials, TLS,
    // client id, QoS, retain, topics, instance and the publish interval alike.
    static bool SameSettings(const ServiceConfig &a, const QString &passwordA, const ServiceConfig &b,
                             const QString &passwordB);

    // The settings MqttLink gets from the service's configuration.
    static MqttSettings LinkSettings(const ServiceConfig &config, const QString &password);

private:
    void publishAll();
    void publishAvailability(int index);
    void publishState(int index);
    void onMessage(const QString &topic, const QByteArray &payload);
    void startSweep();

    ServiceConfig m_config;
    DiscoverySettings m_discovery;
    const std::vector<MeterEntry> &m_meters;
    std::unique_ptr<MqttLink> m_link;
    std::vector<Availability> m_saidAvailability;   // what the broker holds, per meter
    std::vector<QDateTime> m_saidStateTime;         // the reading time of the last state sent
    QSet<QString> m_ownConfigs;                     // the discovery topics of the configured meters
    QTimer m_sweepEnd;                              // ends the look for stale configs
    bool m_legacySwept = false;
    bool m_downSaid = false;                        // the broker's loss was logged since the last connection
};

} // namespace rdsvc
