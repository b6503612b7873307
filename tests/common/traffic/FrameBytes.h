// Building the bytes of requests and replies for the monitor's tests.
#pragma once

#include "link/Framing.h"

#include <QByteArray>
#include <vector>

namespace traffictest {

inline QByteArray Bytes(const rdlink::Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}

// Appends the CRC (high byte first on the wire, as ComputeCrc gives it).
inline QByteArray WithCrc(QByteArray body)
{
    const uint16_t crc = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(body.constData()), uint16_t(body.size()));
    body.append(char(crc >> 8));
    body.append(char(crc & 0xFF));
    return body;
}

// A function-3 reply from `address` with `count` registers (values 0x0100 + n).
inline QByteArray ReadReply(uint8_t address, int count)
{
    QByteArray body;
    body.append(char(address));
    body.append(char(3));
    body.append(char(2 * count));
    for (int n = 0; n < count; ++n) {
        body.append(char(0x01));
        body.append(char(n));
    }
    return WithCrc(body);
}

inline QByteArray ExceptionReply(uint8_t address, uint8_t function, uint8_t code)
{
    QByteArray body;
    body.append(char(address));
    body.append(char(function | 0x80));
    body.append(char(code));
    return WithCrc(body);
}

// The simulator's corruption of a CRC.
inline QByteArray BadCrc(QByteArray frame)
{
    frame[frame.size() - 2] = char(frame[frame.size() - 2] ^ 0x5A);
    frame[frame.size() - 1] = char(frame[frame.size() - 1] ^ 0xA5);
    return frame;
}

} // namespace traffictest
