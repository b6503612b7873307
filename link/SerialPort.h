// The one interface to a serial line. Its operations are those of the serial
// control the windows host: port number, line settings, open/close, is-open,
// empty and count the waiting bytes, read every waiting byte,
// write bytes. Failures are reported by return value and errorString(), never
// by exceptions, so a window can tell the user what went wrong.
#pragma once

#include "LineSettings.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rdlink {

// What the last failure of a port was, as far as a user can act on it: the hints
// of the messages follow this, never the wording of the system's reason, which is
// translated.
enum class PortError {
    None,
    AccessRefused,   // no permission to open the device
    Busy,            // the device is held by another program (its lock, or EBUSY)
    Other,
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Port number, 1 = COM1; set before opening.
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;

    // Line settings, applied at the next open.
    virtual void setSettings(const LineSettings &settings) = 0;
    virtual LineSettings settings() const = 0;

    // Opens the port with the current number and settings. Returns false when the
    // port cannot be opened; errorString() then gives the system's reason.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Drops every byte received and not yet read.
    virtual void discardInput() = 0;
    // Bytes received and not yet read, including what the system has received
    // but not yet handed over. 0 while closed.
    virtual int bytesWaiting() = 0;
    // All waiting bytes, which are then removed (every read takes everything
    // waiting). Empty while closed.
    virtual QByteArray readAll() = 0;
    // Puts the bytes on the line before returning. Nothing happens while closed.
    virtual void write(const QByteArray &bytes) = 0;

    // Sleeps in the system until more bytes come or `ms` pass, whichever is first;
    // what came is then counted by bytesWaiting(). Returns false at once for a
    // port that cannot wait so: the caller then sleeps in short slices itself.
    virtual bool waitForReceived(uint32_t ms) { (void)ms; return false; }

    // A network port (a gateway): how long a reply may take beyond its time on
    // the serial line behind the gateway. 0 for a serial line, whose waits follow
    // the line time alone.
    virtual uint32_t networkMarginMs() const { return 0; }
    // No effect on a serial line.
    virtual void setNetworkMarginMs(uint32_t ms) { (void)ms; }
    // True once a gateway has said that no reply to the last request will come
    // (its meter kept silent): the wait can end there, with the same outcome as
    // a silence that lasts the whole margin. Always false on a serial line.
    virtual bool replyRefused() const { return false; }

    // The device the port number names (e.g. "/dev/ttyUSB0"), empty when none.
    virtual QString deviceName() const = 0;
    // The reason of the last failure (open refused, device vanished), empty if none.
    virtual QString errorString() const = 0;
    // The kind of that failure.
    virtual PortError errorKind() const { return errorString().isEmpty() ? PortError::None : PortError::Other; }

    // The bytes that really crossed the wire for the last write and everything
    // received since, for a port that translates frames (Modbus TCP); both empty
    // where the wire carries the RTU frames as they are.
    struct WireTrace {
        QByteArray sent;
        QByteArray received;
    };
    virtual WireTrace wireTrace() const { return {}; }
};

// The opening sequence every window uses on initialisation and on Run: port
// number, settings, open, empty the receive buffer.
bool OpenPort(SerialPort &port, int portNumber, const LineSettings &settings);

// Closes the port when it reports open (Stop, module settings, destruction).
void ClosePortIfOpen(SerialPort &port);

} // namespace rdlink

namespace rdlink {
// The message a user sees when a port cannot be opened: port number, device and
// the system's reason, with the dialout hint when access was refused (not when
// another program holds the device: the reason says so, and the group would not help).
QString PortOpenFailureText(int portNumber, const QString &device, const QString &reason, PortError kind);
// The message when an open port's device goes away (adapter pulled): port number,
// device and the system's reason. Callers add what happens next.
QString PortLostText(int portNumber, const QString &device, const QString &reason);
} // namespace rdlink
