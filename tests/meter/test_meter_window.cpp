// The main window offscreen, with the fake port, the fake clock and a register map
// standing in for the instrument.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "meter/app/MeterApp.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/HarmonicChart.h"
#include "meter/mainwnd/HelpDlg.h"
#include "meter/mainwnd/Lamp.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using rdtest::Chunk;
using rdtest::FakeClock;
using rdtest::FakeSerialPort;
using rdtest::MeterRegisters;

namespace {

class MeterWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        meter.address = 1;
        // Measurement block: phase A 220.0 V, combined frequency 50.00 Hz, I/O word 0x2105.
        meter.regs[0x0000] = 2200;
        meter.regs[0x0002] = 5000;
        meter.regs[0x0018] = 2203;
        meter.regs[0x001B] = 5000;
        meter.regs[0x0020] = 0x2105;
        meter.regs[0x0021] = 0x0001;
        meter.regs[0x0022] = 0x0002;
        meter.regs[0x0100] = 0x0051;
        meter.regs[0x0300] = 1;
        meter.regs[0x0306] = 80;
        meter.regs[0x0307] = 1;
        meter.regs[0x0308] = 1;
        meter.regs[0x030A] = 1;
        meter.regs[0x0760] = 0xFFFF;
        meter.regs[0x0761] = 0xFFFF;
        meter.regs[0x020C + 1] = 35;   // I1, order 3: 3.5 %
        meter.regs[0x0242 + 1] = 12;   // U1, order 3: 1.2 %
        port.responder = [this](const QByteArray &request) {
            const QByteArray reply = meter.Answer(request);
            return reply.isEmpty() ? std::vector<Chunk>{} : std::vector<Chunk>{{prefix + reply, 20}};
        };
    }

    void Open(int baud = 9600, rdlink::Parity parity = rdlink::Parity::None, int com = 1)
    {
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        // Never start the real module program from a test: it would outlive the
        // test and hold the test runner's output open.
        dlg->setProgramStarter([this](const QString &path) { startedPrograms.push_back(path); return true; });
        dlg->setLineSettings(baud, parity, com);
        dlg->OnInitDialog();
        dlg->waitForLine();
    }

    // Types the address and presses Run.
    void Run(const QString &address = QStringLiteral("1"))
    {
        dlg->panel().slaveAddress->setText(address);
        dlg->panel().runStop->click();
        dlg->waitForLine();
    }

    std::vector<QByteArray> WrittenSince(size_t from) const
    {
        return std::vector<QByteArray>(port.written.begin() + long(from), port.written.end());
    }

    static QByteArray Read(uint8_t address, uint16_t reg, uint16_t count)
    {
        const rdlink::Frame f = rdlink::BuildRead(address, reg, count);
        return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
    }

    FakeClock clock;
    FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    MeterRegisters meter;
    QByteArray prefix;   // bytes the line delivers in front of every reply
    std::vector<QString> startedPrograms;
    std::unique_ptr<CMeterDlg> dlg;
};

TEST_F(MeterWindow, StartUpOpensThePortAndWaitsForRun)
{
    Open();
    const MeterPanel &p = dlg->panel();
    EXPECT_EQ(port.openCount, 1);
    ASSERT_FALSE(port.openedWith.empty());
    EXPECT_EQ(port.openedWith.back(), QStringLiteral("9600,N,8,1"));
    EXPECT_TRUE(port.written.empty());
    EXPECT_FALSE(dlg->pollingActive());
    EXPECT_EQ(p.runStop->text(), QStringLiteral("运行"));
    EXPECT_EQ(p.slaveAddress->text(), QStringLiteral("0"));
    EXPECT_EQ(p.successRate->text(), QStringLiteral("0"));
    EXPECT_EQ(p.attemptCount->text(), QStringLiteral("0"));
    EXPECT_EQ(p.harmonicItem->currentText(), QStringLiteral("I1"));
    EXPECT_EQ(dlg->statusText(),
              QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:无校验"));
    EXPECT_TRUE(p.pulseModify->isEnabled());
    EXPECT_FALSE(p.pulseWrite->isEnabled());
    EXPECT_EQ(p.chart->rowLabels().size(), 18);
    EXPECT_DOUBLE_EQ(p.chart->rowValue(0), 0.0);
    EXPECT_DOUBLE_EQ(p.chart->rowValue(1), 0.8);
    EXPECT_DOUBLE_EQ(p.chart->rowValue(17), 0.1);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("RD5800智能电力检测仪--Velmora(Ver 2.0)"));
}

