#include "TcpPort.h"

#include "DeviceReady.h"
#include "LineTime.h"
#include "Mbap.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <algorithm>

namespace rdlink {
namespace {

// The most wire bytes the line monitor is shown for one exchange; a gateway that
// floods the connection costs no more than this.
constexpr int kWireKeep = 4096;
// The most received bytes kept for the link (the newest), and what the socket
// takes from the system at a time: a reply is at most 256 bytes.
constexpr int kRxKeep = 1024;
constexpr int kSocketBuffer = 8192;

void KeepNewest(QByteArray &bytes, int keep)
{
    if (bytes.size() > keep)
        bytes.remove(0, bytes.size() - keep);
}

// Why a connection could not be made.
QString ConnectFailure(QAbstractSocket::SocketError error, const QString &systemText)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QCoreApplication::translate("TcpPort", "连接被拒绝");
    case QAbstractSocket::SocketTimeoutError:
        return QCoreApplication::translate("TcpPort", "连接超时");
    case QAbstractSocket::HostNotFoundError:
        return QCoreApplication::translate("TcpPort", "找不到主机");
    default:
        return systemText;
    }
}

// Why an open connection ended: closed by the gateway, or another failure (reset,
// network down) with the system's words added.
QString LossReason(QAbstractSocket::SocketError error, const QString &systemText)
{
    if (error == QAbstractSocket::RemoteHostClosedError || error == QAbstractSocket::SocketTimeoutError
        || error == QAbstractSocket::UnknownSocketError)
        return QCoreApplication::translate("TcpPort", "连接已断开");
    return QCoreApplication::translate("TcpPort", "连接已断开 (%1)").arg(systemText);
}

} // namespace

TcpPort::TcpPort(const QString &name, const PortAddress &address)
    : m_name(name), m_address(address), m_marginMs(DefaultNetworkMarginMs())
{
}

TcpPort::~TcpPort()
{
    close();
}

bool TcpPort::open()
{
    close();
    if (!IsValid(m_settings)) {
        // The gateway's own serial side sets the line, but the waits follow these.
        m_error = QStringLiteral("invalid line settings \"%1\"").arg(SettingsText(m_settings));
        return false;
    }
    m_socket = std::make_unique<QTcpSocket>();
    m_socket->connectToHost(m_address.host, m_address.port);
    if (!m_socket->waitForConnected(m_connectTimeoutMs)) {
        const QAbstractSocket::SocketError error =
            m_socket->state() == QAbstractSocket::UnconnectedState ? m_socket->error()
                                                                   : QAbstractSocket::SocketTimeoutError;
        m_error = ConnectFailure(error, m_socket->errorString());
        m_socket->abort();
        m_socket.reset();
        return false;
    }
    // Every request is one small write that should leave at once.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // A peer that floods the connection fills the system's buffers and then
    // waits; what is read here stays small.
    m_socket->setReadBufferSize(kSocketBuffer);
    m_answered = false;
    m_rx.clear();
    m_pending.clear();
    m_wireSent.clear();
    m_wireReceived.clear();
    m_error.clear();
    return true;
}

void TcpPort::close()
{
    if (m_socket)
        m_socket->abort();
    m_socket.reset();
    m_rx.clear();
    m_pending.clear();
}

bool TcpPort::isOpen() const
{
    return m_socket != nullptr;
}

void TcpPort::lose(const QString &reason)
{
    // A gateway that takes one client at a time accepts the next connection and
    // closes it at once, before it has answered anything.
    if (!m_answered && m_socket && m_socket->error() == QAbstractSocket::RemoteHostClosedError) {
        m_error = QCoreApplication::translate("TcpPort", "连接已断开 (网关接受连接后随即将其关闭：可能已有其他程序连接到该网关)");
        close();
        return;
    }
    // The gateway went away or reset the connection: keep the reason and read as
    // closed from now on, as a serial port does when its adapter is pulled.
    m_error = reason;
    close();
}

