// The relay and analog output blocks as the windows use them: texts to registers,
// registers to texts, and the field each refusal names.
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/FieldError.h"
#include "modules/vocabulary/RelayBlock.h"

#include <gtest/gtest.h>

using namespace rdmod;

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

RelayTexts Relay(const char *mode, const char *operate, const char *reset, const char *d1 = "1",
                 const char *d2 = "2", const char *pulse = "3")
{
    return {U(mode), U(operate), U(reset), U(d1), U(d2), U(pulse)};
}

} // namespace

TEST(ModRelayBlock, EncodesEveryRegisterInBlockOrder)
{
    struct Case {
        RelayTexts texts;
        Ratios ratios;
        RelayRegisters regs;
    };
    const Case cases[] = {
        {Relay("U1电压控制", "380", "360", "5", "6", "7"), {20, 1}, {1, 190, 180, 5, 6, 7}},
        {Relay("P2有功", "15.5", "-2.5"), {10, 20}, {13, 77, 0xFFF4, 1, 2, 3}},
        {Relay("PF功率因数", "-0.5", "0.9"), {0, 0}, {30, 0xFE0C, 900, 1, 2, 3}},
        {Relay("Min(P1,P2,P3)", "1", "-1"), {1, 1}, {33, 1000, 0xFC18, 1, 2, 3}},
        // Fixed modes: factor 1, whatever quantity was handled before.
        {Relay("动作(闭合)", "5", "7.9"), {20, 40}, {255, 5, 7, 1, 2, 3}},
        {Relay("复归(断开)", "0", "0", "65535", "0", "65535"), {0, 0}, {0, 0, 0, 65535, 0, 65535}},
    };
    for (const Case &c : cases) {
        const auto result = EncodeRelay(c.texts, c.ratios, U("继电器OUT1"));
        ASSERT_TRUE(std::holds_alternative<RelayRegisters>(result)) << c.texts.mode.toStdString();
        EXPECT_EQ(std::get<RelayRegisters>(result), c.regs) << c.texts.mode.toStdString();
    }
}

TEST(ModRelayBlock, RefusalNamesTheFieldAndWhatItAccepts)
{
    struct Case {
        RelayTexts texts;
        Ratios ratios;
        const char *field;
        const char *accepts;   // part of the message
    };
    const Case cases[] = {
        {Relay("", "1", "1"), {1, 1}, "继电器OUT2 控制方式", "列表中的一项"},
        {Relay("U1电压", "1", "1"), {1, 1}, "继电器OUT2 控制方式", "列表中的一项"},
        {Relay("U1电压控制", "7000", "1"), {1, 1}, "继电器OUT2 启动值", "0.000 至 6553.500 V"},
        {Relay("U1电压控制", "1", ""), {1, 1}, "继电器OUT2 复归值", "0.000 至 6553.500 V"},
        {Relay("U1电压控制", "1", "1x"), {1, 1}, "继电器OUT2 复归值", "V 之间的数值"},
        {Relay("P1有功", "32.769", "1"), {1, 1}, "继电器OUT2 启动值", "-32.768 至 32.767 kW"},
        {Relay("S视在功率", "-1", "1"), {1, 1}, "继电器OUT2 启动值", "0.000 至 65.535 kVA"},
        {Relay("U1电压控制", "1", "1", "65536"), {1, 1}, "继电器OUT2 启动延时", "0 至 65535 之间的整数"},
        {Relay("U1电压控制", "1", "1", "1", "-1"), {1, 1}, "继电器OUT2 复归延时", "整数"},
        {Relay("U1电压控制", "1", "1", "1", "1", "2.5"), {1, 1}, "继电器OUT2 脉冲宽度", "整数"},
        {Relay("动作(闭合)", "-1", "0"), {1, 1}, "继电器OUT2 启动值", "0.000 至 65535.000"},
        {Relay("U1电压控制", "380", "1"), {0, 1}, "继电器OUT2 启动值", "PT变比为0"},
        {Relay("I1电流控制", "1", "1"), {1, 0}, "继电器OUT2 启动值", "CT变比为0"},
        {Relay("Q1无功", "1", "1"), {3, 0}, "继电器OUT2 启动值", "变比为0"},
    };
    for (const Case &c : cases) {
        const auto result = EncodeRelay(c.texts, c.ratios, U("继电器OUT2"));
        ASSERT_TRUE(std::holds_alternative<FieldError>(result)) << c.field;
        const FieldError &error = std::get<FieldError>(result);
        EXPECT_EQ(error.field, U(c.field));
        const QString message = FieldErrorMessage(error);
        EXPECT_TRUE(message.startsWith(U(c.field))) << message.toStdString();
        EXPECT_TRUE(message.contains(U(c.accepts))) << message.toStdString();
        EXPECT_TRUE(message.contains(U("参数未发送"))) << message.toStdString();
    }
}

