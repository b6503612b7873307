// Modbus RTU framing: the CRC, the two request layouts (functions 3 and 6), the
// search for a reply frame in the received bytes and the hexadecimal trace of a
// sent frame. Plain functions on bytes; Exchange.h runs them over a port.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace rdlink {

using Frame = std::array<uint8_t, 8>;

constexpr uint8_t kReadHolding = 3;
constexpr uint8_t kWriteSingle = 6;

// CRC-16/MODBUS with the two 256-entry tables of the table-driven Modbus CRC.
// The result's high byte is the first CRC byte on the wire, its low byte the second.
uint16_t ComputeCrc(const uint8_t *bytes, uint16_t length);

// An 8-byte request: address, function, register (high, low), count or value
// (high, low), CRC. Only functions 3 and 6 are ever built.
Frame BuildRequest(uint8_t address, uint8_t function, uint16_t reg, uint16_t countOrValue);
inline Frame BuildRead(uint8_t address, uint16_t reg, uint16_t count)
{
    return BuildRequest(address, kReadHolding, reg, count);
}
inline Frame BuildWrite(uint8_t address, uint16_t reg, uint16_t value)
{
    return BuildRequest(address, kWriteSingle, reg, value);
}

// Length of the reply a request expects: 2 x count + 5 for a read, 8 for the echo
// of a write.
int ExpectedReplyLength(const Frame &request);

// Offset of the first frame in buffer[0 .. received) that starts with address and
// function and whose last two bytes are the CRC of the frameLength - 2 bytes
// before them, or -1. The byte count of a read reply is not examined.
int16_t FindReplyFrame(const uint8_t *buffer, int received, uint8_t function,
                       uint8_t address, int frameLength);

// The trace of a sent frame: "%.2X\r " for every byte.
QString TraceText(const uint8_t *bytes, int length);

// Register value of a reply: data byte k of a frame found at position is
// buffer[position + 3 + k]; register n is data bytes 2n (high) and 2n + 1 (low).
inline uint16_t ReplyRegister(const uint8_t *buffer, int position, int n)
{
    return static_cast<uint16_t>(buffer[position + 3 + 2 * n] << 8 | buffer[position + 4 + 2 * n]);
}

} // namespace rdlink