TEST_F(MeterWindow, PollPeriodAndSettingsFollowTheStartSettings)
{
    struct Case {
        int baud;
        rdlink::Parity parity;
        int period;
        const char *settings;
        const char *parityText;
    } cases[] = {
        {1200, rdlink::Parity::Even, 2000, "1200,E,8,1", "校验位:偶校验"},
        {2400, rdlink::Parity::Odd, 1500, "2400,O,8,1", "校验位:奇校验"},
        {4800, rdlink::Parity::None, 1000, "4800,N,8,1", "校验位:无校验"},
        {9600, rdlink::Parity::None, 800, "9600,N,8,1", "校验位:无校验"},
        {19200, rdlink::Parity::Even, 400, "19200,E,8,1", "校验位:偶校验"},
    };
    for (const Case &c : cases) {
        Open(c.baud, c.parity, 3);
        EXPECT_EQ(dlg->timerInterval(), c.period) << c.baud;
        EXPECT_EQ(port.openedWith.back(), QString::fromLatin1(c.settings));
        EXPECT_EQ(port.portNumber(), 3);
        EXPECT_TRUE(dlg->statusText().endsWith(QString::fromUtf8(c.parityText)));
        Run();
        EXPECT_EQ(dlg->timerInterval(), c.period);
        dlg.reset();
    }
}

TEST_F(MeterWindow, RunOpensThePortOnlyWhenClosedAndStopClosesIt)
{
    Open();
    Run();
    EXPECT_EQ(port.openCount, 1);           // still open from start-up
    EXPECT_TRUE(dlg->pollingActive());
    EXPECT_TRUE(dlg->running());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("停止"));

    dlg->panel().runStop->click();

    dlg->waitForLine();
    EXPECT_FALSE(dlg->pollingActive());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closeCount, 1);
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));

    dlg->panel().runStop->click();

    dlg->waitForLine();
    EXPECT_EQ(port.openCount, 2);
    EXPECT_EQ(port.openedWith.back(), QStringLiteral("9600,N,8,1"));
    EXPECT_TRUE(dlg->pollingActive());

    // Closing the window stops polling and closes the port.
    dlg.reset();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.closeCount, 2);
}

TEST_F(MeterWindow, PortThatCannotOpenIsReportedAndNothingIsPolled)
{
    port.failOpen = true;
    port.openFailure = QStringLiteral("Permission denied");
    port.device = QStringLiteral("/dev/ttyUSB3");
    Open(9600, rdlink::Parity::None, 2);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("COM2")));
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("/dev/ttyUSB3")));
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("Permission denied")));

    // Run tries again and reports again; nothing is polled, so the button stays "运行".
    Run();
    EXPECT_EQ(prompter.messages.size(), 2u);
    EXPECT_FALSE(dlg->pollingActive());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));
    dlg->onPollTick();   // a tick that was due anyway sends nothing on a closed port
    dlg->waitForLine();
    EXPECT_TRUE(port.written.empty());
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(dlg->panel().attemptCount->text(), QStringLiteral("0"));
    EXPECT_EQ(dlg->panel().successRate->text(), QStringLiteral("0"));

    // Once the device is there, Run opens it.
    port.failOpen = false;
    dlg->panel().runStop->click();
    dlg->waitForLine();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(dlg->pollingActive());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("停止"));
    EXPECT_EQ(prompter.messages.size(), 2u);
}

