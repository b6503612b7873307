// The main window of nolvex on fake ports: start-up by presence bits, module
// selection, the relay block's read and write with their exact frames, and the
// refusals that keep the instrument from receiving values nobody entered.
#include "ModuleBench.h"
#include "common/traffic/TrafficModel.h"
#include "common/traffic/TrafficWindow.h"
#include "modules/vocabulary/Registers.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>

#include <gtest/gtest.h>

#include <atomic>

using namespace rdtest;
using rdmod::CModuleSetDlg;

namespace {

// Relay module 1# at PT 20, CT 40: first relay follows U1, second is held closed.
void LoadRelayModule(FakeInstrument &meter, uint8_t presence)
{
    meter.regs[0x0100] = presence;
    meter.regs[0x0307] = 20;
    meter.regs[0x0308] = 40;
    const uint16_t block[12] = {0x0001, 1900, 1800, 5, 6, 7, 0x12FF, 5, 3, 0, 1, 2};
    for (int k = 0; k < 12; ++k)
        meter.regs[uint16_t(0x0311 + k)] = block[k];
}

std::vector<QByteArray> From(const std::vector<QByteArray> &frames, size_t first)
{
    return std::vector<QByteArray>(frames.begin() + std::min(first, frames.size()), frames.end());
}

} // namespace

TEST(ModRelayWindow, StartUpFollowsThePresenceBits)
{
    struct Case {
        uint8_t presence;
        std::vector<QByteArray> mainFrames;
        int moduleIndex;
        const char *listText;
        bool pulse, analog;
    };
    const QByteArray ratios = ReadRequest(0x0307, 2), presence = ReadRequest(0x0100, 1);
    const Case cases[] = {
        {0x50, {ratios, presence, ReadRequest(0x0329, 12)}, 2, "2DI/2DO 模块3#", false, false},
        {0x30, {ratios, presence, ReadRequest(0x031D, 12)}, 1, "2DI/2DO 模块2#", false, false},
        {0x0C, {ratios, presence}, 3, "", false, true},
        {0x01, {ratios, presence}, 3, "", true, false},
        {0x00, {ratios, presence}, 3, "", false, false},
        {0x9F, {ratios, presence, ReadRequest(0x0311, 12)}, 0, "2DI/2DO 模块1#", true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.presence);
        ModuleBench bench;
        bench.instrument.regs[0x0100] = uint16_t(0xFF00 | c.presence);   // the high byte never counts
        CModuleSetDlg dialog(bench.context);
        dialog.OnInitDialog();
        bench.Settle();

        // One port, the windows in turn: the relay window's start-up, the reads of
        // the windows it opens, then its own block read.
        std::vector<QByteArray> expected(c.mainFrames.begin(), c.mainFrames.begin() + 2);
        if (c.pulse)
            expected.push_back(ReadRequest(0x0335, 2));
        if (c.analog)
            expected.insert(expected.end(), {ratios, presence, ReadRequest(0x033D, 6)});
        expected.insert(expected.end(), c.mainFrames.begin() + 2, c.mainFrames.end());
        EXPECT_EQ(bench.port.written, expected);
        EXPECT_EQ(dialog.moduleIndex(), c.moduleIndex);
        EXPECT_EQ(Text(&dialog, "模块名称"), U(c.listText));
        EXPECT_EQ(dialog.pulseWindow() != nullptr, c.pulse);
        EXPECT_EQ(dialog.analogWindow() != nullptr, c.analog);
        // The port is opened at 9600,N,8,1 for each operation and closed after it.
        EXPECT_FALSE(bench.port.isOpen());
        EXPECT_EQ(bench.port.openCount, bench.port.closeCount);
        EXPECT_EQ(bench.port.portNumber(), 1);
        for (const QString &settings : bench.port.openedWith)
            EXPECT_EQ(settings, QLatin1String("9600,N,8,1"));
        for (const RecordedWait &wait : bench.clock.waits)
            EXPECT_FALSE(wait.busy);
    }
}

