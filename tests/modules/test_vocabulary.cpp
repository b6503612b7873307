// Control quantities, relay modes and the conversions by kind, with the
// instrument's own numbers, and the refusals at their exact borders.
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/ControlQuantity.h"
#include "modules/vocabulary/Conversions.h"
#include "modules/vocabulary/Registers.h"
#include "modules/vocabulary/RelayBlock.h"

#include <gtest/gtest.h>

#include <set>

using namespace rdmod;

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

} // namespace

TEST(ModVocabulary, CodesComeFromTheTableNotTheListPosition)
{
    const auto &all = ControlQuantities();
    std::set<int> codes;
    for (const auto &q : all)
        codes.insert(q.code);
    EXPECT_EQ(codes.size(), 29u);
    for (int unused : {4, 12, 20, 34, 0, 254})
        EXPECT_FALSE(FindQuantityByCode(unused)) << unused;

    EXPECT_EQ(QuantityTexts().at(10), U("P2有功"));
    EXPECT_EQ(FindQuantityByText(U("P2有功"))->code, 13);
    EXPECT_EQ(QString::fromUtf8(FindQuantityByCode(13)->text), U("P2有功"));
    EXPECT_EQ(FindQuantityByText(U("F频率"))->code, 28);
    EXPECT_EQ(BaseFactor(FindQuantityByText(U("F频率"))->kind), 100);
    EXPECT_FALSE(FindQuantityByText(U("P2有功 ")));   // exact comparison only
    EXPECT_FALSE(FindQuantityByText(QString()));

    // Analog output codes are the relay codes minus one.
    EXPECT_EQ(QString::fromUtf8(FindQuantityByAnalogCode(27)->text), U("F频率"));
    EXPECT_EQ(AnalogCode(*FindQuantityByText(U("P1有功"))), 4);
    for (int unused : {3, 11, 19, 32, 255})
        EXPECT_FALSE(FindQuantityByAnalogCode(unused)) << unused;
}

TEST(ModVocabulary, RelayModes)
{
    const QStringList texts = RelayModeTexts();
    ASSERT_EQ(texts.size(), kRelayModeCount);
    EXPECT_EQ(texts.first(), U("复归(断开)"));
    EXPECT_EQ(texts.at(30), U("Min(P1,P2,P3)"));
    EXPECT_EQ(texts.last(), U("动作(闭合)"));

    struct Case {
        uint16_t reg;
        const char *text;   // nullptr: no entry
        bool follows;
    };
    const Case cases[] = {
        {0x00FF, "动作(闭合)", false}, {0x12FF, "动作(闭合)", false}, {0x0000, "复归(断开)", false},
        {0xAB00, "复归(断开)", false}, {0x0021, "Min(P1,P2,P3)", true}, {0x010D, "P2有功", true},
        {0x0004, nullptr, false},      {0x000C, nullptr, false},        {0x0014, nullptr, false},
        {0x0022, nullptr, false},      {0x00FE, nullptr, false},
    };
    for (const Case &c : cases) {
        const auto mode = FindRelayModeByRegister(c.reg);
        if (!c.text) {
            EXPECT_FALSE(mode) << c.reg;
            continue;
        }
        ASSERT_TRUE(mode) << c.reg;
        EXPECT_EQ(mode->text, U(c.text));
        EXPECT_EQ(mode->kind.has_value(), c.follows);
        EXPECT_EQ(FindRelayModeByText(U(c.text))->code, c.reg & 0xFF);
    }
    EXPECT_EQ(*FindRelayModeByText(U("Min(P1,P2,P3)"))->kind, Kind::ActivePower);
}

TEST(ModVocabulary, PresenceAndAddresses)
{
    EXPECT_EQ(RelayModuleFromPresence(0x50), 2);   // the highest relay bit wins
    EXPECT_EQ(RelayModuleFromPresence(0x30), 1);
    EXPECT_EQ(RelayModuleFromPresence(0x01), kNoRelayModule);
    EXPECT_EQ(RelayModuleFromPresence(0x8F), kNoRelayModule);
    EXPECT_EQ(AnalogModuleFromPresence(0x0C), 1);
    EXPECT_EQ(AnalogModuleFromPresence(0x04), 0);
    EXPECT_EQ(AnalogModuleFromPresence(0x72), kNoAnalogModule);
    EXPECT_EQ(RelayRegister(0, 2, 0), 0x0317);
    EXPECT_EQ(RelayRegister(2, 2, 5), 0x0334);
    EXPECT_EQ(AnalogBlockAddress(1) + kAnalogBlockSize - 1, 0x0342);
}

