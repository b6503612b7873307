#include "Service.h"

#include "HttpApi.h"
#include "InfluxWriter.h"
#include "MqttPublisher.h"
#include "Payloads.h"
#include "Poller.h"
#include "RecordFile.h"
#include "SystemText.h"
#include "meter/recording/CsvFormat.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace rdsvc {

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
    RegisterServiceFigures(nullptr);
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
            auto recorder = std::make_unique<RecordFile>(QDir(m_config.recordDir).filePath(m.spec.name + QStringLiteral(".csv")));
            if (!recorder->open(error))
                return false;
            m_recorders.push_back(std::move(recorder));
        }
    }
    if (!m_config.once && !HasOutput(m_config))
        log(QCoreApplication::translate("rd5800d", "注意: 没有配置任何输出 (mqtt, http, record-dir, influx), 读数只在内存中"));
    if (!m_config.once && m_config.httpPort != 0 && !startHttp(error))
        return false;
    if (!m_config.once && !m_config.influx.url.isEmpty() && !startInflux(error))
        return false;
    if (!m_config.once && !m_config.mqttHost.isEmpty())
        startMqtt();
    m_figures.version = QCoreApplication::applicationVersion();
    setFigures();
    RegisterServiceFigures(&m_figures);
    startPoller();
    return true;
}

// /metrics's figures after a start or a reload: the adapters in use (a kept
// one keeps its count of port errors) and whether MQTT is configured.
void Service::setFigures()
{
    std::vector<ServiceFigures::Adapter> adapters;
    for (const QString &name : m_config.adapters) {
        ServiceFigures::Adapter adapter{name, false, 0};
        for (const ServiceFigures::Adapter &before : m_figures.adapters)
            if (before.name == name)
                adapter = before;
        adapters.push_back(adapter);
    }
    m_figures.adapters = std::move(adapters);
    m_figures.mqttConfigured = m_mqtt != nullptr;
    m_figures.mqttConnected = m_mqtt && m_mqtt->isConnected();
}

bool Service::startHttp(QString *error)
{
    HttpExtras extras;
    extras.problems = [this] { return recordProblems(); };
    extras.metrics = [this] { return recordMetrics() + (m_influx ? InfluxMetricsText(m_influx->stats()) : QByteArray()); };
    extras.notes = [this] { return m_influx ? InfluxHealthText(m_influx->stats()) : QByteArray(); };
    m_http = std::make_unique<HttpApi>(m_meters, extras);
    if (!m_http->listen(m_config.httpAddress, m_config.httpPort, error)) {
        m_http.reset();
        return false;
    }
    log(QCoreApplication::translate("rd5800d", "HTTP 服务: http://%1:%2/metrics").arg(m_config.httpAddress.toString()).arg(m_config.httpPort));
    return true;
}

void Service::startMqtt()
{
    m_mqtt = std::make_unique<MqttPublisher>(m_config, m_mqttPassword, QCoreApplication::applicationVersion(), m_meters);
    m_mqtt->start();
}

void Service::startPoller()
{
    m_poller = std::make_unique<Poller>(m_config, m_meters);
    connect(m_poller.get(), &Poller::polled, this, &Service::onPolled);
    connect(m_poller.get(), &Poller::portFailed, this, [this](const QString &adapter, const QString &text) {
        for (ServiceFigures::Adapter &a : m_figures.adapters)
            if (a.name == adapter) {
                a.up = false;
                ++a.portErrors;
            }
        log(text);
    });
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
    if (fresh && !m_recorders.empty())
        record(size_t(index));
    for (ServiceFigures::Adapter &a : m_figures.adapters)
        if (a.name == m.spec.adapter)
            a.up = !result.refresh.portLost;
    m_figures.mqttConnected = m_mqtt && m_mqtt->isConnected();
    if (m_mqtt)
        m_mqtt->polled(index, change, fresh);
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
    return m_influx->start(error);
}