bool TcpPort::pull()
{
    // Without an event loop nothing moves bytes from the system into the socket's
    // buffer; a zero wait does, as often as there is something to take. The
    // system is asked first, so that a quiet connection costs one call and no error.
    for (int guard = 0; guard < 64; ++guard) {
        if (WaitForDevice(m_socket->socketDescriptor(), 0) == DeviceState::Quiet || !m_socket->waitForReadyRead(0))
            break;
    }
    const QByteArray data = m_socket->readAll();
    if (!data.isEmpty()) {
        m_answered = true;
        if (m_address.kind == PortKind::ModbusTcp) {
            if (m_wireReceived.size() < kWireKeep)
                m_wireReceived.append(data.left(kWireKeep - m_wireReceived.size()));
            m_pending.append(data);
            translate();
        } else {
            m_rx.append(data);
        }
        KeepNewest(m_rx, kRxKeep);
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        lose(LossReason(m_socket->error(), m_socket->errorString()));
        return false;
    }
    return true;
}

void TcpPort::translate()
{
    while (const std::optional<MbapHeader> header = ReadMbapHeader(m_pending)) {
        if (!header->plausible()) {
            // Not a Modbus TCP stream any more: nothing after this can be trusted
            // to start an ADU. It is what came back, a bad reply rather than
            // silence, so it goes up as it came; the next request starts afresh.
            ++m_strays;
            m_rx.append(m_pending.left(kRxKeep));
            m_pending.clear();
            return;
        }
        if (m_pending.size() < header->aduLength())
            return;   // the rest is still on its way
        const QByteArray adu = m_pending.left(header->aduLength());
        m_pending.remove(0, header->aduLength());
        if (header->transaction != m_transaction || header->unit != m_unit) {
            ++m_strays;   // a late answer to an earlier request, or another unit's
            continue;
        }
        // A protocol gateway answers for a meter that kept silent; over a cable
        // that silence is what the link sees, and the address search relies on it.
        if (IsGatewayNoAnswer(adu)) {
            m_refused = true;
            continue;
        }
        m_rx.append(RtuFromMbap(adu));
    }
}

void TcpPort::discardInput()
{
    if (isOpen() && pull())
        m_rx.clear();
}

int TcpPort::bytesWaiting()
{
    if (!isOpen() || !pull())
        return 0;
    return int(std::min<qsizetype>(m_rx.size(), 1 << 30));
}

QByteArray TcpPort::readAll()
{
    if (!isOpen() || !pull())
        return {};
    QByteArray data;
    data.swap(m_rx);
    return data;
}

void TcpPort::write(const QByteArray &bytes)
{
    if (!isOpen())
        return;
    QByteArray out = bytes;
    // Bytes received before this request are no part of its exchange: a late or
    // cut reply to an earlier one must not swallow this one's.
    pull();
    if (!isOpen())
        return;
    m_rx.clear();
    m_pending.clear();
    m_refused = false;
    if (m_address.kind == PortKind::ModbusTcp) {
        m_transaction = uint16_t(m_transaction + 1);
        m_unit = bytes.isEmpty() ? 0 : uint8_t(bytes[0]);
        out = MbapFromRtu(bytes, m_transaction);
        m_wireSent = out;
        m_wireReceived.clear();
        if (out.isEmpty())
            return;
    }
    m_socket->write(out);
    for (int guard = 0; guard < 100 && m_socket->bytesToWrite() > 0; ++guard) {
        if (!m_socket->waitForBytesWritten(20) && m_socket->state() != QAbstractSocket::ConnectedState)
            break;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        lose(LossReason(m_socket->error(), m_socket->errorString()));
}

bool TcpPort::waitForReceived(uint32_t ms)
{
    // The thread sleeps in the system until the gateway sends or the time is up.
    if (isOpen() && ms > 0 && m_socket->bytesAvailable() == 0) {
        const int wait = int(std::min<uint32_t>(ms, 1u << 30));
        if (WaitForDevice(m_socket->socketDescriptor(), wait) == DeviceState::Unknown)
            m_socket->waitForReadyRead(wait);
        pull();
    }
    return true;
}

SerialPort::WireTrace TcpPort::wireTrace() const
{
    if (m_address.kind != PortKind::ModbusTcp)
        return {};
    return {m_wireSent, m_wireReceived};
}

} // namespace rdlink
