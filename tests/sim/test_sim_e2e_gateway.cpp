// Gateways as a real network shows them, end to end in real time: rd5800-sim as a
// gateway that answers late (--reply-delay) or floods its client (--flood), and
// rd5800d --once and the link against it. A delay inside the network margin loses
// nothing; one past it is a timeout, said as such; a flood ends at the deadline
// with a bounded amount of memory.
#include "SimProcess.h"
#include "link/Exchange.h"
#include "link/LinePort.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include <fstream>
#if defined(__SANITIZE_ADDRESS__)
// From AddressSanitizer's runtime (GCC ships no header for it): the bytes in use.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif
#include <string>

namespace {

struct Once {
    int exitCode = -1;
    QJsonArray meters;
};

// rd5800d --once against `url` with meters a=1, b=2, ... and `extra` options.
Once RunOnce(const std::string &url, int meters, const QStringList &extra = {})
{
    QStringList args{QStringLiteral("--adapter"), QString::fromStdString(url), QStringLiteral("--once")};
    for (int m = 1; m <= meters; ++m)
        args << QStringLiteral("--meter") << QStringLiteral("m%1=%1").arg(m);
    QProcess service;
    service.start(QStringLiteral(RD_SERVICE_PROGRAM), args + extra);
    Once out;
    if (!service.waitForFinished(60000))
        return out;
    out.exitCode = service.exitCode();
    out.meters = QJsonDocument::fromJson(service.readAllStandardOutput()).object().value(QStringLiteral("meters")).toArray();
    return out;
}

// What this process holds, in KiB. AddressSanitizer keeps freed memory in
// quarantine, which the resident figure would count: there, its count of the
// bytes in use is taken instead.
long HeldKb()
{
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    std::ifstream status("/proc/self/status");
    std::string key;
    long kb = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> kb;
            return kb;
        }
        status.ignore(1 << 10, '\n');
    }
    return kb;
#endif
}

TEST(SimGateway, RepliesWithinTheMarginAreAllTakenPastItATimeout)
{
    const struct {
        const char *kind;
        const char *delay;
        QStringList options;
        int meters;
        bool answered;
    } cases[] = {
        {"--tcp", "250", {}, 2, true},
        {"--modbus-tcp", "250", {}, 2, true},
        {"--modbus-tcp", "1500", {QStringLiteral("--timeout"), QStringLiteral("1000")}, 1, false},
        {"--modbus-tcp", "1500", {QStringLiteral("--timeout"), QStringLiteral("2500")}, 1, true},
    };
    for (const auto &c : cases) {
        const std::string what = std::string(c.kind) + " delay " + c.delay + " " + c.options.join(' ').toStdString();
        simtest::SimProcess sim({"--freeze", "--addresses", "1,2", "--reply-delay", c.delay, c.kind, "0"});
        ASSERT_TRUE(sim.started()) << what;
        const Once once = RunOnce(sim.device(), c.meters, c.options);
        EXPECT_EQ(once.exitCode, c.answered ? 0 : 1) << what;
        ASSERT_EQ(once.meters.size(), c.meters) << what;
        for (const QJsonValue &value : once.meters) {
            const QJsonObject m = value.toObject();
            EXPECT_EQ(m.value(QStringLiteral("online")).toBool(), c.answered) << what;
            EXPECT_EQ(m.value(QStringLiteral("bad_replies")).toInt(), 0) << what;
            if (c.answered) {
                EXPECT_EQ(m.value(QStringLiteral("replies")).toInt(), m.value(QStringLiteral("requests")).toInt()) << what;
            } else {
                // Nothing came in time: a timeout, not a bad reply.
                EXPECT_GE(m.value(QStringLiteral("timeouts")).toInt(), 1) << what;
                EXPECT_EQ(m.value(QStringLiteral("replies")).toInt(), 0) << what;
            }
        }
    }
}

// A gateway that sends 01 03 without end: every kind of exchange ends (at its
// deadline) with a bad reply, and the program's memory stays where it was.
TEST(SimGateway, FloodEndsEachExchangeWithBoundedMemory)
{
    for (const char *kind : {"--tcp", "--modbus-tcp"}) {
        simtest::SimProcess sim({"--flood", kind, "0"});
        ASSERT_TRUE(sim.started()) << kind;
        qputenv("RD5800_COM3", QByteArray::fromStdString(sim.device()));
        rdlink::LinePort port;
        port.setNetworkMarginMs(300);
        ASSERT_TRUE(rdlink::OpenPort(port, 3, rdlink::LineSettings{})) << kind;
        rdlink::Link link(port, rdlink::SystemClock());
        const long before = HeldKb();
        rdlink::ExchangeOptions fixed;
        fixed.waitMs = 300;
        rdlink::ExchangeOptions replyDriven;
        replyDriven.endOnReply = true;
        for (int round = 0; round < 3; ++round) {
            EXPECT_EQ(link.Exchange(rdlink::BuildRead(1, 0x0300, 17), fixed).status,
                      rdlink::ExchangeStatus::NoValidFrame) << kind;
            EXPECT_EQ(link.Exchange(rdlink::BuildRead(1, 0x0000, 41), replyDriven).status,
                      rdlink::ExchangeStatus::NoValidFrame) << kind;
            EXPECT_LE(link.rxCount(), rdlink::Link::kRxCapacity);
        }
        // Unbounded, this took hundreds of megabytes in a second of flood.
        EXPECT_LT(HeldKb() - before, 16 * 1024) << kind;
        EXPECT_TRUE(port.isOpen()) << kind;
        qunsetenv("RD5800_COM3");
    }
}

} // namespace
