// The entry check behind every number the commands send: PT and CT, the new
// slave address and the pulse width.
#include "meter/commands/CommandRules.h"

#include <gtest/gtest.h>

using rdcmd::CheckWholeNumber;

namespace {

struct NumberCase {
    const char *text;
    uint32_t min, max;
    bool ok;
    uint32_t value;
    bool notANumber;
};

TEST(CommandRules, WholeNumberCheckAcceptsOnlyWholeNumbersInRange)
{
    const NumberCase cases[] = {
        {"1", 1, 64000, true, 1, false},
        {"64000", 1, 64000, true, 64000, false},
        {" 42 ", 0, 255, true, 42, false},
        {"+7", 0, 255, true, 7, false},
        {"007", 0, 255, true, 7, false},
        {"-0", 0, 255, true, 0, false},
        {"0", 1, 64000, false, 0, false},
        {"64001", 1, 64000, false, 0, false},
        {"256", 0, 255, false, 0, false},
        {"300", 0, 255, false, 0, false},
        {"-1", 0, 255, false, 0, false},
        {"4294967297", 0, 255, false, 0, false},          // wraps to 1 in 32 bits
        {"99999999999999999999999", 0, 255, false, 0, false},
        {"", 0, 255, false, 0, true},
        {"   ", 0, 255, false, 0, true},
        {"-", 0, 255, false, 0, true},
        {"abc", 0, 255, false, 0, true},
        {"12ms", 0, 255, false, 0, true},
        {"1.5", 1, 64000, false, 0, true},
        {"1 2", 0, 255, false, 0, true},
        {"0x10", 0, 255, false, 0, true},
    };
    for (const NumberCase &c : cases) {
        SCOPED_TRACE(c.text);
        const rdcmd::NumberCheck r = CheckWholeNumber(QString::fromUtf8(c.text), c.min, c.max);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.notANumber, c.notANumber);
        if (c.ok) {
            EXPECT_EQ(r.value, c.value);
        }
    }
}

TEST(CommandRules, RefusalMessagesNameTheRange)
{
    EXPECT_EQ(rdcmd::OutOfRangeMessage(1, 64000), QStringLiteral("请输入一个在 1 和 64000 之间的整数。"));
    const QString pulse = rdcmd::PulseWidthRefusedMessage();
    EXPECT_TRUE(pulse.contains(QStringLiteral("脉冲宽度")));
    EXPECT_TRUE(pulse.contains(QStringLiteral("0")) && pulse.contains(QStringLiteral("255")));
}

} // namespace
