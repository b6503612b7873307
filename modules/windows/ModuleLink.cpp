#include "ModuleLink.h"

#include "modules/vocabulary/Registers.h"
#include <QCoreApplication>

namespace rdmod {

QString PortOpenFailureText(const rdlink::SerialPort &port)
{
    return rdlink::PortOpenFailureText(port.portNumber(), port.deviceName(), port.errorString(), port.errorKind())
        + QCoreApplication::translate("ModuleLink", "\n未发送任何请求。");
}

QString PortLostText(const rdlink::SerialPort &port, PortUse use)
{
    const QString text = rdlink::PortLostText(port.portNumber(), port.deviceName(), port.errorString());
    return text + (use == PortUse::Writing ? QCoreApplication::translate("ModuleLink", "\n参数可能只写入了一部分，接好后请重新设置。")
                           : QCoreApplication::translate("ModuleLink", "\n读取未完成，接好后请重新读取。"));
}

std::optional<QString> RunOnPort(rdlink::Link &link, PortUse use,
                                 const std::function<void(ModuleLink &, const PortSession &)> &work)
{
    rdlink::SerialPort &port = link.port();
    PortSession session(port);
    if (!session.isOpen())
        return PortOpenFailureText(port);
    ModuleLink moduleLink(link);
    work(moduleLink, session);
    if (session.lost())
        return PortLostText(port, use);
    return std::nullopt;
}

std::optional<std::vector<uint16_t>> ModuleLink::read(uint16_t reg, uint16_t count, uint32_t waitMs)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = waitMs;
    const rdlink::ExchangeResult reply = m_link.Exchange(rdlink::BuildRead(kSlaveAddress, reg, count), options);
    if (!reply.ok() || reply.dataLength() < 2 * count)
        return std::nullopt;
    std::vector<uint16_t> regs(count);
    for (int n = 0; n < count; ++n)
        regs[n] = reply.reg(n);
    return regs;
}

std::vector<uint16_t> ModuleLink::writeBlock(uint16_t base, const uint16_t *values, int count,
                                             uint32_t waitMs)
{
    std::vector<uint16_t> missing;
    for (int k = 0; k < count && port().isOpen(); ++k) {
        const uint16_t reg = static_cast<uint16_t>(base + k);
        if (!write(reg, values[k], waitMs))
            missing.push_back(reg);
    }
    return missing;
}

bool ModuleLink::write(uint16_t reg, uint16_t value, uint32_t waitMs)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = waitMs;
    return m_link.Exchange(rdlink::BuildWrite(kSlaveAddress, reg, value), options).ok();
}

PortSession::PortSession(rdlink::SerialPort &port)
    : m_port(port), m_open(rdlink::OpenPort(port, kModulePort, kModuleLine))
{
}

PortSession::~PortSession()
{
    rdlink::ClosePortIfOpen(m_port);
}

} // namespace rdmod
