#include "Framing.h"

namespace rdlink {
namespace {

// t(i): i run through eight rounds of shift right, XOR 0xA001 when a 1 fell out.
constexpr uint16_t TableEntry(unsigned i)
{
    uint16_t t = static_cast<uint16_t>(i);
    for (int round = 0; round < 8; ++round)
        t = (t & 1u) ? static_cast<uint16_t>((t >> 1) ^ 0xA001u) : static_cast<uint16_t>(t >> 1);
    return t;
}

struct CrcTables {
    uint8_t high[256];   // low byte of t(i)
    uint8_t low[256];    // high byte of t(i)
};

constexpr CrcTables MakeTables()
{
    CrcTables tables{};
    for (unsigned i = 0; i < 256; ++i) {
        const uint16_t t = TableEntry(i);
        tables.high[i] = static_cast<uint8_t>(t & 0xFF);
        tables.low[i] = static_cast<uint8_t>(t >> 8);
    }
    return tables;
}

constexpr CrcTables kTables = MakeTables();
static_assert(kTables.high[1] == 0xC1 && kTables.high[2] == 0x81 && kTables.high[3] == 0x40,
              "tableHigh begins 00 C1 81 40");
static_assert(kTables.low[1] == 0xC0 && kTables.low[2] == 0xC1 && kTables.low[3] == 0x01,
              "tableLow begins 00 C0 C1 01");

} // namespace

uint16_t ComputeCrc(const uint8_t *bytes, uint16_t length)
{
    uint8_t hi = 0xFF;
    uint8_t lo = 0xFF;
    for (uint16_t k = 0; k < length; ++k) {
        const uint8_t index = hi ^ bytes[k];
        hi = lo ^ kTables.high[index];
        lo = kTables.low[index];
    }
    return static_cast<uint16_t>(hi << 8 | lo);
}

Frame BuildRequest(uint8_t address, uint8_t function, uint16_t reg, uint16_t countOrValue)
{
    Frame f{};
    f[0] = address;
    f[1] = function;
    f[2] = static_cast<uint8_t>(reg >> 8);
    f[3] = static_cast<uint8_t>(reg & 0xFF);
    f[4] = static_cast<uint8_t>(countOrValue >> 8);
    f[5] = static_cast<uint8_t>(countOrValue & 0xFF);
    const uint16_t crc = ComputeCrc(f.data(), 6);
    f[6] = static_cast<uint8_t>(crc >> 8);
    f[7] = static_cast<uint8_t>(crc & 0xFF);
    return f;
}

int ExpectedReplyLength(const Frame &request)
{
    if (request[1] == kReadHolding)
        return 2 * request[5] + 5;
    return 8;
}

int16_t FindReplyFrame(const uint8_t *buffer, int received, uint8_t function, uint8_t address,
                       int frameLength)
{
    // A frame needs at least address, function and CRC; anything shorter cannot
    // be checked and is never found.
    if (buffer == nullptr || frameLength < 4 || received < frameLength)
        return -1;
    for (int i = 0; i <= received - frameLength; ++i) {
        if (buffer[i] != address || buffer[i + 1] != function)
            continue;
        const uint16_t c = ComputeCrc(buffer + i, static_cast<uint16_t>(frameLength - 2));
        if (buffer[i + frameLength - 2] == (c >> 8) && buffer[i + frameLength - 1] == (c & 0xFF))
            return static_cast<int16_t>(i);
    }
    return -1;
}

QString TraceText(const uint8_t *bytes, int length)
{
    static const char kHex[] = "0123456789ABCDEF";
    QString text;
    text.reserve(length * 4);
    for (int k = 0; k < length; ++k) {
        text += QLatin1Char(kHex[bytes[k] >> 4]);
        text += QLatin1Char(kHex[bytes[k] & 0xF]);
        text += QLatin1String("\r ");
    }
    return text;
}

} // namespace rdlink
