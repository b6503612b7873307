// The texts the service hands out about its meters: the MQTT state JSON (also
// the body of /api/meters and the output of --once), Home Assistant's discovery
// configs and the Prometheus exposition of /metrics.
#pragma once

#include "MeterBook.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <utility>
#include <vector>

namespace rdsvc {

// The last reading with every quantity in fixed units, its time (ISO 8601 with
// offset) and the address; absent values are null. Empty before the first
// reading. The keys of earlier releases (`voltage_total`, ...) are still there
// beside the new ones for one release.
QJsonObject StateJson(const MeterEntry &meter);
// The same object as compact JSON text, byte for byte what QJsonDocument writes
// for StateJson(), written directly: it is made for every published reading.
// Empty before the first reading.
QByteArray StateJsonText(const MeterEntry &meter);

// One object per meter: name, address, adapter, online, counts and "state".
QJsonObject MeterSummary(const MeterEntry &meter);
QByteArray MetersJson(const std::vector<MeterEntry> &meters);

// What discovery needs beside the meter.
struct DiscoverySettings {
    QString haPrefix = QStringLiteral("homeassistant");
    QString topicPrefix = QStringLiteral("rd5800");   // the state and availability topics
    QString instance;                                  // letters, digits and '-'
    QString version;                                   // the service's
};

// "rd5800_<instance>_<meter>": the device's identifier and the start of every
// unique_id. Independent of the adapter, the baud rate and the topic prefix.
QString DeviceId(const QString &instance, const QString &meter);
// "<ha>/+/rd5800_<instance>/+/config" for each component: every config this
// instance may have published, whatever the meters.
QStringList OwnDiscoveryFilters(const DiscoverySettings &settings);

// Topic and retained payload of each Home Assistant discovery config of `meter`:
// "<ha>/<component>/rd5800_<instance>/<meter>_<key>/config".
std::vector<std::pair<QString, QByteArray>> DiscoveryConfigs(const MeterEntry &meter, const DiscoverySettings &settings);
// The config topics of the layout before instances (adapter and address in the
// node id), to be emptied once so that Home Assistant drops those entities.
QStringList LegacyDiscoveryTopics(const MeterEntry &meter);

// ASCII for an entity id: lower case, every other character '_' ("Main-1" -> "main_1").
QString EntitySlug(const QString &text);

// What the service knows beside its meters, for /metrics.
struct ServiceFigures {
    QString version;
    struct Adapter {
        QString name;
        bool up = false;          // the last poll on it reached the port
        quint64 portErrors = 0;   // times it could not be opened or was lost
    };
    std::vector<Adapter> adapters;
    bool mqttConfigured = false;
    bool mqttConnected = false;
};

// The Prometheus text format (version 0.0.4) of every meter and of `figures`.
// A meter that is offline keeps its `up`, its counters and the time of its
// last reading, but not its gauges: they would draw its last values as if new.
QByteArray MetricsText(const std::vector<MeterEntry> &meters, const ServiceFigures *figures);
// The same with the figures the running service registered (none in tests
// that register none): the form the HTTP layer calls.
QByteArray MetricsText(const std::vector<MeterEntry> &meters);
void RegisterServiceFigures(const ServiceFigures *figures);

struct InfluxStats;
// The InfluxDB writer's series for /metrics (written, queued, dropped, the time
// of the last error), and its line of /healthz with the last error's text.
QByteArray InfluxMetricsText(const InfluxStats &stats);
QByteArray InfluxHealthText(const InfluxStats &stats);

// The adapter name as it may appear in an identifier: "/dev/ttyUSB0" -> "dev_ttyUSB0".
QString AdapterId(const QString &adapter);

} // namespace rdsvc