TEST_F(MeterWindow, RunFromTheCommandLineOnAMissingPortSaysSoOnceWithTheNextStep)
{
    // The start-up's open and the one of --run fail for the same reason.
    const struct {
        const char *device;
        const char *nextStep;
    } cases[] = {
        {"/dev/ttyUSB9", "请插好 USB 转换器并检查 --port (或 RD5800_COM1) 所指的设备，然后按“运行”。"},
        {"modbus-tcp://127.0.0.1:34999", "请启动网关并检查 --port 中的主机和端口，然后按“运行”。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.device);
        prompter.messages.clear();
        port.failOpen = true;
        port.device = QString::fromUtf8(c.device);
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        dlg->OnInitDialog();   // as the program starts with --address 1 --run
        dlg->setEnteredAddress(1);
        dlg->OnRunStop();
        dlg->waitForLine();
        ASSERT_EQ(prompter.messages.size(), 1u);
        EXPECT_TRUE(prompter.messages[0].contains(port.device));
        EXPECT_TRUE(prompter.messages[0].endsWith(QString::fromUtf8(c.nextStep))) << prompter.messages[0].toStdString();
        EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));
        EXPECT_FALSE(dlg->running());
        EXPECT_FALSE(dlg->pollingActive());
    }
}

TEST_F(MeterWindow, OneTickSendsFiveReadsInOrderWithTheirWaits)
{
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    const std::vector<QByteArray> expected = {Read(1, 0x0100, 1), Read(1, 0x0300, 17),
                                              Read(1, 0x0000, 41), Read(1, 0x0760, 12),
                                              Read(1, 0x020C, 18)};
    EXPECT_EQ(port.written, expected);
    ASSERT_EQ(clock.waits.size(), 5u);
    const uint32_t waits[5] = {100, 300, 500, 300, 300};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(clock.waits[i].busy) << i;
        EXPECT_EQ(clock.waits[i].ms, waits[i]) << i;
    }
    // The poll never empties the port before sending.
    EXPECT_EQ(port.discardCount, 1);   // the one of the opening sequence

    const MeterPanel &p = dlg->panel();
    EXPECT_EQ(p.grid[0][1]->text(), QStringLiteral("220.00 V"));
    EXPECT_EQ(p.grid[0][0]->text(), QStringLiteral("220.30 V"));
    EXPECT_EQ(p.grid[2][1]->text(), QStringLiteral("5.000 A"));
    EXPECT_EQ(p.frequency->text(), QStringLiteral("50.000 Hz"));
    EXPECT_EQ(p.energy[0]->text(), QStringLiteral("131.073 MWh"));
    EXPECT_EQ(p.energy[1]->text(), QStringLiteral("-0.000 KWh"));
    EXPECT_EQ(p.counters[0]->text(), QStringLiteral("4294967295"));
    EXPECT_EQ(p.counters[5]->text(), QStringLiteral("0"));
    EXPECT_EQ(p.pulseWidth->text(), QStringLiteral("80"));
    EXPECT_EQ(p.accuracy->text(), QStringLiteral("0.2级"));
    EXPECT_EQ(p.attemptCount->text(), QStringLiteral("1"));
    EXPECT_EQ(p.successRate->text(), QStringLiteral("100.00"));
    EXPECT_EQ(p.fundamental->text(), QStringLiteral("5.00"));
    EXPECT_DOUBLE_EQ(p.chart->rowValue(1), 3.5);
    EXPECT_DOUBLE_EQ(p.chart->rowValue(0), 0.0);
    EXPECT_EQ(p.fundamentalBar->maximum(), 500);
    EXPECT_EQ(p.fundamentalBar->value(), 5);
    EXPECT_EQ(p.scaleLabels[5]->text(), QStringLiteral("500"));
    // The hidden trace shows the last frame sent.
    EXPECT_TRUE(p.sentTrace->text().startsWith(QStringLiteral("01\r 03\r 02\r 0C\r ")));
}

TEST_F(MeterWindow, LowBaudRateWaitsCoverTheLineTime)
{
    Open(1200, rdlink::Parity::Even);
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    ASSERT_EQ(clock.waits.size(), 5u);
    // 8 + 87 bytes at 11 bits per byte need about 871 ms at 1200 baud.
    EXPECT_GT(clock.waits[2].ms, 871u);
    EXPECT_GE(clock.waits[0].ms, 100u);
    for (const auto &w : clock.waits)
        EXPECT_FALSE(w.busy);
    EXPECT_EQ(dlg->panel().grid[0][1]->text(), QStringLiteral("220.00 V"));
}

