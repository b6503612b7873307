// The command line and the configuration file of rd5800d. The file holds the
// same keys as the long options, one "key = value" a line; the command line is
// read after it, so a single-valued option given on both takes the command
// line's value and every --meter adds to the file's meters. Nothing here opens
// a port or a socket: a bad line ends the program before anything is sent.
#pragma once

#include "InfluxOptions.h"
#include "link/LineSettings.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace rdsvc {

struct MeterSpec {
    QString name;       // letters, digits, '_' and '-': it goes into topics and labels
    uint8_t address = 0;
    QString adapter;    // the port name (serial device, tcp:// or modbus-tcp:// URL)
};

struct ServiceConfig {
    bool help = false;
    bool version = false;
    bool once = false;
    bool verbose = false;
    QString error;                       // set: print it, exit 2

    QStringList adapters;                // port names, in the order first named
    rdlink::LineSettings line;           // the same for every adapter
    std::vector<MeterSpec> meters;
    double intervalSeconds = 1.0;        // time between the starts of two polls of a meter

    QString mqttHost;                    // empty: no MQTT
    quint16 mqttPort = 0;
    QString mqttUser;
    QString mqttPasswordFile;
    QString mqttPrefix = QStringLiteral("rd5800");

    QHostAddress httpAddress;            // httpPort 0: no HTTP server
    quint16 httpPort = 0;

    QString recordDir;                   // empty: no recording

    InfluxConfig influx;                 // InfluxDB and the state directory (its queue)

    // --timeout MS: a gateway's reply margin; "MS@ADAPTER" for one adapter.
    uint32_t timeoutMs = 0;                              // 0: the link's default
    std::vector<std::pair<QString, uint32_t>> adapterTimeoutMs;   // adapter as written, margin
    // The margin for this adapter (0: the link's default).
    uint32_t timeoutMsFor(const QString &adapter) const;

    // MQTT and Home Assistant beyond the broker's address.
    bool mqttTls = false;                // mqtts://HOST:PORT
    QString mqttCaFile;                  // empty: the system's certificate authorities
    QString mqttCertFile;                // a client certificate, with its key file
    QString mqttKeyFile;
    QString mqttClientId;                // empty: rd5800d-<instance>
    int mqttQos = 1;
    bool mqttRetain = true;              // the state messages; status, availability and discovery always are
    QString instance;                    // letters, digits, '-'; empty: from the host name
    QString haPrefix = QStringLiteral("homeassistant");   // empty ("none"): no discovery
    double publishIntervalSeconds = 0;   // 0: each meter's state after every poll
};

// The instance name from a host name: letters, digits and '-' ("pi.local" -> "pi-local").
QString InstanceFromHostName(const QString &hostName);

// `arguments` as QCoreApplication::arguments() gives them, program name first.
// A --config file is read here; `readFile` stands in for the file system in tests
// (returns false when the file cannot be read).
using FileReader = bool (*)(const QString &path, QByteArray *contents);
ServiceConfig ParseServiceConfig(const QStringList &arguments, FileReader readFile = nullptr);

// Whether the configuration sends the readings anywhere (MQTT, HTTP, CSV
// files, ...): a service without any output is warned about at start.
bool HasOutput(const ServiceConfig &config);

QString ServiceHelpText();
// The one line a bad command line or configuration prints on stderr.
QString ServiceErrorText(const QString &error);

} // namespace rdsvc