// The reading's row into the meter's file. A failure is logged when it starts
// and when writing works again, not at every row; the rows between are counted.
void Service::record(size_t index)
{
    RecordFile &file = *m_recorders[index];
    switch (file.append(rdrec::CsvRow(*m_meters[index].reading))) {
    case RecordFile::Outcome::Failed:
        log(file.failureText());
        break;
    case RecordFile::Outcome::Resumed:
        log(QCoreApplication::translate("rd5800d", "记录文件 %1 又可以写入了, 继续记录 (至今共 %2 行未能写入)")
                .arg(QDir::toNativeSeparators(file.path())).arg(file.lostRows()));
        break;
    case RecordFile::Outcome::Written:
    case RecordFile::Outcome::StillFailing:
        break;
    }
}

// With --record-dir, /metrics tells per meter whether its file takes the rows
// and how many could not be written.
QByteArray Service::recordMetrics() const
{
    if (m_recorders.empty())
        return {};
    QByteArray errors = "# HELP rd5800_record_errors_total Rows that could not be written to the meter's CSV file.\n"
                        "# TYPE rd5800_record_errors_total counter\n";
    QByteArray ok = "# HELP rd5800_recording_ok 1 while the meter's CSV file takes its rows, 0 while writing it fails.\n"
                    "# TYPE rd5800_recording_ok gauge\n";
    for (size_t i = 0; i < m_recorders.size() && i < m_meters.size(); ++i) {
        const QByteArray label = "{meter=\"" + m_meters[i].spec.name.toUtf8() + "\"} ";
        errors += "rd5800_record_errors_total" + label + QByteArray::number(m_recorders[i]->lostRows()) + '\n';
        ok += "rd5800_recording_ok" + label + (m_recorders[i]->failing() ? "0\n" : "1\n");
    }
    return errors + ok;
}

// One line per meter whose file is failing, for /healthz (which then answers 503).
QByteArray Service::recordProblems() const
{
    QByteArray lines;
    for (size_t i = 0; i < m_recorders.size() && i < m_meters.size(); ++i)
        if (m_recorders[i]->failing())
            lines += "recording " + m_meters[i].spec.name.toUtf8() + " failing: "
                     + SystemReasonEnglish(m_recorders[i]->lastError()).toUtf8() + " ("
                     + QByteArray::number(m_recorders[i]->lostRows()) + " rows not written)\n";
    return lines;
}

void Service::onOnceDone()
{
    QJsonDocument doc(QJsonDocument::fromJson(MetersJson(m_meters)));
    const QByteArray text = doc.toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
    bool all = true;
    for (const MeterEntry &m : m_meters) {
        all = all && m.lastStatus == rdov::MeterStatus::Ok;
        if (m.lastStatus != rdov::MeterStatus::Ok) {
            const QByteArray line = QCoreApplication::translate("rd5800d", "rd5800d: 仪表 %1 (地址 %2, %3) 未应答\n")
                                        .arg(m.spec.name).arg(m.spec.address).arg(m.spec.adapter).toUtf8();
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        }
    }
    std::fflush(stderr);
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
    if (m_mqtt)
        m_mqtt->shutdown();   // every meter and the service offline, a bounded wait for delivery
    emit finished(0);
}