TEST_F(MeterWindow, NoInstrumentKeepsTheBoxesAndLowersTheRate)
{
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();   // a good tick first
    auto answer = port.responder;
    port.responder = nullptr;
    meter.regs[0x0000] = 1234;
    const MeterPanel &p = dlg->panel();
    // The line beside the rate says so after three silent ticks, as a screen reader reads it.
    const auto silence = [&p] { return QAccessible::queryAccessibleInterface(p.silence)->text(QAccessible::Name); };
    const char *const said[] = {"", "", "地址 1 无应答"};
    for (int tick = 0; tick < 3; ++tick) {
        const size_t before = port.written.size();
        dlg->onPollTick();
        dlg->waitForLine();
        EXPECT_EQ(port.written.size() - before, 5u);
        EXPECT_EQ(silence(), QString::fromUtf8(said[tick])) << "tick " << tick;
    }
    EXPECT_EQ(p.grid[0][1]->text(), QStringLiteral("220.00 V"));
    EXPECT_EQ(p.counters[0]->text(), QStringLiteral("4294967295"));
    EXPECT_EQ(p.attemptCount->text(), QStringLiteral("4"));
    EXPECT_EQ(p.successRate->text(), QStringLiteral("50.00"));   // 100 x 2 / 4
    EXPECT_TRUE(prompter.messages.empty());
    // The next reply clears it.
    port.responder = answer;
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_TRUE(silence().isEmpty());
}

TEST_F(MeterWindow, AnAddressThatNeverAnswersIsNamedAfterThreeTicks)
{
    Open();
    Run(QStringLiteral("9"));
    const MeterPanel &p = dlg->panel();
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(p.silence->text().isEmpty()) << "tick " << tick;
        dlg->onPollTick();
        dlg->waitForLine();
        if (tick == 0)
            EXPECT_EQ(p.successRate->text(), QStringLiteral("100.00"));   // the rate's start stays as it was
    }
    EXPECT_EQ(p.silence->text(), QStringLiteral("地址 9 无应答"));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(MeterWindow, DeviceThatVanishesMidTickStopsPollingWithOneMessage)
{
    Open();
    Run();
    int requests = 0;
    port.responder = [&](const QByteArray &) {
        if (++requests == 2)
            port.vanish(QStringLiteral("No such device"));
        return std::vector<Chunk>{};
    };
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.size(), 2u);
    EXPECT_EQ(clock.waits.size(), 2u);
    EXPECT_FALSE(dlg->pollingActive());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("No such device")));
    EXPECT_EQ(dlg->panel().attemptCount->text(), QStringLiteral("0"));   // step 3 never ran

    // Run opens it again and polling resumes.
    port.responder = nullptr;
    dlg->panel().runStop->click();
    dlg->waitForLine();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(MeterWindow, SuccessRateAfterTenTicks)
{
    Open();
    Run();
    for (int tick = 1; tick <= 10; ++tick) {
        if (tick == 6)
            port.responder = nullptr;
        dlg->onPollTick();
    dlg->waitForLine();
    }
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(dlg->panel().attemptCount->text(), QStringLiteral("11"));
    EXPECT_EQ(dlg->panel().successRate->text(), QStringLiteral("54.55"));
}

TEST_F(MeterWindow, ReplyAfterStrayBytesIsFound)
{
    prefix = QByteArray::fromHex("010355aa01");
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(dlg->panel().grid[0][1]->text(), QStringLiteral("220.00 V"));
    EXPECT_EQ(dlg->panel().counters[0]->text(), QStringLiteral("4294967295"));
    EXPECT_EQ(dlg->panel().successRate->text(), QStringLiteral("100.00"));
}

TEST_F(MeterWindow, ReportedAddressServesTheMeasurementReadOfTheSameTick)
{
    meter.regs[0x0300] = 5;
    // The instrument answers at 1 and at 5.
    port.responder = [this](const QByteArray &request) {
        MeterRegisters at = meter;
        at.address = uint8_t(request[0]);
        return std::vector<Chunk>{{at.Answer(request), 10}};
    };
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    ASSERT_EQ(port.written.size(), 5u);
    EXPECT_EQ(uint8_t(port.written[1][0]), 1);
    EXPECT_EQ(uint8_t(port.written[2][0]), 5);   // from register 0x0300
    EXPECT_EQ(uint8_t(port.written[3][0]), 1);   // the edit again
    EXPECT_EQ(uint8_t(port.written[4][0]), 1);
}

