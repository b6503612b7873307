#include "QtSerialPort.h"

#include "DeviceReady.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QtGlobal>
#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
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
    m_taken.clear();
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
    if (!isOpen())
        return;
    // Before most requests there is nothing to drop: one look at the device says
    // so, where reading would take two calls (an empty read, then the check that
    // the line has not hung up). A hung-up device reports itself ready and goes
    // the whole way, where the read finds it.
    if (m_taken.isEmpty() && m_port->bytesAvailable() == 0
        && WaitForDevice(m_port->handle(), 0) == DeviceState::Quiet)
        return;
    if (!pullReceived())
        return;
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
    m_taken.clear();
    checkVanished();
}

QtSerialPort::SystemRead QtSerialPort::readFromSystem()
{
#ifdef Q_OS_UNIX
    // Bytes that QSerialPort took in (its notifier, while the thread ran its
    // event loop) are older than anything still in the system: they go first.
    if (m_port->bytesAvailable() > 0)
        m_taken += m_port->readAll();
    char chunk[4096];
    for (int guard = 0; guard < 64; ++guard) {
        const ssize_t n = ::read(int(m_port->handle()), chunk, sizeof chunk);
        if (n > 0) {
            m_taken.append(chunk, int(n));
            if (size_t(n) < sizeof chunk)
                return SystemRead::Done;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return SystemRead::Failed;
        // A terminal with no minimum count answers an empty read with 0, as a
        // hung-up one does: only the latter still reports itself ready.
        if (n == 0 && WaitForDevice(m_port->handle(), 0) == DeviceState::Ready)
            return SystemRead::Failed;
        return SystemRead::Done;
    }
    return SystemRead::Done;
#else
    return SystemRead::Unsupported;
#endif
}

bool QtSerialPort::pullReceived()
{
    // Without an event loop nothing moves bytes from the system into QSerialPort's
    // buffer. The port reads the device itself, one call for what is there; a
    // failed read is left to QSerialPort, which reads again and records why
    // (a pulled adapter, a closed pseudo-terminal) as it always did.
    const SystemRead read = readFromSystem();
    if (read == SystemRead::Done)
        return true;
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
    return static_cast<int>(std::min<qint64>(m_taken.size() + m_port->bytesAvailable(), 1 << 30));
}

QByteArray QtSerialPort::readAll()
{
    // Everything the system has received too, so that a discard really empties
    // the line and nothing stale survives into the next exchange.
    if (!isOpen() || !pullReceived())
        return {};
    QByteArray data = std::exchange(m_taken, QByteArray());
    if (m_port->bytesAvailable() > 0)
        data += m_port->readAll();
    checkVanished();
    return data;
}

bool QtSerialPort::waitForReceived(uint32_t ms)
{
    // The thread sleeps in the system until the device has bytes or the time is
    // up; the next count or read takes them in (and finds a hung-up device).
    if (!isOpen() || ms == 0 || !m_taken.isEmpty() || m_port->bytesAvailable() > 0)
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
    QByteArray rest = bytes;
#ifdef Q_OS_UNIX
    // Straight to the device when nothing waits before it: one call instead of
    // QSerialPort's buffer and its wait. What the device does not take at once,
    // and every failure, goes the way it always went.
    if (m_port->bytesToWrite() == 0 && !rest.isEmpty()) {
        ssize_t n;
        do {
            n = ::write(int(m_port->handle()), rest.constData(), size_t(rest.size()));
        } while (n < 0 && errno == EINTR);
        if (n == rest.size())
            return;
        if (n > 0)
            rest.remove(0, int(n));
    }
#endif
    m_port->write(rest);
    // Put the bytes on the line now: without an event loop they would otherwise
    // stay in QSerialPort's buffer and leave in front of the next request.
    for (int guard = 0; guard < 100 && m_port->bytesToWrite() > 0; ++guard) {
        if (!m_port->waitForBytesWritten(20) && checkVanished())
            return;
    }
    checkVanished();
}

} // namespace rdlink
