#include "Service.h"

#include "HttpApi.h"
#include "InfluxWriter.h"
#include "MqttLink.h"
#include "Payloads.h"
#include "Poller.h"
#include "meter/recording/CsvRecorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QTimer>

#include <cstdio>

namespace rdsvc {

void LogLine(const QString &text)
{
    const QByteArray line = QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + ' ' + text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

Service::Service(const ServiceConfig &config, const QString &mqttPassword, QObject *parent)
    : QObject(parent), m_config(config), m_mqttPassword(mqttPassword)
{
    qRegisterMetaType<rdsvc::PollResult>("rdsvc::PollResult");
    for (const MeterSpec &spec : config.meters) {
        MeterEntry e;
        e.spec = spec;
        m_meters.push_back(e);
    }
}

Service::~Service()
{
    if (m_poller)
        m_poller->stop();
}

void Service::log(const QString &text) const
{
    LogLine(text);
}

bool Service::start(QString *error)
{
    if (!m_config.recordDir.isEmpty()) {
        if (!QDir().mkpath(m_config.recordDir)) {
            *error = QCoreApplication::translate("rd5800d", "无法创建记录文件夹 %1").arg(m_config.recordDir);
            return false;
        }
        for (const MeterEntry &m : m_meters) {
            auto recorder = std::make_unique<rdrec::CsvRecorder>();
            const QString path = QDir(m_config.recordDir).filePath(m.spec.name + QStringLiteral(".csv"));
            if (!recorder->open(path, error))
                return false;
            m_recorders.push_back(std::move(recorder));
        }
    }
    if (!m_config.once && m_config.httpPort != 0) {
        m_http = std::make_unique<HttpApi>(m_meters);
        if (!m_http->listen(m_config.httpAddress, m_config.httpPort, error))
            return false;
        log(QCoreApplication::translate("rd5800d", "HTTP 服务: http://%1:%2/metrics").arg(m_config.httpAddress.toString()).arg(m_config.httpPort));
    }
    if (!m_config.once && !m_config.influx.url.isEmpty() && !startInflux(error))
        return false;
    if (!m_config.once && !m_config.mqttHost.isEmpty()) {
        MqttSettings s;
        s.host = m_config.mqttHost;
        s.port = m_config.mqttPort;
        s.user = m_config.mqttUser;
        s.password = m_mqttPassword;
        s.prefix = m_config.mqttPrefix;
        m_mqtt = std::make_unique<MqttLink>(s);
        connect(m_mqtt.get(), &MqttLink::connected, this, [this] {
            m_mqttDownSaid = false;
            log(QCoreApplication::translate("rd5800d", "已连接 MQTT 服务器 %1:%2").arg(m_config.mqttHost).arg(m_config.mqttPort));
            publishAll();
        });
        connect(m_mqtt.get(), &MqttLink::disconnected, this, [this](const QString &reason, int retrySeconds) {
            // The first failure is an event; the retries after it only with --verbose.
            if (m_mqttDownSaid && !m_config.verbose)
                return;
            m_mqttDownSaid = true;
            log(QCoreApplication::translate("rd5800d", "MQTT 服务器 %1:%2 不可用 (%3), %4 秒后重试")
                    .arg(m_config.mqttHost).arg(m_config.mqttPort).arg(reason).arg(retrySeconds));
        });
        m_mqtt->start();
    }

    m_poller = std::make_unique<Poller>(m_config, m_meters);
    connect(m_poller.get(), &Poller::polled, this, &Service::onPolled);
    connect(m_poller.get(), &Poller::portFailed, this,
            [this](const QString &, const QString &text) { log(text); });
    connect(m_poller.get(), &Poller::portOpened, this,
            [this](const QString &adapter, const QString &) { log(QCoreApplication::translate("rd5800d", "%1 已重新打开").arg(adapter)); });
    connect(m_poller.get(), &Poller::allDone, this, &Service::onOnceDone);
    if (!m_config.once) {
        QStringList names;
        for (const MeterEntry &m : m_meters)
            names << QStringLiteral("%1=%2@%3").arg(m.spec.name).arg(m.spec.address).arg(m.spec.adapter);
        log(QCoreApplication::translate("rd5800d", "开始轮询 %1 台仪表 (%2, 每 %3 秒): %4")
                .arg(m_meters.size()).arg(rdlink::SettingsText(m_config.line))
                .arg(m_config.intervalSeconds).arg(names.join(QLatin1Char(' '))));
    }
    m_poller->start(m_config.once);
    return true;
}

void Service::onPolled(int index, const PollResult &result)
{
    if (m_shuttingDown)
        return;
    MeterEntry &m = m_meters[size_t(index)];
    const Change change = ApplyPoll(m, result);
    if (change == Change::Online && !m_config.once)
        log(QCoreApplication::translate("rd5800d", "仪表 %1 (地址 %2) 在线").arg(m.spec.name).arg(m.spec.address));
    if (change == Change::Offline && !m_config.once)
        log(QCoreApplication::translate("rd5800d", "仪表 %1 (地址 %2) 连续 %3 次未应答, 离线").arg(m.spec.name).arg(m.spec.address).arg(kMissedPollsOffline));
    if (m_config.verbose)
        log(QStringLiteral("%1: status %2, %3/%4").arg(m.spec.name).arg(int(result.refresh.status))
                .arg(result.refresh.replies).arg(result.refresh.requests));
    const bool fresh = result.refresh.status == rdov::MeterStatus::Ok && m.reading;
    if (fresh && !m_recorders.empty()) {
        rdrec::CsvRecorder &rec = *m_recorders[size_t(index)];
        QString error;
        if (rec.isOpen() && !rec.append(*m.reading, &error))
            log(error);
    }
    if (m_mqtt && (fresh || change != Change::None))
        publishMeter(m);
    if (fresh && m_influx)
        m_influx->add(InfluxPoint(m_config.influx.measurement, m));
}

// InfluxDB: what an earlier run left in the queue goes first.
bool Service::startInflux(QString *error)
{
    InfluxSettings settings;
    if (!MakeInfluxSettings(m_config.influx, int(m_meters.size()), m_config.intervalSeconds, &settings, error))
        return false;
    m_influx = std::make_unique<InfluxWriter>(settings);
    connect(m_influx.get(), &InfluxWriter::logLine, this, [this](const QString &text) { log(text); });
    log(QCoreApplication::translate("rd5800d", "InfluxDB: %1, 数据库 %2, 队列 %3 (最多 %4 点)")
            .arg(m_influx->writeUrl().adjusted(QUrl::RemoveQuery).toString(), m_config.influx.database,
                 settings.queueFolder).arg(settings.queueCapacity));
    if (!m_influx->start(error))
        return false;
    if (m_http)
        m_http->setInfluxStats([this] { return m_influx->stats(); });
    return true;
}

void Service::publishMeter(const MeterEntry &m)
{
    const QString base = m_config.mqttPrefix + QLatin1Char('/') + m.spec.name;
    if (m.availability != Availability::Unknown)
        m_mqtt->publish(base + QStringLiteral("/availability"),
                        m.availability == Availability::Online ? "online" : "offline");
    const QJsonObject state = StateJson(m);
    if (!state.isEmpty())
        m_mqtt->publish(base + QStringLiteral("/state"), QJsonDocument(state).toJson(QJsonDocument::Compact));
}

// On every (re)connection: the discovery configs, the service's status, each
// meter's availability and its last state, all retained.
void Service::publishAll()
{
    if (!m_mqtt)
        return;
    for (const MeterEntry &m : m_meters)
        for (const auto &[topic, payload] : DiscoveryConfigs(m, m_config.mqttPrefix))
            m_mqtt->publish(topic, payload);
    for (const MeterEntry &m : m_meters)
        publishMeter(m);
}

void Service::onOnceDone()
{
    QJsonDocument doc(QJsonDocument::fromJson(MetersJson(m_meters)));
    const QByteArray text = doc.toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    bool all = true;
    for (const MeterEntry &m : m_meters)
        all = all && m.lastStatus == rdov::MeterStatus::Ok;
    for (auto &r : m_recorders)
        r->close();
    emit finished(all ? 0 : 1);
}

void Service::shutdown()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    log(QCoreApplication::translate("rd5800d", "收到停止信号, 正在结束"));
    if (m_poller)
        m_poller->stop();
    for (auto &r : m_recorders)
        r->close();
    if (m_influx)
        m_influx->stop();   // what is not sent yet waits in the queue for the next start
    if (m_mqtt) {
        for (const MeterEntry &m : m_meters)
            m_mqtt->publish(m_config.mqttPrefix + QLatin1Char('/') + m.spec.name + QStringLiteral("/availability"), "offline");
        m_mqtt->stop();   // publishes the service's own offline, waits a bounded time for delivery
    }
    emit finished(0);
}

} // namespace rdsvc
