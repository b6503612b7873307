// Frames in and out of the simulated instrument: CRC, requests, replies,
// exceptions, framing of received bytes, pacing, faults, options and the log.
#include "sim/Crc.h"
#include "sim/FaultInjector.h"
#include "sim/LinePacing.h"
#include "sim/MbapFramer.h"
#include "sim/Options.h"
#include "sim/RequestHandler.h"
#include "sim/RxFramer.h"
#include "sim/SimLog.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace rdsim;

namespace {

std::vector<uint8_t> Req(uint8_t address, uint8_t function, uint16_t reg, uint16_t value)
{
    std::vector<uint8_t> f = {address, function, uint8_t(reg >> 8), uint8_t(reg), uint8_t(value >> 8),
                              uint8_t(value)};
    AppendCrc(f);
    return f;
}

Reply RunOn(Device &d, const std::vector<uint8_t> &frame)
{
    const rdsim::Request r = ParseRequest(frame.data(), frame.size(), d.address());
    EXPECT_TRUE(r.forUs) << r.meaning;
    return ExecuteRequest(r, d);
}

} // namespace

TEST(SimFrames, CrcMatchesTheWorkedValues)
{
    const std::vector<uint8_t> request = Req(1, 3, 0, 1);
    EXPECT_EQ(request, (std::vector<uint8_t>{1, 3, 0, 0, 0, 1, 0x84, 0x0A}));
    const char *digits = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t *>(digits), 9), 0x4B37);
    EXPECT_EQ(Crc16(nullptr, 0), 0xFFFF);
    std::vector<uint8_t> bad = request;
    bad[4] ^= 0x80;
    EXPECT_FALSE(HasValidCrc(bad.data(), bad.size()));
    EXPECT_TRUE(HasValidCrc(request.data(), request.size()));
}

TEST(SimFrames, ReadReplyCarriesTheRegistersHighByteFirst)
{
    DeviceConfig c;
    c.pt = 0x1234;
    Device d(c);
    const Reply r = RunOn(d, Req(1, 3, 0x0307, 2));
    ASSERT_EQ(r.exception, kNoException);
    ASSERT_EQ(r.bytes.size(), 9u);  // 2 x count + 5
    EXPECT_EQ(r.bytes[0], 1);
    EXPECT_EQ(r.bytes[1], 3);
    EXPECT_EQ(r.bytes[2], 4);
    EXPECT_EQ(r.bytes[3], 0x12);
    EXPECT_EQ(r.bytes[4], 0x34);
    EXPECT_EQ(r.bytes[5], 0x00);
    EXPECT_EQ(r.bytes[6], 0x01);
    EXPECT_TRUE(HasValidCrc(r.bytes.data(), r.bytes.size()));

    const Reply block = RunOn(d, Req(1, 3, 0x0000, 41));
    EXPECT_EQ(block.bytes.size(), 87u);
    EXPECT_EQ(block.bytes[2], 82);
}

