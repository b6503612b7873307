// "更改子机地址" and "轮询地址": the address write with its echo from the old
// address, and the search that probes one address per timer-2 tick.
#include "FakeCommandHost.h"
#include "meter/commands/AddrDlg.h"
#include "meter/commands/MeterCommands.h"

#include <QLineEdit>
#include <gtest/gtest.h>

using namespace cmdtest;

namespace {

std::function<int(QDialog &)> EnterAddress(const char *text, int *result = nullptr)
{
    return [=](QDialog &d) {
        auto &dlg = static_cast<CAddrDlg &>(d);
        dlg.addressEdit()->setText(QString::fromUtf8(text));
        dlg.accept();
        if (result)
            *result = dlg.result();
        return dlg.result();
    };
}

TEST(ChangeAddress, WritesTheNewAddressToTheOldOneAndAdoptsItOnTheEcho)
{
    struct Case {
        const char *text;
        bool connected;
        QString frame;
        QStringList messages;
        uint8_t addressAfter;
        QString addressText;
    };
    const Case cases[] = {
        {"9", true, Hex(Frame("01 06 03 00 00 09")), {}, 9, "9"},
        {"255", true, Hex(Frame("01 06 03 00 00 FF")), {}, 255, "255"},
        {"0", true, Hex(Frame("01 06 03 00 00 00")), {}, 0, "0"},
        {"9", false, Hex(Frame("01 06 03 00 00 09")), {QStringLiteral("地址更新不成功")}, 1, "1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.connected ? " connected" : " no instrument"));
        FakeCommandHost host;
        host.instrument.connected = c.connected;
        host.answer = EnterAddress(c.text);
        MeterCommands(host).OnChangeAddress();

        EXPECT_EQ(host.sent(), QStringList{c.frame});
        EXPECT_EQ(host.messages(), c.messages);
        EXPECT_EQ(host.m.slaveAddress, c.addressAfter);
        EXPECT_EQ(host.addressText, c.addressText);
        EXPECT_EQ(host.events.first(), QStringLiteral("stop1"));
        EXPECT_EQ(host.events.last(), QStringLiteral("start1"));
        ASSERT_EQ(host.clock.waits.size(), 1u);
        EXPECT_FALSE(host.clock.waits[0].busy);   // a sleep, not a busy wait
        EXPECT_EQ(host.clock.waits[0].ms, 300u);
    }
}

TEST(ChangeAddress, StaleEchoWaitingBeforeTheWriteIsNotTakenAsTheAnswer)
{
    FakeCommandHost host;
    host.instrument.connected = false;
    host.port.inject(Frame("01 06 03 00 00 09"));
    host.answer = EnterAddress("9");
    MeterCommands(host).OnChangeAddress();
    EXPECT_EQ(host.messages(), QStringList{QStringLiteral("地址更新不成功")});
    EXPECT_EQ(host.m.slaveAddress, 1);
}

TEST(ChangeAddress, DialogShowsTheCurrentAddressAndRefusesWhatIsNotAByte)
{
    struct Case { const char *text; QString message; };
    const Case cases[] = {
        {"256", QStringLiteral("请输入一个在 0 和 255 之间的整数。")},
        {"-1", QStringLiteral("请输入一个在 0 和 255 之间的整数。")},
        {"1a", QStringLiteral("请输入一个整数。")},
        {"", QStringLiteral("请输入一个整数。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FakeCommandHost host;
        host.m.slaveAddress = 17;
        QString shown;
        int result = -1;
        host.answer = [&](QDialog &d) {
            auto &dlg = static_cast<CAddrDlg &>(d);
            shown = dlg.addressEdit()->text();
            EnterAddress(c.text, &result)(d);
            return int(QDialog::Rejected);   // then "取消"
        };
        MeterCommands(host).OnChangeAddress();
        EXPECT_EQ(shown, QStringLiteral("17"));
        EXPECT_EQ(result, int(QDialog::Rejected));
        EXPECT_EQ(host.messages(), QStringList{c.message});
        EXPECT_TRUE(host.sent().isEmpty());
        EXPECT_EQ(host.m.slaveAddress, 17);
        EXPECT_EQ(host.events, (QStringList{"stop1", "dialog", "start1"}));
    }
}

// Runs timer-2 ticks while the search runs, at most maxTicks.
int RunSearch(FakeCommandHost &host, MeterCommands &commands, int maxTicks)
{
    int ticks = 0;
    while (host.timer2 && ticks < maxTicks) {
        commands.OnSearchTick();
        ++ticks;
    }
    return ticks;
}

// The addresses probed: the first byte of each read of register 0x0300.
std::vector<int> Probed(const FakeCommandHost &host)
{
    std::vector<int> out;
    for (const QByteArray &f : host.port.written) {
        EXPECT_EQ(f.mid(1), Frame("00 03 03 00 00 01").mid(1, 5) + Crc(f.left(6)));
        out.push_back(static_cast<uint8_t>(f[0]));
    }
    return out;
}

TEST(AddressSearch, FindsTheInstrumentAtFiveAndLeavesPollingStopped)
{
    FakeCommandHost host;
    host.timer1 = true;   // polling was running
    host.m.running = true;
    host.instrument.address = 5;
    host.addressText = QStringLiteral("1");
    MeterCommands commands(host);
    commands.OnStartSearch();
    EXPECT_EQ(host.events, (QStringList{"stop1", "start2"}));

    EXPECT_EQ(RunSearch(host, commands, 300), 5);
    EXPECT_EQ(Probed(host), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(host.sent().first(), Hex(Frame("01 03 03 00 00 01")));
    EXPECT_FALSE(host.timer2);
    EXPECT_FALSE(host.timer1);
    EXPECT_TRUE(host.m.running);   // the run state is left alone
    EXPECT_EQ(host.m.slaveAddress, 5);
    EXPECT_EQ(host.addressText, QStringLiteral("5"));
    EXPECT_EQ(host.statusText, QStringLiteral("串行口:1\r\n\r\n波特率:9600\r\n\r\n校验位:无校验"));
    for (const rdtest::RecordedWait &w : host.clock.waits) {
        EXPECT_TRUE(w.busy);
        EXPECT_EQ(w.ms, 300u);
    }
}

TEST(AddressSearch, StatusTextFollowsPortBaudAndParity)
{
    struct Case { int port, baud, parity; QString text; };
    const Case cases[] = {
        {2, 19200, 1, QStringLiteral("串行口:2\r\n\r\n波特率:19200\r\n\r\n校验位:奇校验")},
        {1, 1200, 2, QStringLiteral("串行口:1\r\n\r\n波特率:1200\r\n\r\n校验位:偶校验")},
    };
    for (const Case &c : cases) {
        FakeCommandHost host;
        host.m.commPort = c.port;
        host.m.baudRate = c.baud;
        host.m.parity = c.parity;
        MeterCommands(host).ProbeAddress(1);
        EXPECT_EQ(host.statusText, c.text);
    }
}

TEST(AddressSearch, AnyByteAnswersButBytesWaitingBeforeTheProbeDoNot)
{
    FakeCommandHost host;
    host.instrument.connected = false;
    MeterCommands commands(host);
    commands.OnStartSearch();

    // A late byte of an earlier exchange is already waiting: dropped before the probe.
    host.port.inject(QByteArray("\x55", 1));
    commands.OnSearchTick();
    EXPECT_TRUE(host.timer2);

    // Noise on the line during the probe of address 2 counts as an answer.
    host.port.responder = [&](const QByteArray &request) {
        std::vector<rdtest::Chunk> noise;
        if (request[0] == 2)
            noise.push_back({QByteArray("\xFF", 1), 50});
        return noise;
    };
    EXPECT_EQ(RunSearch(host, commands, 10), 1);
    EXPECT_FALSE(host.timer2);
    EXPECT_EQ(host.m.slaveAddress, 2);
}

TEST(AddressSearch, WithoutAnswerWrapsFrom254ToZeroToOneAndFollowsOneTickBehind)
{
    FakeCommandHost host;
    host.instrument.connected = false;
    MeterCommands commands(host);
    commands.OnStartSearch();

    for (int i = 0; i < 3; ++i)
        commands.OnSearchTick();
    EXPECT_EQ(host.addressText, QStringLiteral("3"));
    EXPECT_EQ(host.m.slaveAddress, 2);   // reloaded from the edit before probing 3

    // Run/Stop now would read the edit: the search leaves the address it showed.
    host.reloadFields(true);
    EXPECT_EQ(host.m.slaveAddress, 3);

    for (int i = 3; i < 254; ++i)
        commands.OnSearchTick();
    EXPECT_EQ(host.addressText, QStringLiteral("254"));
    commands.OnSearchTick();   // probes 0 without showing it
    EXPECT_EQ(host.addressText, QStringLiteral("254"));
    commands.OnSearchTick();
    EXPECT_EQ(host.addressText, QStringLiteral("1"));

    std::vector<int> expected;
    for (int a = 1; a <= 254; ++a)
        expected.push_back(a);
    expected.push_back(0);
    expected.push_back(1);
    EXPECT_EQ(Probed(host), expected);
    EXPECT_TRUE(host.timer2);
    EXPECT_FALSE(host.timer1);
}

TEST(AddressSearch, WithThePortClosedSendsNothingAndNeverEnds)
{
    FakeCommandHost host;
    host.port.close();
    MeterCommands commands(host);
    commands.OnStartSearch();
    EXPECT_EQ(RunSearch(host, commands, 300), 300);
    EXPECT_TRUE(host.port.written.empty());
    EXPECT_TRUE(host.timer2);
    EXPECT_TRUE(host.clock.waits.empty());
}

} // namespace
