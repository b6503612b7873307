// End to end through an Ethernet gateway: the main window with the port the
// program uses (LinePort) against rd5800-sim listening as an RTU-over-TCP or a
// Modbus TCP gateway, in real time. The same requests in the same order as over
// a cable; a refused, lost or dropped connection is told once, naming HOST:PORT,
// polling stops and Run connects again.
#include "../link/ScriptedGateway.h"
#include "../sim/SimProcess.h"
#include "link/Clock.h"
#include "link/LinePort.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/mainwnd/MeterPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {

const std::vector<std::string> kTickOrder = {"read 1 at 0x0100", "read 17 at 0x0300", "read 41 at 0x0000",
                                             "read 12 at 0x0760", "read 18 at 0x020C"};

// The simulator's meaning without the Modbus TCP transaction it adds.
std::string Request(const simtest::LogLine &line)
{
    return line.meaning.substr(0, line.meaning.find(", transaction"));
}

struct Window {
    rdlink::LinePort port;
    ScriptedPrompter prompter;
    CMeterDlg dlg{port, rdlink::SystemClock(), prompter};

    explicit Window(const std::string &url)
    {
        qputenv("RD5800_COM1", QByteArray::fromStdString(url));
        dlg.setLineSettings(9600, rdlink::Parity::None, 1);
        dlg.OnInitDialog();
        dlg.waitForLine();
        dlg.panel().slaveAddress->setText(QStringLiteral("1"));
    }
    ~Window() { qunsetenv("RD5800_COM1"); }
    void tick()
    {
        dlg.onPollTick();
        dlg.waitForLine();
    }
};

class MeterGateway : public ::testing::TestWithParam<const char *> {};

TEST_P(MeterGateway, PollsAsOverACableAndReconnectsAfterALoss)
{
    simtest::SimProcess sim({"--freeze", GetParam(), "0"});
    ASSERT_TRUE(sim.started());
    const std::string url = sim.device();
    ASSERT_EQ(url.rfind(std::string(GetParam() + 2) + "://127.0.0.1:", 0), 0u) << url;
    Window w(url);
    ASSERT_TRUE(w.port.isOpen()) << (w.prompter.messages.empty() ? "" : w.prompter.messages[0].toStdString());
    // Two ticks on the poll timer, then Stop: whole ticks only.
    int readings = 0;
    QObject::connect(&w.dlg, &CMeterDlg::readingTaken, [&readings] { ++readings; });
    w.dlg.panel().runStop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings >= 2; }, 30000));
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    EXPECT_TRUE(w.prompter.messages.empty());
    EXPECT_EQ(w.dlg.panel().successRate->text(), QStringLiteral("100.00"));
    EXPECT_FALSE(w.dlg.panel().grid[0][1]->text().isEmpty());
    const auto requests = sim.logLines("rx");
    ASSERT_GE(requests.size(), 10u);
    EXPECT_EQ(requests.size() % 5, 0u);
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(Request(requests[i]), kTickOrder[i % 5]) << i;

    // The gateway goes away while polling: a tick finds the connection gone.
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    sim.signal(SIGUSR1);
    ASSERT_TRUE(sim.waitForLines("--", 2, 3000));   // connected, vanished
    w.tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dlg.pollingActive(); }, 5000));
    w.dlg.waitForLine();
    EXPECT_FALSE(w.port.isOpen());
    ASSERT_EQ(w.prompter.messages.size(), 1u);
    const QString lost = w.prompter.messages[0];
    EXPECT_TRUE(lost.contains(QString::fromStdString(url.substr(url.find("127.0.0.1"))))) << lost.toStdString();
    EXPECT_TRUE(lost.contains(QStringLiteral("连接已断开"))) << lost.toStdString();

    // Back on the same port: Run connects again and polls.
    sim.signal(SIGUSR2);
    ASSERT_TRUE(sim.waitForLines("--", 3, 3000));
    const size_t before = sim.logLines("rx").size();
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    ASSERT_TRUE(w.port.isOpen()) << (w.prompter.messages.size() > 1 ? w.prompter.messages[1].toStdString() : "");
    w.tick();
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    EXPECT_EQ(w.prompter.messages.size(), 1u);
    const size_t sent = sim.logLines("rx").size() - before;
    EXPECT_GE(sent, 5u);
    EXPECT_EQ(sent % 5, 0u) << sent << " requests: a tick was cut";
}

// A gateway on a slow network answers 250 ms late, later than most of the
// tick's fixed waits: over a network each read waits for its reply instead, and
// nothing is lost.
TEST_P(MeterGateway, DelayedGatewayLosesNothing)
{
    simtest::SimProcess sim({"--freeze", "--reply-delay", "250", GetParam(), "0"});
    ASSERT_TRUE(sim.started());
    Window w(sim.device());
    ASSERT_TRUE(w.port.isOpen());
    int readings = 0;
    QObject::connect(&w.dlg, &CMeterDlg::readingTaken, [&readings] { ++readings; });
    w.dlg.panel().runStop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings >= 2; }, 30000));
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    EXPECT_TRUE(w.prompter.messages.empty()) << w.prompter.messages[0].toStdString();
    EXPECT_EQ(w.dlg.panel().successRate->text(), QStringLiteral("100.00"));
    EXPECT_FALSE(w.dlg.panel().grid[0][1]->text().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, MeterGateway, ::testing::Values("--tcp", "--modbus-tcp"));

TEST(MeterGatewayFailure, RefusedAtStartAndDroppedMidTick)
{
    {
        const std::string url = "tcp://127.0.0.1:" + std::to_string(gwtest::ClosedLoopbackPort());
        Window w(url);
        EXPECT_FALSE(w.port.isOpen());
        ASSERT_EQ(w.prompter.messages.size(), 1u);
        EXPECT_TRUE(w.prompter.messages[0].contains(QString::fromStdString(url)));
        EXPECT_TRUE(w.prompter.messages[0].contains(QStringLiteral("连接被拒绝"))) << w.prompter.messages[0].toStdString();
    }
    // The gateway answers the tick's first request, then drops the connection.
    gwtest::ScriptedGateway gateway(false, [](const std::vector<uint8_t> &request, int index) {
        using Piece = gwtest::ScriptedGateway::Piece;
        if (index == 0)
            return std::vector<Piece>{{gwtest::RtuReadReply(request[0], 1, 0x15)}};
        return std::vector<Piece>{{{}, 0, true}};
    });
    const std::string url = "tcp://127.0.0.1:" + std::to_string(gateway.port());
    Window w(url);
    ASSERT_TRUE(w.port.isOpen());
    w.dlg.panel().runStop->click();
    w.dlg.waitForLine();
    w.tick();
    EXPECT_FALSE(w.port.isOpen());
    EXPECT_FALSE(w.dlg.pollingActive());
    EXPECT_EQ(w.dlg.panel().runStop->text(), QStringLiteral("运行"));
    ASSERT_EQ(w.prompter.messages.size(), 1u);
    EXPECT_TRUE(w.prompter.messages[0].contains(QString::fromStdString(url.substr(6)))) << w.prompter.messages[0].toStdString();
    EXPECT_TRUE(w.prompter.messages[0].contains(QStringLiteral("连接已断开")));
    // Nothing more went out after the loss: the first request and the one that found it gone.
    EXPECT_EQ(gateway.requests(), 2);
}

} // namespace
