// Reply-driven reads: the wait ends with the reply's last byte (or an exception
// frame), or at the timeout of line time plus margin. The fake clock shows when.
#include "LinkRig.h"
#include "link/Exchange.h"
#include "link/LineTime.h"

#include <gtest/gtest.h>

using namespace rdlink;
using rdtest::Chunk;
using rdtest::FakeClock;
using rdtest::FakeSerialPort;

using linktest::Framed;
using linktest::Rig;

namespace {

QByteArray ReadReply(uint8_t address, int registers)
{
    QByteArray body;
    body.append(char(address));
    body.append(char(3));
    body.append(char(2 * registers));
    for (int r = 0; r < registers; ++r) {
        body.append(char(0));
        body.append(char(r + 1));
    }
    return Framed(body);
}

QByteArray ExceptionReply(uint8_t address, uint8_t code)
{
    QByteArray body;
    body.append(char(address));
    body.append(char(0x83));
    body.append(char(code));
    return Framed(body);
}

// The bytes one at a time, as a 9600-baud line brings them, the first `firstAt` ms
// after the request.
std::vector<Chunk> Paced(const QByteArray &bytes, uint32_t firstAt)
{
    std::vector<Chunk> chunks;
    for (int i = 0; i < bytes.size(); ++i)
        chunks.push_back({bytes.mid(i, 1), firstAt + uint32_t((i * 10000 + 9599) / 9600)});
    return chunks;
}

ExchangeOptions ReplyDriven()
{
    ExchangeOptions o;
    o.endOnReply = true;
    return o;
}

} // namespace

TEST(ReplyDriven, TimeoutIsLineTimeOfRequestAndReplyPlusTheMargin)
{
    Rig rig;
    // 8 + 39 bytes at 9600,N: 49 ms on the line; 8 + 87 bytes: 99 ms.
    EXPECT_EQ(rig.link.ReplyTimeoutMs(BuildRead(1, 0x0300, 17)), 49u + kReplyMarginMs);
    EXPECT_EQ(rig.link.ReplyTimeoutMs(BuildRead(1, 0x0000, 41)), 99u + kReplyMarginMs);
    rig.port.setSettings(LineSettings{1200, Parity::Even, 8, 1});
    EXPECT_EQ(rig.link.ReplyTimeoutMs(BuildRead(1, 0x0000, 41)), 871u + kReplyMarginMs);
}

TEST(ReplyDriven, EndsWithTheLastByteOfTheReplyOrAnExceptionOrAtTheTimeout)
{
    const Frame request = BuildRead(5, 0x0000, 41);
    const QByteArray reply = ReadReply(5, 41);
    const uint32_t timeout = 99 + kReplyMarginMs;
    struct Case {
        const char *name;
        std::vector<Chunk> chunks;
        ExchangeStatus status;
        uint32_t endsAt;
        uint8_t exception;
        int frameAt;
    };
    const std::vector<Case> cases = {
        {"whole reply at once", {{reply, 100}}, ExchangeStatus::Reply, 100, 0, 0},
        {"reply in two pieces", {{reply.left(40), 50}, {reply.mid(40), 105}}, ExchangeStatus::Reply, 105, 0, 0},
        {"stray bytes, then the reply", {{QByteArray("\x11\x22", 2), 10}, {reply, 101}},
         ExchangeStatus::Reply, 101, 0, 2},
        {"exception frame", {{ExceptionReply(5, 2), 20}}, ExchangeStatus::NoValidFrame, 20, 2, -1},
        {"silence", {}, ExchangeStatus::NothingReceived, timeout, 0, -1},
        {"another meter's reply", {{ReadReply(6, 41), 100}}, ExchangeStatus::NoValidFrame, timeout, 0, -1},
        {"reply cut short", {{reply.left(60), 80}}, ExchangeStatus::NoValidFrame, timeout, 0, -1},
        {"reply after the timeout", {{reply, timeout + 10}}, ExchangeStatus::NothingReceived, timeout, 0, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.port.queueChunks(c.chunks);
        const ExchangeResult r = rig.link.Exchange(request, ReplyDriven());
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.elapsedMs, c.endsAt);
        EXPECT_EQ(rig.clock.tickMs(), c.endsAt);
        EXPECT_EQ(r.exception, c.exception);
        EXPECT_EQ(r.ok() ? int(r.frame - rig.link.rxBuffer()) : -1, c.frameAt);
        if (r.ok()) {
            EXPECT_EQ(r.reg(40), 41);
        }
    }
}

