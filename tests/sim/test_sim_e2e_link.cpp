// Our link (QSerialPort adapter and Exchange) against rd5800-sim over a
// pseudo-terminal, in real time: every read of the programs at every line speed,
// the fault kinds, and changes of the line settings.
#include "SimProcess.h"

#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>

#include <QString>
#include <chrono>
#include <thread>

using namespace rdlink;
using simtest::LogLine;
using simtest::SimProcess;

namespace {

struct ReadCase {
    uint16_t reg;
    uint16_t count;
    uint32_t waitMs;  // the fixed wait the programs use for it
};

// The five reads of a poll tick, then the reads of the module program.
std::vector<ReadCase> RequestSet(int harmonicItem)
{
    return {
        {0x0100, 1, 100},
        {0x0300, 17, 300},
        {0x0000, 41, 500},
        {0x0760, 12, 300},
        {uint16_t(0x020C + 18 * harmonicItem), 18, 300},
        {0x0307, 2, 200},
        {0x0311, 12, 200},
        {0x0337, 6, 200},
        {0x0335, 2, 200},
    };
}

class Port {
public:
    Port(const std::string &device, const LineSettings &settings) : m_link(m_port, SystemClock())
    {
        qputenv("RD5800_COM1", QByteArray::fromStdString(device));
        m_opened = OpenPort(m_port, 1, settings);
    }
    bool opened() const { return m_opened; }
    bool reopen(const LineSettings &settings)
    {
        m_port.close();
        return m_opened = OpenPort(m_port, 1, settings);
    }
    int exchange(const Frame &request, uint32_t waitMs, bool discardFirst = false)
    {
        ExchangeOptions o;
        o.discardFirst = discardFirst;
        o.wait = WaitKind::Sleep;
        o.waitMs = waitMs;
        const ExchangeResult r = m_link.Exchange(request, o);
        return r.ok() ? int(r.frame - m_link.rxBuffer()) : -1;
    }
    std::vector<uint8_t> frameAt(int pos, int length) const
    {
        return std::vector<uint8_t>(m_link.rxBuffer() + pos, m_link.rxBuffer() + pos + length);
    }
    SerialPort &port() { return m_port; }

private:
    QtSerialPort m_port;
    Link m_link;
    bool m_opened = false;
};

LineSettings Settings(int baud, char parity)
{
    return {baud, parity == 'E' ? Parity::Even : parity == 'O' ? Parity::Odd : Parity::None};
}

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

class SimOverLink : public ::testing::TestWithParam<std::tuple<int, char>> {};

TEST_P(SimOverLink, EveryReadOfTheProgramsIsFound)
{
    const int baud = std::get<0>(GetParam());
    const char parity = std::get<1>(GetParam());
    // PT 255 puts 0xFF bytes into replies: a line discipline that escapes them
    // (parity marking) would break the frames.
    SimProcess sim({"--freeze", "--pt", "255", "--baud", std::to_string(baud), "--parity", std::string(1, parity)});
    ASSERT_TRUE(sim.started());
    Port port(sim.device(), Settings(baud, parity));
    ASSERT_TRUE(port.opened()) << port.port().errorString().toStdString();

    const auto requests = RequestSet(baud % 6);
    for (size_t i = 0; i < requests.size(); ++i) {
        const ReadCase &c = requests[i];
        const int pos = port.exchange(BuildRead(1, c.reg, c.count), c.waitMs);
        ASSERT_GE(pos, 0) << "read " << c.count << " at " << std::hex << c.reg << std::dec << " at " << baud
                          << ' ' << parity;
        // What we found is exactly what the simulator put on the line.
        ASSERT_TRUE(sim.waitForLines("tx", i + 1, 2000));
        const LogLine tx = sim.logLines("tx")[i];
        EXPECT_EQ(tx.meaning, "reply");
        EXPECT_EQ(port.frameAt(pos, 2 * c.count + 5), tx.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, SimOverLink,
                         ::testing::Combine(::testing::Values(1200, 2400, 9600, 19200),
                                            ::testing::Values('N', 'E')),
                         [](const auto &info) {
                             return std::to_string(std::get<0>(info.param)) + std::string(1, std::get<1>(info.param));
                         });

TEST(SimLine, RepliesTakeTheirLineTime)
{
    // 87 bytes at 1200 baud take about 725 ms after the request's own 67 ms: a
    // third of that time after sending, the reply cannot be complete.
    SimProcess sim({"--freeze", "--baud", "1200"});
    ASSERT_TRUE(sim.started());
    Port port(sim.device(), Settings(1200, 'N'));
    ASSERT_TRUE(port.opened());
    const Frame request = BuildRead(1, 0x0000, 41);
    port.port().write(QByteArray(reinterpret_cast<const char *>(request.data()), int(request.size())));
    SleepMs(300);
    EXPECT_LT(port.port().bytesWaiting(), 87);
    SleepMs(900);
    EXPECT_EQ(port.port().bytesWaiting(), 87);
}

struct FaultCase {
    const char *option;
    const char *meaning;  // the log's meaning of a reply hit by this fault
    bool foundAfterStray; // the frame is still found, behind stray bytes
};

class SimFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimFaults, FaultGivesNoValidFrameAndServingGoesOn)
{
    const FaultCase fc = GetParam();
    SimProcess sim({"--freeze", fc.option, "0.5", "--seed", "3", "--late-ms", "400"});
    ASSERT_TRUE(sim.started());
    Port port(sim.device(), Settings(9600, 'N'));
    ASSERT_TRUE(port.opened());
    int faulty = 0, clean = 0;
    for (size_t i = 0; i < 10; ++i) {
        // Drop what is left of a late reply. The count pulls in what the system has
        // received; a plain readAll() of the adapter (the exchange's discard) only
        // drops what the adapter has already taken in.
        port.port().bytesWaiting();
        port.port().readAll();
        const int pos = port.exchange(BuildRead(1, 0x0300, 17), 300, true);
        // A late reply starts after the wait; let it go on the line and pass.
        ASSERT_TRUE(sim.waitForLines("tx", i + 1, 3000));
        const LogLine tx = sim.logLines("tx")[i];
        if (tx.meaning == "reply") {
            ++clean;
            EXPECT_EQ(pos, 0) << i;
        } else {
            ++faulty;
            EXPECT_EQ(tx.meaning, fc.meaning) << i;
            if (fc.foundAfterStray) {
                EXPECT_GT(pos, 0) << i;
                EXPECT_EQ(port.frameAt(pos, 39), std::vector<uint8_t>(tx.bytes.end() - 39, tx.bytes.end()));
            } else {
                EXPECT_EQ(pos, -1) << i;
            }
            if (tx.meaning == std::string("late"))
                SleepMs(80);
        }
    }
    EXPECT_GT(faulty, 0);
    EXPECT_GT(clean, 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SimFaults,
                         ::testing::Values(FaultCase{"--drop", "dropped", false},
                                           FaultCase{"--bad-crc", "bad-crc", false},
                                           FaultCase{"--stray", "stray", true},
                                           FaultCase{"--late", "late", false},
                                           FaultCase{"--exception", "exception 4", false}),
                         [](const auto &info) {
                             std::string n = info.param.option + 2;
                             n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                             return n;
                         });

TEST(SimSettings, BaudRateChangeTakesEffectAfterTheEcho)
{
    SimProcess sim({"--freeze"});
    ASSERT_TRUE(sim.started());
    Port port(sim.device(), Settings(9600, 'N'));
    ASSERT_TRUE(port.opened());
    // The echo comes back at the old rate.
    EXPECT_EQ(port.exchange(BuildWrite(1, 0x0304, 4), 300, true), 0);
    // The old settings get no clean answer any more.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(port.exchange(BuildRead(1, 0x0304, 1), 300, true), -1) << i;
    ASSERT_TRUE(port.reopen(Settings(19200, 'N')));
    const int pos = port.exchange(BuildRead(1, 0x0304, 1), 300, true);
    ASSERT_GE(pos, 0);
    EXPECT_EQ(port.frameAt(pos, 7)[4], 4);
    const auto rx = sim.logLines("rx");
    ASSERT_GE(rx.size(), 5u);
    EXPECT_NE(rx[1].meaning.find("not understood"), std::string::npos) << rx[1].meaning;
}

TEST(SimSettings, AddressAndParityChanges)
{
    SimProcess sim({"--freeze"});
    ASSERT_TRUE(sim.started());
    Port port(sim.device(), Settings(9600, 'N'));
    ASSERT_TRUE(port.opened());
    // The echo comes from the old address; afterwards only the new one answers.
    EXPECT_EQ(port.exchange(BuildWrite(1, 0x0300, 7), 300, true), 0);
    EXPECT_EQ(port.exchange(BuildRead(1, 0x0300, 1), 300, true), -1);
    EXPECT_GE(port.exchange(BuildRead(7, 0x0300, 1), 300, true), 0);
    // A refused value is an exception, which the programs never take for a reply.
    EXPECT_EQ(port.exchange(BuildWrite(7, 0x0307, 0), 300, true), -1);
    // Even parity: the instrument paces with 11 bits a byte from now on.
    EXPECT_EQ(port.exchange(BuildWrite(7, 0x0303, 1), 300, true), 0);
    ASSERT_TRUE(port.reopen(Settings(9600, 'E')));
    const int pos = port.exchange(BuildRead(7, 0x0303, 1), 300, true);
    ASSERT_GE(pos, 0);
    EXPECT_EQ(port.frameAt(pos, 7)[4], 1);
    const auto tx = sim.logLines("tx");
    ASSERT_EQ(tx.size(), 5u);
    EXPECT_EQ(tx[2].meaning, "exception 3");
}