TEST_F(MeterWindow, HarmonicItemChangeTakesEffectNextTick)
{
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.back(), Read(1, 0x020C, 18));
    dlg->panel().harmonicItem->setCurrentIndex(3);   // U1
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.back(), Read(1, 0x0242, 18));
    EXPECT_EQ(dlg->panel().fundamental->text(), QStringLiteral("220.00"));
    EXPECT_DOUBLE_EQ(dlg->panel().chart->rowValue(1), 1.2);

    // A typed text that names no item: step 5 sends nothing, the chart stays.
    dlg->panel().harmonicItem->setEditText(QStringLiteral("U7"));
    const size_t before = port.written.size();
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.size() - before, 4u);
    EXPECT_DOUBLE_EQ(dlg->panel().chart->rowValue(1), 1.2);
}

QColor PixelAt(QWidget &w, const QPoint &point)
{
    return w.grab().toImage().pixelColor(point);
}

TEST_F(MeterWindow, LampsAndRelayTextsFollowThePolledBits)
{
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    const MeterPanel &p = dlg->panel();
    const bool inputs[6] = {true, false, true, false, false, false};     // 0x2105
    const bool modules[6] = {true, false, false, true, false, true};    // 0x0051
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(p.lamps[i]->isOn(), inputs[i]) << "DI" << i + 1;
        EXPECT_EQ(p.lamps[6 + i]->isOn(), modules[i]) << "module " << i;
        EXPECT_EQ(p.lamps[6 + i]->accessibleDescription(),
                  modules[i] ? QStringLiteral("亮") : QStringLiteral("灭"));
    }
    const char *relays[6] = {"闭", "开", "开", "开", "开", "闭"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.relays[i]->text(), QString::fromUtf8(relays[i])) << "DO" << i + 1;

    // The lamp states survive repaints: the centre of DI1 (48, 392) is red and the
    // centre of DI2 (78, 392) light cyan, twice over.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(PixelAt(*dlg, QPoint(48 + 3, 392 + 4)), QColor(255, 0, 0));
        EXPECT_EQ(PixelAt(*dlg, QPoint(78 + 3, 392 + 4)), QColor(128, 255, 255));
        EXPECT_EQ(PixelAt(*dlg, QPoint(368 + 3, 30 + 4)), QColor(255, 0, 0));
    }

    // A module that goes away puts its lamp out at the next good read.
    meter.regs[0x0100] = 0x0001;
    meter.regs[0x0020] = 0x0002;
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_TRUE(p.lamps[6]->isOn());
    EXPECT_FALSE(p.lamps[9]->isOn());
    EXPECT_FALSE(p.lamps[0]->isOn());
    EXPECT_TRUE(p.lamps[1]->isOn());
    EXPECT_EQ(p.relays[0]->text(), QStringLiteral("开"));
}

TEST_F(MeterWindow, SlaveAddressEditAcceptsOnly0To255)
{
    Open();
    QLineEdit *edit = dlg->panel().slaveAddress;
    struct Case {
        const char *typed;
        const char *shown;
    } cases[] = {{"255", "255"}, {"256", "25"}, {"-1", "1"}, {"1a2", "12"}, {"007", "007"}};
    for (const Case &c : cases) {
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.typed;
    }

    // Run with an empty edit: one message, the previous address stays.
    Run(QStringLiteral("7"));
    dlg->panel().runStop->click();   // Stop
    edit->clear();
    dlg->panel().runStop->click();   // Run again
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(dlg->state().slaveAddress, 7);

    // Ticks with the empty edit keep the address and never show a message.
    meter.address = 7;
    meter.regs[0x0300] = 7;
    dlg->onPollTick();
    dlg->waitForLine();
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(uint8_t(port.written.back()[0]), 7);
    EXPECT_EQ(dlg->panel().grid[0][1]->text(), QStringLiteral("220.00 V"));
}

