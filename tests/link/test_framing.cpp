// Framing against the instrument's own numbers: CRC vectors, request layout,
// the reply search and the trace text.
#include "link/Framing.h"
#include "link/LineTime.h"

#include <gtest/gtest.h>
#include <vector>

using namespace rdlink;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

// A well-formed frame: the given bytes followed by their CRC.
std::vector<uint8_t> WithCrc(std::vector<uint8_t> body)
{
    const uint16_t c = ComputeCrc(body.data(), uint16_t(body.size()));
    body.push_back(uint8_t(c >> 8));
    body.push_back(uint8_t(c & 0xFF));
    return body;
}

// Bitwise CRC-16/MODBUS, independent of the table-driven one.
uint16_t BitwiseModbusCrc(const uint8_t *p, size_t n)
{
    uint16_t crc = 0xFFFF;
    for (size_t k = 0; k < n; ++k) {
        crc ^= p[k];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

} // namespace

TEST(Crc, KnownVectors)
{
    const auto req = Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(ComputeCrc(req.data(), 6), 0x840A);

    const char *digits = "123456789";
    const uint16_t c = ComputeCrc(reinterpret_cast<const uint8_t *>(digits), 9);
    // The check value 0x4B37 goes on the wire low byte first: 37 4B.
    EXPECT_EQ(c >> 8, 0x37);
    EXPECT_EQ(c & 0xFF, 0x4B);

    EXPECT_EQ(ComputeCrc(nullptr, 0), 0xFFFF);
}

TEST(Crc, MatchesBitwiseCrcWithBytesSwapped)
{
    std::vector<uint8_t> data;
    for (int n = 0; n < 300; ++n) {
        data.push_back(uint8_t(n * 37 + 11));
        const uint16_t reference = BitwiseModbusCrc(data.data(), data.size());
        const uint16_t ours = ComputeCrc(data.data(), uint16_t(data.size()));
        ASSERT_EQ(ours, uint16_t((reference & 0xFF) << 8 | reference >> 8)) << "length " << data.size();
    }
}

TEST(Request, Layouts)
{
    struct Case {
        Frame frame;
        std::vector<uint8_t> expected;
        int replyLength;
    };
    const Case cases[] = {
        {BuildRead(1, 0x0000, 1), Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}), 7},
        {BuildRead(1, 0x0000, 41), WithCrc(Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x29})), 87},
        {BuildRead(0xF7, 0x0760, 12), WithCrc(Bytes({0xF7, 0x03, 0x07, 0x60, 0x00, 0x0C})), 29},
        {BuildWrite(1, 0x0307, 64000), WithCrc(Bytes({0x01, 0x06, 0x03, 0x07, 0xFA, 0x00})), 8},
        {BuildWrite(0x80, 0x0300, 0x00FF), WithCrc(Bytes({0x80, 0x06, 0x03, 0x00, 0x00, 0xFF})), 8},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(std::vector<uint8_t>(c.frame.begin(), c.frame.end()), c.expected);
        EXPECT_EQ(ExpectedReplyLength(c.frame), c.replyLength);
    }
}

TEST(FindReplyFrame, Cases)
{
    const auto reply = WithCrc(Bytes({0x01, 0x03, 0x02, 0x12, 0x34}));            // 7 bytes
    const auto other = WithCrc(Bytes({0x01, 0x03, 0x02, 0xAB, 0xCD}));
    const auto high = WithCrc(Bytes({0xF0, 0x83, 0x02, 0x80, 0xFF}));             // bytes >= 0x80
    const auto echo = WithCrc(Bytes({0x01, 0x06, 0x03, 0x06, 0x00, 0x05}));
    auto flipped = echo;
    flipped[5] ^= 0x01;
    auto concat = [](std::vector<uint8_t> a, const std::vector<uint8_t> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };

    struct Case {
        const char *what;
        std::vector<uint8_t> buffer;
        int received;
        uint8_t function, address;
        int length;
        int expected;
    };
    const std::vector<Case> cases = {
        {"empty", {}, 0, 3, 1, 7, -1},
        {"exact length", reply, 7, 3, 1, 7, 0},
        {"one short", reply, 6, 3, 1, 7, -1},
        {"two frames: first wins", concat(reply, other), 14, 3, 1, 7, 0},
        {"stray prefix", concat(Bytes({0x01, 0x03, 0x00, 0x55}), reply), 11, 3, 1, 7, 4},
        {"stray suffix", concat(reply, Bytes({0x00, 0x01})), 9, 3, 1, 7, 0},
        {"wrong address", reply, 7, 3, 2, 7, -1},
        {"wrong function", reply, 7, 6, 1, 7, -1},
        {"wrong length", reply, 7, 3, 1, 9, -1},
        {"bytes above 0x7F", concat(Bytes({0xF0}), high), 8, 0x83, 0xF0, 7, 1},
        {"echo", echo, 8, 6, 1, 8, 0},
        {"echo with a flipped bit", flipped, 8, 6, 1, 8, -1},
        {"count smaller than the bytes present", concat(Bytes({0x00}), reply), 7, 3, 1, 7, -1},
        {"frame length below 4", reply, 7, 3, 1, 2, -1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FindReplyFrame(c.buffer.data(), c.received, c.function, c.address, c.length), c.expected)
            << c.what;
    }
}

TEST(FindReplyFrame, ExceptionReplyIsNotRecognised)
{
    const auto exception = WithCrc(Bytes({0x01, 0x83, 0x02}));
    EXPECT_EQ(FindReplyFrame(exception.data(), int(exception.size()), 3, 1, 5), -1);
    EXPECT_EQ(FindReplyFrame(exception.data(), int(exception.size()), 3, 1, 7), -1);
}

TEST(Trace, TextOfARequest)
{
    const Frame f = BuildRead(1, 0, 1);
    EXPECT_EQ(TraceText(f.data(), 8),
              QStringLiteral("01\r 03\r 00\r 00\r 00\r 01\r 84\r 0A\r "));
    EXPECT_EQ(TraceText(f.data(), 0), QString());
}

TEST(LineTime, WaitRule)
{
    struct Case {
        uint32_t fixed;
        int baud;
        bool parity;
        int reply;
        uint32_t expected;
    };
    const Case cases[] = {
        // 1200 baud: an 87-byte reply needs (8 + 87) x 10 bits = 792 ms on the line.
        {500, 1200, false, 87, 792 + kTurnaroundMs},
        {500, 1200, true, 87, 871 + kTurnaroundMs},
        {100, 1200, false, 7, 125 + kTurnaroundMs},
        {300, 1200, false, 0, 300},                 // reply not read: request only
        // 2400 baud and above: every fixed wait of the programs stands.
        {500, 2400, true, 87, 500},
        {300, 2400, true, 41, 300},
        {100, 2400, true, 7, 100},
        {100, 2400, true, 0, 100},
        {300, 2400, true, 8, 300},
        {200, 9600, false, 29, 200},
        {100, 19200, true, 8, 100},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EffectiveWaitMs(c.fixed, c.baud, c.parity, 8, c.reply), c.expected)
            << c.fixed << " ms at " << c.baud << (c.parity ? " E" : " N") << " reply " << c.reply;
}