TEST(ModRelayBlock, DecodesByModeKind)
{
    struct Case {
        RelayRegisters regs;
        Ratios ratios;
        const char *mode;
        const char *operate;
        const char *reset;
        const char *unit;
        bool known;
    };
    const Case cases[] = {
        {{1, 190, 180, 5, 6, 7}, {20, 1}, "U1电压控制", "380.000", "360.000", "V", true},
        {{0x0003, 5000, 0, 0, 0, 0}, {1, 40}, "I1电流控制", "200.000", "0.000", "A", true},
        {{0x0005, 77, 0xFFFF, 0, 0, 0}, {10, 20}, "P1有功", "15.400", "-0.200", "kW", true},
        {{0x0020, 0xFFFF, 0, 0, 0, 0}, {1, 1}, "S视在功率", "65.535", "0.000", "kVA", true},
        {{0x001F, 0xFFFF, 0, 0, 0, 0}, {1, 1}, "Q无功", "-0.001", "0.000", "kVar", true},
        {{0x0021, 0xFFFF, 1, 0, 0, 0}, {1, 1}, "Min(P1,P2,P3)", "-0.001", "0.001", "kW", true},
        {{0x001C, 4995, 0, 0, 0, 0}, {1, 1}, "F频率", "49.950", "0.000", "Hz", true},
        {{0x0006, 0xFE0C, 0, 0, 0, 0}, {1, 1}, "PF1功率因数", "-0.500", "0.000", "", true},
        // Fixed modes and unknown bytes: unsigned, factor 1, no unit.
        {{0x12FF, 0xFFFF, 3, 0, 0, 0}, {20, 40}, "动作(闭合)", "65535.000", "3.000", "", true},
        {{0x0100, 5, 3, 0, 0, 0}, {20, 40}, "复归(断开)", "5.000", "3.000", "", true},
        {{0x0004, 0xFFFF, 3, 0, 0, 0}, {20, 40}, "", "65535.000", "3.000", "", false},
    };
    for (const Case &c : cases) {
        const RelayView view = DecodeRelay(c.regs, c.ratios);
        EXPECT_EQ(view.texts.mode, U(c.mode));
        EXPECT_EQ(view.texts.operate, U(c.operate)) << c.mode;
        EXPECT_EQ(view.texts.reset, U(c.reset)) << c.mode;
        EXPECT_EQ(view.unit, U(c.unit)) << c.mode;
        EXPECT_EQ(view.modeKnown, c.known) << c.mode;
    }
    const RelayView seconds = DecodeRelay({0, 0, 0, 65535, 0, 12}, {1, 1});
    EXPECT_EQ(seconds.texts.operateDelay, U("65535"));
    EXPECT_EQ(seconds.texts.resetDelay, U("0"));
    EXPECT_EQ(seconds.texts.pulseWidth, U("12"));
}

TEST(ModRelayBlock, UnitByListPosition)
{
    const std::pair<int, const char *> cases[] = {{0, ""},   {1, "V"},  {2, "V"},   {3, "A"},  {4, "kW"},
                                                  {5, ""},   {6, "kVar"}, {7, "kVA"}, {25, "Hz"}, {26, "kW"},
                                                  {30, "kW"}, {31, ""},   {-1, ""},   {32, ""}};
    for (const auto &[position, unit] : cases)
        EXPECT_EQ(RelayUnitAt(position), U(unit)) << position;
}

