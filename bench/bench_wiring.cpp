// The wiring check's cost per reading on the window thread: the diagnosis alone,
// and the open "接线检查" window following a reading (diagnosis, list, diagram
// text) with and without a full repaint of the window.
#include "meter/diagnosis/WiringDiagnosis.h"
#include "meter/wiring/WiringDlg.h"

#include <QApplication>
#include <QFont>
#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// Two CTs swapped at PF 0.9 lagging: two findings, every phasor drawn.
rdacq::Reading SwappedCts()
{
    rdacq::Reading r;
    r.time = QDateTime::currentDateTime();
    const double phi[3] = {145.84, -94.16, 25.84};
    auto &m = r.values;
    for (int c = 1; c <= 3; ++c) {
        const double a = phi[c - 1] * 3.14159265358979 / 180.0;
        m.phaseVoltage[size_t(c)] = 230.0;
        m.lineVoltage[size_t(c)] = 398.4;
        m.current[size_t(c)] = 10.0;
        m.activePower[size_t(c)] = 2300.0 * std::cos(a);
        m.reactivePower[size_t(c)] = 2300.0 * std::sin(a);
        m.apparentPower[size_t(c)] = 2300.0;
        m.powerFactor[size_t(c)] = std::cos(a);
    }
    m.powerFactor[0] = 0.1;
    m.frequency = 50.0;
    return r;
}

void BM_Diagnose(benchmark::State &state)
{
    const rdacq::Reading r = SwappedCts();
    for (auto _ : state)
        benchmark::DoNotOptimize(rddiag::Diagnose(r.values, 0));
}

void BM_WindowReading(benchmark::State &state)
{
    WiringDlg dlg;
    dlg.show();
    QApplication::processEvents();
    rdacq::Reading r = SwappedCts();
    int i = 0;
    for (auto _ : state) {
        r.values.current[1] = 10.0 + 0.01 * (i++ % 50);   // the numbers move, as they do
        dlg.addReading(r);
        if (state.range(0))
            dlg.repaint();
    }
}

} // namespace

BENCHMARK(BM_Diagnose)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowReading)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