TEST(SimFrames, ExceptionRepliesAndSilence)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> frame;
        bool answered;
        uint8_t exception;
        const char *meaning;
    } cases[] = {
        {"write echo", Req(1, 6, 0x0307, 100), true, 0, "write 100 to 0x0307"},
        {"unknown function", Req(1, 4, 0, 1), true, 1, "function 4"},
        {"function 16", [] {
             std::vector<uint8_t> f = {1, 16, 0x03, 0x07, 0, 1, 2, 0, 5};
             AppendCrc(f);
             return f;
         }(), true, 1, "function 16"},
        {"read outside the map", Req(1, 3, 0x0400, 1), true, 2, "read 1 at 0x0400"},
        {"write to a measured value", Req(1, 6, 0x0002, 1), true, 2, "write 1 to 0x0002"},
        {"refused value", Req(1, 6, 0x0304, 9), true, 3, "write 9 to 0x0304"},
        {"broadcast", Req(0, 6, 0x0307, 5), false, 0, "broadcast ignored"},
        {"another slave", Req(2, 3, 0, 41), false, 0, "for address 2"},
        {"bad crc", [] {
             std::vector<uint8_t> f = Req(1, 3, 0, 41);
             f[7] ^= 1;
             return f;
         }(), false, 0, "bad request crc"},
        {"too short", {1, 3, 0}, false, 0, "too short"},
    };
    for (const Case &c : cases) {
        Device d{DeviceConfig{}};
        const rdsim::Request r = ParseRequest(c.frame.data(), c.frame.size(), 1);
        EXPECT_EQ(r.forUs, c.answered) << c.name;
        EXPECT_NE(r.meaning.find(c.meaning), std::string::npos) << c.name << ": " << r.meaning;
        if (!c.answered)
            continue;
        const Reply reply = ExecuteRequest(r, d);
        EXPECT_EQ(reply.exception, c.exception) << c.name;
        if (c.exception) {
            EXPECT_EQ(reply.bytes, ExceptionFrame(1, uint8_t(c.frame[1]), c.exception)) << c.name;
            EXPECT_EQ(reply.bytes[1], c.frame[1] | 0x80) << c.name;
            EXPECT_EQ(reply.bytes.size(), 5u);
        } else {
            EXPECT_EQ(reply.bytes, c.frame) << c.name;
        }
    }
}

TEST(SimFrames, AddressChangeAnswersFromTheOldAddress)
{
    Device d{DeviceConfig{}};
    const Reply r = RunOn(d, Req(1, 6, 0x0300, 7));
    ASSERT_TRUE(r.hasLineChange);
    EXPECT_EQ(r.bytes, Req(1, 6, 0x0300, 7));
    EXPECT_EQ(d.address(), 1);
    d.applyLineChange(r.lineChange);
    const std::vector<uint8_t> probe = Req(1, 3, 0x0300, 1);
    EXPECT_FALSE(ParseRequest(probe.data(), probe.size(), d.address()).forUs);
    const Reply fromNew = RunOn(d, Req(7, 3, 0x0300, 1));
    EXPECT_EQ(fromNew.bytes[0], 7);
    EXPECT_EQ(fromNew.bytes[4], 7);
}

TEST(SimFrames, FramerCutsRequestsAndWaitsForSilence)
{
    RxFramer f;
    f.setGapNs(FrameGapNs(CharTimeNs(9600, false)));
    std::vector<uint8_t> frame;
    const std::vector<uint8_t> a = Req(1, 3, 0, 41), b = Req(1, 6, 0x0307, 3);
    std::vector<uint8_t> both = a;
    both.insert(both.end(), b.begin(), b.end());
    // Two requests in one burst, delivered in pieces: taken as soon as complete.
    f.add(both.data(), 5, 1000);
    EXPECT_FALSE(f.next(1000, &frame));
    f.add(both.data() + 5, both.size() - 5, 2000);
    ASSERT_TRUE(f.next(2000, &frame));
    EXPECT_EQ(frame, a);
    ASSERT_TRUE(f.next(2000, &frame));
    EXPECT_EQ(frame, b);
    EXPECT_FALSE(f.next(2000, &frame));
    EXPECT_EQ(f.gapDueNs(), UINT64_MAX);

    // Anything else becomes a frame only after 3.5 characters of silence.
    const uint8_t noise[] = {0x11, 0x22, 0x33};
    f.add(noise, 3, 10000000);
    EXPECT_FALSE(f.next(10000000 + FrameGapNs(CharTimeNs(9600, false)) - 1, &frame));
    EXPECT_EQ(f.gapDueNs(), 10000000 + FrameGapNs(CharTimeNs(9600, false)));
    ASSERT_TRUE(f.next(f.gapDueNs(), &frame));
    EXPECT_EQ(frame, (std::vector<uint8_t>(noise, noise + 3)));
    EXPECT_EQ(FrameGapNs(CharTimeNs(1200, true)), 7 * CharTimeNs(1200, true) / 2);
}

