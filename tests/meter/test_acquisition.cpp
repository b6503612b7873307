// Decoding and formatting of the poll replies, with the instrument's own numbers.
#include "RegisterBytes.h"
#include "meter/acquisition/DeviceInfo.h"
#include "meter/acquisition/Formatting.h"
#include "meter/acquisition/Harmonics.h"
#include "meter/acquisition/LinkStats.h"
#include "meter/acquisition/LocalNow.h"
#include "meter/acquisition/Measurements.h"
#include "meter/acquisition/RegisterValues.h"
#include "meter/acquisition/Switching.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <ctime>

using namespace rdacq;
using rdtest::DataBytes;

namespace {

struct LadderCase {
    const char *name;
    QString (*format)(double);
    double value;
    const char *text;
};

TEST(MeterFormatting, UnitLaddersThresholdsAndSigns)
{
    const LadderCase cases[] = {
        {"voltage at 1000", FormatVoltage, 1000.0, "1000.00 V"},
        {"voltage above 1000", FormatVoltage, 1000.01, "1.00 KV"},
        {"voltage 220", FormatVoltage, 220.0, "220.00 V"},
        {"current at 1000", FormatCurrent, 1000.0, "1000.000 A"},
        {"current above", FormatCurrent, 1500.0, "1.500 KA"},
        {"active below MW", FormatActivePower, 999999.0, "999.999 KW"},
        {"active above MW", FormatActivePower, 1000001.0, "1.000 MW"},
        {"active negative", FormatActivePower, -1500.0, "-1.500 KW"},
        {"active negative MW", FormatActivePower, -2000000.0, "-2.000 MW"},
        {"active at 1000", FormatActivePower, 1000.0, "1000.000 W"},
        {"active -1", FormatActivePower, -1.0, "-1.000 W"},
        {"reactive", FormatReactivePower, -1001.0, "-1.001 KVar"},
        {"reactive small", FormatReactivePower, 12.0, "12.000 Var"},
        {"reactive MVar", FormatReactivePower, 3000000.0, "3.000 MVar"},
        {"apparent 65535", FormatApparentPower, 65535.0, "65.535 KVA"},
        {"apparent small", FormatApparentPower, 999.0, "999.000 VA"},
        {"apparent MVA", FormatApparentPower, 1500000.0, "1.500 MVA"},
        {"power factor 1", FormatPowerFactor, 1.0, "1.000"},
        {"power factor negative", FormatPowerFactor, -0.5, "-0.500"},
        {"frequency", FormatFrequency, 49.99, "49.990 Hz"},
    };
    for (const LadderCase &c : cases)
        EXPECT_EQ(c.format(c.value), QString::fromUtf8(c.text)) << c.name;
}

TEST(MeterFormatting, EnergyLadders)
{
    struct Case {
        EnergyKind kind;
        double value;
        const char *text;
    } cases[] = {
        {EnergyKind::PositiveActive, 1000, "1000.000 KWh"},
        {EnergyKind::PositiveActive, 1001, "1.001 MWh"},
        {EnergyKind::PositiveActive, 2500000, "2.500 KMWh"},
        {EnergyKind::NegativeActive, 0, "-0.000 KWh"},
        {EnergyKind::NegativeActive, 1001, "-1.001 MWh"},
        {EnergyKind::NegativeActive, 4294967295.0, "-4294.967 KMWh"},
        {EnergyKind::PositiveReactive, 5, "5.000 KVarh"},
        {EnergyKind::PositiveReactive, 2000, "2.000 MVarh"},
        {EnergyKind::PositiveReactive, 1000001, "1.000 KMVarh"},
        {EnergyKind::NegativeReactive, 0, "-0.000 KVarh"},
        {EnergyKind::NegativeReactive, 1500, "-1.500 MVarh"},
        {EnergyKind::NegativeReactive, 3000000, "-3.000 KMVarh"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatEnergy(c.kind, c.value), QString::fromUtf8(c.text)) << c.value;
}

TEST(MeterDecoding, RegisterTypes)
{
    const auto d = DataBytes({0xFFFF, 0x0001, 0x0002, 0x12AB});
    EXPECT_EQ(U16(d, 0), 65535);
    EXPECT_EQ(S16(d, 0), -1);
    EXPECT_EQ(LowByte(d, 3), 0xAB);
    // Energy bytes 00 01 00 02: low word first gives 0x00020001.
    EXPECT_EQ(U32LowWordFirst(d, 1), 131073u);
    // Counter bytes 00 01 00 02: high word first.
    EXPECT_EQ(U32HighWordFirst(d, 1), 65538u);

    // A short reply: an odd last byte is no register, and a register past the
    // end reads as 0 instead of whatever lies behind the buffer.
    const Registers shortReply(d.data(), 5);
    EXPECT_EQ(shortReply.count(), 2);
    EXPECT_FALSE(shortReply.holds(3));
    EXPECT_EQ(U16(shortReply, 1), 1);
    EXPECT_EQ(U16(shortReply, 2), 0);
    EXPECT_EQ(U32HighWordFirst(shortReply, 1), 65536u);
    EXPECT_EQ(DecodeCounters(shortReply)[0], 0xFFFF0001u);
    EXPECT_EQ(DecodeCounters(shortReply)[1], 0u);
}

// A measurement block with every register distinct, so a misplaced register shows.
std::vector<uint16_t> SampleBlock()
{
    std::vector<uint16_t> r(41, 0);
    // Phase A, B, C groups and the combined group.
    const uint16_t bases[4] = {0x00, 0x08, 0x10, 0x18};
    for (int g = 0; g < 4; ++g) {
        r[bases[g] + 0] = uint16_t(2200 + g);        // phase voltage, 0.1 V
        r[bases[g] + 1] = uint16_t(3800 + g);        // line voltage
        r[bases[g] + 2] = uint16_t(5000 + g);        // current, mA
        r[bases[g] + 3] = uint16_t(4999);            // frequency in the combined group
        r[bases[g] + 4] = uint16_t(int16_t(-1500 - g));
        r[bases[g] + 5] = uint16_t(int16_t(-500 + g));
        r[bases[g] + 6] = uint16_t(int16_t(300 + g));
        r[bases[g] + 7] = uint16_t(0xFFFF - g);
    }
    r[0x20] = 0x2105;
    r[0x21] = 0x0001; r[0x22] = 0x0002;   // 131073
    r[0x23] = 0x0000; r[0x24] = 0x0000;
    r[0x25] = 1001;   r[0x26] = 0;
    r[0x27] = 0x8480; r[0x28] = 0x001E;   // 2000000
    return r;
}

TEST(MeterDecoding, MeasurementBlockAtUnitRatios)
{
    const auto d = DataBytes(SampleBlock());
    const Measurements m = DecodeMeasurements(d, 1, 1);
    // Column order combined, A, B, C; the groups in the block are A, B, C, combined.
    EXPECT_DOUBLE_EQ(m.phaseVoltage[kColA], 220.0);
    EXPECT_DOUBLE_EQ(m.phaseVoltage[kColB], 220.1);
    EXPECT_DOUBLE_EQ(m.phaseVoltage[kColC], 220.2);
    EXPECT_DOUBLE_EQ(m.phaseVoltage[kCombined], 220.3);
    EXPECT_DOUBLE_EQ(m.lineVoltage[kColB], 380.1);
    EXPECT_DOUBLE_EQ(m.current[kColC], 5.002);
    EXPECT_DOUBLE_EQ(m.activePower[kColA], -1500.0);
    EXPECT_DOUBLE_EQ(m.powerFactor[kColA], -0.5);
    EXPECT_DOUBLE_EQ(m.reactivePower[kCombined], 303.0);
    EXPECT_DOUBLE_EQ(m.apparentPower[kColA], 65535.0);
    EXPECT_DOUBLE_EQ(m.frequency, 49.99);
    EXPECT_EQ(m.ioWord, 0x2105);
    EXPECT_EQ(m.energy[0], 131073u);
    EXPECT_EQ(m.energy[1], 0u);
    EXPECT_EQ(m.energy[2], 1001u);
    EXPECT_EQ(m.energy[3], 2000000u);

    const auto f = Fundamentals(m);   // I1, I2, I3, U1, U2, U3
    EXPECT_DOUBLE_EQ(f[0], 5.0);
    EXPECT_DOUBLE_EQ(f[2], 5.002);
    EXPECT_DOUBLE_EQ(f[3], 220.0);
    EXPECT_DOUBLE_EQ(f[5], 220.2);
}

TEST(MeterDecoding, RatiosScaleVoltagesCurrentsAndPowersButNotEnergy)
{
    std::vector<uint16_t> block = SampleBlock();
    block[0x00] = 1000;                    // 10.00 KV at PT 100
    block[0x04] = 0xFFFF;                  // -1 x PT x CT
    block[0x07] = 0xFFFF;                  // 65535 x PT x CT
    const auto d = DataBytes(block);
    const Measurements m = DecodeMeasurements(d, 100, 5);
    EXPECT_DOUBLE_EQ(m.phaseVoltage[kColA], 10000.0);
    EXPECT_DOUBLE_EQ(m.current[kColA], 25.0);
    EXPECT_DOUBLE_EQ(m.activePower[kColA], -500.0);
    EXPECT_DOUBLE_EQ(m.apparentPower[kColA], 65535.0 * 500);
    EXPECT_EQ(m.energy[0], 131073u);

    const MeasurementTexts t = FormatMeasurements(m);
    EXPECT_EQ(t.grid[kRowPhaseVoltage][kColA], QStringLiteral("10.00 KV"));
    EXPECT_EQ(t.grid[kRowActive][kColA], QStringLiteral("-500.000 W"));
    EXPECT_EQ(t.grid[kRowApparent][kColA], QStringLiteral("32.767 MVA"));
    EXPECT_EQ(t.energy[0], QStringLiteral("131.073 MWh"));

    // A ratio of 0 reads every scaled value as 0.
    const Measurements zero = DecodeMeasurements(d, 0, 0);
    EXPECT_DOUBLE_EQ(zero.phaseVoltage[kColA], 0.0);
    EXPECT_DOUBLE_EQ(zero.activePower[kColA], 0.0);
    EXPECT_DOUBLE_EQ(zero.frequency, 49.99);
}

TEST(MeterDecoding, MeasurementTextsInputsAndRelays)
{
    const auto d = DataBytes(SampleBlock());
    const MeasurementTexts t = FormatMeasurements(DecodeMeasurements(d, 1, 1));
    EXPECT_EQ(t.grid[kRowPhaseVoltage][kCombined], QStringLiteral("220.30 V"));
    EXPECT_EQ(t.grid[kRowLineVoltage][kColC], QStringLiteral("380.20 V"));
    EXPECT_EQ(t.grid[kRowCurrent][kColA], QStringLiteral("5.000 A"));
    EXPECT_EQ(t.grid[kRowPowerFactor][kColB], QStringLiteral("-0.499"));
    EXPECT_EQ(t.frequency, QStringLiteral("49.990 Hz"));
    EXPECT_EQ(t.energy[1], QStringLiteral("-0.000 KWh"));
    EXPECT_EQ(t.energy[3], QStringLiteral("-2.000 KMVarh"));
    // 0x2105: DI1 and DI3 on; DO1 and DO6 closed.
    const std::array<bool, 6> inputs{true, false, true, false, false, false};
    EXPECT_EQ(t.inputs, inputs);
    const QString closed = QStringLiteral("闭"), open = QStringLiteral("开");
    const std::array<QString, 6> relays{closed, open, open, open, open, closed};
    EXPECT_EQ(t.relays, relays);
}

TEST(MeterDecoding, DeviceInformation)
{
    std::vector<uint16_t> r(17, 0);
    r[0x00] = 0x1207;   // address: low byte only
    r[0x01] = 0x0003;
    r[0x06] = 0x0150;   // pulse width 0x50
    r[0x07] = 100;
    r[0x08] = 0xFFFF;
    r[0x0A] = 0x0100;   // low byte 0: class 0.5
    const auto d = DataBytes(r);
    const DeviceInfo info = DecodeDeviceInfo(d);
    EXPECT_EQ(info.slaveAddress, 7);
    EXPECT_EQ(info.wiringMode, 3);
    EXPECT_EQ(info.pulseWidth, 0x50);
    EXPECT_EQ(info.ptRatio, 100);
    EXPECT_EQ(info.ctRatio, 65535);
    EXPECT_EQ(info.accuracyFlag, 0);
    EXPECT_EQ(AccuracyText(0), QStringLiteral("0.5级"));
    EXPECT_EQ(AccuracyText(2), QStringLiteral("0.2级"));
    EXPECT_EQ(PulseWidthText(80), QStringLiteral("80"));
}

TEST(MeterDecoding, ModulePresenceBits)
{
    struct Case {
        uint16_t presence;
        std::array<bool, 6> lit;   // E2, A20_1#, A20_2#, K2_1#, K2_2#, K2_3#
    } cases[] = {
        {0x0051, {true, false, false, true, false, true}},
        {0x0002, {false, false, false, false, false, false}},   // bit 1 means nothing
        {0xFF80, {false, false, false, false, false, false}},   // nor bit 7 or the high byte
        {0x007D, {true, true, true, true, true, true}},
        {0x0015, {true, true, false, true, false, false}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ModuleLamps(c.presence), c.lit) << std::hex << c.presence;
}

TEST(MeterDecoding, CountersHighWordFirst)
{
    const auto d = DataBytes({0xFFFF, 0xFFFF, 0x0001, 0x0002, 0, 0, 0x8000, 0, 0, 12, 0x0010, 0});
    const auto texts = CounterTexts(d);
    const std::array<QString, 6> expected{QStringLiteral("4294967295"), QStringLiteral("65538"),
                                          QStringLiteral("0"), QStringLiteral("2147483648"),
                                          QStringLiteral("12"), QStringLiteral("1048576")};
    EXPECT_EQ(texts, expected);
}

TEST(MeterHarmonics, StartValuesAndLabels)
{
    const auto start = ChartStartValues();
    const double expected[18] = {0, 0.8, 0.6, 0.5, 0.4, 0.4, 0.3, 0.3, 0.2, 0.2,
                                 0.2, 0.2, 0.2, 0.2, 0.2, 0.1, 0.1, 0.1};
    for (int i = 0; i < 18; ++i)
        EXPECT_DOUBLE_EQ(start[i], expected[i]) << "order " << i + 2;
    const QStringList labels = ChartRowLabels();
    ASSERT_EQ(labels.size(), 18);
    EXPECT_EQ(labels.first(), QStringLiteral("2"));
    EXPECT_EQ(labels.last(), QStringLiteral("19"));
    const uint16_t starts[6] = {0x020C, 0x021E, 0x0230, 0x0242, 0x0254, 0x0266};
    for (int item = 0; item < 6; ++item)
        EXPECT_EQ(HarmonicRegister(item), starts[item]);
}

TEST(MeterHarmonics, ReplyToChartRows)
{
    std::vector<uint16_t> raw(18, 0);
    raw[0] = 500;    // order 2: read, never charted
    raw[1] = 35;     // order 3: 3.5 %
    raw[2] = 1000;   // order 4: 100 %
    raw[17] = 0xFFFF;  // order 19, unsigned
    const auto d = DataBytes(raw);
    int scale = 0;
    const HarmonicView h = DecodeHarmonics(d, 5.0, scale);
    EXPECT_DOUBLE_EQ(h.percent[2], 50.0);
    EXPECT_DOUBLE_EQ(h.chart[0], 0.0);
    EXPECT_DOUBLE_EQ(h.chart[1], 3.5);
    EXPECT_DOUBLE_EQ(h.chart[2], 100.0);
    EXPECT_DOUBLE_EQ(h.chart[3], 0.0);
    EXPECT_DOUBLE_EQ(h.chart[17], 6553.5);
    EXPECT_EQ(h.fundamentalText, QStringLiteral("5.00"));
}

TEST(MeterHarmonics, FundamentalBarBands)
{
    const auto d = DataBytes(std::vector<uint16_t>(18, 0));
    struct Case {
        double fundamental;
        int scaleBefore;
        const char *text;
        int scale;
        int value;
        const char *lastLabel;
    } cases[] = {
        {500.4, 0, "500.40", 1, 500, "500"},
        {500.9, 0, "500.90", 1, 500, "500"},
        {501.0, 1, "501.00", 2, 501, "1000"},
        {1000.0, 0, "1000.00", 2, 1000, "1000"},
        {1500.5, 0, "1500.50", 3, 1500, "1500"},   // truncated to 1500: band 3
        {2000.0, 1, "2000.00", 4, 2000, "2000"},
        {2500.0, 2, "2500.00", 2, 1000, "1000"},   // kept band; above range shows full
        {2500.0, 0, "2500.00", 0, 0, "0"},          // scale 0: empty bar, labels 0
        {0.0, 3, "0.00", 1, 0, "500"},
        {219.996, 0, "220.00", 1, 220, "500"},      // rounded before truncation
    };
    for (const Case &c : cases) {
        int scale = c.scaleBefore;
        const HarmonicView h = DecodeHarmonics(d, c.fundamental, scale);
        EXPECT_EQ(h.fundamentalText, QString::fromLatin1(c.text)) << c.fundamental;
        EXPECT_EQ(scale, c.scale) << c.fundamental;
        EXPECT_EQ(h.scale, c.scale) << c.fundamental;
        EXPECT_EQ(h.barMaximum, 500 * c.scale) << c.fundamental;
        EXPECT_EQ(h.barValue, c.value) << c.fundamental;
        EXPECT_EQ(h.scaleLabels[0], QStringLiteral("0"));
        EXPECT_EQ(h.scaleLabels[5], QString::fromLatin1(c.lastLabel)) << c.fundamental;
    }
    int scale = 1;
    const HarmonicView one = DecodeHarmonics(d, 12.0, scale);
    const std::array<QString, 6> labels{QStringLiteral("0"), QStringLiteral("100"), QStringLiteral("200"),
                                        QStringLiteral("300"), QStringLiteral("400"), QStringLiteral("500")};
    EXPECT_EQ(one.scaleLabels, labels);
}

TEST(MeterLinkStats, RateCoversTheTicksBefore)
{
    LinkStats stats;
    LinkStats::Texts first = stats.Record(true);
    EXPECT_EQ(first.attempts, QStringLiteral("1"));
    EXPECT_EQ(first.rate, QStringLiteral("100.00"));
    // Ticks 2..5 good, 6..10 bad: the eleventh shows 100 x 6 / 11.
    for (int tick = 2; tick <= 10; ++tick)
        stats.Record(tick <= 5);
    const LinkStats::Texts eleventh = stats.Record(false);
    EXPECT_EQ(eleventh.attempts, QStringLiteral("11"));
    EXPECT_EQ(eleventh.rate, QStringLiteral("54.55"));
    EXPECT_EQ(stats.attemptCount(), 12);
    EXPECT_EQ(stats.successCount(), 6);
}

// A reading's time is the instant and the local offset Qt's local time gives,
// also after the zone changes while the program runs (a service runs for months).
// POSIX zone rules, so no zone files are needed: whole and half hours, both signs,
// and a zone in summer time in December.
TEST(MeterReadingTime, FollowsTheZoneAsQtsLocalTimeDoes)
{
    const QByteArray saved = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    for (const char *zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "<-0330>3:30", "IST-5:30",
                             "AEST-10AEDT,M10.1.0,M4.1.0/3", "UTC0"}) {
        qputenv("TZ", zone);
        tzset();
        const QDateTime reading = LocalNow();
        const QDateTime qt = QDateTime::currentDateTime();
        EXPECT_EQ(reading.offsetFromUtc(), qt.offsetFromUtc()) << zone;
        EXPECT_LT(std::abs(qt.toMSecsSinceEpoch() - reading.toMSecsSinceEpoch()), 1000) << zone;
    }
    if (hadZone)
        qputenv("TZ", saved);
    else
        qunsetenv("TZ");
    tzset();
}

} // namespace