TEST_F(MeterWindow, TheSuccessRateSaysWhichAddressIsPolled)
{
    Open();
    Run(QStringLiteral("1"));
    const auto described = [this] {
        QAccessibleInterface *rate = QAccessible::queryAccessibleInterface(dlg->panel().successRate);
        return rate ? rate->text(QAccessible::Description) : QString();
    };
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_TRUE(described().contains(QStringLiteral("子机地址 1。"))) << described().toStdString();

    // A good reply hands the poll over to the new address, where nobody answers ...
    dlg->panel().slaveAddress->setText(QStringLiteral("5"));
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_TRUE(described().contains(QStringLiteral("子机地址 5。")));
    // ... and from there no address typed is taken: the window says so.
    dlg->panel().slaveAddress->setText(QStringLiteral("1"));
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_TRUE(described().contains(QStringLiteral("子机地址 5。")));
    EXPECT_TRUE(described().contains(QStringLiteral("停止")));
}

TEST_F(MeterWindow, AddressSearchProbes1To254Then0)
{
    Open();
    Run();
    port.responder = nullptr;   // nobody answers
    dlg->panel().search->click();
    dlg->waitForLine();
    EXPECT_TRUE(dlg->searchActive());
    EXPECT_FALSE(dlg->pollingActive());
    const size_t before = port.written.size();
    for (int i = 0; i < 256; ++i) {
        dlg->onSearchTick();
        dlg->waitForLine();
    }
    const auto sent = WrittenSince(before);
    ASSERT_EQ(sent.size(), 256u);
    for (int i = 0; i < 254; ++i)
        EXPECT_EQ(uint8_t(sent[size_t(i)][0]), i + 1);
    EXPECT_EQ(uint8_t(sent[254][0]), 0);
    EXPECT_EQ(uint8_t(sent[255][0]), 1);
    EXPECT_EQ(dlg->panel().slaveAddress->text(), QStringLiteral("1"));

    // A closed port: the search tick sends nothing and stays where it is.
    dlg->OnModuleSettings();
    dlg->waitForLine();
    EXPECT_EQ(startedPrograms.size(), 1u);
    const size_t closedBefore = port.written.size();
    const int next = dlg->nextSearchAddress();
    dlg->onSearchTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.size(), closedBefore);
    EXPECT_EQ(dlg->nextSearchAddress(), next);

    // Run ends the search.
    dlg->panel().runStop->click();
    dlg->waitForLine();
    EXPECT_FALSE(dlg->searchActive());
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(MeterWindow, AddressSearchOpensThePortItNeedsAndCommandsEndIt)
{
    Open();
    Run();
    dlg->panel().runStop->click();   // Stop closes the port
    dlg->waitForLine();
    ASSERT_FALSE(port.isOpen());

    // A port that cannot be opened: the message once, and no search runs.
    port.failOpen = true;
    dlg->panel().search->click();
    dlg->waitForLine();
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_FALSE(dlg->searchActive());

    // It can: the search opens the port again and probes.
    port.failOpen = false;
    dlg->panel().search->click();
    dlg->waitForLine();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(dlg->searchActive());
    const size_t before = port.written.size();
    dlg->onSearchTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.size(), before + 1);

    // A command ends the search; polling alone comes back after it.
    prompter.answer = [](QDialog &d) { d.reject(); return int(QDialog::Rejected); };
    dlg->panel().meterSettings->click();
    dlg->waitForLine();
    EXPECT_FALSE(dlg->searchActive());
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(MeterWindow, ModuleSettingsWhileRunningHandsThePortOver)
{
    std::vector<QString> started;
    Open();
    dlg->setProgramLocator([] { return QStringLiteral("/opt/rd/nolvex"); });
    dlg->setProgramStarter([&](const QString &path, const QStringList &arguments) {
        started.push_back(path + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
        return true;
    });
    dlg->setModuleProgramArguments({QStringLiteral("--lang"), QStringLiteral("en")});   // as RD5800 --lang en
    Run();
    dlg->panel().moduleSettings->click();
    dlg->waitForLine();
    EXPECT_EQ(started, std::vector<QString>{QStringLiteral("/opt/rd/nolvex --lang en")});
    EXPECT_FALSE(dlg->pollingActive());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(dlg->running());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));
    EXPECT_TRUE(prompter.messages.empty());

    // One press of Run resumes polling.
    dlg->panel().runStop->click();
    dlg->waitForLine();
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(dlg->pollingActive());
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("停止"));
    const size_t before = port.written.size();
    dlg->onPollTick();
    dlg->waitForLine();
    EXPECT_EQ(port.written.size() - before, 5u);
}

