// The window thread's cost of one reading for recording and trends: the history
// and a trend window showing four curves (four units) over eight hours full of
// readings at 400 ms, with and without the repaint it causes; the same over ten
// minutes; the dearest tick, the one that moves the time axis on (once in 720
// ticks over eight hours, once in 15 over ten minutes); and the memory the
// eight-hour history takes.
#include "meter/recording/ReadingHistory.h"
#include "meter/recording/RecordingControls.h"
#include "meter/trends/TrendDlg.h"
#include "../tests/recording/SyntheticReading.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPixmap>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

constexpr int kEightHours = 8 * 3600 * 1000 / 400;   // 72 000 readings

const QDateTime kStart = rdtest::ChinaTime(2026, 12, 7, 8, 0, 0);

rdacq::Reading ReadingAt(qint64 ms)
{
    return rdtest::SyntheticReading(kStart.addMSecs(ms), double(ms) / 1000.0);
}

rdacq::Reading ReadingNumber(qint64 i)
{
    return ReadingAt(i * 400);
}

// Four curves of four units: W, A, V, kWh.
void ChooseFourCurves(TrendDlg &dlg)
{
    dlg.setCurve(0, 12);
    dlg.setCurve(1, 9);
    dlg.setCurve(2, 1);
    dlg.setCurve(3, 29);
}

// Readings every 400 ms. With `onlyAxisMoves`, only the readings that move the
// time axis on are timed (the axis moves when a reading passes its right end,
// which then lies a hundredth of the range after that reading).
void RunTicks(benchmark::State &state, TrendDlg::Range range, bool repaint, bool onlyAxisMoves = false)
{
    const qint64 rangeMs[3] = {10 * 60 * 1000, 3600 * 1000, 8 * 3600 * 1000};
    const qint64 step = rangeMs[range] / 100;
    rdrec::RecordingControls controls;
    for (qint64 i = 0; i < kEightHours; ++i)
        controls.onReading(ReadingNumber(i));
    TrendDlg dlg(controls.history());
    QObject::connect(&controls, &rdrec::RecordingControls::readingAdded, &dlg, &TrendDlg::addReading);
    ChooseFourCurves(dlg);
    dlg.setRange(range);
    dlg.show();
    QApplication::processEvents();
    qint64 nextMs = qint64(kEightHours - 1) * 400;
    qint64 axisEnd = nextMs + step;
    for (auto _ : state) {
        if (onlyAxisMoves) {
            state.PauseTiming();
            while (nextMs + 400 <= axisEnd) {
                nextMs += 400;
                controls.onReading(ReadingAt(nextMs));
            }
            state.ResumeTiming();
        }
        // One reading: into the history, then the trend window follows it.
        nextMs += 400;
        controls.onReading(ReadingAt(nextMs));
        if (nextMs > axisEnd)
            axisEnd = nextMs + step;
        if (repaint) {
            QPixmap shot = dlg.chartView()->grab();
            benchmark::DoNotOptimize(shot);
        }
    }
    state.counters["points"] = double(dlg.curvePoints(0).size());
}

void BM_TrendTickEightHours(benchmark::State &state) { RunTicks(state, TrendDlg::kEightHours, false); }
void BM_TrendTickEightHoursAndRepaint(benchmark::State &state) { RunTicks(state, TrendDlg::kEightHours, true); }
void BM_TrendTickTenMinutes(benchmark::State &state) { RunTicks(state, TrendDlg::kTenMinutes, false); }
void BM_TrendTickTenMinutesAndRepaint(benchmark::State &state) { RunTicks(state, TrendDlg::kTenMinutes, true); }

void BM_TrendAxisMoveEightHours(benchmark::State &state)
{
    RunTicks(state, TrendDlg::kEightHours, false, true);
}
void BM_TrendAxisMoveTenMinutes(benchmark::State &state)
{
    RunTicks(state, TrendDlg::kTenMinutes, false, true);
}

void BM_HistoryAddFull(benchmark::State &state)
{
    rdrec::ReadingHistory history;
    for (qint64 i = 0; i < kEightHours; ++i)
        history.add(ReadingNumber(i));
    qint64 next = kEightHours;
    for (auto _ : state)
        history.add(ReadingNumber(next++));
}

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Not a timing: the resident memory an eight-hour history adds, in MB.
void BM_HistoryMemoryEightHours(benchmark::State &state)
{
    for (auto _ : state) {
        const long before = ResidentKiB();
        auto history = std::make_unique<rdrec::ReadingHistory>();
        for (qint64 i = 0; i < kEightHours; ++i)
            history->add(ReadingNumber(i));
        const long after = ResidentKiB();
        state.counters["resident_MB"] = double(after - before) / 1024.0;
        state.counters["payload_MB"] = double(history->payloadBytes()) / (1024.0 * 1024.0);
    }
}

} // namespace

BENCHMARK(BM_TrendTickEightHours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendTickEightHoursAndRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendTickTenMinutes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendTickTenMinutesAndRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendAxisMoveEightHours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrendAxisMoveTenMinutes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryAddFull)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HistoryMemoryEightHours)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
