// End to end: the main window with the real serial adapter and the real clock
// against rd5800-sim on a pseudo-terminal. The simulator's log is the oracle: its
// replies give the register values every box must show, its requests the order.
#include "../sim/SimProcess.h"
#include "RegisterBytes.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "meter/acquisition/DeviceInfo.h"
#include "meter/acquisition/Formatting.h"
#include "meter/acquisition/RegisterValues.h"
#include "meter/app/MeterApp.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/Lamp.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct LineCase {
    const char *baud;
    const char *parityLetter;
    int baudRate;
    rdlink::Parity parity;
};

class MeterEndToEnd : public ::testing::TestWithParam<LineCase> {};

// Data bytes of the sim's reply that follows the request with this meaning.
std::vector<uint8_t> ReplyData(const std::vector<simtest::LogLine> &log, size_t from, const std::string &meaning)
{
    for (size_t i = from; i + 1 < log.size(); ++i) {
        if (log[i].direction == "rx" && log[i].meaning == meaning && log[i + 1].direction == "tx"
            && log[i + 1].meaning == "reply" && log[i + 1].bytes.size() > 5) {
            const auto &b = log[i + 1].bytes;
            return std::vector<uint8_t>(b.begin() + 3, b.end() - 2);
        }
    }
    return {};
}

TEST_P(MeterEndToEnd, TwoTicksShowTheSimulatorsValues)
{
    const LineCase line = GetParam();
    simtest::SimProcess sim({"--freeze", "--baud", line.baud, "--parity", line.parityLetter,
                             "--pt", "100", "--ct", "5", "--modules", "15"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));

    // The screenshot shows the window in the program's own colours and font.
    if (!qEnvironmentVariableIsEmpty("RD_METER_SCREENSHOT")) {
        CMeterApp::ApplyDialogColours(*qApp);
        CMeterApp::ApplyDialogFont(*qApp);
    }
    rdlink::QtSerialPort port;
    ScriptedPrompter prompter;
    CMeterDlg dlg(port, rdlink::SystemClock(), prompter);
    dlg.setLineSettings(line.baudRate, line.parity, 1);
    dlg.OnInitDialog();
    dlg.waitForLine();
    ASSERT_TRUE(port.isOpen()) << (prompter.messages.empty() ? "" : prompter.messages[0].toStdString());
    dlg.panel().slaveAddress->setText(QStringLiteral("1"));
    // Run polls on the timer, as at the panel; two good ticks, then Stop.
    int readings = 0;
    QObject::connect(&dlg, &CMeterDlg::readingTaken, [&readings] { ++readings; });
    dlg.panel().runStop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings >= 2; }, 30000));
    dlg.panel().runStop->click();
    dlg.waitForLine();
    EXPECT_TRUE(prompter.messages.empty());

    // Five requests per tick, in order, all answered, and Stop never cuts a tick.
    const auto requests = sim.logLines("rx");
    const std::vector<std::string> order = {"read 1 at 0x0100", "read 17 at 0x0300", "read 41 at 0x0000",
                                            "read 12 at 0x0760", "read 18 at 0x020C"};
    ASSERT_GE(requests.size(), 10u);
    EXPECT_EQ(requests.size() % 5, 0u);
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].meaning, order[i % 5]) << i;
    ASSERT_TRUE(sim.waitForLines("tx", requests.size(), 2000));

    // The second tick's replies are what the window shows now.
    const auto log = sim.log();
    size_t second = 0;
    for (size_t i = 0, seen = 0; i < log.size(); ++i)
        if (log[i].direction == "rx" && ++seen == 6) {
            second = i;
            break;
        }
    const auto modules = ReplyData(log, second, order[0]);
    const auto device = ReplyData(log, second, order[1]);
    const auto block = ReplyData(log, second, order[2]);
    const auto counters = ReplyData(log, second, order[3]);
    ASSERT_EQ(modules.size(), 2u);
    ASSERT_EQ(device.size(), 34u);
    ASSERT_EQ(block.size(), 82u);
    ASSERT_EQ(counters.size(), 24u);

    const rdacq::DeviceInfo info = rdacq::DecodeDeviceInfo(device);
    EXPECT_EQ(info.ptRatio, 100);
    EXPECT_EQ(info.ctRatio, 5);
    const MeterPanel &p = dlg.panel();
    // Phase voltage A, computed here from the raw register: raw x PT / 10.
    const double ua = rdacq::U16(block, 0) * 100 / 10.0;
    EXPECT_EQ(p.grid[0][1]->text(), ua > 1000 ? QString::asprintf("%.2f KV", ua / 1000) : QString::asprintf("%.2f V", ua));
    // Every box against the simulator's registers.
    const rdacq::MeasurementTexts t =
        rdacq::FormatMeasurements(rdacq::DecodeMeasurements(block, info.ptRatio, info.ctRatio));
    for (int r = 0; r < rdacq::kGridRows; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(p.grid[r][c]->text(), t.grid[r][c]) << r << "," << c;
    EXPECT_EQ(p.frequency->text(), t.frequency);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.energy[i]->text(), t.energy[i]) << i;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(p.relays[i]->text(), t.relays[i]) << i;
        EXPECT_EQ(p.lamps[i]->isOn(), t.inputs[i]) << i;
        EXPECT_EQ(p.counters[i]->text(),
                  QString::number(rdacq::U32HighWordFirst(counters, 2 * i))) << i;
    }
    // Modules 0x15: E2, A20_1#, K2_1#.
    const bool lit[6] = {true, true, false, true, false, false};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.lamps[6 + i]->isOn(), lit[i]) << i;
    EXPECT_EQ(p.pulseWidth->text(), QString::number(info.pulseWidth));
    EXPECT_EQ(p.successRate->text(), QStringLiteral("100.00"));
    EXPECT_FALSE(p.fundamental->text().isEmpty());

    const QByteArray shot = qgetenv("RD_METER_SCREENSHOT");
    if (!shot.isEmpty() && line.baudRate == 9600) {
        dlg.show();
        dlg.grab().save(QString::fromLocal8Bit(shot));
    }
    qunsetenv("RD5800_COM1");
}

INSTANTIATE_TEST_SUITE_P(Lines, MeterEndToEnd,
                         ::testing::Values(LineCase{"9600", "N", 9600, rdlink::Parity::None}, LineCase{"1200", "E", 1200, rdlink::Parity::Even}),
                         [](const ::testing::TestParamInfo<LineCase> &info) {
                             return std::string("Baud") + info.param.baud + info.param.parityLetter;
                         });

} // namespace