TEST_F(MeterWindow, ModuleProgramThatCannotStartIsNamed)
{
    Open();
    dlg->setProgramLocator([] { return QString(); });
    dlg->panel().moduleSettings->click();
    dlg->waitForLine();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("nolvex")));
    EXPECT_FALSE(port.isOpen());

    dlg->setProgramLocator([] { return QStringLiteral("/opt/rd/nolvex"); });
    dlg->setProgramStarter([](const QString &) { return false; });
    dlg->panel().moduleSettings->click();
    dlg->waitForLine();
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_TRUE(prompter.messages[1].contains(QStringLiteral("/opt/rd/nolvex")));
}

TEST_F(MeterWindow, EachUsageNotesPressOpensAnotherWindow)
{
    Open();
    dlg->show();
    dlg->panel().help->click();
    dlg->waitForLine();
    dlg->panel().help->click();
    dlg->waitForLine();
    const auto notes = dlg->findChildren<CHelpDlg *>();
    ASSERT_EQ(notes.size(), 2);
    for (CHelpDlg *n : notes) {
        EXPECT_TRUE(n->isVisible());
        EXPECT_FALSE(n->isModal());
        EXPECT_EQ(n->windowTitle(), QStringLiteral("使用说明"));
        EXPECT_EQ(n->findChildren<QLabel *>().size(), CHelpDlg::Lines().size());
    }
    const QStringList lines = CHelpDlg::Lines();
    // The twenty original lines, then the notes on the address, the strip and the gateways.
    ASSERT_EQ(lines.size(), 28);
    EXPECT_EQ(lines[3], QStringLiteral("在模块控制对话框中，按\"修改\"  所有框都变得可输入，首先选择控制方式，当选择\"遥控\"时，不用在上  "));
    EXPECT_EQ(lines[19], QStringLiteral("按钮,   恢复正常通讯."));
    EXPECT_TRUE(lines[21].contains(QStringLiteral("先按\"停止\", 再按\"运行\"")));
    // The window goes on working while the notes are open.
    EXPECT_TRUE(dlg->isEnabled());
}

TEST_F(MeterWindow, EveryBoxLampListAndBarHasItsAccessibleName)
{
    Open();
    const char *names[] = {
        "合相 相电压", "A相/CA线 相电压", "B相/AB线 线电压", "C相/BC线 功率因数", "合相 频率",
        "A相/CA线 视在功率", "正向有功电能", "负向有功电能", "正向无功电能", "负向无功电能",
        "计数 DI1", "计数 DI6", "DO1", "DO2#", "DO6", "子机地址", "通讯成功率", "脉冲宽度", "基波值",
        "选择谐波项目", "通讯状态", "基波值 棒", "DI1", "DI6", "E2", "A20_1#", "A20_2#", "K2_1#",
        "K2_2#", "K2_3#", "运行", "退  出", "使用说明"};
    const auto widgets = dlg->findChildren<QWidget *>();
    for (const char *name : names) {
        int count = 0;
        for (QWidget *w : widgets)
            // The edit inside an editable list carries the list's name too; it is
            // part of that one control.
            if (w->accessibleName() == QString::fromUtf8(name) && !w->isHidden() &&
                !qobject_cast<QComboBox *>(w->parentWidget()))
                ++count;
        EXPECT_EQ(count, 1) << name;
    }
}

TEST_F(MeterWindow, ControlsDoNotOverlap)
{
    Open();
    // Controls placed directly on the window (labels, boxes, lamps, buttons, the
    // chart) must not cover each other; groups only frame them.
    std::vector<QWidget *> top;
    for (QObject *o : dlg->content()->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && !w->isHidden() && !w->isWindow() && !w->inherits("QGroupBox"))
            top.push_back(w);
    }
    for (size_t i = 0; i < top.size(); ++i)
        for (size_t j = i + 1; j < top.size(); ++j)
            EXPECT_FALSE(top[i]->geometry().intersects(top[j]->geometry()))
                << top[i]->accessibleName().toStdString() << " / "
                << qPrintable(top[i]->property("text").toString()) << " vs "
                << top[j]->accessibleName().toStdString() << " / "
                << qPrintable(top[j]->property("text").toString());
}