TEST(ModConversions, EncodeWithTheInstrumentsNumbers)
{
    struct Case {
        Kind kind;
        Scale scale;
        double value;
        uint16_t pt, ct;
        uint16_t reg;
    };
    const Case cases[] = {
        {Kind::Frequency, Scale::Kilo, 49.95, 1, 1, 4995},
        {Kind::Frequency, Scale::Kilo, 50, 7, 9, 5000},
        {Kind::PowerFactor, Scale::Kilo, -0.5, 1, 1, 0xFE0C},
        {Kind::PowerFactor, Scale::Base, -0.5, 0, 0, 0xFE0C},   // no ratio involved
        {Kind::Voltage, Scale::Kilo, 230.46, 1, 1, 2304},       // truncated, not rounded
        {Kind::Voltage, Scale::Kilo, 380, 20, 1, 190},
        {Kind::Current, Scale::Kilo, 200, 1, 40, 5000},
        {Kind::ActivePower, Scale::Kilo, 15.5, 10, 20, 77},
        {Kind::ActivePower, Scale::Kilo, -2.5, 1, 1, 0xF63C},
        {Kind::ActivePower, Scale::Base, 2000, 10, 20, 10},
        {Kind::ApparentPower, Scale::Kilo, 65.535, 1, 1, 65535},
        {Kind::Voltage, Scale::Kilo, 4000, 40000, 1, 1},          // PT read unsigned
        {Kind::ActivePower, Scale::Base, 64000.0 * 64000.0, 64000, 64000, 1},   // PT x CT without overflow
    };
    for (const Case &c : cases) {
        const Encoded e = EncodeValue(c.kind, c.value, {c.pt, c.ct}, c.scale);
        EXPECT_EQ(e.status, EncodeStatus::Ok) << c.value;
        EXPECT_EQ(e.reg, c.reg) << c.value;
    }
}

