// The request/reply sequence with a scripted port and a clock that never waits.
#include "LinkRig.h"
#include "link/Exchange.h"

#include <gtest/gtest.h>

using namespace rdlink;
using rdtest::FakeClock;
using rdtest::FakeSerialPort;

using linktest::Framed;
using linktest::Rig;

namespace {

QByteArray ReadReply(uint8_t address, std::initializer_list<uint16_t> registers)
{
    QByteArray body;
    body.append(char(address));
    body.append(char(3));
    body.append(char(2 * registers.size()));
    for (uint16_t r : registers) {
        body.append(char(r >> 8));
        body.append(char(r & 0xFF));
    }
    return Framed(body);
}

QByteArray Bytes(const Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}

// Offset of the reply frame in the receive buffer, or -1.
int Pos(const ExchangeResult &r, const Link &link)
{
    return r.ok() ? int(r.frame - link.rxBuffer()) : -1;
}

ExchangeOptions Opts(bool discard, WaitKind wait, uint32_t ms, ReadMode read = ReadMode::Frame)
{
    ExchangeOptions o;
    o.discardFirst = discard;
    o.wait = wait;
    o.waitMs = ms;
    o.read = read;
    return o;
}

} // namespace

TEST(Exchange, ReadFindsReplyAndRecordsWait)
{
    Rig rig;
    rig.port.queueReply(ReadReply(1, {0x1234}), 40);
    const Frame req = BuildRead(1, 0x0100, 1);
    const int pos = Pos(rig.link.Exchange(req, Opts(false, WaitKind::Sleep, 100)), rig.link);
    ASSERT_EQ(pos, 0);
    EXPECT_EQ(ReplyRegister(rig.link.rxBuffer(), pos, 0), 0x1234);
    ASSERT_EQ(rig.port.written.size(), 1u);
    EXPECT_EQ(rig.port.written[0], Bytes(req));
    ASSERT_EQ(rig.clock.waits.size(), 1u);
    EXPECT_FALSE(rig.clock.waits[0].busy);
    EXPECT_EQ(rig.clock.waits[0].ms, 100u);
    EXPECT_EQ(rig.link.sentTrace(), TraceText(req.data(), 8));
}

TEST(Exchange, DiscardFirstDropsStaleBytesOnlyWhenAsked)
{
    for (bool discard : {false, true}) {
        Rig rig;
        // A stale copy of a valid reply is waiting before the request goes out.
        rig.port.inject(ReadReply(1, {0x0001}));
        rig.port.queueReply(ReadReply(1, {0x0002}), 10);
        const int pos = Pos(rig.link.Exchange(BuildRead(1, 0x0100, 1), Opts(discard, WaitKind::BusyWait, 300)), rig.link);
        ASSERT_GE(pos, 0);
        EXPECT_EQ(ReplyRegister(rig.link.rxBuffer(), pos, 0), discard ? 0x0002 : 0x0001) << discard;
        EXPECT_TRUE(rig.clock.waits.at(0).busy);
    }
}

TEST(Exchange, LateBytesAreReadByTheNextExchangeWhichSkipsThem)
{
    Rig rig;
    // The first reply arrives after the wait, the second in time.
    rig.port.queueReply(ReadReply(1, {0xAAAA}), 150);
    rig.port.queueReply(ReadReply(1, {0x5555, 0x6666}), 50);
    EXPECT_EQ(Pos(rig.link.Exchange(BuildRead(1, 0x0100, 1), Opts(false, WaitKind::Sleep, 100)), rig.link), -1);
    const int pos = Pos(rig.link.Exchange(BuildRead(1, 0x0300, 2), Opts(false, WaitKind::Sleep, 300)), rig.link);
    EXPECT_EQ(pos, 7);   // behind the late 7-byte reply
    EXPECT_EQ(ReplyRegister(rig.link.rxBuffer(), pos, 1), 0x6666);
}

TEST(Exchange, KeepsTheFirst200Bytes)
{
    Rig rig;
    QByteArray flood(230, char(0x55));
    const QByteArray reply = ReadReply(1, {0x0102});
    flood.replace(190, reply.size(), reply);   // frame ends at 197: inside the buffer
    rig.port.queueReply(flood);
    EXPECT_EQ(Pos(rig.link.Exchange(BuildRead(1, 0x0100, 1), Opts(false, WaitKind::Sleep, 100)), rig.link), 190);
    EXPECT_EQ(rig.link.rxCount(), 200);

    QByteArray beyond(230, char(0x55));
    beyond.replace(196, reply.size(), reply);  // frame crosses byte 200: not kept
    rig.port.queueReply(beyond);
    EXPECT_EQ(Pos(rig.link.Exchange(BuildRead(1, 0x0100, 1), Opts(false, WaitKind::Sleep, 100)), rig.link), -1);
    EXPECT_EQ(rig.link.rxCount(), 200);
}

