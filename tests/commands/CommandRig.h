// Test rig for the configuration commands: frame helpers, an instrument that
// answers on the fake port, and a Link over the fake port and clock with the
// state the program has at address 1, 9600,N,8,1.
#pragma once

#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "link/Exchange.h"
#include "meter/state/MeterState.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <set>

namespace cmdtest {

// CRC-16/MODBUS computed bit by bit, independent of the link's table version:
// the two bytes to append to a frame, low byte first.
inline QByteArray Crc(const QByteArray &bytes)
{
    uint16_t crc = 0xFFFF;
    for (char ch : bytes) {
        crc ^= static_cast<uint8_t>(ch);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    QByteArray out;
    out.append(static_cast<char>(crc & 0xFF));
    out.append(static_cast<char>(crc >> 8));
    return out;
}

// A whole frame from its bytes before the CRC, given as hex ("01 06 03 07 FA 00").
inline QByteArray Frame(const char *hexWithoutCrc)
{
    const QByteArray body = QByteArray::fromHex(QByteArray(hexWithoutCrc).replace(' ', ""));
    return body + Crc(body);
}

inline QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// Whole frames, in hex, from their bytes before the CRC.
inline QStringList Frames(std::initializer_list<const char *> hexWithoutCrc)
{
    QStringList out;
    for (const char *f : hexWithoutCrc)
        out << Hex(Frame(f));
    return out;
}

// Frames written from index `from` on, in hex, in order.
inline QStringList Sent(const rdtest::FakeSerialPort &port, size_t from = 0)
{
    QStringList out;
    for (size_t i = from; i < port.written.size(); ++i)
        out << Hex(port.written[i]);
    return out;
}

// Every wait on the clock, in order: "busy 300", "sleep 100".
inline QStringList Waits(const rdtest::FakeClock &clock)
{
    QStringList out;
    for (const rdtest::RecordedWait &w : clock.waits)
        out << QStringLiteral("%1 %2").arg(w.busy ? "busy" : "sleep").arg(w.ms);
    return out;
}

// A Modbus slave on the fake line: echoes writes, answers reads from its
// registers, keeps silent towards other addresses. A new slave address takes
// effect after its echo, as on the instrument.
struct FakeInstrument {
    bool connected = true;
    uint8_t address = 1;
    std::map<uint16_t, uint16_t> registers;
    std::set<uint16_t> refusedWrites;   // writes to these registers get no echo
    uint32_t replyDelayMs = 20;

    std::vector<rdtest::Chunk> answer(const QByteArray &request)
    {
        if (!connected || request.size() != 8 || static_cast<uint8_t>(request[0]) != address)
            return {};
        const uint8_t function = static_cast<uint8_t>(request[1]);
        const uint16_t reg = static_cast<uint16_t>(static_cast<uint8_t>(request[2]) << 8 | static_cast<uint8_t>(request[3]));
        const uint16_t value = static_cast<uint16_t>(static_cast<uint8_t>(request[4]) << 8 | static_cast<uint8_t>(request[5]));
        if (function == 6) {
            if (refusedWrites.count(reg))
                return {};
            registers[reg] = value;
            if (reg == 0x0300)
                address = static_cast<uint8_t>(value);
            return {{request, replyDelayMs}};
        }
        if (function == 3) {
            QByteArray reply;
            reply.append(static_cast<char>(request[0]));
            reply.append(static_cast<char>(3));
            reply.append(static_cast<char>(2 * value));
            for (uint16_t i = 0; i < value; ++i) {
                const uint16_t r = registers[static_cast<uint16_t>(reg + i)];
                reply.append(static_cast<char>(r >> 8));
                reply.append(static_cast<char>(r & 0xFF));
            }
            return {{reply + Crc(reply), replyDelayMs}};
        }
        return {};
    }
};

// The line work's bench: the instrument at 1 on an open fake port, a Link over
// it and the program's state. Each request also records the port settings in
// force when it went out.
struct Rig {
    Rig()
    {
        port.responder = [this](const QByteArray &request) {
            settingsAtWrite << rdlink::SettingsText(port.settings());
            return instrument.answer(request);
        };
        state.slaveAddress = 1;
        rdlink::OpenPort(port, state.commPort, state.lineSettings());
    }

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    FakeInstrument instrument;
    rdlink::Link link{port, clock};
    MeterState state;
    QStringList settingsAtWrite;
};

} // namespace cmdtest
