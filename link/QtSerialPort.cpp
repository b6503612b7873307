#include "QtSerialPort.h"

#include "DeviceReady.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace rdlink {
namespace {

bool IsAdapter(const QString &location)
{
    return location.contains(QLatin1String("ttyUSB")) || location.contains(QLatin1String("ttyACM"));
}

// "ttyUSB2" before "ttyUSB10": compare the text before the trailing number, then the number.
bool NaturalLess(const QString &a, const QString &b)
{
    auto split = [](const QString &s) {
        int k = s.size();
        while (k > 0 && s.at(k - 1).isDigit())
            --k;
        return std::make_pair(s.left(k), s.mid(k).toLongLong());
    };
    const auto pa = split(a);
    const auto pb = split(b);
    if (pa.first != pb.first)
        return pa.first < pb.first;
    return pa.second < pb.second;
}

QSerialPort::Parity ParityOf(Parity parity)
{
    switch (parity) {
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::None: break;
    }
    return QSerialPort::NoParity;
}

} // namespace

QStringList OrderSerialDevices(QStringList locations)
{
    std::stable_sort(locations.begin(), locations.end(), [](const QString &a, const QString &b) {
        const bool adapterA = IsAdapter(a);
        const bool adapterB = IsAdapter(b);
        if (adapterA != adapterB)
            return adapterA;
        return NaturalLess(a, b);
    });
    return locations;
}

PortError RefusedOpenKind(const QString &device)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), R_OK | W_OK) == 0)
        return PortError::Busy;
#else
    Q_UNUSED(device);
#endif
    return PortError::AccessRefused;
}

QString ResolvePortDevice(int portNumber)
{
    if (portNumber < 1)
        return {};
    const QByteArray fromEnv = qgetenv(QStringLiteral("RD5800_COM%1").arg(portNumber).toLatin1().constData());
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    QStringList locations;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        locations << info.systemLocation();
    locations = OrderSerialDevices(locations);
    if (portNumber > locations.size())
        return {};
    return locations.at(portNumber - 1);
#endif
}

// The QSerialPort exists only while the port is open: it is made by open() and
// dropped by close(), on the thread that runs the line work, so that its socket
// notifiers belong to that thread.
QtSerialPort::QtSerialPort() = default;

QtSerialPort::~QtSerialPort()
{
    close();
}

void QtSerialPort::setPortNumber(int number)
{
    m_portNumber = number;
}

QString QtSerialPort::deviceName() const
{
    if (isOpen())
        return m_device;
    return m_fixedDevice.isEmpty() ? ResolvePortDevice(m_portNumber) : m_fixedDevice;
}

bool QtSerialPort::open()
{
    close();
    m_device = m_fixedDevice.isEmpty() ? ResolvePortDevice(m_portNumber) : m_fixedDevice;
    if (m_device.isEmpty()) {
        m_error = QStringLiteral("no serial device for COM%1").arg(m_portNumber);
        m_errorKind = PortError::Other;
        return false;
    }
    const LineSettings &line = m_settings;
    if (!IsValid(line)) {
        m_error = QStringLiteral("invalid line settings \"%1\"").arg(SettingsText(line));
        m_errorKind = PortError::Other;
        return false;
    }
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(m_device);
    // Everything is set before opening: a pseudo-terminal refuses some of these
    // once it is open, and the settings are then applied in one go.
    m_port->setBaudRate(line.baudRate);
    m_port->setParity(ParityOf(line.parity));
    m_port->setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits));
    m_port->setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_error = m_port->errorString();
        m_errorKind = m_port->error() == QSerialPort::PermissionError ? RefusedOpenKind(m_device) : PortError::Other;
        // Qt's words for a held device ("Permission error while locking the
        // device") send the user after the wrong cause.
        if (m_errorKind == PortError::Busy)
            m_error = QCoreApplication::translate("SerialPort", "串口已被其他程序占用");
        m_port.reset();
        return false;
    }
    m_error.clear();
    m_errorKind = PortError::None;
    return true;
}

void QtSerialPort::close()
{
    if (m_port && m_port->isOpen())
        m_port->close();
    m_port.reset();
}

bool QtSerialPort::isOpen() const
{
    return m_port && m_port->isOpen();
}

bool QtSerialPort::checkVanished()
{
    const QSerialPort::SerialPortError error = m_port->error();
    if (error == QSerialPort::NoError)
        return false;   // clearing would make a text and a signal for nothing
    if (error == QSerialPort::ResourceError || error == QSerialPort::DeviceNotFoundError
        || error == QSerialPort::ReadError || error == QSerialPort::WriteError) {
        // The adapter was pulled or the pseudo-terminal closed (a hung-up line
        // reports read and write errors): keep the reason and read as closed from
        // now on, so nothing is sent into a dead device.
        // The QSerialPort goes now, on the thread that used it: its notifiers
        // belong to that thread, which may have ended by the time this object is
        // destroyed.
        m_error = m_port->errorString();
        m_errorKind = PortError::Other;
        m_port->clearError();
        m_port->close();
        m_port.reset();
        return true;
    }
    // A 0 ms wait with nothing pending reports a timeout; that is no failure.
    m_port->clearError();
    return false;
}

void QtSerialPort::discardInput()
{
    if (!isOpen() || !pullReceived())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    checkVanished();
}

bool QtSerialPort::pullReceived()
{
    // Without an event loop nothing moves bytes from the system into QSerialPort's
    // buffer; a zero wait does, as often as there is something to take. The
    // system is asked first, so that a quiet line costs one call and no error.
    for (int guard = 0; guard < 64; ++guard) {
        if (WaitForDevice(m_port->handle(), 0) == DeviceState::Quiet || !m_port->waitForReadyRead(0))
            break;
    }
    return !checkVanished();
}

int QtSerialPort::bytesWaiting()
{
    if (!isOpen() || !pullReceived())
        return 0;
    return static_cast<int>(std::min<qint64>(m_port->bytesAvailable(), 1 << 30));
}

QByteArray QtSerialPort::readAll()
{
    // Everything the system has received too, so that a discard really empties
    // the line and nothing stale survives into the next exchange.
    if (!isOpen() || !pullReceived())
        return {};
    const QByteArray data = m_port->readAll();
    checkVanished();
    return data;
}

bool QtSerialPort::waitForReceived(uint32_t ms)
{
    // The thread sleeps in the system until the device has bytes or the time is
    // up; the next count or read takes them in (and finds a hung-up device).
    if (!isOpen() || ms == 0 || m_port->bytesAvailable() > 0)
        return true;
    const int wait = int(std::min<uint32_t>(ms, 1u << 30));
    if (WaitForDevice(m_port->handle(), wait) == DeviceState::Unknown) {
        m_port->waitForReadyRead(wait);
        checkVanished();
    }
    return true;
}

void QtSerialPort::write(const QByteArray &bytes)
{
    if (!isOpen())
        return;
    m_port->write(bytes);
    // Put the bytes on the line now: without an event loop they would otherwise
    // stay in QSerialPort's buffer and leave in front of the next request.
    for (int guard = 0; guard < 100 && m_port->bytesToWrite() > 0; ++guard) {
        if (!m_port->waitForBytesWritten(20) && checkVanished())
            return;
    }
    checkVanished();
}

} // namespace rdlink
