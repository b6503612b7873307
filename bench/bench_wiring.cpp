// The wiring check's cost per reading on the window thread: the diagnosis alone
// (4-wire faults and a 3-wire panel), and the open "接线检查" window following a reading (diagnosis, list, diagram
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

// Two CTs reversed (A and C) on a consuming site at PF 0.9: the reading that
// takes the reversal path, both readings named.
rdacq::Reading TwoReversed()
{
    rdacq::Reading r = SwappedCts();
    const double phi[3] = {-154.16, 25.84, -154.16};
    for (int c = 1; c <= 3; ++c) {
        const double a = phi[c - 1] * 3.14159265358979 / 180.0;
        r.values.activePower[size_t(c)] = 2300.0 * std::cos(a);
        r.values.reactivePower[size_t(c)] = 2300.0 * std::sin(a);
    }
    return r;
}

// A sound 3-wire panel, 10 kV behind PT 100 and CT 20: two elements at 58 and -8 deg.
rdacq::Reading ThreeWire()
{
    rdacq::Reading r;
    r.wiringMode = 2;
    r.ptRatio = 100;
    r.ctRatio = 20;
    auto &m = r.values;
    m.lineVoltage = {10000.0, 10000.0, 10000.0, 10000.0};
    const double phi[4] = {0, 58.0, 0, -8.0};
    for (size_t c : {size_t(1), size_t(3)}) {
        const double a = phi[c] * 3.14159265358979 / 180.0;
        m.current[c] = 40.0;
        m.activePower[c] = 400000.0 * std::cos(a);
        m.reactivePower[c] = 400000.0 * std::sin(a);
    }
    m.powerFactor[0] = 0.88;
    m.frequency = 50.0;
    return r;
}

// Arg: 0 swapped CTs (4-wire), 1 two reversed CTs (4-wire), 2 a sound 3-wire panel.
void BM_Diagnose(benchmark::State &state)
{
    const rdacq::Reading r = state.range(0) == 0 ? SwappedCts() : state.range(0) == 1 ? TwoReversed() : ThreeWire();
    for (auto _ : state)
        benchmark::DoNotOptimize(rddiag::Diagnose(r.values, r.wiringMode, r.ptRatio, r.ctRatio));
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

BENCHMARK(BM_Diagnose)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
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
