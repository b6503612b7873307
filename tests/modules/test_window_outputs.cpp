// The analog output and energy pulse windows on fake ports: their reads, their
// writes with the exact frames and waits, and what they refuse to send.
#include "ModuleBench.h"
#include "modules/windows/CAnalogOutDlg.h"
#include "modules/windows/CPulseSetDlg.h"

#include <QAccessible>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace rdtest;
using rdmod::CAnalogOutDlg;
using rdmod::CPulseSetDlg;

namespace {

// Analog output module 1# at PT 10, CT 20: output 1 follows P1 over 0..2000 W,
// output 2 follows F over 45..55 Hz.
void LoadAnalogModule(FakeInstrument &meter, uint8_t presence)
{
    meter.regs[0x0100] = presence;
    meter.regs[0x0307] = 10;
    meter.regs[0x0308] = 20;
    const uint16_t block[6] = {4, 10, 0, 27, 5500, 4500};
    for (int k = 0; k < 6; ++k)
        meter.regs[uint16_t(0x0337 + k)] = block[k];
}

} // namespace

TEST(ModAnalogWindow, ReadsAndWritesTheBlockInRegisterOrder)
{
    ModuleBench bench;
    LoadAnalogModule(bench.instrument, 0x04);
    CAnalogOutDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    FakeSerialPort &port = bench.port;
    EXPECT_EQ(port.written, (std::vector<QByteArray>{ReadRequest(0x0307, 2), ReadRequest(0x0100, 1),
                                                     ReadRequest(0x0337, 6)}));
    const std::pair<const char *, const char *> shown[] = {
        {"模块名称", "2AO(4-20mA)模块1#"}, {"电流输出1路 输出参数选择", "P1有功"},
        {"电流输出1路 4mA", "0.000"},       {"电流输出1路 20mA", "2000.000"},
        {"电流输出1路 单位", "W"},          {"电流输出2路 输出参数选择", "F频率"},
        {"电流输出2路 4mA", "45.000"},      {"电流输出2路 20mA", "55.000"},
        {"电流输出2路 单位", "Hz"},
    };
    for (const auto &[name, text] : shown)
        EXPECT_EQ(Text(&dialog, name), U(text)) << name;

    Type(&dialog, "电流输出1路 20mA", "4000");
    Type(&dialog, "电流输出2路 4mA", "49.95");
    const size_t before = port.written.size();
    const size_t waitsBefore = bench.clock.waits.size();
    Press(&dialog, "确认");
    bench.Settle();
    const std::vector<QByteArray> expected{WriteRequest(0x0337, 4),    WriteRequest(0x0338, 20),
                                           WriteRequest(0x0339, 0),    WriteRequest(0x033A, 27),
                                           WriteRequest(0x033B, 5500), WriteRequest(0x033C, 4995)};
    EXPECT_EQ(std::vector<QByteArray>(port.written.begin() + before, port.written.end()), expected);
    for (size_t i = waitsBefore; i < bench.clock.waits.size(); ++i)
        EXPECT_EQ(bench.clock.waits[i].ms, 200u);
    EXPECT_EQ(bench.clock.waits.size() - waitsBefore, 6u);
    EXPECT_EQ(bench.prompter.messages, (std::vector<QString>{U("参数设置成功")}));
    EXPECT_EQ(port.openCount, port.closeCount);
}

TEST(ModAnalogWindow, UnknownCodeEmptiesListAndUnit)
{
    ModuleBench bench;
    LoadAnalogModule(bench.instrument, 0x08);
    bench.instrument.regs[0x033D] = 0;      // U1
    bench.instrument.regs[0x033E] = 2300;
    bench.instrument.regs[0x0340] = 19;     // no quantity
    bench.instrument.regs[0x0341] = 0xFFFF;
    CAnalogOutDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    EXPECT_EQ(dialog.moduleIndex(), 1);
    EXPECT_EQ(Text(&dialog, "电流输出1路 输出参数选择"), U("U1电压控制"));
    EXPECT_EQ(Text(&dialog, "电流输出1路 20mA"), U("2300.000"));
    EXPECT_EQ(Text(&dialog, "电流输出2路 输出参数选择"), U(""));
    EXPECT_EQ(Text(&dialog, "电流输出2路 单位"), U(""));
    EXPECT_EQ(Text(&dialog, "电流输出2路 20mA"), U("65535.000"));   // factor 1, unsigned

    // Writing it back as it stands is refused: the list names no quantity.
    const size_t sent = bench.port.written.size();
    Press(&dialog, "确认");
    bench.Settle();
    EXPECT_EQ(bench.port.written.size(), sent);
    ASSERT_EQ(bench.prompter.messages.size(), 1u);
    EXPECT_TRUE(bench.prompter.messages[0].startsWith(U("电流输出2路 输出参数选择")));
}

TEST(ModAnalogWindow, MissingEchoAndUnknownModule)
{
    ModuleBench bench;
    LoadAnalogModule(bench.instrument, 0x00);   // no analog bit: no module known
    bench.instrument.noEcho = {0x033A};
    CAnalogOutDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    EXPECT_EQ(dialog.moduleIndex(), 5);
    EXPECT_EQ(bench.port.written.size(), 2u);   // ratios and presence, no block read

    Type(&dialog, "电流输出1路 输出参数选择", "P1有功");
    Type(&dialog, "电流输出1路 4mA", "0");
    Type(&dialog, "电流输出1路 20mA", "1");
    Press(&dialog, "确认");
    bench.Settle();
    EXPECT_EQ(bench.port.written.size(), 2u);
    ASSERT_EQ(bench.prompter.messages.size(), 1u);
    EXPECT_TRUE(bench.prompter.messages[0].contains(U("请先")));

    Choose(&dialog, "模块名称", 0);
    bench.Settle();
    EXPECT_EQ(bench.port.written.back(), ReadRequest(0x0337, 6));
    EXPECT_EQ(Text(&dialog, "电流输出2路 输出参数选择"), U("F频率"));
    Press(&dialog, "确认");
    bench.Settle();
    EXPECT_EQ(bench.port.written.size(), 9u);
    ASSERT_EQ(bench.prompter.messages.size(), 2u);
    EXPECT_TRUE(bench.prompter.messages[1].contains(QLatin1String("0x033A")))
        << bench.prompter.messages[1].toStdString();
}

