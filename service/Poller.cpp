#include "Poller.h"

#include "link/LinePort.h"
#include "meter/acquisition/Switching.h"

#include <QCoreApplication>

namespace rdsvc {

struct Poller::Adapter {
    QString name;
    std::unique_ptr<rdlink::SerialPort> port;
    rdlink::SteadyClock clock;
    std::unique_ptr<rdlink::LinkWorker> worker;
    std::vector<int> meters;
    QTimer timer;
    QElapsedTimer started;
    bool failed = false;   // the last open failed or the port was lost: said once
};

namespace {

// The six input counters.
void ReadCounters(rdlink::Link &link, uint8_t address, PollResult &out)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.endOnReply = true;
    const rdlink::ExchangeResult r =
        link.Exchange(rdlink::BuildRead(address, rdacq::kCounterRegister, rdacq::kCounterCount), options);
    ++out.counterRequests;
    if (r.ok() && r.dataLength() >= 2 * rdacq::kCounterCount) {
        ++out.counterReplies;
        out.counters = rdacq::DecodeCounters(rdacq::Registers(r.data(), size_t(r.dataLength())));
    } else {
        out.counterTimeout = r.status == rdlink::ExchangeStatus::NothingReceived;
        out.counterPortLost = r.status == rdlink::ExchangeStatus::PortLost;
    }
}

} // namespace

Poller::Poller(const ServiceConfig &config, const std::vector<MeterEntry> &meters, QObject *parent)
    : QObject(parent), m_line(config.line), m_intervalMs(int(config.intervalSeconds * 1000)), m_meters(meters)
{
    for (const QString &name : config.adapters) {
        auto a = std::make_unique<Adapter>();
        a->name = name;
        auto made = rdlink::MakePort(name);   // the name was checked when the options were read
        a->port = std::move(std::get<std::unique_ptr<rdlink::SerialPort>>(made));
        a->port->setSettings(m_line);
        if (const uint32_t margin = config.timeoutMsFor(name))
            a->port->setNetworkMarginMs(margin);
        a->worker = std::make_unique<rdlink::LinkWorker>(*a->port, a->clock);
        for (size_t i = 0; i < meters.size(); ++i)
            if (meters[i].spec.adapter == name)
                a->meters.push_back(int(i));
        a->timer.setSingleShot(true);
        Adapter *raw = a.get();
        connect(&a->timer, &QTimer::timeout, this, [this, raw] { postCycle(*raw); });
        m_adapters.push_back(std::move(a));
    }
}

Poller::~Poller()
{
    stop();
}

void Poller::start(bool once)
{
    m_once = once;
    for (auto &a : m_adapters)
        postCycle(*a);
}

void Poller::stop()
{
    m_stopping->store(true);
    for (auto &a : m_adapters) {
        a->timer.stop();
        a->worker.reset();   // runs what was posted (cut short by the flag), closes the port
    }
}

void Poller::postCycle(Adapter &a)
{
    if (m_stopping->load())
        return;
    a.started.start();
    struct Target {
        int index;
        uint8_t address;
        std::optional<rdacq::DeviceInfo> info;
    };
    std::vector<Target> targets;
    for (int i : a.meters)
        targets.push_back({i, m_meters[size_t(i)].spec.address, m_meters[size_t(i)].info});
    const QPointer<QObject> guard(this);
    Adapter *raw = &a;
    const rdlink::LineSettings settings = m_line;
    auto stopping = m_stopping;
    a.worker->post([guard, raw, this, targets, settings, stopping](rdlink::Link &link) {
        rdlink::SerialPort &port = link.port();
        if (!port.isOpen()) {
            if (!rdlink::OpenPort(port, 1, settings)) {
                QString text = QCoreApplication::translate("rd5800d", "无法打开 %1：%2").arg(raw->name, port.errorString());
                if (port.errorKind() == rdlink::PortError::AccessRefused)
                    text += QCoreApplication::translate("rd5800d", " (服务的用户需要在 dialout 组中)");
                rdlink::LinkWorker::deliver(guard, [this, raw, text, targets] {
                    // Said once: the port is tried again at every cycle until it opens.
                    if (!raw->failed)
                        emit portFailed(raw->name, text);
                    raw->failed = true;
                    for (const Target &t : targets) {
                        PollResult none;
                        none.refresh.address = t.address;
                        none.refresh.status = rdov::MeterStatus::NoReply;
                        none.refresh.portLost = true;
                        emit polled(t.index, none);
                    }
                    cycleEnded(*raw);
                });
                return;
            }
            const QString device = port.deviceName();
            rdlink::LinkWorker::deliver(guard, [this, raw, device] {
                if (raw->failed)
                    emit portOpened(raw->name, device);
                raw->failed = false;
            });
        }
        for (const Target &t : targets) {
            if (stopping->load())
                break;
            // The counters first, so that the measurement reply is the last thing
            // read before the hand-back and its values go out without waiting for
            // another exchange. A meter that sends nothing to the counter read is
            // not asked again in this poll.
            PollResult result;
            ReadCounters(link, t.address, result);
            if (result.counterTimeout || result.counterPortLost) {
                result.refresh.address = t.address;
                result.refresh.status = rdov::MeterStatus::NoReply;
                result.refresh.portLost = result.counterPortLost;
            } else {
                result.refresh = rdov::RefreshMeter(link, t.address, t.info);
            }
            const int index = t.index;
            rdlink::LinkWorker::deliver(guard, [this, index, result] { emit polled(index, result); });
            if (result.refresh.portLost) {
                const QString text = QCoreApplication::translate("rd5800d", "%1 已断开：%2").arg(raw->name, port.errorString());
                rdlink::ClosePortIfOpen(port);
                rdlink::LinkWorker::deliver(guard, [this, raw, text] {
                    if (!raw->failed)
                        emit portFailed(raw->name, text);
                    raw->failed = true;
                });
                break;
            }
        }
        rdlink::LinkWorker::deliver(guard, [this, raw] { cycleEnded(*raw); });
    });
}

void Poller::cycleEnded(Adapter &a)
{
    if (m_stopping->load())
        return;
    if (m_once) {
        a.meters.clear();
        for (auto &other : m_adapters)
            if (!other->meters.empty())
                return;
        emit allDone();
        return;
    }
    const qint64 left = m_intervalMs - a.started.elapsed();
    a.timer.start(int(std::max<qint64>(0, left)));
}

} // namespace rdsvc
