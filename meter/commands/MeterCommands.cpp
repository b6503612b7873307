// The configuration commands except "通讯设置" (CommSettingsCommand.cpp): PT, CT
// and wiring, the slave address change and search, and the pulse width edit.
#include "MeterCommands.h"

#include "AddrDlg.h"
#include "CommandExchange.h"
#include "CommandRules.h"
#include "MeterSetDlg.h"
#include "meter/app/Prompter.h"
#include "link/SerialPort.h"

void MeterCommands::OnMeterSettings()
{
    MeterState &s = m_host.state();
    Prompter &prompter = m_host.prompter();
    QWidget *parent = m_host.dialogParent();

    CMeterSetDlg dlg(prompter, parent);
    dlg.m_ptRatio = s.ptRatio;
    dlg.m_ctRatio = s.ctRatio;
    dlg.m_wiringMode = s.wiringMode;
    dlg.loadFields();
    m_host.stopTimer1();
    if (prompter.exec(dlg) == QDialog::Accepted) {
        rdlink::Link &link = m_host.link();
        // All three are written every time; the first write without an echo ends
        // the command, and what was written before it stays in force.
        if (!WriteSettingRegister(link, s.slaveAddress, rdcmd::kRegPtRatio,
                                  static_cast<uint16_t>(dlg.m_ptRatio))) {
            prompter.message(parent, QStringLiteral("设置PT不成功"));
        } else {
            s.ptRatio = dlg.m_ptRatio;
            if (!WriteSettingRegister(link, s.slaveAddress, rdcmd::kRegCtRatio,
                                      static_cast<uint16_t>(dlg.m_ctRatio))) {
                prompter.message(parent, QStringLiteral("设置CT不成功"));
            } else {
                s.ctRatio = dlg.m_ctRatio;
                if (!WriteSettingRegister(link, s.slaveAddress, rdcmd::kRegWiringMode,
                                          dlg.m_wiringMode)) {
                    prompter.message(parent, QStringLiteral("设置接线方式不成功"));
                } else {
                    s.wiringMode = dlg.m_wiringMode;
                    prompter.message(parent, QStringLiteral("设置仪表参数成功"));
                }
            }
        }
    }
    m_host.link().port().discardInput();
    m_host.startTimer1();
}

void MeterCommands::OnChangeAddress()
{
    MeterState &s = m_host.state();
    Prompter &prompter = m_host.prompter();
    QWidget *parent = m_host.dialogParent();

    m_host.stopTimer1();
    CAddrDlg dlg(prompter, parent);
    dlg.m_address = s.slaveAddress;
    dlg.loadFields();
    if (prompter.exec(dlg) == QDialog::Accepted) {
        // The echo comes from the address the request went to: the old one.
        rdlink::ExchangeOptions options;
        options.discardFirst = true;
        options.wait = rdlink::WaitKind::Sleep;
        options.waitMs = rdcmd::kAddressWaitMs;
        const int found = m_host.link().Exchange(
            rdlink::BuildWrite(s.slaveAddress, rdcmd::kRegSlaveAddress, dlg.m_address), options);
        if (found < 0) {
            prompter.message(parent, QStringLiteral("地址更新不成功"));
        } else {
            s.slaveAddress = dlg.m_address;
            m_host.setAddressText(QString::number(s.slaveAddress));
        }
    }
    m_host.startTimer1();
}

void MeterCommands::OnStartSearch()
{
    // The run state and the Run/Stop button stay as they are; Run/Stop ends the search.
    m_host.stopTimer1();
    m_host.state().searchAddress = 1;
    m_host.startTimer2();
}

void MeterCommands::OnSearchTick()
{
    MeterState &s = m_host.state();
    if (s.searchAddress >= 255) {
        // 255 is never probed: 0 comes after 254, without showing it, then 1 again.
        s.searchAddress = 0;
        ProbeAddress(0);
        s.searchAddress = 1;
        return;
    }
    const int address = s.searchAddress;
    ProbeAddress(address);
    m_host.setAddressText(QString::number(address));
    s.searchAddress = address + 1;
}

void MeterCommands::ProbeAddress(int address)
{
    // As Run does: the address edit shows the previous tick's address, so the
    // window's slave address follows the search one tick behind.
    m_host.reloadFields(false);

    rdlink::Link &link = m_host.link();
    if (!link.port().isOpen())
        return;   // nothing can be sent, nothing can be found

    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::BusyWait;
    options.waitMs = rdcmd::kSettingsWaitMs;
    options.searchReply = false;
    link.Exchange(rdlink::BuildRead(static_cast<uint8_t>(address), rdcmd::kRegSlaveAddress, 1),
                  options);
    if (link.rxCount() <= 0)
        return;

    // Any byte at all counts as an answer from this address.
    MeterState &s = m_host.state();
    s.slaveAddress = static_cast<uint8_t>(address);
    m_host.stopTimer2();
    m_host.setAddressText(QString::number(address));
    m_host.setStatusText(rdcmd::LinkStatusText(s.commPort, s.baudRate, s.parity, false));
}

void MeterCommands::OnPulseModify()
{
    // Polling stays stopped until "写入", so the poll no longer rewrites the edit.
    m_host.stopTimer1();
    m_host.setPulseEditing(true);
}

void MeterCommands::OnPulseWrite()
{
    m_host.reloadFields(true);

    // Only a whole number the user typed goes to the instrument; anything else is
    // refused and the edit stays writable for a correction.
    const rdcmd::NumberCheck width = rdcmd::CheckWholeNumber(m_host.pulseWidthText(), 0, 255);
    if (!width.ok) {
        m_host.prompter().message(m_host.dialogParent(), rdcmd::PulseWidthRefusedMessage());
        return;
    }

    // The echo is not read: the next poll shows the width the instrument keeps.
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = rdcmd::kPulseWaitMs;
    options.readReply = false;
    m_host.link().Exchange(rdlink::BuildWrite(m_host.state().slaveAddress, rdcmd::kRegPulseWidth,
                                              static_cast<uint16_t>(width.value)),
                           options);

    m_host.startTimer1();
    m_host.setPulseEditing(false);
}