TEST(SimFrames, PacingSendsAtLineSpeed)
{
    EXPECT_EQ(CharTimeNs(9600, false), 1041666u);
    EXPECT_EQ(CharTimeNs(1200, true), 9166666u);
    LinePacing p;
    Burst b;
    b.startNs = 1000;
    b.charNs = 100;
    b.bytes = {1, 2, 3};
    b.lineChars = 3;
    b.meaning = "reply";
    b.hasLineChange = true;
    b.lineChange = {0x0304, 4};
    p.schedule(b);
    EXPECT_EQ(p.nextDueNs(), 1000u);
    EXPECT_TRUE(p.take(999).bytes.empty());
    LinePacing::Due d = p.take(1000);
    EXPECT_TRUE(d.started);
    EXPECT_EQ(d.meaning, "reply");
    EXPECT_TRUE(d.bytes.empty());  // the first byte is complete one character later
    EXPECT_EQ(p.nextDueNs(), 1100u);
    d = p.take(1250);
    EXPECT_FALSE(d.started);
    EXPECT_EQ(d.bytes, (std::vector<uint8_t>{1, 2}));
    EXPECT_FALSE(d.finished);
    d = p.take(1300);
    EXPECT_EQ(d.bytes, (std::vector<uint8_t>{3}));
    ASSERT_TRUE(d.finished);  // the line change applies once the last byte is out
    EXPECT_TRUE(d.hasLineChange);
    EXPECT_EQ(d.lineChange.value, 4);
    EXPECT_TRUE(p.empty());
}

TEST(SimFrames, PacingNeverOverlapsBursts)
{
    LinePacing p;
    auto burst = [](uint64_t start, size_t n, const char *meaning) {
        Burst b;
        b.startNs = start;
        b.charNs = 10;
        b.bytes.assign(n, 0xAA);
        b.lineChars = n;
        b.meaning = meaning;
        return b;
    };
    p.schedule(burst(5000, 4, "late"));   // 5000 .. 5040
    p.schedule(burst(100, 5, "first"));   // 100 .. 150
    p.schedule(burst(120, 2, "second"));  // would overlap: 150 .. 170
    p.schedule(burst(5010, 1, "after"));  // overlaps the late one: 5040 ..
    std::vector<std::pair<std::string, uint64_t>> starts;
    for (uint64_t t = 0; t < 6000; t += 5) {
        for (;;) {  // as the server does: a burst that ends may let the next start
            const LinePacing::Due d = p.take(t);
            if (d.started)
                starts.emplace_back(d.meaning, t);
            if (!d.finished)
                break;
        }
    }
    const std::vector<std::pair<std::string, uint64_t>> expected = {
        {"first", 100}, {"second", 150}, {"late", 5000}, {"after", 5040}};
    EXPECT_EQ(starts, expected);
}

TEST(SimFrames, FaultsAndNoise)
{
    FaultInjector never({}, 1);
    FaultRates all;
    all.drop = 1;
    FaultInjector always(all, 1);
    FaultRates onlyLate;
    onlyLate.late = 1;
    FaultInjector late(onlyLate, 1);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(never.decide(), Fault::None);
        EXPECT_EQ(always.decide(), Fault::Drop);
        EXPECT_EQ(late.decide(), Fault::Late);
    }
    FaultRates half;
    half.stray = 0.5;
    FaultInjector some(half, 3);
    int strays = 0;
    for (int i = 0; i < 400; ++i)
        strays += some.decide() == Fault::Stray;
    EXPECT_GT(strays, 120);
    EXPECT_LT(strays, 280);

    // Noise never contains the slave address, so it can never start a frame.
    int silent = 0;
    for (int i = 0; i < 200; ++i) {
        for (uint8_t b : some.strayBytes(1))
            EXPECT_NE(b, 1);
        const std::vector<uint8_t> g = some.garbage(1, 16);
        silent += g.empty();
        EXPECT_LE(g.size(), 16u);
        for (uint8_t b : g)
            EXPECT_NE(b, 1);
    }
    EXPECT_GT(silent, 0);
    EXPECT_LT(silent, 200);

    std::vector<uint8_t> frame = Req(1, 3, 0, 1);
    FaultInjector::CorruptCrc(frame);
    EXPECT_FALSE(HasValidCrc(frame.data(), frame.size()));
}

