#include "ModuleLink.h"

#include "meter/app/Prompter.h"
#include "modules/vocabulary/Registers.h"

namespace rdmod {

QString PortOpenFailureText(const rdlink::SerialPort &port)
{
    return rdlink::PortOpenFailureText(port.portNumber(), port.deviceName(), port.errorString())
        + QStringLiteral("\n未发送任何请求。");
}

QString PortLostText(const rdlink::SerialPort &port, bool writing)
{
    const QString text = rdlink::PortLostText(port.portNumber(), port.deviceName(), port.errorString());
    return text + (writing ? QStringLiteral("\n参数可能只写入了一部分，接好后请重新设置。")
                           : QStringLiteral("\n读取未完成，接好后请重新读取。"));
}

bool RunOnPort(rdlink::SerialPort &port, const ModuleContext &context, QWidget *parent, bool writing,
               const std::function<void(const PortSession &)> &work)
{
    PortSession session(port);
    if (!session.isOpen()) {
        context.prompter.message(parent, PortOpenFailureText(port));
        return false;
    }
    work(session);
    if (session.lost()) {
        context.prompter.message(parent, PortLostText(port, writing));
        return false;
    }
    return true;
}

std::optional<std::vector<uint16_t>> ModuleLink::read(uint16_t reg, uint16_t count, uint32_t waitMs)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = waitMs;
    const int pos = m_link.Exchange(rdlink::BuildRead(kSlaveAddress, reg, count), options);
    if (pos < 0)
        return std::nullopt;
    std::vector<uint16_t> regs(count);
    for (int n = 0; n < count; ++n)
        regs[n] = rdlink::ReplyRegister(m_link.rxBuffer(), pos, n);
    return regs;
}

std::vector<uint16_t> ModuleLink::writeBlock(uint16_t base, const uint16_t *values, int count,
                                             uint32_t waitMs)
{
    std::vector<uint16_t> missing;
    for (int k = 0; k < count && m_port.isOpen(); ++k) {
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
    return m_link.Exchange(rdlink::BuildWrite(kSlaveAddress, reg, value), options) >= 0;
}

PortSession::PortSession(rdlink::SerialPort &port)
    : m_port(port), m_open(rdlink::OpenPort(port, kModulePort, ModulePortSettings()))
{
}

PortSession::~PortSession()
{
    rdlink::ClosePortIfOpen(m_port);
}

} // namespace rdmod
