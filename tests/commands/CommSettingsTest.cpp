// "通讯设置": baud rate and parity written to the instrument at the old settings,
// then the local port re-opened with the resulting ones.
#include "FakeCommandHost.h"
#include "meter/app/CommSetDlg.h"
#include "meter/commands/MeterCommands.h"

#include <gtest/gtest.h>

using namespace cmdtest;

namespace {

// The user's choice in the dialog.
std::function<int(QDialog &)> Choose(int baud, int parity, int port = 1)
{
    return [=](QDialog &d) {
        auto &dlg = static_cast<CCommSetDlg &>(d);
        dlg.m_baudRate = baud;
        dlg.m_parity = parity;
        dlg.m_commPort = port;
        return int(QDialog::Accepted);
    };
}

const QString kBaudOk = QStringLiteral("改变波特率成功");
const QString kBaudFail = QStringLiteral("改变波特率不成功");
const QString kParityOk = QStringLiteral("改变校验方式成功");
const QString kParityFail = QStringLiteral("改变校验方式不成功");

TEST(CommSettings, WritesBaudThenParityAndReopensWithTheResult)
{
    struct Case {
        const char *name;
        int baud, parity, port;
        std::set<uint16_t> refused;
        bool connected;
        QStringList frames;
        QStringList messages;
        QString settings;
        QString status;
    };
    const Case cases[] = {
        {"OK without changes", 9600, 0, 1, {}, true, {}, {}, "9600,N,8,1",
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:无校验")},
        {"19200", 19200, 0, 1, {}, true, {Hex(Frame("01 06 03 04 00 04"))}, {kBaudOk}, "19200,N,8,1",
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 19200 \r\n\r\n校验位:无校验")},
        {"1200", 1200, 0, 1, {}, true, {Hex(Frame("01 06 03 04 00 00"))}, {kBaudOk}, "1200,N,8,1",
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 1200 \r\n\r\n校验位:无校验")},
        {"odd parity is code 2", 9600, 1, 1, {}, true, {Hex(Frame("01 06 03 03 00 02"))}, {kParityOk},
         "9600,O,8,1", QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:奇校验")},
        {"even parity is code 1", 9600, 2, 1, {}, true, {Hex(Frame("01 06 03 03 00 01"))}, {kParityOk},
         "9600,E,8,1", QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:偶校验")},
        {"both, baud first", 4800, 2, 1, {}, true,
         {Hex(Frame("01 06 03 04 00 02")), Hex(Frame("01 06 03 03 00 01"))}, {kBaudOk, kParityOk},
         "4800,E,8,1", QStringLiteral("串行口: 1 \r\n\r\n波特率: 4800 \r\n\r\n校验位:偶校验")},
        {"failed baud keeps the old rate", 19200, 0, 1, {0x0304}, true,
         {Hex(Frame("01 06 03 04 00 04"))}, {kBaudFail}, "9600,N,8,1",
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:无校验")},
        {"failed parity is still taken locally", 9600, 1, 1, {0x0303}, true,
         {Hex(Frame("01 06 03 03 00 02"))}, {kParityFail}, "9600,O,8,1",
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:奇校验")},
        {"no instrument: both fail, both sent", 2400, 1, 1, {}, false,
         {Hex(Frame("01 06 03 04 00 01")), Hex(Frame("01 06 03 03 00 02"))}, {kBaudFail, kParityFail},
         "9600,O,8,1", QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:奇校验")},
        {"another port", 9600, 0, 3, {}, true, {}, {}, "9600,N,8,1",
         QStringLiteral("串行口: 3 \r\n\r\n波特率: 9600 \r\n\r\n校验位:无校验")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeCommandHost host;
        host.instrument.connected = c.connected;
        host.instrument.refusedWrites = c.refused;
        host.answer = Choose(c.baud, c.parity, c.port);
        const int openedBefore = host.port.openCount;
        MeterCommands(host).OnCommSettings();

        EXPECT_EQ(host.sent(), c.frames);
        EXPECT_EQ(host.messages(), c.messages);
        EXPECT_EQ(host.m.portSettings, c.settings);
        EXPECT_EQ(host.statusText, c.status);
        EXPECT_EQ(host.m.commPort, c.port);
        EXPECT_EQ(host.m.pollPeriodMs, 800);   // kept from start-up
        EXPECT_EQ(host.port.openCount, openedBefore + 1);
        EXPECT_EQ(host.port.openedWith.back(), c.settings);
        EXPECT_EQ(host.port.portNumber(), c.port);

        // Writes at the old settings, before the port is re-opened; then polling.
        QStringList expected{"stop1", "dialog"};
        for (const QString &f : c.frames)
            expected << QStringLiteral("tx %1").arg(f);
        expected << QStringLiteral("reopen %1 %2").arg(c.port).arg(c.settings) << QStringLiteral("start1");
        EXPECT_EQ(host.events, expected);
        EXPECT_TRUE(host.timer1);
        for (const rdtest::RecordedWait &w : host.clock.waits) {
            EXPECT_TRUE(w.busy);
            EXPECT_EQ(w.ms, 300u);
        }
    }
}

TEST(CommSettings, CancelLeavesThePortAndRestartsPolling)
{
    FakeCommandHost host;
    host.answer = [&](QDialog &) {
        host.port.inject(QByteArray("\x01\x03", 2));   // arrives while the dialog is open
        return int(QDialog::Rejected);
    };
    const QString status = host.statusText;
    MeterCommands(host).OnCommSettings();
    EXPECT_TRUE(host.sent().isEmpty());
    EXPECT_EQ(host.port.bytesWaiting(), 0);
    EXPECT_EQ(host.port.openCount, 1);
    EXPECT_EQ(host.port.closeCount, 0);
    EXPECT_EQ(host.statusText, status);
    EXPECT_EQ(host.events, (QStringList{"stop1", "dialog", "start1"}));
}

TEST(CommSettings, DialogStartsFromTheWindowsSettings)
{
    FakeCommandHost host;
    host.m.baudRate = 2400;
    host.m.parity = 2;
    host.m.commPort = 4;
    int baud = 0, parity = -1, port = 0;
    host.answer = [&](QDialog &d) {
        auto &dlg = static_cast<CCommSetDlg &>(d);
        baud = dlg.m_baudRate;
        parity = dlg.m_parity;
        port = dlg.m_commPort;
        return int(QDialog::Rejected);
    };
    MeterCommands(host).OnCommSettings();
    EXPECT_EQ(baud, 2400);
    EXPECT_EQ(parity, 2);
    EXPECT_EQ(port, 4);
}

TEST(CommSettings, PortThatWillNotReopenIsReportedAndLeftClosed)
{
    FakeCommandHost host;
    host.port.failOpen = true;
    host.answer = Choose(19200, 0);
    MeterCommands(host).OnCommSettings();
    EXPECT_EQ(host.messages(), (QStringList{kBaudOk, QStringLiteral("open failed")}));
    EXPECT_FALSE(host.port.isOpen());
    EXPECT_EQ(host.m.portSettings, QStringLiteral("19200,N,8,1"));
    EXPECT_TRUE(host.statusText.contains(QStringLiteral("19200")));
    EXPECT_TRUE(host.timer1);
}

} // namespace
