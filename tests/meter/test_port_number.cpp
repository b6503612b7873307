// The port number of the communication settings dialog: any whole number that
// fits an int is taken as typed, everything else is refused.
#include "meter/app/PortNumber.h"

#include <gtest/gtest.h>

namespace {

TEST(PortNumber, TakesWholeNumbersAsTypedAndRefusesTheRest)
{
    const struct {
        QString text;
        std::optional<int> number;
    } cases[] = {
        {QStringLiteral("1"), 1},          {QStringLiteral(" 12 "), 12},
        {QStringLiteral("+3"), 3},         {QStringLiteral("0"), 0},
        {QStringLiteral("-2"), -2},        {QStringLiteral("007"), 7},
        {QStringLiteral("2147483647"), 2147483647},
        {QStringLiteral("2147483648"), std::nullopt},
        {QString(), std::nullopt},         {QStringLiteral("  "), std::nullopt},
        {QStringLiteral("+"), std::nullopt}, {QStringLiteral("1.5"), std::nullopt},
        {QStringLiteral("COM1"), std::nullopt}, {QStringLiteral("1 2"), std::nullopt},
        {QStringLiteral("０１"), std::nullopt},   // full-width digits
        {QString::fromLatin1("1\0x", 3), std::nullopt},
        {QString::fromLatin1("0\0", 2), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParsePortNumber(c.text), c.number) << c.text.toStdString();
}

} // namespace
