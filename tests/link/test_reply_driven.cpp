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
        {"reply in two pieces", {{reply.left(40), 50}, {reply.mid(40), 105}}, ExchangeStatus::Reply, 106, 0, 0},
        {"stray bytes, then the reply", {{QByteArray("\x11\x22", 2), 10}, {reply, 101}},
         ExchangeStatus::Reply, 102, 0, 2},
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
        for (const auto &w : rig.clock.waits)
            EXPECT_LE(w.ms, 2u);   // only short slices: nothing waits past the reply
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
