// The overview's jobs on the link worker and what their results do in the
// window: opening and closing the shared port, one refresh of a meter, one probe
// of the scan. Jobs posted under an older generation send nothing.
#include "OverviewWindow.h"

#include "OverviewHost.h"
#include "common/widgets/Prompter.h"
#include "meter/profile/MeterRead.h"
#include "meter/profile/ProfileDiff.h"

#include <QCoreApplication>

void OverviewWindow::postOpen(std::shared_ptr<std::atomic<unsigned>> generation)
{
    // Opens the port when it is closed, with the main window's settings; a failure
    // ends what was started, with the port number, device and the system's reason.
    const int number = m_host.commPort();
    const rdlink::LineSettings settings = m_host.lineSettings();
    const QPointer<QObject> guard(this);
    ++m_posted;
    const unsigned mine = generation->load();
    m_host.linkWorker().post([guard, this, number, settings, generation, mine](rdlink::Link &link) {
        rdlink::SerialPort &port = link.port();
        QString failure;
        if (generation->load() == mine && !port.isOpen() && !rdlink::OpenPort(port, number, settings))
            failure = rdlink::PortOpenFailureText(number, port.deviceName(), port.errorString(), port.errorKind());
        const bool open = port.isOpen();
        rdlink::LinkWorker::deliver(guard, [this, failure, open] {
            ++m_done;
            m_host.portStateSeen(open);
            if (!failure.isEmpty())
                lineLost(failure);
        });
    });
}

void OverviewWindow::postClose()
{
    ++m_posted;
    const QPointer<QObject> guard(this);
    m_host.linkWorker().post([guard, this](rdlink::Link &link) {
        rdlink::ClosePortIfOpen(link.port());
        rdlink::LinkWorker::deliver(guard, [this] {
            ++m_done;
            m_host.portStateSeen(false);
        });
    });
}

void OverviewWindow::lineLost(const QString &text)
{
    m_host.portStateSeen(false);   // lost or never opened
    const bool wasActive = m_refreshing || m_scan.active();
    if (m_refreshing) {
        m_refreshing = false;
        ++*m_refreshGeneration;
    }
    if (m_scan.active()) {
        m_scan.stop();
        ++*m_scanGeneration;
    }
    showRunState();
    showScanState();
    if (wasActive)
        m_prompter.message(this, text);
}

template <class Result, class Read>
void OverviewWindow::postRead(std::shared_ptr<std::atomic<unsigned>> generation, int OverviewWindow::*inFlight,
                              Read read, void (OverviewWindow::*apply)(const Result &))
{
    // Nothing is sent once the generation has moved on (stopped) or the port is
    // closed; a device lost during the read ends what was started, with the
    // system's reason; otherwise `apply` takes the result on the window thread.
    const unsigned mine = generation->load();
    const QPointer<QObject> guard(this);
    ++(this->*inFlight);
    ++m_posted;
    m_host.linkWorker().post([guard, this, generation, mine, inFlight, read, apply](rdlink::Link &link) {
        if (generation->load() != mine || !link.port().isOpen()) {
            rdlink::LinkWorker::deliver(guard, [this, inFlight] {
                --(this->*inFlight);
                ++m_done;
            });
            return;
        }
        rdlink::SerialPort &port = link.port();
        const Result result = read(link);
        const QString lost = result.portLost ? rdlink::PortLostText(port.portNumber(), port.deviceName(),
                                                                    port.errorString())
                                             : QString();
        rdlink::LinkWorker::deliver(guard, [this, inFlight, apply, result, lost, generation, mine] {
            --(this->*inFlight);
            ++m_done;
            if (generation->load() != mine)
                return;
            if (!lost.isEmpty()) {
                lineLost(lost);
                return;
            }
            (this->*apply)(result);
        });
    });
}