TEST(ModRelayWindow, StartUpWaitsAndSubWindowReads)
{
    ModuleBench bench;
    bench.instrument.regs[0x0100] = 0x0D;   // pulse module, analog outputs 1# and 2#
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    // One port, the windows in turn: the main window's start-up, the pulse
    // window's read, the analog output window's start-up and block read.
    EXPECT_EQ(bench.port.written,
              (std::vector<QByteArray>{ReadRequest(0x0307, 2), ReadRequest(0x0100, 1), ReadRequest(0x0335, 2),
                                       ReadRequest(0x0307, 2), ReadRequest(0x0100, 1), ReadRequest(0x033D, 6)}));
    EXPECT_EQ(dialog.analogWindow()->moduleIndex(), 1);   // module 2# wins
    std::vector<uint32_t> waits;
    for (const RecordedWait &w : bench.clock.waits)
        waits.push_back(w.ms);
    EXPECT_EQ(waits, (std::vector<uint32_t>{200, 200, 200, 200, 100, 200}));
}

TEST(ModRelayWindow, NoReplyLeavesOnlyTheMainWindowAndSelectionStillReads)
{
    ModuleBench bench;
    bench.instrument.silent = true;
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    EXPECT_EQ(dialog.ratios().pt, 1);
    EXPECT_EQ(dialog.ratios().ct, 1);
    EXPECT_EQ(dialog.moduleIndex(), 0);
    EXPECT_EQ(FindNamed<QComboBox>(&dialog, U("模块名称"))->currentIndex(), -1);
    EXPECT_EQ(dialog.pulseWindow(), nullptr);
    EXPECT_EQ(dialog.analogWindow(), nullptr);

    Type(&dialog, "继电器OUT1 启动值", "12.5");
    Choose(&dialog, "模块名称", 1);
    bench.Settle();
    EXPECT_EQ(bench.port.written.back(), ReadRequest(0x031D, 12));
    EXPECT_EQ(dialog.moduleIndex(), 1);
    EXPECT_EQ(Text(&dialog, "继电器OUT1 启动值"), U("12.5"));   // typing survives a failed read
    EXPECT_TRUE(bench.prompter.messages.empty());   // no box per read ...

    // ... but the window says what got no answer, where a screen reader finds it.
    const QString said = dialog.lineStatus()->text();
    for (const char *part : {"没有应答", "COM1", "/dev/ttyFAKE0", "9600,N,8,1", "子机地址 1"})
        EXPECT_TRUE(said.contains(U(part))) << said.toStdString();
    QAccessibleInterface *line = QAccessible::queryAccessibleInterface(dialog.lineStatus());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(QAccessible::Name), said);

    // The meter answers: the line goes.
    bench.instrument.silent = false;
    Choose(&dialog, "模块名称", 1);
    bench.Settle();
    EXPECT_TRUE(dialog.lineStatus()->text().isEmpty());
}

TEST(ModRelayWindow, ReadShowsBothRelaysScaledByTheRatios)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    bench.instrument.stray = QByteArray("\x55\x01\x03", 3);   // a reply behind stray bytes
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();

    const std::pair<const char *, const char *> shown[] = {
        {"继电器OUT1 控制方式", "U1电压控制"}, {"继电器OUT1 启动值", "3800.000"},
        {"继电器OUT1 复归值", "3600.000"},     {"继电器OUT1 启动延时", "5"},
        {"继电器OUT1 复归延时", "6"},          {"继电器OUT1 脉冲宽度", "7"},
        {"继电器OUT1 启动值单位", "V"},        {"继电器OUT1 复归值单位", "V"},
        {"继电器OUT2 控制方式", "动作(闭合)"}, {"继电器OUT2 启动值", "5.000"},
        {"继电器OUT2 复归值", "3.000"},        {"继电器OUT2 复归延时", "1"},
        {"继电器OUT2 启动值单位", ""},         {"继电器OUT2 复归值单位", ""},
    };
    for (const auto &[name, text] : shown)
        EXPECT_EQ(Text(&dialog, name), U(text)) << name;
}