TEST(SimFrames, LogLinesHaveTheAgreedShape)
{
    EXPECT_EQ(FormatLogLine(1234, "rx", Req(1, 3, 0, 41), "read 41 at 0x0000"),
              "1234 rx 01 03 00 00 00 29 84 14 ; read 41 at 0x0000");
    EXPECT_EQ(FormatLogLine(7, "tx", {0x01, 0x86, 0x03, 0x02, 0x61}, "exception 3"),
              "7 tx 01 86 03 02 61 ; exception 3");
    EXPECT_EQ(FormatLogLine(9, "--", {}, "vanished (SIGUSR1)"), "9 -- ; vanished (SIGUSR1)");
}

TEST(SimOptions, CommandLine)
{
    Options o;
    std::string error;
    const char *argv[] = {"rd5800-sim", "--link", "/tmp/com1", "--address", "17", "--baud", "1200",
                          "--parity", "E", "--pt=100", "--ct", "5", "--wiring", "3", "--modules",
                          "0x51", "--turnaround", "25", "--freeze", "--drop", "0.25", "--stray",
                          "1", "--seed", "42", "--log", "-", "--", "sh", "-c", "exit 3"};
    ASSERT_TRUE(ParseOptions(int(std::size(argv)), argv, &o, &error)) << error;
    EXPECT_EQ(o.linkPath, "/tmp/com1");
    EXPECT_EQ(o.device.address, 17);
    EXPECT_EQ(o.device.baud, 1200);
    EXPECT_EQ(o.device.parity, 'E');
    EXPECT_EQ(o.device.pt, 100);
    EXPECT_EQ(o.device.ct, 5);
    EXPECT_EQ(o.device.wiring, 3);
    EXPECT_EQ(o.device.modules, 0x51);
    EXPECT_EQ(o.turnaroundMs, 25);
    EXPECT_TRUE(o.device.frozen);
    EXPECT_DOUBLE_EQ(o.faults.drop, 0.25);
    EXPECT_DOUBLE_EQ(o.faults.stray, 1.0);
    EXPECT_EQ(o.device.seed, 42u);
    EXPECT_EQ(o.logPath, "-");
    EXPECT_EQ(o.program, (std::vector<std::string>{"sh", "-c", "exit 3"}));

    Options defaults;
    const char *none[] = {"rd5800-sim"};
    ASSERT_TRUE(ParseOptions(1, none, &defaults, &error));
    EXPECT_EQ(defaults.device.address, 1);
    EXPECT_EQ(defaults.device.baud, 9600);
    EXPECT_EQ(defaults.device.parity, 'N');
    EXPECT_EQ(defaults.device.modules, 0x15);
    EXPECT_EQ(defaults.turnaroundMs, 10);
    EXPECT_EQ(defaults.tcpPort, -1);

    Options gateway;
    const char *modbusTcp[] = {"rd5800-sim", "--modbus-tcp", "5020"};
    ASSERT_TRUE(ParseOptions(3, modbusTcp, &gateway, &error)) << error;
    EXPECT_EQ(gateway.tcpPort, 5020);
    EXPECT_TRUE(gateway.modbusTcp);
    EXPECT_TRUE(defaults.addresses.empty());

    Options bus;
    const char *busArgs[] = {"rd5800-sim", "--addresses", "5,1,247"};
    ASSERT_TRUE(ParseOptions(3, busArgs, &bus, &error)) << error;
    EXPECT_EQ(bus.addresses, (std::vector<uint8_t>{5, 1, 247}));

    const std::vector<std::vector<const char *>> bad = {
        {"rd5800-sim", "--address", "0"},  {"rd5800-sim", "--address", "248"},
        {"rd5800-sim", "--baud", "9601"},  {"rd5800-sim", "--parity", "X"},
        {"rd5800-sim", "--pt", "64001"},   {"rd5800-sim", "--ct", "0"},
        {"rd5800-sim", "--wiring", "6"},   {"rd5800-sim", "--drop", "1.5"},
        {"rd5800-sim", "--late", "-0.1"},  {"rd5800-sim", "--modules", "zz"},
        {"rd5800-sim", "--bogus"},         {"rd5800-sim", "--baud"},
        {"rd5800-sim", "--"},
        {"rd5800-sim", "--tcp", "65536"}, {"rd5800-sim", "--modbus-tcp", "-1"},
        {"rd5800-sim", "--tcp", "1", "--modbus-tcp", "2"},
        {"rd5800-sim", "--tcp", "0", "--link", "/tmp/com1"},
        {"rd5800-sim", "--addresses", "1,0"},   {"rd5800-sim", "--addresses", "1,248"},
        {"rd5800-sim", "--refuse-write", "x"},  {"rd5800-sim", "--addresses", "1,,2"},
        {"rd5800-sim", "--refuse-write", "0x10000"}, {"rd5800-sim", "--refuse-write", "0x0308@0"},
        {"rd5800-sim", "--addresses", ""},      {"rd5800-sim", "--addresses", "1,x"},
    };
    for (const auto &args : bad) {
        Options x;
        EXPECT_FALSE(ParseOptions(int(args.size()), args.data(), &x, &error)) << args[1];
        EXPECT_FALSE(error.empty());
    }
}

