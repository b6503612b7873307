#include "MqttPublisher.h"

#include "LogWriter.h"
#include "MqttLink.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace rdsvc {

namespace {

constexpr int kSweepMs = 5000;

DiscoverySettings Discovery(const ServiceConfig &config, const QString &version)
{
    DiscoverySettings d;
    d.haPrefix = config.haPrefix;
    d.topicPrefix = config.mqttPrefix;
    d.instance = config.instance;
    d.version = version;
    return d;
}

// Every discovery topic of `meters` (none without a Home Assistant prefix).
QSet<QString> ConfigTopics(const std::vector<MeterEntry> &meters, const DiscoverySettings &discovery)
{
    QSet<QString> topics;
    if (!discovery.haPrefix.isEmpty())
        for (const MeterEntry &m : meters)
            for (const auto &config : DiscoveryConfigs(m, discovery))
                topics.insert(config.first);
    return topics;
}

} // namespace

bool MqttPublisher::SameSettings(const ServiceConfig &a, const QString &passwordA, const ServiceConfig &b,
                                 const QString &passwordB)
{
    const MqttSettings x = LinkSettings(a, passwordA), y = LinkSettings(b, passwordB);
    return x.host == y.host && x.port == y.port && x.tls == y.tls && x.caFile == y.caFile && x.certFile == y.certFile
           && x.keyFile == y.keyFile && x.user == y.user && x.password == y.password && x.clientId == y.clientId
           && x.statusTopic == y.statusTopic && x.qos == y.qos && a.mqttPrefix == b.mqttPrefix
           && a.haPrefix == b.haPrefix && a.instance == b.instance && a.mqttRetain == b.mqttRetain
           && a.publishIntervalSeconds == b.publishIntervalSeconds;
}

MqttSettings MqttPublisher::LinkSettings(const ServiceConfig &config, const QString &password)
{
    MqttSettings s;
    s.host = config.mqttHost;
    s.port = config.mqttPort;
    s.tls = config.mqttTls;
    s.caFile = config.mqttCaFile;
    s.certFile = config.mqttCertFile;
    s.keyFile = config.mqttKeyFile;
    s.user = config.mqttUser;
    s.password = password;
    s.clientId = config.mqttClientId.isEmpty() ? QStringLiteral("rd5800d-") + config.instance : config.mqttClientId;
    s.statusTopic = config.mqttPrefix + QStringLiteral("/status");
    s.qos = config.mqttQos;
    return s;
}

MqttPublisher::MqttPublisher(const ServiceConfig &config, const QString &password, const QString &version,
                             const std::vector<MeterEntry> &meters, QObject *parent)
    : QObject(parent), m_config(config), m_meters(meters),
      m_link(std::make_unique<MqttLink>(LinkSettings(config, password))),
      m_saidAvailability(meters.size(), Availability::Unknown), m_saidStateTime(meters.size())
{
    m_discovery = Discovery(config, version);
    m_ownConfigs = ConfigTopics(meters, m_discovery);
    m_sweepEnd.setSingleShot(true);
    connect(&m_sweepEnd, &QTimer::timeout, this, [this] {
        for (const QString &filter : OwnDiscoveryFilters(m_discovery))
            m_link->unsubscribe(filter);
    });

    connect(m_link.get(), &MqttLink::connected, this, [this] {
        m_downSaid = false;
        LogLine(QCoreApplication::translate("rd5800d", "已连接 MQTT 服务器 %1:%2").arg(m_config.mqttHost).arg(m_config.mqttPort));
        publishAll();
        startSweep();
    });
    connect(m_link.get(), &MqttLink::disconnected, this, [this](const QString &reason, int retrySeconds) {
        m_sweepEnd.stop();
        // The first failure is an event; the retries after it only with --verbose.
        if (m_downSaid && !m_config.verbose)
            return;
        m_downSaid = true;
        LogLine(QCoreApplication::translate("rd5800d", "MQTT 服务器 %1:%2 不可用 (%3), %4 秒后重试")
                    .arg(m_config.mqttHost).arg(m_config.mqttPort).arg(reason).arg(retrySeconds));
    });
    connect(m_link.get(), &MqttLink::message, this, &MqttPublisher::onMessage);
}

MqttPublisher::~MqttPublisher() = default;

void MqttPublisher::start()
{
    if (!m_config.haPrefix.isEmpty())
        m_link->subscribe(m_config.haPrefix + QStringLiteral("/status"));
    m_link->start();
}

bool MqttPublisher::isConnected() const
{
    return m_link->isConnected();
}

void MqttPublisher::polled(int index, Change change, bool fresh)
{
    if (!m_link->isConnected())
        return;
    if (change != Change::None)
        publishAvailability(index);
    const MeterEntry &m = m_meters[size_t(index)];
    if (!fresh || !m.reading)
        return;
    const QDateTime &last = m_saidStateTime[size_t(index)];
    const qint64 intervalMs = qint64(m_config.publishIntervalSeconds * 1000);
    if (intervalMs > 0 && last.isValid() && last.msecsTo(m.reading->time) < intervalMs)
        return;
    publishState(index);
}