TEST(ModAnalogBlock, TwentyMilliampsBeforeFour)
{
    const auto result = EncodeAnalog({U("P1有功"), U("0"), U("2000")}, {10, 20}, U("电流输出1路"));
    ASSERT_TRUE(std::holds_alternative<AnalogRegisters>(result));
    EXPECT_EQ(std::get<AnalogRegisters>(result), (AnalogRegisters{4, 10, 0}));

    const auto f = EncodeAnalog({U("F频率"), U("45"), U("55")}, {0, 0}, U("电流输出2路"));
    EXPECT_EQ(std::get<AnalogRegisters>(f), (AnalogRegisters{27, 5500, 4500}));
}

TEST(ModAnalogBlock, RefusalsAndDecoding)
{
    struct Refusal {
        AnalogTexts texts;
        Ratios ratios;
        const char *field;
    };
    const Refusal refusals[] = {
        {{U("P1"), U("0"), U("1")}, {1, 1}, "电流输出2路 输出参数选择"},
        {{U("P1有功"), U("-32769"), U("1")}, {1, 1}, "电流输出2路 4mA"},
        {{U("P1有功"), U("0"), U("32768")}, {1, 1}, "电流输出2路 20mA"},
        {{U("S视在功率"), U("0"), U("")}, {1, 1}, "电流输出2路 20mA"},
        {{U("U1电压控制"), U("0"), U("1")}, {0, 1}, "电流输出2路 4mA"},
    };
    for (const Refusal &r : refusals) {
        const auto result = EncodeAnalog(r.texts, r.ratios, U("电流输出2路"));
        ASSERT_TRUE(std::holds_alternative<FieldError>(result)) << r.field;
        EXPECT_EQ(std::get<FieldError>(result).field, U(r.field));
    }

    struct Read {
        AnalogRegisters regs;
        Ratios ratios;
        const char *quantity, *at4, *at20, *unit;
    };
    const Read reads[] = {
        {{4, 10, 0}, {10, 20}, "P1有功", "0.000", "2000.000", "W"},
        {{0x0104, 0xFFFF, 0}, {1, 1}, "P1有功", "0.000", "-1.000", "W"},
        {{31, 0xFFFF, 0}, {1, 1}, "S视在功率", "0.000", "65535.000", "VA"},
        {{27, 5500, 4500}, {1, 1}, "F频率", "45.000", "55.000", "Hz"},
        {{3, 0xFFFF, 2}, {20, 40}, "", "2.000", "65535.000", ""},
        {{32, 10, 2}, {20, 40}, "", "2.000", "10.000", ""},
    };
    for (const Read &r : reads) {
        const AnalogView view = DecodeAnalog(r.regs, r.ratios);
        EXPECT_EQ(view.texts.quantity, U(r.quantity));
        EXPECT_EQ(view.texts.at4mA, U(r.at4)) << r.quantity;
        EXPECT_EQ(view.texts.at20mA, U(r.at20)) << r.quantity;
        EXPECT_EQ(view.unit, U(r.unit)) << r.quantity;
    }
    EXPECT_EQ(AnalogUnitAt(24), U("Hz"));
    EXPECT_EQ(AnalogUnitAt(4), U(""));
    EXPECT_EQ(AnalogUnitAt(27), U("Var"));
    EXPECT_EQ(AnalogUnitAt(29), U(""));
}

TEST(ModPulseBlock, LowByteAndWholeNumbersOnly)
{
    EXPECT_EQ(DecodePulseRegister(0x0103), U("3"));
    EXPECT_EQ(DecodePulseRegister(0x0005), U("5"));
    const std::pair<const char *, int> cases[] = {{"3", 3}, {"255", 255}, {"0", 0},  {"256", -1},
                                                  {"300", -1}, {"-1", -1}, {"abc", -1}, {"", -1}};
    for (const auto &[text, value] : cases) {
        const auto result = EncodePulseField(U(text), U("电能脉冲值"));
        if (value < 0) {
            ASSERT_TRUE(std::holds_alternative<FieldError>(result)) << text;
            EXPECT_TRUE(FieldErrorMessage(std::get<FieldError>(result)).contains(U("0 至 255")));
        } else {
            EXPECT_EQ(std::get<uint16_t>(result), value) << text;
        }
    }
}