TEST(ModRelayWindow, WriteSendsTwelveRegistersInOrderAndConfirms)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    FakeSerialPort &port = bench.port;
    const size_t before = port.written.size();
    const size_t waitsBefore = bench.clock.waits.size();

    Type(&dialog, "继电器OUT1 启动值", "380");
    Type(&dialog, "继电器OUT1 复归值", "230.46");
    FindNamed<QComboBox>(&dialog, U("继电器OUT2 控制方式"))->setCurrentIndex(11);   // "P2有功"
    Type(&dialog, "继电器OUT2 启动值", "15.5");
    Type(&dialog, "继电器OUT2 复归值", "-2.5");
    Press(&dialog, "确定");
    bench.Settle();

    const uint16_t values[12] = {1, 190, 115, 5, 6, 7, 13, 19, 0xFFFD, 0, 1, 2};
    std::vector<QByteArray> expected;
    for (int k = 0; k < 12; ++k)
        expected.push_back(WriteRequest(uint16_t(0x0311 + k), values[k]));
    EXPECT_EQ(From(port.written, before), expected);
    EXPECT_EQ(bench.clock.waits.size() - waitsBefore, 12u);
    for (size_t i = waitsBefore; i < bench.clock.waits.size(); ++i)
        EXPECT_EQ(bench.clock.waits[i].ms, 200u);
    EXPECT_EQ(bench.prompter.messages, (std::vector<QString>{U("参数设置成功")}));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openCount, port.closeCount);
}

TEST(ModRelayWindow, MissingEchoIsReportedByRegister)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x20);
    for (int k = 0; k < 12; ++k)
        bench.instrument.regs[uint16_t(0x031D + k)] = bench.instrument.regs[uint16_t(0x0311 + k)];
    bench.instrument.noEcho = {0x0320, 0x0328};
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    const size_t before = bench.port.written.size();
    Press(&dialog, "确定");
    bench.Settle();

    EXPECT_EQ(bench.port.written.size() - before, 12u);   // all twelve still sent
    ASSERT_EQ(bench.prompter.messages.size(), 1u);
    const QString message = bench.prompter.messages[0];
    EXPECT_NE(message, U("参数设置成功"));
    EXPECT_TRUE(message.contains(QLatin1String("0x0320"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("0x0328"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QLatin1String("0x031D"))) << message.toStdString();
}

TEST(ModRelayWindow, RefusedWritesSendNothing)
{
    struct Case {
        uint8_t presence;
        uint16_t pt;
        const char *field;   // nullptr: leave the fields as read
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {0x01, 20, nullptr, nullptr, "请先"},                                   // no relay module
        {0x00, 20, nullptr, nullptr, "请先"},
        {0x10, 20, "继电器OUT1 启动值", "abc", "继电器OUT1 启动值"},
        {0x10, 20, "继电器OUT1 启动值", "", "继电器OUT1 启动值"},
        {0x10, 1, "继电器OUT1 启动值", "7000", "0.000 至 6553.500 V"},        // would wrap to 0x1170
        {0x10, 20, "继电器OUT2 控制方式", "P2有", "继电器OUT2 控制方式"},
        {0x10, 20, "继电器OUT2 控制方式", "", "继电器OUT2 控制方式"},
        {0x10, 20, "继电器OUT2 脉冲宽度", "65536", "0 至 65535 之间的整数"},
        {0x10, 0, nullptr, nullptr, "PT变比为0"},                                // ratio 0 from the meter
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        ModuleBench bench;
        LoadRelayModule(bench.instrument, c.presence);
        bench.instrument.regs[0x0307] = c.pt;
        CModuleSetDlg dialog(bench.context);
        dialog.OnInitDialog();
        bench.Settle();
        if (c.field)
            Type(&dialog, c.field, c.text);
        const size_t sent = bench.port.written.size();
        const int opened = bench.port.openCount;
        Press(&dialog, "确定");
        bench.Settle();
        EXPECT_EQ(bench.port.written.size(), sent);
        EXPECT_EQ(bench.port.openCount, opened);
        ASSERT_EQ(bench.prompter.messages.size(), 1u);
        EXPECT_TRUE(bench.prompter.messages[0].contains(U(c.message))) << bench.prompter.messages[0].toStdString();
    }
}

TEST(ModRelayWindow, ZeroPtReadsAsZeroAndOtherKindsStillWrite)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    bench.instrument.regs[0x0307] = 0;
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    EXPECT_EQ(Text(&dialog, "继电器OUT1 启动值"), U("0.000"));
    FindNamed<QComboBox>(&dialog, U("继电器OUT1 控制方式"))->setCurrentIndex(25);   // "F频率"
    Type(&dialog, "继电器OUT1 启动值", "50");
    Type(&dialog, "继电器OUT1 复归值", "49.95");
    Press(&dialog, "确定");
    bench.Settle();
    EXPECT_EQ(bench.instrument.regs[0x0311], 28);
    EXPECT_EQ(bench.instrument.regs[0x0312], 5000);
    EXPECT_EQ(bench.instrument.regs[0x0313], 4995);
    EXPECT_EQ(bench.prompter.messages, (std::vector<QString>{U("参数设置成功")}));
}

