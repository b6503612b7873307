// nolvex's windows through an Ethernet gateway: the port the program uses
// (LinePort) against rd5800-sim listening as an RTU-over-TCP or a Modbus TCP
// gateway. Settings written in one window read back in the next, over either
// kind and through a gateway that answers 250 ms late; the simulator's log shows
// the writes. Real time.
#include "../sim/SimProcess.h"
#include "Controls.h"
#include "link/Exchange.h"
#include "link/LinePort.h"
#include "link/LinkWorker.h"
#include "ScriptedPrompter.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace rdtest;
using rdmod::CPulseSetDlg;

namespace {

class ModulesGateway : public ::testing::TestWithParam<const char *> {
protected:
    void Settle()
    {
        for (int round = 0; round < 8; ++round) {
            m_worker.drain();
            QCoreApplication::processEvents();
        }
    }
    bool Logged(const simtest::SimProcess &sim, const std::string &meaning)
    {
        for (const auto &line : sim.logLines("rx"))
            if (line.meaning.rfind(meaning, 0) == 0)
                return true;
        return false;
    }

    ScriptedPrompter m_prompter;
    rdlink::LinePort m_port;
    rdlink::LinkWorker m_worker{m_port, rdlink::SystemClock()};
    rdmod::ModuleContext m_context{m_worker, m_prompter};
};

TEST_P(ModulesGateway, PulseSettingsWrittenAndReadBack)
{
    // The window's fixed waits (200 ms) are shorter than this gateway's delay:
    // over a network each exchange waits for its reply instead.
    simtest::SimProcess sim({"--freeze", "--modules", "0x15", "--reply-delay", "250", GetParam(), "0"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
    {
        CPulseSetDlg pulse(m_context);
        pulse.OnInitDialog();
        Settle();
        Type(&pulse, "电能脉冲值", "3");
        Type(&pulse, "电能脉冲宽度", "7");
        FindNamed<QPushButton>(&pulse, U("确认"))->click();
        Settle();
    }
    // The pulse window writes without a message; any message here is a failure.
    ASSERT_TRUE(m_prompter.messages.empty()) << m_prompter.messages[0].toStdString();
    CPulseSetDlg pulse(m_context);
    pulse.OnInitDialog();
    Settle();
    EXPECT_EQ(FindNamed<QLineEdit>(&pulse, U("电能脉冲值"))->text(), U("3"));
    EXPECT_EQ(FindNamed<QLineEdit>(&pulse, U("电能脉冲宽度"))->text(), U("7"));
    EXPECT_TRUE(m_prompter.messages.empty());
    EXPECT_TRUE(Logged(sim, "write 3 to ")) << "no pulse value write in the simulator's log";
    EXPECT_TRUE(Logged(sim, "write 7 to "));
    qunsetenv("RD5800_COM1");
}

TEST_P(ModulesGateway, ASecondClientIsRefusedWhileTheFirstIsServed)
{
    simtest::SimProcess sim({"--freeze", GetParam(), "0"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM2", QByteArray::fromStdString(sim.device()));
    rdlink::LinePort first;
    rdlink::LinePort second;
    ASSERT_TRUE(rdlink::OpenPort(first, 2, rdlink::LineSettings{}));
    ASSERT_TRUE(sim.waitForLines("--", 1, 3000));   // connected
    // The system completes the second connection; the simulator closes it at once.
    ASSERT_TRUE(rdlink::OpenPort(second, 2, rdlink::LineSettings{}));
    ASSERT_TRUE(sim.waitForLines("--", 2, 3000));
    EXPECT_NE(sim.logLines("--")[1].meaning.find("second client refused"), std::string::npos);
    rdlink::Link refused(second, rdlink::SystemClock());
    rdlink::Link served(first, rdlink::SystemClock());
    rdlink::ExchangeOptions o;
    o.waitMs = 200;
    EXPECT_EQ(refused.Exchange(rdlink::BuildRead(1, 0x0100, 1), o).status, rdlink::ExchangeStatus::PortLost);
    // Told as what it most likely is, not as a broken cable.
    EXPECT_EQ(second.errorString(), U("连接已断开 (网关接受连接后随即将其关闭：可能已有其他程序连接到该网关)"));
    EXPECT_TRUE(served.Exchange(rdlink::BuildRead(1, 0x0100, 1), o).ok());
    qunsetenv("RD5800_COM2");
}

INSTANTIATE_TEST_SUITE_P(Kinds, ModulesGateway, ::testing::Values("--tcp", "--modbus-tcp"));

} // namespace
