// InfluxDB 1.x (influxd) for the service's tests: on free loopback ports with
// its configuration and data in a folder of the test, started, stopped and
// started again on the same data; queries through its HTTP API.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QProcess>
#include <QString>

namespace svctest {

// GET or POST (when `post` is not null) on loopback, waiting up to 10 s; the
// body, with the status code in `status` (0: no answer).
QByteArray Http(const QString &url, int *status, const QByteArray *post = nullptr);

class InfluxServer {
public:
    // With `https`, a certificate for 127.0.0.1 made with openssl (certificate()).
    explicit InfluxServer(const QString &folder, bool https = false);
    ~InfluxServer();

    static bool installed();
    // Starts influxd and waits until it answers /ping.
    bool start();
    // SIGTERM, then waits for the end.
    void stop();

    QString url() const;
    // The PEM file of the server's certificate; empty without https or openssl.
    QString certificate() const { return m_certificate; }
    bool createDatabase(const QString &name);
    // The "values" rows of the first series of `query` (InfluxQL) in `db`, times
    // in milliseconds since the epoch.
    QJsonArray select(const QString &db, const QString &query);

private:
    QString m_folder;
    quint16 m_httpPort;
    quint16 m_rpcPort;
    bool m_https;
    QString m_certificate;
    QProcess m_process;
};

} // namespace svctest
