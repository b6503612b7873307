#include "HttpApi.h"

#include "Payloads.h"

#include <QCoreApplication>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QJsonDocument>

namespace rdsvc {

HttpApi::HttpApi(const std::vector<MeterEntry> &meters) : m_meters(meters), m_server(std::make_unique<QHttpServer>())
{
    m_server->route(QStringLiteral("/metrics"), QHttpServerRequest::Method::Get, [this] {
        return QHttpServerResponse(QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                                   MetricsText(m_meters) + (m_influxStats ? InfluxMetricsText(m_influxStats()) : QByteArray()));
    });
    m_server->route(QStringLiteral("/api/meters"), QHttpServerRequest::Method::Get, [this] {
        return QHttpServerResponse(QByteArrayLiteral("application/json"), MetersJson(m_meters));
    });
    // Healthy while at least one meter answered its last poll: a service that
    // reaches none of its meters is of no use to whoever watches it.
    m_server->route(QStringLiteral("/healthz"), QHttpServerRequest::Method::Get, [this] {
        int online = 0;
        for (const MeterEntry &m : m_meters)
            online += m.availability == Availability::Online ? 1 : 0;
        const QByteArray body = QByteArray::number(online) + '/' + QByteArray::number(qsizetype(m_meters.size()))
                                + " meters online\n" + (m_influxStats ? InfluxHealthText(m_influxStats()) : QByteArray());
        return QHttpServerResponse(QByteArrayLiteral("text/plain"), body,
                                   online > 0 ? QHttpServerResponse::StatusCode::Ok
                                              : QHttpServerResponse::StatusCode::ServiceUnavailable);
    });
}

HttpApi::~HttpApi() = default;

bool HttpApi::listen(const QHostAddress &address, quint16 port, QString *error)
{
    m_port = m_server->listen(address, port);
    if (m_port == 0) {
        *error = QCoreApplication::translate("rd5800d", "无法在 %1:%2 上提供 HTTP 服务 (端口被占用或无权使用)")
                     .arg(address.toString()).arg(port);
        return false;
    }
    return true;
}

} // namespace rdsvc