// Once a meter's answer time is known, the first look at its reply comes once
// an exception frame would be whole instead of at the first byte: a wake fewer,
// and each read ends where a link that knew nothing ends it. An exception frame
// from a meter that answers sooner than before is seen that much late, and one
// from a meter that answers later may be seen a millisecond late (rounding).
// A line that hands a reply over whole is never looked at by plan.
TEST(ReplyDriven, AKnownAnswerTimeSparesTheWakeAtTheFirstByte)
{
    const Frame request = BuildRead(5, 0x0000, 41);
    const QByteArray reply = ReadReply(5, 41);
    const QByteArray exception = ExceptionReply(5, 2);
    struct Case {
        const char *name;
        std::vector<Chunk> learn, chunks;
        int lateMs;
        int wakesSpared;
    };
    const std::vector<Case> cases = {
        {"at the same time", Paced(reply, 20), Paced(reply, 20), 0, 1},
        {"an exception frame", Paced(reply, 20), Paced(exception, 20), 0, 1},
        {"1 ms later", Paced(reply, 20), Paced(reply, 21), 0, 1},
        {"an exception frame 1 ms later", Paced(reply, 20), Paced(exception, 21), 1, 0},
        {"2 ms sooner", Paced(reply, 20), Paced(reply, 18), 0, 1},
        {"an exception frame 2 ms sooner", Paced(reply, 20), Paced(exception, 18), 2, 1},
        {"5 ms later", Paced(reply, 20), Paced(reply, 25), 0, 0},
        {"silence", Paced(reply, 20), {}, 0, -1},
        {"handed over whole", {{reply, 20}}, {{reply, 20}}, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig fresh;
        fresh.port.queueChunks(c.chunks);
        const ExchangeResult expected = fresh.link.Exchange(request, ReplyDriven());

        Rig rig;
        rig.port.queueChunks(c.learn);
        ASSERT_TRUE(rig.link.Exchange(request, ReplyDriven()).ok());
        rig.port.queueChunks(c.chunks);
        const size_t before = rig.clock.waits.size();
        const ExchangeResult r = rig.link.Exchange(request, ReplyDriven());
        EXPECT_EQ(r.status, expected.status);
        EXPECT_EQ(r.exception, expected.exception);
        EXPECT_EQ(int(r.elapsedMs) - int(expected.elapsedMs), c.lateMs);
        EXPECT_EQ(int(fresh.clock.waits.size()) - int(rig.clock.waits.size() - before), c.wakesSpared);
        if (r.ok()) {
            EXPECT_EQ(r.reg(40), 41);
        }
    }
}

TEST(ReplyDriven, ObserverSeesEveryByteAndWhenTheLastCame)
{
    Rig rig;
    std::vector<ExchangeRecord> seen;
    rig.link.setObserver([&](const ExchangeRecord &r) { seen.push_back(r); });
    const QByteArray reply = ReadReply(1, 17);
    rig.port.queueChunks({{QByteArray("\x7F", 1), 4}, {reply, 44}});
    rig.port.wire = {QByteArray("mbap-out"), QByteArray("mbap-in")};   // a gateway's own bytes
    const ExchangeResult r = rig.link.Exchange(BuildRead(1, 0x0300, 17), ReplyDriven());
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].mbapSent, QByteArray("mbap-out"));
    EXPECT_EQ(seen[0].mbapReceived, QByteArray("mbap-in"));
    EXPECT_EQ(seen[0].received, QByteArray("\x7F", 1) + reply);
    EXPECT_EQ(seen[0].replyElapsedMs, 44);
    EXPECT_EQ(seen[0].expectedLength, 39);
    EXPECT_TRUE(seen[0].replyRead);
}

TEST(ReplyDriven, PortLostEndsTheWait)
{
    Rig rig;
    rig.port.queueSilence();
    rig.port.responder = nullptr;
    rig.port.vanish();
    const ExchangeResult r = rig.link.Exchange(BuildRead(1, 0x0000, 41), ReplyDriven());
    EXPECT_EQ(r.status, ExchangeStatus::PortLost);
    EXPECT_EQ(r.elapsedMs, 0u);
}

