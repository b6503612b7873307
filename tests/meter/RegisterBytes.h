// Builds the data bytes and reply frames of function-3 replies for the tests.
#pragma once

#include "link/Framing.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <ostream>
#include <map>
#include <vector>

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace rdtest {

// Registers as data bytes, high byte first.
inline std::vector<uint8_t> DataBytes(const std::vector<uint16_t> &registers)
{
    std::vector<uint8_t> bytes;
    for (uint16_t r : registers) {
        bytes.push_back(uint8_t(r >> 8));
        bytes.push_back(uint8_t(r & 0xFF));
    }
    return bytes;
}

// A complete reply: address, 3, byte count, data, CRC.
inline QByteArray ReadReply(uint8_t address, const std::vector<uint16_t> &registers)
{
    QByteArray frame;
    frame.append(char(address));
    frame.append(char(3));
    frame.append(char(2 * registers.size()));
    for (uint8_t b : DataBytes(registers))
        frame.append(char(b));
    const uint16_t crc = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(frame.constData()),
                                            uint16_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

// A register map that answers read requests addressed to it.
struct MeterRegisters {
    uint8_t address = 1;
    std::map<uint16_t, uint16_t> regs;

    // The reply to a request, or nothing when it is not a read addressed here.
    QByteArray Answer(const QByteArray &request) const
    {
        if (request.size() != 8 || uint8_t(request[0]) != address || request[1] != 3)
            return {};
        const uint16_t start = uint16_t(uint8_t(request[2]) << 8 | uint8_t(request[3]));
        const uint16_t count = uint16_t(uint8_t(request[4]) << 8 | uint8_t(request[5]));
        std::vector<uint16_t> values;
        for (uint16_t i = 0; i < count; ++i) {
            auto it = regs.find(uint16_t(start + i));
            values.push_back(it == regs.end() ? 0 : it->second);
        }
        return ReadReply(address, values);
    }
};

} // namespace rdtest