TEST(ModConversions, DecodeWithTheInstrumentsNumbers)
{
    struct Case {
        Kind kind;
        Scale scale;
        uint16_t reg;
        uint16_t pt, ct;
        const char *shown;
    };
    const Case cases[] = {
        {Kind::Voltage, Scale::Kilo, 190, 20, 1, "380.000"},
        {Kind::Current, Scale::Kilo, 5000, 1, 40, "200.000"},
        {Kind::ActivePower, Scale::Kilo, 77, 10, 20, "15.400"},
        {Kind::ActivePower, Scale::Kilo, 0xF63C, 1, 1, "-2.500"},
        {Kind::ApparentPower, Scale::Kilo, 0xFFFF, 1, 1, "65.535"},
        {Kind::ReactivePower, Scale::Kilo, 0xFFFF, 1, 1, "-0.001"},
        {Kind::ActivePower, Scale::Base, 0xFFFF, 1, 1, "-1.000"},
        {Kind::ApparentPower, Scale::Base, 0xFFFF, 1, 1, "65535.000"},
        {Kind::Frequency, Scale::Base, 4995, 1, 1, "49.950"},
        {Kind::PowerFactor, Scale::Kilo, 0xFE0C, 1, 1, "-0.500"},
        {Kind::Voltage, Scale::Kilo, 0xFFFF, 1, 1, "6553.500"},       // voltage read unsigned
        {Kind::Voltage, Scale::Kilo, 1, 40000, 1, "4000.000"},
        {Kind::Voltage, Scale::Kilo, 2300, 0, 1, "0.000"},            // PT 0: what the product gives
        {Kind::ActivePower, Scale::Base, 1, 64000, 64000, "4096000000.000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatValue(DecodeValue(c.kind, c.reg, {c.pt, c.ct}, c.scale)), QLatin1String(c.shown))
            << c.reg;
    EXPECT_EQ(UnitText(Kind::ReactivePower, Scale::Kilo), QLatin1String("kVar"));
    EXPECT_EQ(UnitText(Kind::ReactivePower, Scale::Base), QLatin1String("Var"));
}

TEST(ModConversions, RefusesWhatDoesNotFitItsRegister)
{
    struct Case {
        Kind kind;
        Scale scale;
        double value;
        uint16_t pt, ct;
        EncodeStatus status;
    };
    const Case cases[] = {
        {Kind::Voltage, Scale::Kilo, 6553.5, 1, 1, EncodeStatus::Ok},
        {Kind::Voltage, Scale::Kilo, 6553.6, 1, 1, EncodeStatus::OutOfRange},
        {Kind::Voltage, Scale::Kilo, 7000, 1, 1, EncodeStatus::OutOfRange},   // no wrapping to 0x1170
        {Kind::Voltage, Scale::Kilo, -0.09, 1, 1, EncodeStatus::Ok},          // truncates to 0
        {Kind::Voltage, Scale::Kilo, -0.1, 1, 1, EncodeStatus::OutOfRange},
        {Kind::ActivePower, Scale::Kilo, -32.768, 1, 1, EncodeStatus::Ok},
        {Kind::ActivePower, Scale::Kilo, -32.769, 1, 1, EncodeStatus::OutOfRange},
        {Kind::ActivePower, Scale::Kilo, 32.769, 1, 1, EncodeStatus::OutOfRange},
        {Kind::ActivePower, Scale::Base, 32767, 1, 1, EncodeStatus::Ok},
        {Kind::ActivePower, Scale::Base, 32768, 1, 1, EncodeStatus::OutOfRange},
        {Kind::ApparentPower, Scale::Base, 65535, 1, 1, EncodeStatus::Ok},
        {Kind::ApparentPower, Scale::Base, 65536, 1, 1, EncodeStatus::OutOfRange},
        {Kind::ApparentPower, Scale::Base, -1, 1, 1, EncodeStatus::OutOfRange},
        {Kind::PowerFactor, Scale::Kilo, 32.767, 1, 1, EncodeStatus::Ok},
        {Kind::PowerFactor, Scale::Kilo, 32.768, 1, 1, EncodeStatus::OutOfRange},
        {Kind::Frequency, Scale::Kilo, 655.36, 1, 1, EncodeStatus::OutOfRange},
        {Kind::Current, Scale::Kilo, 65.535, 1, 1, EncodeStatus::Ok},
        {Kind::Current, Scale::Kilo, 1e300, 1, 1, EncodeStatus::OutOfRange},
        {Kind::Voltage, Scale::Kilo, 380, 0, 1, EncodeStatus::ZeroRatio},
        {Kind::Current, Scale::Kilo, 1, 5, 0, EncodeStatus::ZeroRatio},
        {Kind::Current, Scale::Kilo, 1, 0, 5, EncodeStatus::Ok},              // PT does not matter
        {Kind::ReactivePower, Scale::Base, 1, 0, 5, EncodeStatus::ZeroRatio},
        {Kind::Frequency, Scale::Kilo, 50, 0, 0, EncodeStatus::Ok},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EncodeValue(c.kind, c.value, {c.pt, c.ct}, c.scale).status, c.status) << c.value;

    EXPECT_EQ(EncodeUnscaled(65535).reg, 65535);
    EXPECT_EQ(EncodeUnscaled(-1).status, EncodeStatus::OutOfRange);
}

TEST(ModConversions, StrictNumberTexts)
{
    struct Case {
        const char *text;
        bool number;
        double value;
    };
    const Case numbers[] = {
        {"230.46", true, 230.46}, {" -0.5 ", true, -0.5}, {"+2", true, 2}, {".5", true, 0.5},
        {"7.", true, 7},          {"", false, 0},         {"  ", false, 0}, {"abc", false, 0},
        {"12abc", false, 0},      {"1e3", false, 0},      {".", false, 0},  {"--1", false, 0},
        {"0x10", false, 0},       {"1,5", false, 0},      {"inf", false, 0}, {"nan", false, 0},
    };
    for (const Case &c : numbers) {
        const auto v = ParseNumber(U(c.text));
        EXPECT_EQ(v.has_value(), c.number) << c.text;
        if (v) {
            EXPECT_DOUBLE_EQ(*v, c.value) << c.text;
        }
    }
    struct Whole {
        const char *text;
        int max;
        int value;   // -1: refused
    };
    const Whole wholes[] = {
        {"65535", 65535, 65535}, {"65536", 65535, -1}, {"0", 65535, 0},   {" 7 ", 65535, 7},
        {"-1", 65535, -1},       {"1.0", 65535, -1},   {"", 65535, -1},   {"255", 255, 255},
        {"256", 255, -1},        {"+3", 255, -1},      {"99999999999", 65535, -1},
    };
    for (const Whole &w : wholes) {
        const auto v = ParseWhole(U(w.text), w.max);
        EXPECT_EQ(v ? *v : -1, w.value) << w.text;
    }
}

TEST(ModConversions, ValueReadAndWrittenBackUnchangedKeepsItsRegister)
{
    // 1.001 A is 1000.9999999999999 x 1000 in double: plain truncation would write
    // 1000 and silently change a setting the user never touched.
    EXPECT_EQ(EncodeValue(Kind::Current, 1.001, {1, 1}, Scale::Kilo).reg, 1001);
    EXPECT_EQ(EncodeValue(Kind::Voltage, 230.46, {1, 1}, Scale::Kilo).reg, 2304);   // still truncates
    struct Case {
        Kind kind;
        Ratios ratios;
        Scale scale;
    };
    const Case cases[] = {
        {Kind::Current, {1, 1}, Scale::Kilo},      {Kind::Voltage, {3, 1}, Scale::Kilo},
        {Kind::ActivePower, {10, 20}, Scale::Kilo}, {Kind::PowerFactor, {1, 1}, Scale::Base},
        {Kind::Frequency, {1, 1}, Scale::Base},
    };
    for (const Case &c : cases) {
        int drifted = 0;
        for (int r = 0; r <= 0xFFFF; ++r) {
            const auto shown = ParseNumber(FormatValue(DecodeValue(c.kind, uint16_t(r), c.ratios, c.scale)));
            const Encoded back = EncodeValue(c.kind, *shown, c.ratios, c.scale);
            drifted += back.status != EncodeStatus::Ok || back.reg != r;
        }
        EXPECT_EQ(drifted, 0) << int(c.kind);
    }
}
