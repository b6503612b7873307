// What the link's unit tests share: a frame with its CRC appended, and a link on
// the scripted port and the fake clock, opened at the default line settings.
#pragma once

#include "FakeSerialPort.h"
#include "link/Exchange.h"
#include "link/Framing.h"

#include <QByteArray>

namespace linktest {

inline QByteArray Framed(QByteArray body)
{
    const uint16_t c = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(body.constData()), uint16_t(body.size()));
    body.append(char(c >> 8));
    body.append(char(c & 0xFF));
    return body;
}

struct Rig {
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    rdlink::Link link{port, clock};
    Rig() { rdlink::OpenPort(port, 1, rdlink::LineSettings{}); }
};

} // namespace linktest
