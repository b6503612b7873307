// "通讯设置": changes the instrument's baud rate and parity over the link, then
// re-opens the local port with the resulting settings. Kept apart from the other
// commands because it is the only one that uses the start-up dialog.
#include "MeterCommands.h"

#include "CommandExchange.h"
#include "CommandRules.h"
#include "meter/app/CommSetDlg.h"
#include "meter/app/Prompter.h"
#include "link/SerialPort.h"

void MeterCommands::OnCommSettings()
{
    MeterState &s = m_host.state();
    Prompter &prompter = m_host.prompter();
    QWidget *parent = m_host.dialogParent();

    m_host.stopTimer1();

    CCommSetDlg dlg(parent);
    dlg.setPrompter(&prompter);
    dlg.m_parity = s.parity;
    dlg.m_baudRate = s.baudRate;
    dlg.m_commPort = s.commPort;
    dlg.loadFields();
    if (prompter.exec(dlg) == QDialog::Accepted) {
        rdlink::Link &link = m_host.link();

        // Both writes go out at the settings in force now; the port is re-opened
        // only after both, whatever their outcome.
        if (dlg.m_baudRate != s.baudRate) {
            const int code = rdcmd::BaudRateCode(dlg.m_baudRate);
            if (code >= 0 && WriteSettingRegister(link, s.slaveAddress, rdcmd::kRegBaudRate,
                                                  static_cast<uint16_t>(code))) {
                s.baudRate = dlg.m_baudRate;
                prompter.message(parent, QStringLiteral("改变波特率成功"));
            } else {
                prompter.message(parent, QStringLiteral("改变波特率不成功"));
            }
        }
        if (dlg.m_parity != s.parity) {
            if (WriteSettingRegister(link, s.slaveAddress, rdcmd::kRegParity,
                                     static_cast<uint16_t>(rdcmd::InstrumentParityCode(dlg.m_parity))))
                prompter.message(parent, QStringLiteral("改变校验方式成功"));
            else
                prompter.message(parent, QStringLiteral("改变校验方式不成功"));
        }

        // The local port follows the user's parity even when its write failed.
        s.commPort = dlg.m_commPort;
        s.parity = dlg.m_parity;
        s.portSettings = rdlink::SettingsText(s.baudRate, s.parity);
        rdlink::ClosePortIfOpen(link.port());
        m_host.reopenPort();   // a failure has its own message; the port stays closed
        m_host.setStatusText(rdcmd::LinkStatusText(s.commPort, s.baudRate, s.parity, true));
    }

    m_host.link().port().discardInput();
    m_host.startTimer1();
}
