#include "PortName.h"

#include <QCoreApplication>
#include <QHostAddress>

namespace rdlink {
namespace {

const QLatin1String kTcp("tcp://");
const QLatin1String kModbusTcp("modbus-tcp://");

QString Malformed(const QString &name)
{
    return QCoreApplication::translate("PortName",
                                       "端口名 \"%1\" 格式不对：应为串口设备、tcp://主机:端口 或 modbus-tcp://主机:端口")
        .arg(name);
}

bool HostCharacterOk(QChar c, bool ipv6)
{
    if (c.unicode() > 0x7F)
        return false;
    if (ipv6)
        return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'))
               || c == QLatin1Char(':') || c == QLatin1Char('.');
    return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
}

} // namespace

QString PortAddress::endpoint() const
{
    if (!isNetwork())
        return {};
    const QString h = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1:%2").arg(h).arg(port);
}

bool IsNetworkPortName(const QString &name)
{
    return name.contains(QLatin1String("://"));
}

std::variant<PortAddress, QString> ParsePortName(const QString &name)
{
    PortAddress address;
    if (!IsNetworkPortName(name)) {
        address.device = name;
        return address;
    }
    QString rest;
    if (name.startsWith(kTcp, Qt::CaseInsensitive)) {
        address.kind = PortKind::RtuOverTcp;
        rest = name.mid(kTcp.size());
    } else if (name.startsWith(kModbusTcp, Qt::CaseInsensitive)) {
        address.kind = PortKind::ModbusTcp;
        rest = name.mid(kModbusTcp.size());
    } else {
        return Malformed(name);
    }

    // HOST:PORT, or [IPv6]:PORT; nothing after the port (no path, no blanks).
    QString host;
    QString portText;
    bool ipv6 = false;
    if (rest.startsWith(QLatin1Char('['))) {
        const int close = rest.indexOf(QLatin1Char(']'));
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":"))
            return Malformed(name);
        host = rest.mid(1, close - 1);
        portText = rest.mid(close + 2);
        ipv6 = true;
    } else {
        const int colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return Malformed(name);
        host = rest.left(colon);
        portText = rest.mid(colon + 1);
    }
    if (host.isEmpty() || portText.isEmpty() || portText.size() > 9)
        return Malformed(name);
    for (QChar c : host)
        if (!HostCharacterOk(c, ipv6))
            return Malformed(name);
    for (QChar c : portText)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return Malformed(name);
    const int port = portText.toInt();
    if (port < 1 || port > 65535)
        return QCoreApplication::translate("PortName", "端口名 \"%1\" 中的端口号 %2 不在 1..65535 之内")
            .arg(name, portText);
    address.host = host;
    address.port = quint16(port);
    return address;
}

} // namespace rdlink

namespace rdlink {

QString NormalisedPortName(const QString &name)
{
    const std::variant<PortAddress, QString> parsed = ParsePortName(name);
    const PortAddress *address = std::get_if<PortAddress>(&parsed);
    if (!address || !address->isNetwork())
        return name;
    PortAddress same = *address;
    const QHostAddress ip(same.host);
    same.host = ip.isNull() ? same.host.toLower() : ip.toString().toLower();
    return (same.kind == PortKind::ModbusTcp ? kModbusTcp : kTcp) + same.endpoint();
}

} // namespace rdlink
