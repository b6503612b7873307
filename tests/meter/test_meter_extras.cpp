// The strip below the main panel: recording follows the window's readings, the
// line monitor sees the window's exchanges while it is open, the trend window opens.
// The instrument answers at address 0, the window's address before Run, so the
// ticks come from the test alone and no poll timer runs.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "ScriptedPrompter.h"
#include "common/traffic/TrafficModel.h"
#include "common/traffic/TrafficWindow.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/trends/TrendDlg.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

namespace {

class MeterExtras : public ::testing::Test {
protected:
    void SetUp() override
    {
        meter.regs[0x0000] = 2200;   // phase A 220.0 V at PT 1
        meter.address = 0;
        meter.regs[0x0300] = 0;
        meter.regs[0x0307] = 1;
        meter.regs[0x0308] = 1;
        port.responder = [this](const QByteArray &request) {
            const QByteArray reply = meter.Answer(request);
            return reply.isEmpty() ? std::vector<rdtest::Chunk>{} : std::vector<rdtest::Chunk>{{reply, 20}};
        };
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        dlg->OnInitDialog();
        dlg->waitForLine();
    }

    void Tick()
    {
        dlg->onPollTick();
        dlg->waitForLine();
    }

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    rdtest::MeterRegisters meter;
    std::unique_ptr<CMeterDlg> dlg;
};

TEST_F(MeterExtras, RecordingWritesARowPerReadingAndSaysWhere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("load.csv"));
    ExtrasBar &extras = dlg->extras();
    extras.setPathAsker([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.contains(QStringLiteral("rd5800-")));
        return path;
    });
    extras.recordButton()->click();
    EXPECT_EQ(extras.recordButton()->text(), QStringLiteral("停止记录"));
    Tick();
    Tick();
    EXPECT_TRUE(extras.recordStatus()->text().contains(QStringLiteral("load.csv")));
    EXPECT_TRUE(extras.recordStatus()->text().contains(QStringLiteral("2 行")));
    extras.recordButton()->click();
    EXPECT_EQ(extras.recordButton()->text(), QStringLiteral("记录数据"));
    EXPECT_TRUE(extras.recordStatus()->text().isEmpty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF"));   // UTF-8 with a byte order mark
    EXPECT_TRUE(lines[1].contains(",220.0,"));          // the decoded value, not "220.00 V"
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(MeterExtras, AFileThatCannotBeOpenedIsSaidAndPollingGoesOn)
{
    EXPECT_FALSE(dlg->extras().startRecording(QStringLiteral("/nonexistent-folder/x.csv")));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("x.csv")));
    Tick();   // the readings go on
    EXPECT_EQ(dlg->panel().grid[0][1]->text(), QStringLiteral("220.00 V"));
}

TEST_F(MeterExtras, MonitorSeesTheExchangesOnlyWhileOpen)
{
    Tick();   // before the monitor: not seen
    dlg->extras().monitorButton()->click();
    rdtraffic::TrafficWindow *monitor = dlg->extras().trafficWindow();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->windowTitle(), QStringLiteral("通讯监视"));
    dlg->waitForLine();   // the observer is switched on by a job too
    Tick();
    monitor->flush();
    EXPECT_EQ(monitor->model().rowCount(), 10);   // five requests, five replies
    monitor->close();
    dlg->waitForLine();
    Tick();
    monitor->flush();
    EXPECT_EQ(monitor->model().rowCount(), 10);
}

TEST_F(MeterExtras, MonitorDeletedWhileShownStopsTheCollection)
{
    std::atomic<int> reported{0};
    QObject::connect(&dlg->worker(), &rdlink::LinkWorker::exchanged, &dlg->worker(),
                     [&reported](const rdlink::ExchangeRecord &) { ++reported; }, Qt::DirectConnection);
    dlg->extras().monitorButton()->click();
    dlg->waitForLine();
    Tick();
    EXPECT_EQ(reported.load(), 5);
    delete dlg->extras().trafficWindow();   // no hideEvent reaches a window deleted while shown
    dlg->waitForLine();
    Tick();
    EXPECT_EQ(reported.load(), 5);
}

TEST_F(MeterExtras, TrendWindowOpensFromItsButton)
{
    dlg->extras().trendButton()->click();
    ASSERT_NE(dlg->extras().trendWindow(), nullptr);
    EXPECT_EQ(dlg->extras().trendWindow()->windowTitle(), QStringLiteral("趋势图"));
}

} // namespace
