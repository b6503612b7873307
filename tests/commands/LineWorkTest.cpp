// The commands' line work on the fake instrument: which frames go out in which
// order, with which waits, what the user is told and what the state adopts.
#include "CommandRig.h"
#include "meter/commands/MeterCommands.h"

#include <gtest/gtest.h>

using namespace cmdtest;
using rdlink::Parity;

namespace {

const QString kBusy300 = QStringLiteral("busy 300");

TEST(MeterSettings, WritesPtCtWiringInOrderAndStopsAtTheFirstFailure)
{
    const QString ok = QStringLiteral("设置仪表参数成功");
    struct Case {
        const char *name;
        uint8_t address;          // where the program writes; the instrument is at 1
        bool connected;
        std::set<uint16_t> refused;
        QByteArray stale;         // waiting on the line before the first write
        uint32_t pt, ct;
        uint8_t wiring;
        QStringList frames, messages;
        uint32_t ptAfter, ctAfter;
        uint8_t wiringAfter;
    };
    const Case cases[] = {
        {"unchanged values are all written", 1, true, {}, {}, 1, 1, 0,
         Frames({"01 06 03 07 00 01", "01 06 03 08 00 01", "01 06 03 01 00 00"}), {ok}, 1, 1, 0},
        {"PT 64000, CT 5, single phase two wire", 1, true, {}, {}, 64000, 5, 1,
         Frames({"01 06 03 07 FA 00", "01 06 03 08 00 05", "01 06 03 01 00 01"}), {ok}, 64000, 5, 1},
        {"balanced three phase four wire", 1, true, {}, {}, 300, 40, 5,
         Frames({"01 06 03 07 01 2C", "01 06 03 08 00 28", "01 06 03 01 00 05"}), {ok}, 300, 40, 5},
        {"no instrument: only the PT request", 1, false, {}, {}, 100, 20, 2,
         Frames({"01 06 03 07 00 64"}), {QStringLiteral("设置PT不成功")}, 1, 1, 0},
        {"failed CT keeps the new PT", 1, true, {0x0308}, {}, 100, 20, 2,
         Frames({"01 06 03 07 00 64", "01 06 03 08 00 14"}), {QStringLiteral("设置CT不成功")}, 100, 1, 0},
        {"failed wiring keeps PT and CT", 1, true, {0x0301}, {}, 100, 20, 2,
         Frames({"01 06 03 07 00 64", "01 06 03 08 00 14", "01 06 03 01 00 02"}),
         {QStringLiteral("设置接线方式不成功")}, 100, 20, 0},
        {"an echo only from another address", 2, true, {}, {}, 10, 10, 0,
         Frames({"02 06 03 07 00 0A"}), {QStringLiteral("设置PT不成功")}, 1, 1, 0},
        {"a stale echo is not the answer", 1, false, {}, Frame("01 06 03 07 00 64"), 100, 1, 0,
         Frames({"01 06 03 07 00 64"}), {QStringLiteral("设置PT不成功")}, 1, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.state.slaveAddress = c.address;
        rig.instrument.connected = c.connected;
        rig.instrument.refusedWrites = c.refused;
        rig.port.inject(c.stale);
        const rdcmd::CommandOutcome out = rdcmd::WriteMeterSettings(rig.link, rig.state, c.pt, c.ct, c.wiring);

        EXPECT_EQ(Sent(rig.port), c.frames);
        EXPECT_EQ(out.messages, c.messages);
        EXPECT_EQ(rig.state.ptRatio, c.ptAfter);
        EXPECT_EQ(rig.state.ctRatio, c.ctAfter);
        EXPECT_EQ(rig.state.wiringMode, c.wiringAfter);
        EXPECT_EQ(Waits(rig.clock), QStringList(c.frames.size(), kBusy300));   // each write blocks 300 ms
        EXPECT_EQ(rig.port.bytesWaiting(), 0);
    }
}

TEST(LineSettings, WritesBaudThenParityAtTheOldSettingsAndReopensWithTheResult)
{
    const QString baudOk = QStringLiteral("改变波特率成功"), baudFail = QStringLiteral("改变波特率不成功");
    const QString parityOk = QStringLiteral("改变校验方式成功"), parityFail = QStringLiteral("改变校验方式不成功");
    struct Case {
        const char *name;
        int baud;
        Parity parity;
        int port;
        std::set<uint16_t> refused;
        bool connected;
        QStringList frames, messages;
        int baudAfter;
        QString settings;
    };
    const Case cases[] = {
        {"OK without changes", 9600, Parity::None, 1, {}, true, {}, {}, 9600, "9600,N,8,1"},
        {"19200", 19200, Parity::None, 1, {}, true, Frames({"01 06 03 04 00 04"}), {baudOk}, 19200, "19200,N,8,1"},
        {"1200", 1200, Parity::None, 1, {}, true, Frames({"01 06 03 04 00 00"}), {baudOk}, 1200, "1200,N,8,1"},
        {"odd parity is code 2", 9600, Parity::Odd, 1, {}, true, Frames({"01 06 03 03 00 02"}), {parityOk}, 9600,
         "9600,O,8,1"},
        {"even parity is code 1", 9600, Parity::Even, 1, {}, true, Frames({"01 06 03 03 00 01"}), {parityOk}, 9600,
         "9600,E,8,1"},
        {"both, baud first", 4800, Parity::Even, 1, {}, true, Frames({"01 06 03 04 00 02", "01 06 03 03 00 01"}),
         {baudOk, parityOk}, 4800, "4800,E,8,1"},
        {"failed baud keeps the old rate", 19200, Parity::None, 1, {0x0304}, true, Frames({"01 06 03 04 00 04"}),
         {baudFail}, 9600, "9600,N,8,1"},
        {"failed parity is still taken locally", 9600, Parity::Odd, 1, {0x0303}, true, Frames({"01 06 03 03 00 02"}),
         {parityFail}, 9600, "9600,O,8,1"},
        {"no instrument: both fail, both sent", 2400, Parity::Odd, 1, {}, false,
         Frames({"01 06 03 04 00 01", "01 06 03 03 00 02"}), {baudFail, parityFail}, 9600, "9600,O,8,1"},
        {"another port", 9600, Parity::None, 3, {}, true, {}, {}, 9600, "9600,N,8,1"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.instrument.connected = c.connected;
        rig.instrument.refusedWrites = c.refused;
        const rdcmd::LineOutcome out = rdcmd::WriteLineSettings(rig.link, rig.state, {c.baud, c.parity, c.port});

        EXPECT_EQ(Sent(rig.port), c.frames);
        EXPECT_EQ(out.messages, c.messages);
        EXPECT_EQ(rig.settingsAtWrite, QStringList(c.frames.size(), QStringLiteral("9600,N,8,1")));
        EXPECT_EQ(Waits(rig.clock), QStringList(c.frames.size(), kBusy300));
        EXPECT_EQ(rig.state.baudRate, c.baudAfter);
        EXPECT_EQ(rig.state.parity, c.parity);
        EXPECT_EQ(rig.state.commPort, c.port);
        EXPECT_TRUE(out.reopened);
        EXPECT_EQ(rig.port.openCount, 2);
        EXPECT_EQ(rig.port.openedWith.back(), c.settings);
        EXPECT_EQ(rig.port.portNumber(), c.port);
    }
}

TEST(LineSettings, PortThatWillNotReopenIsReportedAndLeftClosed)
{
    Rig rig;
    rig.port.failOpen = true;
    rig.port.device = QStringLiteral("/dev/ttyUSB7");
    const rdcmd::LineOutcome out = rdcmd::WriteLineSettings(rig.link, rig.state, {19200, Parity::None, 1});
    EXPECT_EQ(out.messages, QStringList{QStringLiteral("改变波特率成功")});
    EXPECT_FALSE(out.reopened);
    EXPECT_TRUE(out.openFailure.contains(QStringLiteral("COM1")));
    EXPECT_TRUE(out.openFailure.contains(QStringLiteral("/dev/ttyUSB7")));
    EXPECT_FALSE(rig.port.isOpen());
    EXPECT_EQ(rdlink::SettingsText(rig.state.lineSettings()), QStringLiteral("19200,N,8,1"));
}

TEST(ChangeAddress, WritesTheNewAddressToTheOldOneAndAdoptsItOnTheEcho)
{
    struct Case {
        const char *name;
        uint8_t newAddress;
        const char *frame;
        bool connected;
        QByteArray stale;
        bool changed;
        uint8_t addressAfter;
    };
    const Case cases[] = {
        {"9", 9, "01 06 03 00 00 09", true, {}, true, 9},
        {"255", 255, "01 06 03 00 00 FF", true, {}, true, 255},
        {"0", 0, "01 06 03 00 00 00", true, {}, true, 0},
        {"no instrument", 9, "01 06 03 00 00 09", false, {}, false, 1},
        {"a stale echo is not the answer", 9, "01 06 03 00 00 09", false, Frame("01 06 03 00 00 09"), false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.instrument.connected = c.connected;
        rig.port.inject(c.stale);
        EXPECT_EQ(rdcmd::ChangeAddress(rig.link, rig.state, c.newAddress), c.changed);
        EXPECT_EQ(Sent(rig.port), Frames({c.frame}));
        EXPECT_EQ(rig.state.slaveAddress, c.addressAfter);
        EXPECT_EQ(Waits(rig.clock), QStringList{QStringLiteral("sleep 300")});   // a sleep, not a busy wait
    }
}

TEST(AddressProbe, AnyByteDuringTheProbeAnswersButNothingBeforeItDoes)
{
    struct Case {
        const char *name;
        uint8_t probe;
        const char *frame;
        bool portOpen;
        QByteArray stale;       // waiting before the probe
        QByteArray noise;       // the only answer on the line, 50 ms after the request
        bool found;
    };
    const Case cases[] = {
        {"the instrument's address", 5, "05 03 03 00 00 01", true, {}, {}, true},
        {"another address", 4, "04 03 03 00 00 01", true, {}, {}, false},
        {"a late byte from before", 4, "04 03 03 00 00 01", true, QByteArray("\x55", 1), {}, false},
        {"noise during the probe", 4, "04 03 03 00 00 01", true, {}, QByteArray("\xFF", 1), true},
        {"port closed: nothing sent", 5, nullptr, false, {}, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.instrument.address = 5;
        if (!c.noise.isEmpty())
            rig.port.responder = [&](const QByteArray &) { return std::vector<rdtest::Chunk>{{c.noise, 50}}; };
        if (!c.portOpen)
            rig.port.close();
        rig.port.inject(c.stale);
        EXPECT_EQ(rdcmd::ProbeAddress(rig.link, rig.state, c.probe), c.found);
        EXPECT_EQ(rig.state.slaveAddress, c.found ? c.probe : 1);
        if (!c.portOpen) {
            EXPECT_TRUE(rig.port.written.empty());
            EXPECT_TRUE(rig.clock.waits.empty());
            continue;
        }
        EXPECT_EQ(Sent(rig.port), Frames({c.frame}));
        EXPECT_EQ(Waits(rig.clock), QStringList{kBusy300});
    }
}

TEST(PulseWidth, WriteDropsStaleInputSleeps100AndLeavesTheEchoUnread)
{
    struct Case { uint8_t width, address; const char *frame; };
    const Case cases[] = {
        {0, 1, "01 06 03 06 00 00"},
        {255, 1, "01 06 03 06 00 FF"},
        {42, 1, "01 06 03 06 00 2A"},
        {80, 7, "07 06 03 06 00 50"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.frame);
        Rig rig;
        rig.state.slaveAddress = rig.instrument.address = c.address;
        rig.port.inject(QByteArray("\x00\x00\x00", 3));
        rdcmd::WritePulseWidth(rig.link, rig.state, c.width);
        EXPECT_EQ(Sent(rig.port), Frames({c.frame}));
        EXPECT_EQ(Waits(rig.clock), QStringList{QStringLiteral("sleep 100")});
        EXPECT_EQ(rig.port.readAll(), Frame(c.frame));   // the echo alone, left for the next read
        EXPECT_EQ(rig.instrument.registers[0x0306], c.width);
    }
}

} // namespace
