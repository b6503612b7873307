#include "MeterCommands.h"

#include "CommandExchange.h"
#include "CommandRules.h"
#include "link/SerialPort.h"
#include <QCoreApplication>

namespace rdcmd {

LineOutcome WriteLineSettings(rdlink::Link &link, MeterState &s, const LineChoice &choice)
{
    LineOutcome out;
    if (choice.baudRate != s.baudRate) {
        const int code = BaudRateCode(choice.baudRate);
        if (code >= 0 && WriteSettingRegister(link, s.slaveAddress, kRegBaudRate, uint16_t(code))) {
            s.baudRate = choice.baudRate;
            out.messages << QCoreApplication::translate("MeterCommands", "改变波特率成功");
        } else {
            out.messages << QCoreApplication::translate("MeterCommands", "改变波特率不成功");
        }
    }
    if (choice.parity != s.parity) {
        if (WriteSettingRegister(link, s.slaveAddress, kRegParity, uint16_t(InstrumentParityCode(choice.parity))))
            out.messages << QCoreApplication::translate("MeterCommands", "改变校验方式成功");
        else
            out.messages << QCoreApplication::translate("MeterCommands", "改变校验方式不成功");
    }

    // The local port follows the user's parity even when its write failed.
    s.commPort = choice.commPort;
    s.parity = choice.parity;
    rdlink::SerialPort &port = link.port();
    rdlink::ClosePortIfOpen(port);
    out.reopened = rdlink::OpenPort(port, s.commPort, s.lineSettings());
    if (!out.reopened)
        out.openFailure = rdlink::PortOpenFailureText(s.commPort, port.deviceName(), port.errorString(), port.errorKind());
    port.discardInput();
    return out;
}

CommandOutcome WriteMeterSettings(rdlink::Link &link, MeterState &s, uint32_t pt, uint32_t ct, uint8_t wiring)
{
    CommandOutcome out;
    if (!WriteSettingRegister(link, s.slaveAddress, kRegPtRatio, uint16_t(pt))) {
        out.messages << QCoreApplication::translate("MeterCommands", "设置PT不成功");
    } else {
        s.ptRatio = pt;
        if (!WriteSettingRegister(link, s.slaveAddress, kRegCtRatio, uint16_t(ct))) {
            out.messages << QCoreApplication::translate("MeterCommands", "设置CT不成功");
        } else {
            s.ctRatio = ct;
            if (!WriteSettingRegister(link, s.slaveAddress, kRegWiringMode, wiring)) {
                out.messages << QCoreApplication::translate("MeterCommands", "设置接线方式不成功");
            } else {
                s.wiringMode = wiring;
                out.messages << QCoreApplication::translate("MeterCommands", "设置仪表参数成功");
            }
        }
    }
    link.port().discardInput();
    return out;
}

bool ChangeAddress(rdlink::Link &link, MeterState &s, uint8_t newAddress)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = kAddressWaitMs;
    if (!link.Exchange(rdlink::BuildWrite(s.slaveAddress, kRegSlaveAddress, newAddress), options).ok())
        return false;
    s.slaveAddress = newAddress;
    return true;
}

bool ProbeAddress(rdlink::Link &link, MeterState &s, uint8_t address)
{
    if (!link.port().isOpen())
        return false;   // nothing can be sent, nothing can be found
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::BusyWait;
    options.waitMs = kSettingsWaitMs;
    options.read = rdlink::ReadMode::Bytes;
    if (link.Exchange(rdlink::BuildRead(address, kRegSlaveAddress, 1), options).received <= 0)
        return false;
    s.slaveAddress = address;   // any byte at all counts as an answer from this address
    return true;
}

void WritePulseWidth(rdlink::Link &link, const MeterState &s, uint8_t width)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = kPulseWaitMs;
    options.read = rdlink::ReadMode::None;
    link.Exchange(rdlink::BuildWrite(s.slaveAddress, kRegPulseWidth, width), options);
}

} // namespace rdcmd
