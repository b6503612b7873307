// The main window's configuration commands and the address search: each opens its
// dialog at once, then posts its writes to the link worker as one job and shows
// the outcome when the job hands it back.
#include "MeterDlg.h"

#include "MeterLine.h"

#include "common/widgets/AccessibleNames.h"
#include "meter/dialogs/CommSetDlg.h"
#include "common/widgets/Prompter.h"
#include "meter/dialogs/AddrDlg.h"
#include "meter/commands/CommandRules.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/overview/OverviewWindow.h"

#include <QLineEdit>
#include <QCoreApplication>

void CMeterDlg::onSearchTick()
{
    // Nothing can be probed on a closed port; the search waits where it is.
    if (!m_portOpen)
        return;
    if (m_probeInFlight) {
        m_probeDue = true;
        return;
    }
    postProbe();
}

void CMeterDlg::postProbe()
{
    m_probeInFlight = true;
    ++m_probesPosted;
    // 255 is never probed: 0 comes after 254, without showing it, then 1 again.
    const bool wrap = m_searchAddress >= 255;
    const uint8_t address = wrap ? 0 : static_cast<uint8_t>(m_searchAddress);
    // As Run does: the address box shows the previous probe's address, so the
    // window's slave address follows the search one probe behind.
    const std::optional<uint8_t> entered = enteredAddress(false);
    auto line = m_line;
    const unsigned generation = line->searchGeneration.load();
    m_worker->post([this, self = QPointer<QObject>(this), line, entered, address, generation](rdlink::Link &link) {
        bool found = false;
        const bool current = line->searchGeneration.load() == generation;
        if (current) {
            if (entered)
                line->state.slaveAddress = *entered;
            found = rdcmd::ProbeAddress(link, line->state, address);
        }
        const MeterState state = line->state;
        const QString trace = link.sentTrace();
        const bool open = link.port().isOpen();
        rdlink::LinkWorker::deliver(self, [this, current, found, address, state, trace, open] {
            m_probeInFlight = false;
            ++m_probesDone;
            adopt(state, trace, open);
            // A search stopped meanwhile (Run) keeps the address the box shows.
            if (!current || !m_searchTimer.isActive())
                return;
            if (found) {
                stopSearch();
                m_panel.slaveAddress->setText(QString::number(address));
                setStatusText(rdcmd::LinkStatusText(m_shown.commPort, m_shown.baudRate, m_shown.parity, false));
                return;
            }
            if (m_probeDue) {
                m_probeDue = false;
                postProbe();
            }
        });
    });
    if (wrap) {
        m_searchAddress = 1;
    } else {
        m_panel.slaveAddress->setText(QString::number(address));
        m_searchAddress = address + 1;
    }
}

void CMeterDlg::postCommand(std::function<void(rdlink::Link &, MeterState &)> work, std::function<void()> done)
{
    setBusy(true);
    if (m_overview)
        m_overview->yieldLine();   // a command's writes are not shared with the overview's reads
    auto line = m_line;
    m_worker->post([this, self = QPointer<QObject>(this), line, work, done](rdlink::Link &link) {
        work(link, line->state);
        const MeterState state = line->state;
        const QString trace = link.sentTrace();
        const bool open = link.port().isOpen();
        rdlink::LinkWorker::deliver(self, [this, done, state, trace, open] {
            setBusy(false);
            adopt(state, trace, open);
            done();
        });
    });
}

void CMeterDlg::showMessages(const QStringList &messages)
{
    for (const QString &text : messages)
        m_prompter.message(this, text);
}