void Service::reload(const ServiceConfig &next, const QString &mqttPassword)
{
    if (m_shuttingDown || m_config.once)
        return;
    // The poll ends first (its line work finishes, its ports close), so that
    // the book can change under no one; results still queued are dropped with it.
    m_poller.reset();

    const bool sameRecordDir = next.recordDir == m_config.recordDir;
    if (!next.recordDir.isEmpty() && !QDir().mkpath(next.recordDir))
        log(QCoreApplication::translate("rd5800d", "无法创建记录文件夹 %1").arg(next.recordDir));
    // Which old meter each new one continues: same name, address and adapter.
    std::vector<int> from(next.meters.size(), -1);
    std::vector<bool> kept(m_meters.size(), false);
    for (size_t n = 0; n < next.meters.size(); ++n)
        for (size_t i = 0; i < m_meters.size(); ++i) {
            const MeterSpec &old = m_meters[i].spec;
            const MeterSpec &spec = next.meters[n];
            if (old.name == spec.name && old.address == spec.address && old.adapter == spec.adapter) {
                from[n] = int(i);
                kept[i] = true;
                break;
            }
        }
    QStringList removed;
    for (const MeterEntry &m : m_meters)
        if (std::none_of(next.meters.begin(), next.meters.end(), [&m](const MeterSpec &s) { return s.name == m.spec.name; }))
            removed << m.spec.name;

    // A change of any MQTT or Home Assistant setting ends this connection: it
    // empties the discovery configs the next one will not publish, says every
    // meter offline and goes; a new one starts below. Otherwise the same
    // connection goes on with the new meters (MqttPublisher::metersChanged).
    if (m_mqtt && !MqttPublisher::SameSettings(m_config, m_mqttPassword, next, mqttPassword)) {
        m_mqtt->retire(next);
        m_mqtt.reset();
    }

    std::vector<MeterEntry> meters;
    std::vector<std::unique_ptr<RecordFile>> recorders;
    for (size_t n = 0; n < next.meters.size(); ++n) {
        MeterEntry entry;
        entry.spec = next.meters[n];
        std::unique_ptr<RecordFile> file;
        if (from[n] >= 0) {
            const size_t i = size_t(from[n]);
            entry = std::move(m_meters[i]);
            if (sameRecordDir && i < m_recorders.size())
                file = std::move(m_recorders[i]);   // stays open: no row of a kept meter is lost
        }
        if (!file && !next.recordDir.isEmpty()) {
            file = std::make_unique<RecordFile>(QDir(next.recordDir).filePath(entry.spec.name + QStringLiteral(".csv")));
            QString error;
            if (!file->open(&error))
                log(error);   // tried again at each row
        }
        meters.push_back(std::move(entry));
        if (file)
            recorders.push_back(std::move(file));
    }
    const int keptCount = int(std::count(kept.begin(), kept.end(), true));
    const bool httpChanged = next.httpAddress != m_config.httpAddress || next.httpPort != m_config.httpPort;
    if (httpChanged)
        m_http.reset();

    m_meters = std::move(meters);   // the same vector object: the HTTP answers and the publisher read it
    m_recorders = std::move(recorders);
    const InfluxConfig influxBefore = m_config.influx;
    m_config = next;
    m_mqttPassword = mqttPassword;

    log(QCoreApplication::translate("rd5800d", "已重新读取配置: %1 台仪表 (保留 %2 台, 新增或更改 %3 台, 移除 %4 台)")
            .arg(m_meters.size()).arg(keptCount).arg(int(m_meters.size()) - keptCount).arg(removed.size()));
    if (httpChanged && m_config.httpPort != 0) {
        QString error;
        if (!startHttp(&error))
            log(error);
    }
    if (!m_config.mqttHost.isEmpty()) {
        if (!m_mqtt)
            startMqtt();
        else
            m_mqtt->metersChanged(m_config, removed);
    }
    restartInfluxIfChanged(influxBefore);
    setFigures();
    startPoller();
}

// A change of any InfluxDB option starts the writer anew: the old one puts what it has not sent into the queue
// on disk, and the new one, reading the same queue, sends it first.
void Service::restartInfluxIfChanged(const InfluxConfig &before)
{
    const InfluxConfig &now = m_config.influx;
    const bool same = now.url == before.url && now.database == before.database && now.user == before.user
                      && now.passwordFile == before.passwordFile && now.tokenFile == before.tokenFile
                      && now.measurement == before.measurement && now.queueSize == before.queueSize
                      && now.stateDir == before.stateDir;
    if (same && m_influx)
        return;
    if (m_influx) {
        m_influx->stop();
        m_influx.reset();
    }
    if (now.url.isEmpty())
        return;
    QString error;
    if (!startInflux(&error)) {
        log(error);
        m_influx.reset();
    }
}

} // namespace rdsvc
