#include "Service.h"

#include "HttpApi.h"
#include "MqttPublisher.h"
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
    if (!m_config.once && !m_config.mqttHost.isEmpty()) {
        m_mqtt = std::make_unique<MqttPublisher>(m_config, m_mqttPassword, QCoreApplication::applicationVersion(), m_meters);
        m_mqtt->start();
    }
    m_figures.version = QCoreApplication::applicationVersion();
    m_figures.mqttConfigured = m_mqtt != nullptr;
    for (const QString &adapter : m_config.adapters)
        m_figures.adapters.push_back({adapter, false, 0});
    RegisterServiceFigures(&m_figures);

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
    for (ServiceFigures::Adapter &a : m_figures.adapters)
        if (a.name == m.spec.adapter)
            a.up = !result.refresh.portLost;
    m_figures.mqttConnected = m_mqtt && m_mqtt->isConnected();
    if (m_mqtt)
        m_mqtt->polled(index, change, fresh);
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
    if (m_mqtt)
        m_mqtt->shutdown();   // every meter and the service offline, a bounded wait for delivery
    emit finished(0);
}

} // namespace rdsvc