void CMeterDlg::OnCommSettings()
{
    stopLineWork();
    CCommSetDlg dlg(this);
    dlg.setPrompter(&m_prompter);
    dlg.m_parity = m_shown.parity;
    dlg.m_baudRate = m_shown.baudRate;
    dlg.m_commPort = m_shown.commPort;
    dlg.loadFields();
    if (m_prompter.exec(dlg) != QDialog::Accepted) {
        postCommand([](rdlink::Link &link, MeterState &) { link.port().discardInput(); },
                    [this] { startPolling(); });
        return;
    }
    const rdcmd::LineChoice choice{dlg.m_baudRate, dlg.m_parity, dlg.m_commPort};
    auto outcome = std::make_shared<rdcmd::LineOutcome>();
    postCommand([choice, outcome](rdlink::Link &link, MeterState &state) {
        *outcome = rdcmd::WriteLineSettings(link, state, choice);
    }, [this, outcome] {
        showMessages(outcome->messages);
        // A failed re-open has the start-up message; the port stays closed.
        if (!outcome->reopened)
            m_prompter.message(this, outcome->openFailure);
        setStatusText(rdcmd::LinkStatusText(m_shown.commPort, m_shown.baudRate, m_shown.parity, true));
        startPolling();
    });
}

void CMeterDlg::OnMeterSettings()
{
    CMeterSetDlg dlg(m_prompter, this);
    dlg.m_ptRatio = m_shown.ptRatio;
    dlg.m_ctRatio = m_shown.ctRatio;
    dlg.m_wiringMode = m_shown.wiringMode;
    dlg.loadFields();
    stopLineWork();
    if (m_prompter.exec(dlg) != QDialog::Accepted) {
        postCommand([](rdlink::Link &link, MeterState &) { link.port().discardInput(); },
                    [this] { startPolling(); });
        return;
    }
    const uint32_t pt = dlg.m_ptRatio, ct = dlg.m_ctRatio;
    const uint8_t wiring = dlg.m_wiringMode;
    auto outcome = std::make_shared<rdcmd::CommandOutcome>();
    postCommand([=](rdlink::Link &link, MeterState &state) {
        *outcome = rdcmd::WriteMeterSettings(link, state, pt, ct, wiring);
    }, [this, outcome] {
        showMessages(outcome->messages);
        startPolling();
    });
}

void CMeterDlg::OnChangeAddress()
{
    stopLineWork();
    CAddrDlg dlg(m_prompter, this);
    dlg.m_address = m_shown.slaveAddress;
    dlg.loadFields();
    if (m_prompter.exec(dlg) != QDialog::Accepted) {
        startPolling();
        return;
    }
    const uint8_t address = dlg.m_address;
    auto changed = std::make_shared<bool>(false);
    postCommand([address, changed](rdlink::Link &link, MeterState &state) {
        *changed = rdcmd::ChangeAddress(link, state, address);
    }, [this, changed] {
        if (*changed)
            m_panel.slaveAddress->setText(QString::number(m_shown.slaveAddress));
        else
            m_prompter.message(this, QCoreApplication::translate("MeterDlgCommands", "地址更新不成功"));
        startPolling();
    });
}

void CMeterDlg::OnStartSearch()
{
    // The run state and the Run/Stop button stay as they are; Run/Stop ends the search.
    stopPolling();
    if (m_overview)
        m_overview->yieldLine();   // one user of the port at a time
    m_searchAddress = 1;
    startSearch();
    // After "停止" or "模块设置" the port is closed: the search opens it, as "运行"
    // does, and ends with the message when it cannot.
    postOpen([this](bool open) {
        if (!open)
            stopSearch();
    });
}

void CMeterDlg::OnPulseModify()
{
    // Polling stays stopped until "写入", so the poll no longer rewrites the edit.
    stopLineWork();
    setPulseEditing(true);
}

void CMeterDlg::OnPulseWrite()
{
    postAddress(enteredAddress(true));
    // Only a whole number the user typed goes to the instrument; anything else is
    // refused and the edit stays writable for a correction.
    const rdcmd::NumberCheck width = rdcmd::CheckWholeNumber(m_panel.pulseWidth->text(), 0, 255);
    if (!width.ok) {
        m_prompter.message(this, rdcmd::PulseWidthRefusedMessage());
        return;
    }
    const auto value = static_cast<uint8_t>(width.value);
    postCommand([value](rdlink::Link &link, MeterState &state) { rdcmd::WritePulseWidth(link, state, value); },
                [this] {
                    startPolling();
                    setPulseEditing(false);
                });
}
