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
// offset) and the address; absent values are null. Empty before the first reading.
QJsonObject StateJson(const MeterEntry &meter);

// One object per meter: name, address, adapter, online, counts and "state".
QJsonObject MeterSummary(const MeterEntry &meter);
QByteArray MetersJson(const std::vector<MeterEntry> &meters);

// Topic and retained payload of each Home Assistant discovery config of `meter`.
std::vector<std::pair<QString, QByteArray>> DiscoveryConfigs(const MeterEntry &meter, const QString &prefix);

// The Prometheus text format (version 0.0.4) of every meter.
QByteArray MetricsText(const std::vector<MeterEntry> &meters);

struct InfluxStats;
// The InfluxDB writer's series for /metrics (written, queued, dropped, the time
// of the last error), and its line of /healthz with the last error's text.
QByteArray InfluxMetricsText(const InfluxStats &stats);
QByteArray InfluxHealthText(const InfluxStats &stats);

// The adapter name as it may appear in an identifier: "/dev/ttyUSB0" -> "dev_ttyUSB0".
QString AdapterId(const QString &adapter);

} // namespace rdsvc
