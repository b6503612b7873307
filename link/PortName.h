// What a port name says: a serial device ("/dev/ttyUSB0", "COM3"), RTU frames over
// TCP to a transparent gateway ("tcp://HOST:PORT") or Modbus TCP to a protocol
// gateway ("modbus-tcp://HOST:PORT"). Parsed here only, so that every window and
// the port factory read a name the same way. No sockets, no name lookup.
#pragma once

#include <QString>
#include <variant>

namespace rdlink {

enum class PortKind { Serial, RtuOverTcp, ModbusTcp };

struct PortAddress {
    PortKind kind = PortKind::Serial;
    QString device;       // Serial: the device as named
    QString host;         // TCP kinds: host name or address (IPv6 without brackets)
    quint16 port = 0;     // TCP kinds: 1..65535

    bool isNetwork() const { return kind != PortKind::Serial; }
    // "HOST:PORT" ("[::1]:502" for IPv6); empty for a serial device.
    QString endpoint() const;
};

// A name with "://" must be one of the two URLs with a host and a port in
// 1..65535; anything else is a serial device. The error is a sentence for the user.
std::variant<PortAddress, QString> ParsePortName(const QString &name);

// The name in one spelling, so that two spellings of one adapter compare equal:
// a URL's scheme and host in lower case (an IP address in its usual form), a
// serial device as named. A malformed URL comes back as it is.
QString NormalisedPortName(const QString &name);

// True for names that begin like one of the URLs (whether or not they are well
// formed): such a name never opens a serial device.
bool IsNetworkPortName(const QString &name);

} // namespace rdlink
