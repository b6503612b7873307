// rd5800d's whole run: the meter book, the poll, the CSV files, MQTT and HTTP.
// Lives on the main thread; the poll's line work runs on the link workers'
// threads and MQTT's network work on the client library's, so nothing here
// waits on a line or a broker.
#pragma once

#include "MeterBook.h"
#include "service/Payloads.h"
#include "ServiceOptions.h"

#include <QObject>
#include <memory>
#include <vector>

namespace rdsvc {

class HttpApi;
class InfluxWriter;
class MqttPublisher;
class Poller;
class RecordFile;

class Service : public QObject {
    Q_OBJECT
public:
    Service(const ServiceConfig &config, const QString &mqttPassword, QObject *parent = nullptr);
    ~Service() override;

    // Opens the record files and the HTTP port, then starts MQTT and the poll.
    // False with `error` when something cannot be opened (nothing was sent).
    bool start(QString *error);
    // SIGTERM: stops the poll, closes the files, publishes offline; finished(0) follows.
    void shutdown();
    // SIGHUP with a configuration that was read without a mistake: the poll
    // restarts with it. Meters with the same name, address and adapter keep
    // their state and their open CSV file; removed ones are published offline
    // and their discovery configs cleared; MQTT and HTTP restart only when
    // their own settings changed.
    void reload(const ServiceConfig &config, const QString &mqttPassword);

    const std::vector<MeterEntry> &meters() const { return m_meters; }

signals:
    // The exit status: --once ends with 0 or 1, a shutdown with 0.
    void finished(int status);

private:
    void onPolled(int index, const PollResult &result);
    void onOnceDone();
    bool startInflux(QString *error);
    void restartInfluxIfChanged(const InfluxConfig &before);
    void setFigures();
    void log(const QString &text) const;
    void startMqtt();
    void startPoller();
    bool startHttp(QString *error);
    void record(size_t index);
    QByteArray recordMetrics() const;
    QByteArray recordProblems() const;

    ServiceConfig m_config;
    QString m_mqttPassword;
    std::vector<MeterEntry> m_meters;
    std::vector<std::unique_ptr<RecordFile>> m_recorders;   // per meter, empty without --record-dir
    std::unique_ptr<Poller> m_poller;
    std::unique_ptr<MqttPublisher> m_mqtt;
    std::unique_ptr<HttpApi> m_http;
    std::unique_ptr<InfluxWriter> m_influx;
    bool m_shuttingDown = false;
    ServiceFigures m_figures;      // for /metrics: adapters, MQTT, version
};

// One line on stderr with the local time: the events that matter (LogWriter.h).
void LogLine(const QString &text);

} // namespace rdsvc
