#include "LinePort.h"

#include "PortName.h"
#include "QtSerialPort.h"
#include "TcpPort.h"

namespace rdlink {

std::variant<std::unique_ptr<SerialPort>, QString> MakePort(const QString &name)
{
    const std::variant<PortAddress, QString> parsed = ParsePortName(name);
    if (const QString *error = std::get_if<QString>(&parsed))
        return *error;
    const PortAddress &address = std::get<PortAddress>(parsed);
    if (address.isNetwork())
        return std::unique_ptr<SerialPort>(std::make_unique<TcpPort>(name, address));
    auto serial = std::make_unique<QtSerialPort>();
    serial->setDevice(address.device);
    return std::unique_ptr<SerialPort>(std::move(serial));
}

LinePort::LinePort() = default;

LinePort::~LinePort()
{
    close();
}

void LinePort::setSettings(const LineSettings &settings)
{
    m_settings = settings;
    if (m_backend)
        m_backend->setSettings(settings);
}

bool LinePort::open()
{
    close();
    m_backend.reset();
    m_error.clear();
    const QString name = ResolvePortDevice(m_portNumber);
    if (name.isEmpty()) {
        // No device at all: the serial port says so in its own words.
        m_backend = std::make_unique<QtSerialPort>();
    } else {
        auto made = MakePort(name);
        if (QString *error = std::get_if<QString>(&made)) {
            m_error = *error;
            return false;
        }
        m_backend = std::move(std::get<std::unique_ptr<SerialPort>>(made));
    }
    m_backend->setPortNumber(m_portNumber);
    m_backend->setSettings(m_settings);
    if (m_networkMarginMs > 0)
        m_backend->setNetworkMarginMs(m_networkMarginMs);
    return m_backend->open();
}

void LinePort::close()
{
    if (m_backend)
        m_backend->close();
}

bool LinePort::isOpen() const
{
    return m_backend && m_backend->isOpen();
}

void LinePort::discardInput()
{
    if (m_backend)
        m_backend->discardInput();
}

int LinePort::bytesWaiting()
{
    return m_backend ? m_backend->bytesWaiting() : 0;
}

QByteArray LinePort::readAll()
{
    return m_backend ? m_backend->readAll() : QByteArray();
}

void LinePort::write(const QByteArray &bytes)
{
    if (m_backend)
        m_backend->write(bytes);
}

bool LinePort::waitForReceived(uint32_t ms)
{
    return m_backend && m_backend->waitForReceived(ms);
}

uint32_t LinePort::networkMarginMs() const
{
    return m_backend ? m_backend->networkMarginMs() : 0;
}

void LinePort::setNetworkMarginMs(uint32_t ms)
{
    m_networkMarginMs = ms;
    if (m_backend)
        m_backend->setNetworkMarginMs(ms);
}

QString LinePort::deviceName() const
{
    return isOpen() ? m_backend->deviceName() : ResolvePortDevice(m_portNumber);
}

QString LinePort::errorString() const
{
    if (!m_error.isEmpty() || !m_backend)
        return m_error;
    return m_backend->errorString();
}

PortError LinePort::errorKind() const
{
    if (!m_error.isEmpty() || !m_backend)
        return m_error.isEmpty() ? PortError::None : PortError::Other;
    return m_backend->errorKind();
}

bool LinePort::replyRefused() const
{
    return m_backend && m_backend->replyRefused();
}

SerialPort::WireTrace LinePort::wireTrace() const
{
    return m_backend ? m_backend->wireTrace() : WireTrace();
}

} // namespace rdlink