TEST_F(MeterWindow, RunStopIsNamedByTheActionItShows)
{
    Open();
    QPushButton *button = dlg->panel().runStop;
    QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(button);
    EXPECT_EQ(shown->text(QAccessible::Name), QStringLiteral("运行"));
    Run();
    EXPECT_EQ(button->text(), QStringLiteral("停止"));
    EXPECT_EQ(shown->text(QAccessible::Name), QStringLiteral("停止"));
    button->click();
    dlg->waitForLine();
    EXPECT_EQ(shown->text(QAccessible::Name), QStringLiteral("运行"));
    Run();
    dlg->OnModuleSettings();   // stops polling and shows "运行" again
    EXPECT_EQ(shown->text(QAccessible::Name), QStringLiteral("运行"));
    EXPECT_EQ(button->accessibleName(), button->text());
}

TEST_F(MeterWindow, SuccessRateIsReadAsAValueBesideItsCaption)
{
    Open();
    Run();
    dlg->onPollTick();
    dlg->waitForLine();
    QAccessibleInterface *rate = QAccessible::queryAccessibleInterface(dlg->panel().successRate);
    EXPECT_EQ(rate->text(QAccessible::Name), QStringLiteral("通讯成功率"));
    EXPECT_EQ(rate->text(QAccessible::Value), QStringLiteral("100.00"));
    QAccessibleTextInterface *text = rate->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("100.00"));
}

TEST_F(MeterWindow, RefusedAddressIsWordedAsInTheDialogs)
{
    Open();
    const std::pair<const char *, QString> cases[] = {
        {"256", QStringLiteral("请输入一个在 0 和 255 之间的整数。")},
        {"", QStringLiteral("请输入一个整数。")},
    };
    for (const auto &[text, message] : cases) {
        prompter.messages.clear();
        dlg->panel().slaveAddress->setText(QString::fromUtf8(text));
        dlg->panel().runStop->click();
        dlg->waitForLine();
        ASSERT_EQ(prompter.messages.size(), 1u) << text;
        EXPECT_EQ(prompter.messages[0], message) << text;
    }
}

TEST_F(MeterWindow, ReadOnlyBoxesTakeTheDialogColourWritableOnesStayWhite)
{
    CMeterApp::ApplyDialogColours(*qApp);
    Open();
    const MeterPanel &p = dlg->panel();
    const QColor shade(181, 240, 249);
    const QColor white(Qt::white);
    // A point inside the frame, clear of any text.
    const auto rendered = [](QWidget *box) {
        return box->grab().toImage().pixelColor(box->width() - 5, box->height() - 5);
    };
    QWidget *const readOnly[] = {p.grid[0][0], p.grid[6][3], p.frequency, p.energy[3], p.counters[5],
                                 p.relays[0],  p.fundamental, p.status,   p.pulseWidth};
    for (QWidget *box : readOnly)
        EXPECT_EQ(rendered(box), shade) << box->accessibleName().toStdString();
    EXPECT_EQ(rendered(p.slaveAddress), white);

    // "修改" makes the pulse width writable, and white while it is.
    p.pulseModify->click();
    dlg->waitForLine();
    ASSERT_FALSE(p.pulseWidth->isReadOnly());
    EXPECT_EQ(rendered(p.pulseWidth), white);
    EXPECT_EQ(p.pulseWidth->palette().color(QPalette::Base), white);
    p.pulseWidth->setText(QStringLiteral("80"));
    p.pulseWrite->click();
    dlg->waitForLine();
    ASSERT_TRUE(p.pulseWidth->isReadOnly());
    EXPECT_EQ(rendered(p.pulseWidth), shade);
}

TEST_F(MeterWindow, ANewReadingRepaintsItsBoxesNotTheGroupBehindThem)
{
    Open();
    dlg->show();
    QCoreApplication::processEvents();
    struct PaintCount : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } boxPaints, groupPaints;
    QLineEdit *const box = dlg->panel().grid[0][0];
    QWidget *const group = box->parentWidget();
    ASSERT_TRUE(group->inherits("QGroupBox"));
    box->installEventFilter(&boxPaints);
    group->installEventFilter(&groupPaints);
    box->setText(QStringLiteral("231.5"));
    QCoreApplication::processEvents();
    EXPECT_EQ(boxPaints.count, 1);
    EXPECT_EQ(groupPaints.count, 0);
}

} // namespace
