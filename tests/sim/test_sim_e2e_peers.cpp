// rd5800-sim against an independent Modbus master (mbpoll), and the simulator as
// a process: its link, the device vanishing, the program it runs, broadcasts.
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <regex>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using simtest::LogLine;
using simtest::SimProcess;

namespace {

std::string RunCommand(const std::string &command, int *status)
{
    std::string out;
    FILE *p = popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return out;
    std::array<char, 512> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        out.append(buf.data(), n);
    *status = pclose(p);
    return out;
}

// "[772]: 	4" lines of mbpoll's output: register -> unsigned value.
std::map<int, uint16_t> MbpollValues(const std::string &out)
{
    std::map<int, uint16_t> values;
    const std::regex line(R"(\[(\d+)\]:\s+(-?\d+))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
        values[std::stoi((*it)[1])] = uint16_t(std::stol((*it)[2]));
    return values;
}

std::string Mbpoll(const std::string &device, const std::string &args)
{
    return "mbpoll -m rtu -b 9600 -P none -a 1 -0 -1 -o 1 " + args + " " + device;
}

bool Exists(const std::string &path)
{
    struct stat st{};
    return lstat(path.c_str(), &st) == 0;
}

bool WaitGone(const std::string &path, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (!Exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !Exists(path);
}

} // namespace

TEST(SimMbpoll, ReadsTheBlocksAndWritesARegister)
{
    SimProcess sim({"--freeze"});
    ASSERT_TRUE(sim.started());
    struct Block {
        int first, count;
    };
    const Block blocks[] = {{0x0000, 41}, {0x0300, 17}, {0x0760, 12}};
    size_t replies = 0;
    for (const Block &b : blocks) {
        int status = -1;
        const std::string out = RunCommand(
            Mbpoll(sim.device(), "-r " + std::to_string(b.first) + " -c " + std::to_string(b.count)), &status);
        ASSERT_EQ(status, 0) << out;
        const auto values = MbpollValues(out);
        ASSERT_EQ(values.size(), size_t(b.count)) << out;
        ASSERT_TRUE(sim.waitForLines("tx", ++replies, 2000));
        const LogLine tx = sim.logLines("tx").back();
        ASSERT_EQ(tx.meaning, "reply");
        ASSERT_EQ(tx.bytes.size(), size_t(2 * b.count + 5));
        for (int k = 0; k < b.count; ++k)
            EXPECT_EQ(values.at(b.first + k), uint16_t(tx.bytes[size_t(3 + 2 * k)] << 8 | tx.bytes[size_t(4 + 2 * k)]))
                << b.first + k;
    }
    // The device information shows the defaults: address 1, 9600 baud, PT 1, CT 1.
    int status = -1;
    auto values = MbpollValues(RunCommand(Mbpoll(sim.device(), "-r 768 -c 17"), &status));
    EXPECT_EQ(values[0x300], 1);
    EXPECT_EQ(values[0x304], 3);
    EXPECT_EQ(values[0x307], 1);
    EXPECT_EQ(values[0x308], 1);

    const std::string written = RunCommand(Mbpoll(sim.device(), "-r 775") + " 100", &status);
    EXPECT_EQ(status, 0) << written;
    values = MbpollValues(RunCommand(Mbpoll(sim.device(), "-r 775 -c 2"), &status));
    EXPECT_EQ(values[0x307], 100);
    EXPECT_EQ(values[0x308], 1);
    const auto rx = sim.logLines("rx");
    ASSERT_GE(rx.size(), 6u);
    EXPECT_EQ(rx[4].meaning, "write 100 to 0x0307");
}

// The simulator as a Modbus TCP gateway against libmodbus's TCP master (mbpoll):
// the same registers, a write, and the transaction ids in the log.
TEST(SimMbpoll, ModbusTcpGatewayServesLibmodbus)
{
    SimProcess sim({"--freeze", "--modbus-tcp", "0"});
    ASSERT_TRUE(sim.started());
    const std::string url = sim.device();
    const std::string port = url.substr(url.rfind(':') + 1);
    auto mbpoll = [&](const std::string &args) {
        return "mbpoll -m tcp -p " + port + " -a 1 -0 -1 " + args + " 127.0.0.1";
    };
    int status = -1;
    auto values = MbpollValues(RunCommand(mbpoll("-r 768 -c 17"), &status));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(values.size(), 17u);
    EXPECT_EQ(values[0x304], 3);   // 9600 baud
    EXPECT_EQ(RunCommand(mbpoll("-r 775") + " 100", &status).empty(), false);
    EXPECT_EQ(status, 0);
    values = MbpollValues(RunCommand(mbpoll("-r 775 -c 1"), &status));
    EXPECT_EQ(values[0x307], 100);
    const auto rx = sim.logLines("rx");
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_EQ(rx[1].meaning.substr(0, rx[1].meaning.find(", transaction")), "write 100 to 0x0307");
    EXPECT_NE(rx[0].meaning.find(", transaction "), std::string::npos);
}

TEST(SimProcessLife, LinkIsMadeAndRemoved)
{
    char folder[] = "/tmp/rdsimlink.XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string link = std::string(folder) + "/com1";
    {
        SimProcess sim({"--link", link});
        ASSERT_TRUE(sim.started());
        char target[256] = {};
        ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
        EXPECT_EQ(sim.device(), target);
        sim.signal(SIGTERM);
        EXPECT_EQ(sim.waitExit(3000), 0);
        EXPECT_FALSE(Exists(link));
    }
    rmdir(folder);
}

TEST(SimProcessLife, DeviceVanishesOnSignalOrTimer)
{
    {
        SimProcess sim({});
        ASSERT_TRUE(sim.started());
        const int fd = open(sim.device().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        sim.signal(SIGUSR1);
        // The open end hangs up, and the device node goes away.
        pollfd p{fd, POLLIN, 0};
        ASSERT_EQ(poll(&p, 1, 3000), 1);
        EXPECT_TRUE(p.revents & (POLLHUP | POLLERR));
        close(fd);
        EXPECT_TRUE(WaitGone(sim.device(), 3000));
        ASSERT_TRUE(sim.waitForLines("--", 1, 2000));
        EXPECT_NE(sim.logLines("--")[0].meaning.find("vanished"), std::string::npos);
    }
    {
        // Unplugged and plugged back in: the link leads to a device that answers.
        char folder[] = "/tmp/rdsimlink.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        const std::string link = std::string(folder) + "/com1";
        SimProcess sim({"--link", link});
        ASSERT_TRUE(sim.started());
        sim.signal(SIGUSR1);
        EXPECT_TRUE(WaitGone(link, 3000));
        sim.signal(SIGUSR2);
        for (int waited = 0; waited < 3000 && !Exists(link); waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int status = -1;
        const auto values = MbpollValues(RunCommand(Mbpoll(link, "-r 768 -c 1"), &status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(values.count(0x300), 1u);
        sim.signal(SIGTERM);
        EXPECT_EQ(sim.waitExit(3000), 0);
        EXPECT_FALSE(Exists(link));
        rmdir(folder);
    }
    {
        SimProcess sim({"--vanish-after", "200"});
        ASSERT_TRUE(sim.started());
        EXPECT_TRUE(Exists(sim.device()));
        EXPECT_TRUE(WaitGone(sim.device(), 5000));
    }
}

TEST(SimProcessLife, RunsAProgramOnTheDeviceAndExitsWithIt)
{
    SimProcess sim({"--", "sh", "-c", "test -c \"$RD5800_COM1\" && exit 7; exit 1"});
    ASSERT_TRUE(sim.started());
    EXPECT_EQ(sim.waitExit(5000), 7);
}

TEST(SimProcessLife, BadOptionIsRefusedWithAMessage)
{
    int status = -1;
    const std::string out = RunCommand(std::string(simtest::SimProgram()) + " --baud 1234", &status);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(out.find("--baud"), std::string::npos) << out;
}

TEST(SimProcessLife, BroadcastsAndOtherSlavesGetNoAnswer)
{
    SimProcess sim({"--address", "5"});
    ASSERT_TRUE(sim.started());
    const int fd = open(sim.device().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    tcsetattr(fd, TCSANOW, &t);
    // A broadcast read of 0x0300, a read for address 1, then one for us.
    const uint8_t broadcast[] = {0x00, 0x03, 0x03, 0x00, 0x00, 0x01, 0x85, 0x9F};
    const uint8_t other[] = {0x01, 0x03, 0x03, 0x00, 0x00, 0x01, 0x84, 0x4E};
    const uint8_t ours[] = {0x05, 0x03, 0x03, 0x00, 0x00, 0x01, 0x85, 0xCA};
    for (const uint8_t *frame : {broadcast, other, ours}) {
        ASSERT_EQ(write(fd, frame, 8), 8);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(sim.waitForLines("tx", 1, 2000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    uint8_t buf[64];
    const ssize_t n = read(fd, buf, sizeof buf);
    close(fd);
    ASSERT_EQ(n, 7);
    EXPECT_EQ(buf[0], 5);
    EXPECT_EQ(buf[4], 5);
    const auto rx = sim.logLines("rx");
    ASSERT_EQ(rx.size(), 3u);
    EXPECT_NE(rx[0].meaning.find("broadcast ignored"), std::string::npos) << rx[0].meaning;
    EXPECT_NE(rx[1].meaning.find("ignored"), std::string::npos) << rx[1].meaning;
    EXPECT_EQ(rx[2].meaning, "read 1 at 0x0300");
    EXPECT_EQ(sim.logLines("tx").size(), 1u);
}