// Over a network port every exchange ends when its reply is whole or at the
// network timeout (line time plus the port's margin), whatever its fixed wait
// and however it sleeps; a serial port keeps the fixed wait to the millisecond.
TEST(NetworkPort, EveryExchangeEndsWithItsReplyOrAtTheMargin)
{
    const Frame read = BuildRead(1, 0x0300, 17);   // 8 + 39 bytes: 49 ms at 9600,N
    const Frame write = BuildWrite(1, 0x0307, 5);   // 8 + 8 bytes: 17 ms
    const QByteArray reply = ReadReply(1, 17);
    const QByteArray echo = QByteArray(reinterpret_cast<const char *>(write.data()), 8);
    struct Case {
        const char *name;
        uint32_t margin;   // 0: a serial line
        Frame request;
        WaitKind kind;
        ReadMode read;
        QByteArray answer;
        uint32_t answerAt;
        ExchangeStatus status;
        uint32_t endsAt;
    };
    const std::vector<Case> cases = {
        {"gateway 250 ms, fixed 300 ms", 1000, read, WaitKind::Sleep, ReadMode::Frame, reply, 250, ExchangeStatus::Reply, 250},
        {"gateway 250 ms, busy 100 ms", 1000, read, WaitKind::BusyWait, ReadMode::Frame, reply, 250, ExchangeStatus::Reply, 250},
        {"gateway 1500 ms, margin 1000", 1000, read, WaitKind::Sleep, ReadMode::Frame, reply, 1500,
         ExchangeStatus::NothingReceived, 1049},
        {"margin 2000 waits for 1500 ms", 2000, read, WaitKind::Sleep, ReadMode::Frame, reply, 1500, ExchangeStatus::Reply, 1500},
        {"address probe: any byte, once whole", 1000, read, WaitKind::BusyWait, ReadMode::Bytes, reply, 400,
         ExchangeStatus::Received, 400},
        {"write, echo not read", 1000, write, WaitKind::Sleep, ReadMode::None, echo, 120, ExchangeStatus::NotRead, 120},
        {"write, echo never comes", 1000, write, WaitKind::Sleep, ReadMode::None, {}, 0, ExchangeStatus::NotRead, 1017},
        {"serial: the fixed wait, reply early", 0, read, WaitKind::Sleep, ReadMode::Frame, reply, 20, ExchangeStatus::Reply, 300},
        {"serial: the fixed wait, reply late", 0, read, WaitKind::Sleep, ReadMode::Frame, reply, 301,
         ExchangeStatus::NothingReceived, 300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.port.networkMargin = c.margin;
        if (c.answer.isEmpty())
            rig.port.queueSilence();
        else
            rig.port.queueReply(c.answer, c.answerAt);
        ExchangeOptions o;
        o.wait = c.kind;
        o.waitMs = c.kind == WaitKind::Sleep ? 300 : 100;
        o.read = c.read;
        const ExchangeResult r = rig.link.Exchange(c.request, o);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.elapsedMs, c.endsAt);
        if (r.ok()) {
            EXPECT_EQ(r.reg(16), 17);
        }
    }
}

// A gateway that says its meter kept silent (Modbus TCP 0x0A, 0x0B) ends the
// wait there, for a reply-driven read and a window's fixed wait alike: the
// outcome of a silence, without waiting out the margin.
TEST(NetworkPort, AGatewaysNoAnswerEndsTheWaitAsASilence)
{
    ExchangeOptions fixed;
    fixed.waitMs = 300;
    for (const ExchangeOptions &o : {ReplyDriven(), fixed}) {
        Rig rig;
        rig.port.networkMargin = 1000;
        rig.port.refuseAfterMs = 120;
        rig.port.queueSilence();
        const ExchangeResult r = rig.link.Exchange(BuildRead(1, 0x0300, 17), o);
        EXPECT_EQ(r.status, ExchangeStatus::NothingReceived);
        EXPECT_EQ(r.elapsedMs, 120u);
    }
}

TEST(NetworkPort, MarginOnTheCommandLine)
{
    const struct {
        const char *text;
        uint32_t ms;   // 0: refused
    } cases[] = {{"1000", 1000}, {" 250 ", 250}, {"10", 10}, {"60000", 60000}, {"9", 0},
                 {"60001", 0},   {"1e3", 0},     {"-5", 0},  {"", 0},          {"99999999999", 0}};
    for (const auto &c : cases)
        EXPECT_EQ(ParseNetworkMarginMs(QString::fromLatin1(c.text)).value_or(0), c.ms) << c.text;
}

TEST(NetworkPort, ReplyDrivenTimeoutTakesTheMarginInsteadOfTheLinesOwn)
{
    Rig rig;
    rig.port.networkMargin = 1000;
    EXPECT_EQ(rig.link.ReplyTimeoutMs(BuildRead(1, 0x0300, 17)), 49u + 1000u);
    // A caller's own timeout is never shorter than the network's.
    ExchangeOptions o = ReplyDriven();
    o.waitMs = 200;
    rig.port.queueReply(ReadReply(1, 17), 700);
    EXPECT_TRUE(rig.link.Exchange(BuildRead(1, 0x0300, 17), o).ok());
}

