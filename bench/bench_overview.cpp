// The overview's figures against rd5800-sim serving a bus of ten meters at 9600
// baud, in real time on a pseudo-terminal (wall-clock times, one pass each):
//   BM_ScanFullBus      a scan of 1..247, one device information read each
//   BM_RefreshTenMeters one round over the ten meters (one measurement block
//                       each, PT/CT known); "vs_line_time" is the round's time
//                       over the line time of its ten exchanges
//   BM_FastRefreshTicks the main window with "快速刷新": ticks per second
#include "../tests/sim/SimProcess.h"
#include "ScriptedPrompter.h"
#include "link/Clock.h"
#include "link/LineTime.h"
#include "link/QtSerialPort.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/overview/OverviewWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

const char *const kBus = "3,17,40,41,88,120,121,200,230,247";

// The main window and its overview on the simulator's line, nothing remembered.
struct Rig {
    simtest::SimProcess sim{{"--freeze", "--addresses", kBus}};
    rdlink::QtSerialPort port;
    ScriptedPrompter prompter;
    std::unique_ptr<CMeterDlg> dlg;

    Rig()
    {
        qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
        dlg = std::make_unique<CMeterDlg>(port, rdlink::SystemClock(), prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        dlg->OnInitDialog();
        dlg->waitForLine();
        dlg->openOverview();
    }
    OverviewWindow &ov() { return *dlg->overviewWindow(); }
};

void BM_ScanFullBus(benchmark::State &state)
{
    Rig rig;
    for (auto _ : state) {
        rig.ov().model().clearMeters();
        bool finished = false;
        const auto c = QObject::connect(&rig.ov(), &OverviewWindow::scanFinished, [&] { finished = true; });
        QElapsedTimer t;
        t.start();
        rig.ov().startScan();
        QTest::qWaitFor([&] { return finished; }, 120000);
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
        QObject::disconnect(c);
        rig.ov().waitForLine();
        state.counters["found"] = rig.ov().model().count();
    }
}
BENCHMARK(BM_ScanFullBus)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RefreshTenMeters(benchmark::State &state)
{
    Rig rig;
    for (const QString &a : QString::fromLatin1(kBus).split(QLatin1Char(',')))
        rig.ov().model().addMeter(a.toInt());
    int rounds = 0;
    QElapsedTimer t;
    qint64 firstRoundEnd = 0;
    QObject::connect(&rig.ov(), &OverviewWindow::roundDone, [&] {
        if (++rounds == 1)
            firstRoundEnd = t.nsecsElapsed();   // PT/CT read in the first round
    });
    t.start();
    rig.ov().startRefresh();
    constexpr int kRounds = 6;
    for (auto _ : state) {
        QTest::qWaitFor([&] { return rounds >= 1 + kRounds; }, 60000);
        const double perRound = (t.nsecsElapsed() - firstRoundEnd) / 1e9 / kRounds;
        state.SetIterationTime(perRound);
        const double line = 10 * rdlink::LineTimeMs(8 + 87, 9600, false) / 1000.0;
        state.counters["vs_line_time"] = perRound / line;
    }
    rig.ov().stopRefresh();
    rig.ov().waitForLine();
}
BENCHMARK(BM_RefreshTenMeters)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_FastRefreshTicks(benchmark::State &state)
{
    Rig rig;
    rig.dlg->setFastRefresh(true);
    rig.dlg->panel().slaveAddress->setText(QStringLiteral("3"));
    int readings = 0;
    QObject::connect(rig.dlg.get(), &CMeterDlg::readingTaken, [&] { ++readings; });
    for (auto _ : state) {
        rig.dlg->OnRunStop();
        QTest::qWaitFor([&] { return readings >= 1; }, 10000);
        const int from = readings;
        QElapsedTimer t;
        t.start();
        QTest::qWait(5000);
        const double seconds = t.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        state.counters["ticks_per_s"] = (readings - from) / seconds;
        rig.dlg->OnRunStop();
        rig.dlg->waitForLine();
    }
}
BENCHMARK(BM_FastRefreshTicks)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
