// The service's HTTP port (Qt HttpServer): GET /metrics (Prometheus text
// format), GET /api/meters (JSON of the last readings), GET /healthz. Answers
// from the meter book on the main thread; never touches a line.
#pragma once

#include "InfluxLine.h"
#include "MeterBook.h"

#include <QHostAddress>
#include <functional>
#include <memory>
#include <vector>

class QHttpServer;

namespace rdsvc {

class HttpApi {
public:
    explicit HttpApi(const std::vector<MeterEntry> &meters);
    ~HttpApi();

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_port; }
    // The InfluxDB writer's state, added to /metrics and /healthz.
    void setInfluxStats(std::function<InfluxStats()> stats) { m_influxStats = std::move(stats); }

private:
    const std::vector<MeterEntry> &m_meters;
    std::unique_ptr<QHttpServer> m_server;
    quint16 m_port = 0;
    std::function<InfluxStats()> m_influxStats;
};

} // namespace rdsvc