TEST(SimFrames, MbapFramerCutsAdusAndWrapsReplies)
{
    // A read of 2 at 0x0300 for unit 1, transaction 0x0102, in pieces.
    const std::vector<uint8_t> adu = {0x01, 0x02, 0, 0, 0, 6, 1, 3, 0x03, 0x00, 0, 2};
    MbapFramer framer;
    MbapRequest request;
    framer.add(adu.data(), 5);
    EXPECT_FALSE(framer.next(&request));
    framer.add(adu.data() + 5, adu.size() - 5);
    ASSERT_TRUE(framer.next(&request));
    EXPECT_EQ(request.transaction, 0x0102);
    EXPECT_EQ(request.rtu, Req(1, 3, 0x0300, 2));
    EXPECT_FALSE(framer.next(&request));

    // Two at once; then a header no client sends throws the rest away.
    std::vector<uint8_t> two = adu;
    two.insert(two.end(), adu.begin(), adu.end());
    two[13] = 0x03;   // second transaction 0x0103
    framer.add(two.data(), two.size());
    ASSERT_TRUE(framer.next(&request));
    ASSERT_TRUE(framer.next(&request));
    EXPECT_EQ(request.transaction, 0x0103);
    std::vector<uint8_t> bad = adu;
    bad[3] = 1;   // protocol id 1
    framer.add(bad.data(), bad.size());
    EXPECT_FALSE(framer.next(&request));
    EXPECT_EQ(framer.discarded(), bad.size());
    framer.add(adu.data(), adu.size());
    EXPECT_TRUE(framer.next(&request));

    // The reply: header with the transaction, unit, PDU; the RTU CRC dropped.
    std::vector<uint8_t> reply = {1, 3, 4, 0x12, 0x34, 0x56, 0x78};
    AppendCrc(reply);
    EXPECT_EQ(WrapMbap(0x0102, reply),
              (std::vector<uint8_t>{0x01, 0x02, 0, 0, 0, 7, 1, 3, 4, 0x12, 0x34, 0x56, 0x78}));
    EXPECT_TRUE(WrapMbap(7, {1, 2, 3}).empty());
}