void MqttPublisher::publishAvailability(int index)
{
    const MeterEntry &m = m_meters[size_t(index)];
    if (m.availability == Availability::Unknown || m_saidAvailability[size_t(index)] == m.availability)
        return;
    m_link->publish(m_config.mqttPrefix + QLatin1Char('/') + m.spec.name + QStringLiteral("/availability"),
                    m.availability == Availability::Online ? "online" : "offline");
    m_saidAvailability[size_t(index)] = m.availability;
}

void MqttPublisher::publishState(int index)
{
    const MeterEntry &m = m_meters[size_t(index)];
    const QByteArray state = StateJsonText(m);
    if (state.isEmpty())
        return;
    m_link->publish(m_config.mqttPrefix + QLatin1Char('/') + m.spec.name + QStringLiteral("/state"),
                    state, m_config.mqttRetain);
    m_saidStateTime[size_t(index)] = m.reading->time;
}

// On every (re)connection and at Home Assistant's birth: the discovery configs,
// each meter's availability and its last state.
void MqttPublisher::publishAll()
{
    if (!m_config.haPrefix.isEmpty()) {
        if (!m_legacySwept) {
            m_legacySwept = true;
            for (const MeterEntry &m : m_meters)
                for (const QString &topic : LegacyDiscoveryTopics(m))
                    m_link->publish(topic, QByteArray());
        }
        for (const MeterEntry &m : m_meters)
            for (const auto &[topic, payload] : DiscoveryConfigs(m, m_discovery))
                m_link->publish(topic, payload);
    }
    for (size_t i = 0; i < m_meters.size(); ++i) {
        m_saidAvailability[i] = Availability::Unknown;
        publishAvailability(int(i));
        publishState(int(i));
    }
}

void MqttPublisher::onMessage(const QString &topic, const QByteArray &payload)
{
    if (m_config.haPrefix.isEmpty())
        return;
    if (topic == m_config.haPrefix + QStringLiteral("/status")) {
        if (payload == "online" && m_link->isConnected())
            publishAll();
        return;
    }
    // Under this instance's own node (the only subscription left): a config
    // that no configured meter owns is emptied, which removes its entity.
    if (!payload.isEmpty() && topic.endsWith(QStringLiteral("/config")) && !m_ownConfigs.contains(topic))
        m_link->publish(topic, QByteArray());
}

// For a few seconds: this instance's own discovery node, where onMessage()
// empties every retained config no configured meter owns.
void MqttPublisher::startSweep()
{
    if (m_config.haPrefix.isEmpty())
        return;
    for (const QString &filter : OwnDiscoveryFilters(m_discovery))
        m_link->subscribe(filter);
    m_sweepEnd.start(kSweepMs);
}

void MqttPublisher::metersChanged(const ServiceConfig &config, const QStringList &removed)
{
    m_config = config;
    for (const QString &name : removed)
        m_link->publish(m_config.mqttPrefix + QLatin1Char('/') + name + QStringLiteral("/availability"), "offline");
    const QSet<QString> own = ConfigTopics(m_meters, m_discovery);
    for (const QString &topic : std::as_const(m_ownConfigs))
        if (!own.contains(topic))
            m_link->publish(topic, QByteArray());
    m_ownConfigs = own;
    m_saidAvailability.assign(m_meters.size(), Availability::Unknown);
    m_saidStateTime.assign(m_meters.size(), QDateTime());
    m_legacySwept = false;   // added meters may have configs of the earlier layout
    // Not connected: what was not said here is published at the connection,
    // and the sweep that follows it empties what is left.
    if (m_link->isConnected()) {
        publishAll();
        m_sweepEnd.stop();
        for (const QString &filter : OwnDiscoveryFilters(m_discovery))
            m_link->unsubscribe(filter);   // subscribing again brings the retained configs again
        startSweep();
    }
}

void MqttPublisher::retire(const ServiceConfig &next)
{
    std::vector<MeterEntry> nextMeters;
    for (const MeterSpec &spec : next.meters) {
        MeterEntry entry;
        entry.spec = spec;
        nextMeters.push_back(entry);
    }
    // What the next connection publishes again stays: emptying it would make
    // Home Assistant drop the entity and make it anew, without the user's changes.
    const QSet<QString> kept = ConfigTopics(nextMeters, Discovery(next, m_discovery.version));
    for (const QString &topic : std::as_const(m_ownConfigs))
        if (!kept.contains(topic))
            m_link->publish(topic, QByteArray());
    shutdown();
}

void MqttPublisher::shutdown()
{
    for (const MeterEntry &m : m_meters)
        m_link->publish(m_config.mqttPrefix + QLatin1Char('/') + m.spec.name + QStringLiteral("/availability"), "offline");
    m_link->stop();   // publishes the service's own offline, waits a bounded time for delivery
}

} // namespace rdsvc
