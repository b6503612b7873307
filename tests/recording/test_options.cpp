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

TEST(MeterOptions, UnattendedStart)
{
    using rdlink::Parity;
    const struct {
        QStringList args;
        const char *port;
        int baud;          // 0: not given
        int parity;        // -1: not given, else Parity's value
        int address;       // -1: not given
        bool run;
        bool error;
    } cases[] = {
        {{"--port", "/dev/ttyUSB0", "--baud", "19200", "--parity", "e", "--address", "7", "--run"},
         "/dev/ttyUSB0", 19200, int(Parity::Even), 7, true, false},
        {{"--address=0"}, "", 0, -1, 0, false, false},
        {{"--address", "255", "--parity", "O"}, "", 0, int(Parity::Odd), 255, false, false},
        {{"-platform", "offscreen", "--baud", "1200"}, "", 1200, -1, -1, false, false},   // Qt's own options pass
        {{"--run"}, "", 0, -1, -1, true, true},               // nothing to poll but broadcast
        {{"--address", "256"}, "", 0, -1, -1, false, true},
        {{"--address", "1x"}, "", 0, -1, -1, false, true},
        {{"--baud", "9601"}, "", 0, -1, -1, false, true},
        {{"--parity", "S"}, "", 0, -1, -1, false, true},
        {{"--port", " "}, "", 0, -1, -1, false, true},
    };
    for (const auto &c : cases) {
        const MeterOptions o = ParseMeterOptions(QStringList{QStringLiteral("RD5800")} + c.args);
        const std::string line = c.args.join(' ').toStdString();
        EXPECT_EQ(!o.error.isEmpty(), c.error) << line << ": " << o.error.toStdString();
        if (c.error)
            continue;
        EXPECT_EQ(o.port, QString::fromUtf8(c.port)) << line;
        EXPECT_EQ(o.baudRate.value_or(0), c.baud) << line;
        EXPECT_EQ(o.parity ? int(*o.parity) : -1, c.parity) << line;
        EXPECT_EQ(o.address.value_or(-1), c.address) << line;
        EXPECT_EQ(o.run, c.run) << line;
    }
    // A mistake is one line and a pointer to --help, not the whole usage again.
    EXPECT_EQ(MeterOptionErrorText(QStringLiteral("x")).count(QLatin1Char('\n')), 2);
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

TEST(MeterOptions, GatewayMargin)
{
    EXPECT_EQ(ParseMeterOptions({QStringLiteral("RD5800"), QStringLiteral("--timeout"), QStringLiteral("1500")}).timeoutMs,
              1500u);
    EXPECT_FALSE(ParseMeterOptions({QStringLiteral("RD5800")}).timeoutMs);
    EXPECT_FALSE(ParseMeterOptions({QStringLiteral("RD5800"), QStringLiteral("--timeout=0")}).error.isEmpty());
}
