// "修改" / "写入": the two states of the pulse width edit and the single write.
#include "FakeCommandHost.h"
#include "meter/commands/CommandRules.h"
#include "meter/commands/MeterCommands.h"

#include <gtest/gtest.h>

using namespace cmdtest;

namespace {

TEST(PulseWidth, ModifyStopsPollingAndOpensTheEdit)
{
    FakeCommandHost host;
    host.timer1 = true;
    MeterCommands(host).OnPulseModify();
    EXPECT_FALSE(host.timer1);
    EXPECT_TRUE(host.pulseEditing);
    EXPECT_TRUE(host.port.written.empty());
}

TEST(PulseWidth, WriteSendsOnlyWholeNumbersFrom0To255)
{
    struct Case { const char *text; const char *addressEdit; const char *frame; };
    const Case cases[] = {
        {"0", "1", "01 06 03 06 00 00"},
        {"255", "1", "01 06 03 06 00 FF"},
        {" 42 ", "1", "01 06 03 06 00 2A"},
        {"80", "7", "07 06 03 06 00 50"},     // to the address the edit holds now
        {"300", "1", nullptr},
        {"256", "1", nullptr},
        {"-1", "1", nullptr},
        {"abc", "1", nullptr},
        {"12ms", "1", nullptr},
        {"", "1", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        FakeCommandHost host;   // window stopped: timer 1 off before "修改"
        host.addressText = QString::fromUtf8(c.addressEdit);
        host.instrument.address = static_cast<uint8_t>(host.addressText.toUInt());
        MeterCommands commands(host);
        commands.OnPulseModify();
        host.pulseText = QString::fromUtf8(c.text);
        host.port.inject(QByteArray("\x00\x00\x00", 3));   // stale bytes, dropped before the write
        commands.OnPulseWrite();

        if (c.frame) {
            EXPECT_EQ(host.sent(), QStringList{Hex(Frame(c.frame))});
            EXPECT_TRUE(host.messages().isEmpty());
            ASSERT_EQ(host.clock.waits.size(), 1u);
            EXPECT_FALSE(host.clock.waits[0].busy);
            EXPECT_EQ(host.clock.waits[0].ms, 100u);
            EXPECT_EQ(host.port.readAll(), Frame(c.frame));   // the echo alone, left unread
            EXPECT_TRUE(host.timer1);                   // polling resumes, even from Stopped
            EXPECT_FALSE(host.pulseEditing);
        } else {
            EXPECT_TRUE(host.port.written.empty());
            EXPECT_EQ(host.messages(), QStringList{rdcmd::PulseWidthRefusedMessage()});
            EXPECT_FALSE(host.timer1);
            EXPECT_TRUE(host.pulseEditing);   // the user can correct it
        }
    }
}

TEST(PulseWidth, CorrectedTextIsWrittenAfterARefusal)
{
    FakeCommandHost host;
    MeterCommands commands(host);
    commands.OnPulseModify();
    host.pulseText = QStringLiteral("300");
    commands.OnPulseWrite();
    host.pulseText = QStringLiteral("30");
    commands.OnPulseWrite();
    EXPECT_EQ(host.sent(), QStringList{Hex(Frame("01 06 03 06 00 1E"))});
    EXPECT_EQ(host.instrument.registers[0x0306], 30);
    EXPECT_FALSE(host.pulseEditing);
}

} // namespace