TEST(Exchange, ClosedPortSendsNothingButStillTracesAndWaits)
{
    Rig rig;
    rig.port.close();
    const Frame req = BuildWrite(1, 0x0306, 5);
    EXPECT_EQ(Pos(rig.link.Exchange(req, Opts(true, WaitKind::BusyWait, 300)), rig.link), -1);
    EXPECT_TRUE(rig.port.written.empty());
    EXPECT_EQ(rig.link.sentTrace(), TraceText(req.data(), 8));
    EXPECT_EQ(rig.clock.waits.size(), 1u);
    EXPECT_EQ(rig.link.rxCount(), 0);
}

TEST(Exchange, SaysWhatHappened)
{
    Rig rig;
    const Frame req = BuildWrite(7, 0x0307, 100);
    struct Case {
        const char *name;
        QByteArray answer;
        ReadMode read;
        ExchangeStatus status;
        int received;
    } cases[] = {
        {"echo", Bytes(req), ReadMode::Frame, ExchangeStatus::Reply, 8},
        {"exception reply", Framed(QByteArray::fromHex("078602")), ReadMode::Frame, ExchangeStatus::NoValidFrame, 5},
        {"silence", {}, ReadMode::Frame, ExchangeStatus::NothingReceived, 0},
        {"bytes only: any byte answers", QByteArray::fromHex("00"), ReadMode::Bytes, ExchangeStatus::Received, 1},
        {"bytes only, silence", {}, ReadMode::Bytes, ExchangeStatus::NothingReceived, 0},
        {"not read: left waiting", Bytes(req), ReadMode::None, ExchangeStatus::NotRead, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        rig.port.discardInput();
        rig.port.queueReply(c.answer, 20);
        const ExchangeResult r = rig.link.Exchange(req, Opts(true, WaitKind::BusyWait, 300, c.read));
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.received, c.received);
        EXPECT_EQ(r.ok(), c.status == ExchangeStatus::Reply);
    }
    EXPECT_EQ(rig.port.bytesWaiting(), 8);   // the echo nobody read
    rig.port.vanish();
    EXPECT_EQ(rig.link.Exchange(req, Opts(true, WaitKind::BusyWait, 300)).status, ExchangeStatus::PortLost);
}

TEST(Exchange, WaitFollowsTheLineAtLowBaudRates)
{
    Rig rig;
    rig.port.close();
    OpenPort(rig.port, 1, {1200, Parity::Even});
    rig.link.Exchange(BuildRead(1, 0x0000, 41), Opts(false, WaitKind::Sleep, 500));
    rig.link.Exchange(BuildWrite(1, 0x0306, 5), Opts(true, WaitKind::Sleep, 100, ReadMode::None));
    ASSERT_EQ(rig.clock.waits.size(), 2u);
    EXPECT_EQ(rig.clock.waits[0].ms, 871u + 30u);
    EXPECT_EQ(rig.clock.waits[1].ms, 74u + 30u);
}

TEST(Exchange, VanishedDeviceReadsEmptyAndKeepsTheReason)
{
    Rig rig;
    rig.port.queueReply(ReadReply(1, {1}), 200);
    rig.port.vanish(QStringLiteral("Input/output error"));
    EXPECT_EQ(Pos(rig.link.Exchange(BuildRead(1, 0x0100, 1), Opts(false, WaitKind::Sleep, 300)), rig.link), -1);
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rig.port.errorString(), QStringLiteral("Input/output error"));
}

TEST(Exchange, ObserverSeesRequestEveryByteAndWhenTheLastArrived)
{
    Rig rig;
    std::vector<ExchangeRecord> seen;
    rig.link.setObserver([&](const ExchangeRecord &r) { seen.push_back(r); });
    const QByteArray stray = QByteArray::fromHex("FFFE");
    rig.port.queueChunks({{stray, 5}, {ReadReply(1, {0x1234}), 37}});
    ExchangeOptions options;
    options.waitMs = 100;
    const Frame req = BuildRead(1, 0x0000, 1);
    EXPECT_TRUE(rig.link.Exchange(req, options).ok());
    rig.port.queueReply(Bytes(BuildWrite(1, 0x0307, 5)), 10);
    options.read = ReadMode::None;
    rig.link.Exchange(BuildWrite(1, 0x0307, 5), options);
    rig.port.queueSilence();
    options.read = ReadMode::Frame;
    rig.link.Exchange(req, options);

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].request, Bytes(req));
    EXPECT_EQ(seen[0].received, stray + ReadReply(1, {0x1234}));
    EXPECT_EQ(seen[0].expectedLength, 7);
    EXPECT_EQ(seen[0].replyElapsedMs, 37);   // the port wakes the wait when the reply comes
    EXPECT_FALSE(seen[1].replyRead);
    EXPECT_TRUE(seen[1].received.isEmpty());
    // The unread echo was waiting before the third request: it is what that read
    // takes, and since nothing new arrived during the wait no time is given.
    EXPECT_EQ(seen[2].received, Bytes(BuildWrite(1, 0x0307, 5)));
    EXPECT_EQ(seen[2].replyElapsedMs, -1);
    // The pieces of each wait add up to the request's wait.
    uint32_t total = 0;
    for (const auto &w : rig.clock.waits)
        total += w.ms;
    EXPECT_EQ(total, 300u);
}
