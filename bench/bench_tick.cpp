// The CPU cost of one poll tick of the main window without its waits: five
// requests built and written, five replies found, decoded, formatted and put into
// the offscreen window's controls, the harmonic chart included. The fake clock
// makes every wait free and the fake port answers with replies the simulated
// meter sent on a real line.
#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "meter/acquisition/PollCycle.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/HarmonicChart.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <benchmark/benchmark.h>
#include <map>

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Replies of one tick as the simulated meter logged them, by start register.
const std::map<uint16_t, QByteArray> &Replies();

// The fake port answers each read with the reply for its start register.
void Answer(rdtest::FakeSerialPort &port, int *unanswered)
{
    port.responder = [unanswered](const QByteArray &request) {
        const uint16_t reg = uint16_t(uint8_t(request[2]) << 8 | uint8_t(request[3]));
        const auto it = Replies().find(reg);
        if (it == Replies().end()) {
            ++*unanswered;
            return std::vector<rdtest::Chunk>{};
        }
        return std::vector<rdtest::Chunk>{{it->second, 20}};
    };
}

const std::map<uint16_t, QByteArray> &Replies()
{
    static const std::map<uint16_t, QByteArray> replies = {
        {0x0100, Hex("01 03 02 00 15 79 8B")},
        {0x0300, Hex("01 03 22 00 01 00 00 00 00 00 00 00 03 00 00 00 50 00 01 00 01 00 00 00 00 00 00 00 00 00 "
                     "00 00 00 00 00 00 00 15 F1")},
        {0x0000, Hex("01 03 52 08 FE 0F A7 4F 6D 00 00 10 E2 03 9B 07 06 12 49 08 FB 0F 90 25 D9 00 00 08 00 03 98 03 "
                     "6A 08 B3 09 14 0F A3 54 A2 00 00 12 1D 03 99 07 AC 13 AC 09 04 0F 9E 43 4D 13 86 2A FF 03 9A "
                     "12 1D 2E A8 00 00 34 97 00 01 0F 3B 00 00 9D 76 00 00 07 4D 00 00 42 6B")},
        {0x0760, Hex("01 03 18 00 00 08 5F 00 00 04 25 00 00 11 0F 00 00 10 02 00 00 02 AE 00 00 04 56 7A 7D")},
        {0x020C, Hex("01 03 24 00 04 00 5A 00 02 00 44 00 01 00 30 00 01 00 1E 00 01 00 1F 00 01 00 1A 00 01 00 12 "
                     "00 01 00 14 00 00 00 12 34 55")},
    };
    return replies;
}

struct Rig {
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    CMeterDlg window{port, clock, prompter};
    int unanswered = 0;

    Rig()
    {
        Answer(port, &unanswered);
        window.setProgramStarter([](const QString &) { return false; });
        window.setLineSettings(9600, rdlink::Parity::None, 1);
        window.OnInitDialog();
        window.show();
        window.panel().slaveAddress->setText(QStringLiteral("1"));
        window.panel().runStop->click();
        window.waitForLine();
        window.onPollTick();   // the first tick sets the chart scale
        window.waitForLine();
        QApplication::processEvents();
    }

    // The fakes keep every write and wait; a long run must not grow them.
    void Forget()
    {
        port.written.clear();
        port.writeTimes.clear();
        clock.waits.clear();
    }

    void Report(benchmark::State &state) const
    {
        const auto &stats = window.linkStats();
        // A tick whose replies were not found would measure the wrong work.
        if (unanswered || stats.successCount() != stats.attemptCount())
            state.SkipWithError("a reply was not found: the figure would not be a whole tick");
    }
};

// The tick alone: everything the tick handler does, up to the controls' new texts.
void BM_TickNoWaits(benchmark::State &state)
{
    Rig rig;
    for (auto _ : state) {
        rig.window.onPollTick();   // on the link worker, then shown on this thread
        rig.window.waitForLine();
        rig.Forget();
    }
    rig.Report(state);
}
BENCHMARK(BM_TickNoWaits)->Unit(benchmark::kMicrosecond);

// The tick and the repaint of the offscreen window that it causes.
void BM_TickAndRepaint(benchmark::State &state)
{
    Rig rig;
    for (auto _ : state) {
        rig.window.onPollTick();   // on the link worker, then shown on this thread
        rig.window.waitForLine();
        QApplication::processEvents();
        rig.Forget();
    }
    rig.Report(state);
}
BENCHMARK(BM_TickAndRepaint)->Unit(benchmark::kMicrosecond);

// The same tick without a window: the link, decoding and formatting on this
// thread. The difference to the whole tick is the cost of the controls, the
// chart and the hand-over between the threads.
void BM_TickLogicOnly(benchmark::State &state)
{
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    int unanswered = 0;
    Answer(port, &unanswered);
    port.setSettings({9600, rdlink::Parity::None});
    port.open();
    rdlink::Link link(port, clock);
    MeterState meter;
    meter.slaveAddress = 1;
    rdacq::PollCycle cycle(meter);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cycle.RunTick(link, rdacq::TickInput{1, 0}));
        port.written.clear();
        port.writeTimes.clear();
        clock.waits.clear();
    }
    if (unanswered || cycle.stats().successCount() != cycle.stats().attemptCount())
        state.SkipWithError("a reply was not found: the figure would not be a whole tick");
}
BENCHMARK(BM_TickLogicOnly)->Unit(benchmark::kMicrosecond);

// The chart's share: the eighteen bar values of a harmonic reply and the axis
// that follows the tallest bar, alternating between two sets so that each call
// changes every bar. With `repaint`, each change is also brought to the
// (offscreen) screen, as a poll tick with new harmonic values does.
void ChartUpdates(benchmark::State &state, bool repaint)
{
    Rig rig;
    std::array<double, 18> a{}, b{};
    for (int i = 1; i < 18; ++i) {
        a[size_t(i)] = 3.0 / i;
        b[size_t(i)] = 2.0 / i;
    }
    bool flip = false;
    for (auto _ : state) {
        rig.window.panel().chart->setRowValues(flip ? a : b);
        flip = !flip;
        if (repaint)
            QApplication::processEvents();
    }
}

void BM_ChartUpdate(benchmark::State &state)
{
    ChartUpdates(state, false);
}
BENCHMARK(BM_ChartUpdate)->Unit(benchmark::kMicrosecond);

void BM_ChartUpdateAndRepaint(benchmark::State &state)
{
    ChartUpdates(state, true);
}
BENCHMARK(BM_ChartUpdateAndRepaint)->Unit(benchmark::kMicrosecond);

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