TEST(ModRelayWindow, PortThatWillNotOpenIsNamedAndNothingIsSent)
{
    ModuleBench bench;
    bench.port.failOpen = true;
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    Choose(&dialog, "模块名称", 0);
    bench.Settle();
    EXPECT_TRUE(bench.port.written.empty());
    ASSERT_EQ(bench.prompter.messages.size(), 2u);   // start-up and the selection's read
    for (const QString &message : bench.prompter.messages) {
        EXPECT_TRUE(message.contains(QLatin1String("COM1"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String("/dev/ttyFAKE0"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String("Permission denied"))) << message.toStdString();
    }
}

TEST(ModRelayWindow, ModeChoiceSetsBothUnitLabels)
{
    ModuleBench bench;
    CModuleSetDlg dialog(bench.context);
    EXPECT_EQ(Text(&dialog, "继电器OUT2 启动值单位"), U("V"));   // before any read
    auto *mode = FindNamed<QComboBox>(&dialog, U("继电器OUT2 控制方式"));
    const std::pair<int, const char *> cases[] = {{30, "kW"}, {3, "A"}, {31, ""}, {7, "kVA"}, {0, ""}, {25, "Hz"}};
    for (const auto &[position, unit] : cases) {
        mode->setCurrentIndex(position);
        bench.Settle();
        EXPECT_EQ(Text(&dialog, "继电器OUT2 启动值单位"), U(unit)) << position;
        EXPECT_EQ(Text(&dialog, "继电器OUT2 复归值单位"), U(unit)) << position;
        EXPECT_EQ(Text(&dialog, "继电器OUT1 启动值单位"), U("V"));
    }
    EXPECT_TRUE(bench.port.written.empty());
}

TEST(ModRelayWindow, ChoosingTheShownModuleAgainReadsIt)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    ASSERT_EQ(FindNamed<QComboBox>(&dialog, U("模块名称"))->currentIndex(), 0);
    const QString read = Text(&dialog, "继电器OUT1 启动值");
    Type(&dialog, "继电器OUT1 启动值", "1");
    const size_t before = bench.port.written.size();
    Choose(&dialog, "模块名称", 0);
    bench.Settle();
    EXPECT_EQ(From(bench.port.written, before), std::vector<QByteArray>{ReadRequest(0x0311, 12)});
    EXPECT_EQ(Text(&dialog, "继电器OUT1 启动值"), read);
}

TEST(ModRelayWindow, ListsAreNamedByTheirLabels)
{
    // On Linux a screen reader names a list by its label relation (the list's own
    // name is its current item) and meets the edit of an editable list first.
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    const std::pair<const char *, const char *> lists[] = {
        {"模块名称", "模块名称"}, {"继电器OUT1 控制方式", "控制方式"}, {"继电器OUT2 控制方式", "控制方式"}};
    for (const auto &[name, label] : lists) {
        auto *combo = FindNamed<QComboBox>(&dialog, U(name));
        ASSERT_NE(combo, nullptr) << name;
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(combo);
        QStringList labels;   // the buddy label; a group's title labels it as well
        for (const auto &relation : list->relations(QAccessible::Label))
            labels << relation.first->text(QAccessible::Name);
        EXPECT_TRUE(labels.contains(U(label))) << name;
        if (combo->isEditable())
            EXPECT_EQ(QAccessible::queryAccessibleInterface(combo->lineEdit())->text(QAccessible::Name), U(name));
    }
}

TEST(ModRelayWindow, TwoWindowsWritingAtOnceTakeTurnsOnThePort)
{
    // The relay window's write is held on the line at its first register while the
    // pulse window's "确认" is pressed: the pulse window waits for the whole block.
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x11);   // relay module 1# and the pulse module
    bench.instrument.regs[0x0335] = 2;
    bench.instrument.regs[0x0336] = 5;
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    ASSERT_NE(dialog.pulseWindow(), nullptr);

    QSemaphore entered, gate;
    std::atomic<bool> armed{true};
    bench.port.responder = [&](const QByteArray &request) {
        if (armed && request[1] == 6) {   // runs on the worker
            armed = false;
            entered.release();
            gate.acquire();
        }
        return bench.instrument.Answer(request);
    };
    const size_t before = bench.port.written.size();
    const int opens = bench.port.openCount;
    Press(&dialog, "确定");
    entered.acquire();
    Press(dialog.pulseWindow(), "确认");
    gate.release();
    bench.Settle();

    std::vector<QByteArray> expected;
    for (int k = 0; k < 12; ++k)
        expected.push_back(WriteRequest(uint16_t(0x0311 + k), bench.instrument.regs[uint16_t(0x0311 + k)]));
    expected.push_back(WriteRequest(0x0335, 2));
    expected.push_back(WriteRequest(0x0336, 5));
    EXPECT_EQ(From(bench.port.written, before), expected);
    EXPECT_EQ(bench.port.openCount - opens, 2);   // each operation opens and closes the port
    EXPECT_FALSE(bench.port.isOpen());
    EXPECT_EQ(bench.prompter.messages, std::vector<QString>{U("参数设置成功")});
}

TEST(ModRelayWindow, MonitorShowsTheFramesOfTheWindowsWhileItIsOpen)
{
    ModuleBench bench;
    LoadRelayModule(bench.instrument, 0x10);
    CModuleSetDlg dialog(bench.context);
    dialog.OnInitDialog();
    bench.Settle();
    Press(&dialog, "通讯监视");
    auto *monitor = dialog.findChild<rdtraffic::TrafficWindow *>();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->windowTitle(), U("通讯监视"));
    const size_t before = bench.port.written.size();
    Choose(&dialog, "模块名称", 0);   // the block read again, with the monitor open
    bench.Settle();
    monitor->flush();
    ASSERT_EQ(bench.port.written.size() - before, 1u);
    // One exchange: the request and its reply, nothing from before the monitor opened.
    ASSERT_EQ(monitor->model().rowCount(), 2);
    EXPECT_EQ(monitor->model().index(0, 2).data().toString(), U("01 03 03 11 00 0C 15 8E"));
}