TEST(ModAnalogWindow, QuantityChoiceSetsTheUnit)
{
    ModuleBench bench;
    CAnalogOutDlg dialog(bench.context);
    EXPECT_EQ(Text(&dialog, "电流输出2路 单位"), U("V"));
    auto *list = FindNamed<QComboBox>(&dialog, U("电流输出2路 输出参数选择"));
    const std::pair<int, const char *> cases[] = {{24, "Hz"}, {5, "Var"}, {4, ""}, {28, "VA"}, {9, "A"}};
    for (const auto &[position, unit] : cases) {
        list->setCurrentIndex(position);
        bench.Settle();
        EXPECT_EQ(Text(&dialog, "电流输出2路 单位"), U(unit)) << position;
    }
    EXPECT_EQ(Text(&dialog, "电流输出1路 单位"), U("V"));
}

TEST(ModPulseWindow, ReadsLowBytesAndWritesWithoutConfirmation)
{
    ModuleBench bench;
    bench.instrument.regs[0x0335] = 0x0103;
    bench.instrument.regs[0x0336] = 5;
    CPulseSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    FakeSerialPort &port = bench.port;
    EXPECT_EQ(port.written, (std::vector<QByteArray>{ReadRequest(0x0335, 2)}));
    EXPECT_EQ(Text(&dialog, "电能脉冲值"), U("3"));
    EXPECT_EQ(Text(&dialog, "电能脉冲宽度"), U("5"));

    Type(&dialog, "电能脉冲值", "2");
    Type(&dialog, "电能脉冲宽度", "9");
    bench.instrument.silent = true;   // no echo is looked for: both go out anyway
    bench.clock.waits.clear();
    Press(&dialog, "确认");
    bench.Settle();
    EXPECT_EQ(std::vector<QByteArray>(port.written.begin() + 1, port.written.end()),
              (std::vector<QByteArray>{WriteRequest(0x0335, 2), WriteRequest(0x0336, 9)}));
    ASSERT_EQ(bench.clock.waits.size(), 2u);
    EXPECT_EQ(bench.clock.waits[0].ms, 100u);
    EXPECT_EQ(bench.clock.waits[1].ms, 100u);
    EXPECT_TRUE(bench.prompter.messages.empty());
    EXPECT_EQ(port.openCount, port.closeCount);
}

TEST(ModPulseWindow, RefusesWhatWouldWrap)
{
    const std::pair<const char *, const char *> cases[] = {
        {"300", "电能脉冲值"}, {"-1", "电能脉冲值"}, {"abc", "电能脉冲值"}, {"", "电能脉冲值"}};
    for (const auto &[text, field] : cases) {
        ModuleBench bench;
        CPulseSetDlg dialog(bench.context);
        Type(&dialog, "电能脉冲值", text);
        Type(&dialog, "电能脉冲宽度", "5");
        Press(&dialog, "确认");
        bench.Settle();
        EXPECT_TRUE(bench.port.written.empty()) << text;
        ASSERT_EQ(bench.prompter.messages.size(), 1u);
        EXPECT_TRUE(bench.prompter.messages[0].startsWith(U(field))) << text;
    }
}

TEST(ModPulseWindow, QuitClosesForGood)
{
    ModuleBench bench;
    QPointer<CPulseSetDlg> dialog = new CPulseSetDlg(bench.context);
    dialog->show();
    Press(dialog, "退出");
    bench.Settle();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST(ModAnalogWindow, ChoosingTheShownModuleAgainReadsItAndListsAreLabelled)
{
    ModuleBench bench;
    LoadAnalogModule(bench.instrument, 0x04);
    CAnalogOutDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    Type(&dialog, "电流输出1路 20mA", "4000");
    const size_t before = bench.port.written.size();
    Choose(&dialog, "模块名称", 0);
    bench.Settle();
    EXPECT_EQ(std::vector<QByteArray>(bench.port.written.begin() + long(before), bench.port.written.end()),
              std::vector<QByteArray>{ReadRequest(0x0337, 6)});
    EXPECT_EQ(Text(&dialog, "电流输出1路 20mA"), U("2000.000"));

    for (const char *name : {"模块名称", "电流输出1路 输出参数选择", "电流输出2路 输出参数选择"}) {
        auto *combo = FindNamed<QComboBox>(&dialog, U(name));
        ASSERT_NE(combo, nullptr) << name;
        QStringList labels;   // the buddy label; a group's title labels it as well
        for (const auto &relation : QAccessible::queryAccessibleInterface(combo)->relations(QAccessible::Label))
            labels << relation.first->text(QAccessible::Name);
        EXPECT_TRUE(labels.contains(U(name).section(QLatin1Char(' '), -1))) << name;
    }
    // The unit beside the 20 mA box: named by its caption, read as its value.
    auto *unit = FindNamed<QLabel>(&dialog, U("电流输出2路 单位"));
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(unit)->text(QAccessible::Value), U("Hz"));
}