// A peer that sends without end: the wait ends at its deadline, and what is
// kept of the bytes stays within the receive buffer's bounds.
TEST(ReplyDriven, FloodEndsAtTheDeadlineWithBoundedBytes)
{
    for (const uint32_t margin : {0u, 1000u}) {
        SCOPED_TRACE(margin);
        Rig rig;
        rig.port.networkMargin = margin;
        std::vector<Chunk> flood;
        QByteArray garbage;
        for (int i = 0; i < 128; ++i)
            garbage.append("\x01\x03", 2);
        for (uint32_t t = 0; t < 3000; ++t)
            flood.push_back({garbage, t});   // 256 bytes every millisecond
        rig.port.queueChunks(flood);
        std::vector<ExchangeRecord> seen;
        rig.link.setObserver([&](const ExchangeRecord &r) { seen.push_back(r); });
        const Frame request = BuildRead(1, 0x0300, 17);
        const ExchangeResult r = rig.link.Exchange(request, ReplyDriven());
        EXPECT_EQ(r.status, ExchangeStatus::NoValidFrame);
        EXPECT_EQ(r.elapsedMs, rig.link.ReplyTimeoutMs(request));
        EXPECT_EQ(r.received, Link::kRxCapacity);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].received.size(), ReplyBuffer::kKeep);
    }
}

// The frame search over what came: a reply or an exception frame is found in
// whatever pieces it comes and behind whatever came before, and nothing else
// completes it; the bytes kept never grow past kKeep.
TEST(ReplyBuffer, FindsTheFrameInAnyPiecesBehindAnyBytes)
{
    const Frame request = BuildRead(5, 0x0000, 41);
    const QByteArray reply = ReadReply(5, 41);
    const QByteArray exception = ExceptionReply(5, 2);
    const QByteArray garbage = QByteArray(5000, '\x05');
    struct Case {
        const char *name;
        QByteArray bytes;
        int piece;   // bytes per add()
        bool complete;
        int frameFromEnd;   // the frame starts this many bytes before the end of what was kept
        bool isException;
    };
    const std::vector<Case> cases = {
        {"whole", reply, 1000, true, 87, false},
        {"one byte at a time", reply, 1, true, 87, false},
        {"pieces of 7 behind 5000 bytes", garbage + reply, 7, true, 87, false},
        {"in one piece behind 5000 bytes", garbage + reply, 100000, true, 87, false},
        {"exception behind a stray", QByteArray("\x42", 1) + exception, 2, true, 5, true},
        {"another meter's reply", ReadReply(6, 41), 3, false, 0, false},
        {"reply cut short", reply.left(86), 10, false, 0, false},
        {"garbage only", garbage, 13, false, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReplyBuffer got(request);
        bool done = false;
        for (int at = 0; at < c.bytes.size() && !done; at += c.piece) {
            done = got.add(c.bytes.mid(at, c.piece));
            ASSERT_LE(got.bytes().size(), ReplyBuffer::kKeep);
        }
        EXPECT_EQ(done, c.complete);
        if (!c.complete)
            continue;
        EXPECT_EQ(got.total(), c.bytes.size());
        const int at = c.isException ? got.exceptionAt() : got.frameAt();
        EXPECT_EQ(got.bytes().size() - at, c.frameFromEnd);
        EXPECT_EQ(got.bytes().mid(at), c.isException ? exception : reply);
    }
}

// How long a reader may sleep before the rest can have come: the bytes the
// reply still lacks, fewer when an exception frame may have begun.
TEST(ReplyBuffer, FewestStillToCome)
{
    const Frame request = BuildRead(5, 0x0000, 41);   // 87-byte reply
    const QByteArray reply = ReadReply(5, 41);
    const struct {
        QByteArray bytes;
        int fewest;
    } cases[] = {
        {reply.left(1), 4},                  // the address alone may begin an exception
        {reply.left(2), 85},                 // address and function 3: the reply
        {reply.left(40), 47},
        {QByteArray::fromHex("0583"), 3},   // an exception has begun
        {QByteArray(100, '\x00'), 1},        // more than a reply and nothing in it
    };
    for (const auto &c : cases) {
        ReplyBuffer got(request);
        got.add(c.bytes);
        EXPECT_EQ(got.fewestStillToCome(), c.fewest) << c.bytes.toHex().toStdString();
    }
}
