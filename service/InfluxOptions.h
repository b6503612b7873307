// The InfluxDB options of rd5800d (`influx`, `influx-db`, `influx-user`,
// `influx-password-file`, `influx-token-file`, `influx-measurement`,
// `influx-queue-size`) and `state-dir`, where the queue of unsent points lives.
// Parsed and checked here without a socket; ServiceOptions calls in.
#pragma once

#include <QString>
#include <QUrl>

namespace rdsvc {

struct InfluxConfig {
    QUrl url;                  // empty: no InfluxDB
    QString database;          // 1.x database, or a 2.x/3.x bucket through /write
    QString user;              // 1.x: user and password (HTTP basic authentication)
    QString passwordFile;
    QString tokenFile;         // 2.x/3.x: "Authorization: Token ..."
    QString measurement = QStringLiteral("rd5800");
    qint64 queueSize = 0;      // points; 0: 24 hours of every meter at its interval
    QString stateDir;          // empty: StateDirectory()'s choice
};

// True when `name` is one of the options above.
bool IsInfluxOption(const QString &name);
// Takes one of them into `c`; the mistake, or an empty string.
QString ApplyInfluxSetting(const QString &name, const QString &value, InfluxConfig &c);
// What they must say together.
QString CheckInflux(const InfluxConfig &c);
// Room for 24 hours of `meters` meters polled every `intervalSeconds`.
qint64 DefaultQueueSize(int meters, double intervalSeconds);

} // namespace rdsvc
