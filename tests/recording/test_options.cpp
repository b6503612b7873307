// RD5800's command line.
#include "meter/app/MeterOptions.h"

#include <gtest/gtest.h>

TEST(MeterOptions, RecordHelpAndMistakes)
{
    const struct { QStringList args; bool help; const char *record; bool error; } cases[] = {
        {{}, false, "", false},
        {{"--record", "/tmp/a b.csv"}, false, "/tmp/a b.csv", false},
        {{"--record=log.csv"}, false, "log.csv", false},
        {{"--help"}, true, "", false},
        {{"-h"}, true, "", false},
        {{"--bogus", "--help"}, true, "", false},
        {{"--record"}, false, "", true},
        {{"--record="}, false, "", true},
        {{"--bogus"}, false, "", true},
        {{"extra.csv"}, false, "", true},
    };
    for (const auto &c : cases) {
        const MeterOptions o = ParseMeterOptions(QStringList{QStringLiteral("RD5800")} + c.args);
        const std::string line = c.args.join(' ').toStdString();
        EXPECT_EQ(o.help, c.help) << line;
        EXPECT_EQ(o.recordPath, QString::fromUtf8(c.record)) << line;
        EXPECT_EQ(!o.error.isEmpty(), c.error) << line << ": " << o.error.toStdString();
    }
    EXPECT_TRUE(MeterHelpText().contains(QStringLiteral("--record FILE")));
    EXPECT_TRUE(MeterHelpText().contains(QStringLiteral("--help")));
}

TEST(MeterOptions, OverviewOpensWithTheMainWindow)
{
    EXPECT_FALSE(ParseMeterOptions({QStringLiteral("RD5800")}).overview);
    const MeterOptions o = ParseMeterOptions({QStringLiteral("RD5800"), QStringLiteral("--overview")});
    EXPECT_TRUE(o.overview);
    EXPECT_TRUE(o.error.isEmpty());
    EXPECT_FALSE(ParseMeterOptions({QStringLiteral("RD5800"), QStringLiteral("--overview=1")}).error.isEmpty());
    EXPECT_TRUE(MeterHelpText().contains(QStringLiteral("--overview")));
}