void OverviewWindow::postRefresh()
{
    const std::optional<uint8_t> address = m_model.nextInTurn();
    if (!address)
        return;
    const int row = m_model.rowOf(*address);
    const std::optional<rdacq::DeviceInfo> known = m_model.meter(row).info;
    postRead(m_refreshGeneration, &OverviewWindow::m_refreshesInFlight,
             [meter = *address, known](rdlink::Link &link) { return rdov::RefreshMeter(link, meter, known); },
             &OverviewWindow::applyRefresh);
}

void OverviewWindow::applyRefresh(const rdov::RefreshResult &result)
{
    // The next read goes out first: the line never waits for the table.
    if (m_refreshing)
        postRefresh();
    m_model.apply(result);
    const int row = m_model.rowOf(result.address);
    if (row >= 0 && result.values && m_recorder.isOpen()) {
        const rdov::MeterRow &meter = m_model.meter(row);
        rdacq::Reading reading;
        reading.time = result.replyTime;
        reading.values = *result.values;
        reading.successRate = meter.requests ? 100.0 * meter.replies / meter.requests : 0.0;
        QString error;
        if (!m_recorder.append(reading, result.address, &error))
            m_prompter.message(this, error);
        showRecordState();
    }
    if (++m_turnsThisRound >= m_model.count()) {
        m_turnsThisRound = 0;
        emit roundDone();
    }
}

void OverviewWindow::postProbe()
{
    const std::optional<uint8_t> address = m_scan.next();
    if (!address)
        return;
    postRead(m_scanGeneration, &OverviewWindow::m_probesInFlight,
             [probed = *address](rdlink::Link &link) { return rdov::ProbeAddress(link, probed); },
             &OverviewWindow::applyProbe);
}

void OverviewWindow::applyProbe(const rdov::ProbeResult &result)
{
    postProbe();
    if (result.info && m_model.rowOf(result.address) < 0)
        m_model.addMeter(result.address, QString(), result.info);
    m_scan.probed(result.info.has_value());
    showScanState();
    if (!m_scan.active()) {
        // The whole range is done: the port goes back to closed, as after "停止扫描".
        postClose();
        emit scanFinished();
    }
}


void OverviewWindow::audit()
{
    const std::optional<rdprof::Profile> profile = m_auditProfile ? m_auditProfile() : std::nullopt;
    if (!profile) {
        m_prompter.message(this, QCoreApplication::translate("Overview", "请先在“配置文件”窗口中打开或读取一个配置文件。"));
        return;
    }
    if (m_model.count() == 0)
        return;
    // One settings read per meter, at the line's pace; the refresh and the scan
    // make way, as for the main window's commands.
    yieldLine();
    m_host.stopMainPolling();
    postOpen(m_refreshGeneration);
    for (int row = 0; row < m_model.count(); ++row) {
        const uint8_t address = m_model.meter(row).address;
        m_model.setAudit(address, QString());
        rdprof::Profile mine = *profile;
        mine.address = address;   // the meter's own address is not a difference
        postRead(m_refreshGeneration, &OverviewWindow::m_refreshesInFlight,
                 [address, mine](rdlink::Link &link) {
                     AuditResult result;
                     result.address = address;
                     const rdprof::MeterRead read = rdprof::ReadMeter(link, address);
                     result.portLost = read.portLost;
                     const auto encoded = rdprof::EncodeProfile(mine);
                     if (!read.profile) {
                         result.text = QCoreApplication::translate("Overview", "无应答");
                     } else if (const auto *settings = std::get_if<std::vector<rdprof::Setting>>(&encoded)) {
                         const int n = rdprof::DifferenceCount(rdprof::Compare(*settings, read.registers));
                         result.text = n == 0 ? rdprof::SameText()
                                              : QCoreApplication::translate("Overview", "%1 项不同").arg(n);
                     }
                     return result;
                 },
                 &OverviewWindow::applyAudit);
    }
}

void OverviewWindow::applyAudit(const AuditResult &result)
{
    m_model.setAudit(result.address, result.text);
}
