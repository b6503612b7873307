// Measures the monitor as it runs: starts rd5800-sim, opens the main window with
// the real serial adapter and the real clock, presses Run and lets the event loop
// drive the poll timer for a while. Prints the time of each tick against the sum
// of its waits, the CPU time used, the peak memory and how late a 10 ms timer on
// the window thread fires while polling (what a click or a screen reader waits).
// Not a test: it asserts nothing and only reports.
// Usage: meter_run_probe [SECONDS] [BAUD] [PARITY N|E|O]
// RD_PROBE_GATEWAY=tcp or modbus-tcp runs the simulator as that kind of Ethernet
// gateway on a loopback port instead of a pseudo-terminal (the same pacing), to
// compare a gateway's figures with a cable's.
#include "../sim/SimProcess.h"
#include "link/Clock.h"
#include "link/LinePort.h"
#include "meter/app/MeterApp.h"
#include "common/widgets/Prompter.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

// Wraps the system clock and adds up the waits it is asked for.
class CountingClock : public rdlink::Clock {
public:
    void sleepMs(uint32_t ms) override { waited += ms; rdlink::SystemClock().sleepMs(ms); }
    void busyWaitMs(uint32_t ms) override { waited += ms; rdlink::SystemClock().busyWaitMs(ms); }
    uint32_t tickMs() override { return rdlink::SystemClock().tickMs(); }
    uint64_t waited = 0;
};

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? atoi(argv[1]) : 20;
    const std::string baud = argc > 2 ? argv[2] : "9600";
    const std::string parity = argc > 3 ? argv[3] : "N";
    const rdlink::Parity parityCode = parity == "O" ? rdlink::Parity::Odd : parity == "E" ? rdlink::Parity::Even : rdlink::Parity::None;

    std::vector<std::string> simArgs = {"--baud", baud, "--parity", parity};
    const QByteArray gateway = qgetenv("RD_PROBE_GATEWAY");
    if (!gateway.isEmpty())
        simArgs.insert(simArgs.end(), {"--" + gateway.toStdString(), "0"});
    simtest::SimProcess sim(simArgs);
    if (!sim.started()) {
        std::fprintf(stderr, "rd5800-sim did not start\n");
        return 1;
    }
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));

    rdlink::LinePort port;
    CountingClock clock;
    QtPrompter prompter(QStringLiteral("RD5800"));
    CMeterDlg window(port, clock, prompter);
    window.setLineSettings(std::stoi(baud), parityCode, 1);
    window.OnInitDialog();
    window.show();
    window.panel().slaveAddress->setText(QStringLiteral("1"));

    // Ticks follow each other as fast as the event loop allows at 9600 baud (the
    // waits exceed the period), so wall time per tick is the time of one tick.
    // RD_PROBE_MONITOR=1 opens the line monitor for the run (its cost, and that it
    // changes nothing on the line).
    if (!qEnvironmentVariableIsEmpty("RD_PROBE_MONITOR"))
        window.extras().openMonitor();
    window.panel().runStop->click();
    // The window thread's latency: a 10 ms timer whose lateness is the time the
    // event loop could not answer.
    std::vector<qint64> lateness;
    QElapsedTimer since;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (since.isValid())
            lateness.push_back(std::max<qint64>(0, since.nsecsElapsed() / 1000 - 10000));
        since.start();
    });
    probe.start();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double cpu = CpuSeconds() - cpu0;

    const int ticks = window.linkStats().attemptCount() - 1;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("port %s\n", sim.device().c_str());
    std::printf("line %s,%s: %d ticks in %.1f s, period %d ms\n", baud.c_str(), parity.c_str(), ticks,
                wallSeconds, window.timerInterval());
    if (ticks > 0)
        std::printf("mean tick %.0f ms, mean waits per tick %.0f ms\n", wallSeconds * 1000 / ticks,
                    double(clock.waited) / ticks);
    std::printf("CPU %.2f s over %.1f s = %.1f %% of one core\n", cpu, wallSeconds, 100 * cpu / wallSeconds);
    std::printf("peak RSS %ld KiB\n", u.ru_maxrss);
    if (!lateness.empty()) {
        std::sort(lateness.begin(), lateness.end());
        const auto at = [&](double q) { return lateness[std::min(lateness.size() - 1, size_t(q * lateness.size()))] / 1000.0; };
        std::printf("window thread: 10 ms timer late by median %.2f ms, p99 %.2f ms, max %.2f ms (%zu samples)\n",
                    at(0.5), at(0.99), lateness.back() / 1000.0, lateness.size());
    }
    std::printf("success rate shown %s%%\n", qPrintable(window.linkStats().attemptCount() > 0
                                                           ? QString::number(100.0 * window.linkStats().successCount()
                                                                             / window.linkStats().attemptCount(), 'f', 2)
                                                           : QString()));
    window.panel().runStop->click();
    // RD_PROBE_LOG=FILE keeps the simulator's log, to compare the line of two builds.
    if (!qEnvironmentVariableIsEmpty("RD_PROBE_LOG"))
        QFile::copy(QString::fromStdString(sim.logPath()), qEnvironmentVariable("RD_PROBE_LOG"));
    return 0;
}
