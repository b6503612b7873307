// The fault soak: the main window, offscreen, with the real serial adapter and the
// real clock, polls rd5800-sim while the simulator drops replies, corrupts their
// CRC, puts stray bytes before them, sends them late and answers with exceptions,
// each at a few percent. At the end it reports the ticks done, the requests the
// simulator logged against the five a tick sends, the success rate the window
// shows against the simulator's own count of good measurement replies, the
// resident memory, and any message the window tried to show. Exit status 0 when
// the figures hold, 1 when one does not, 2 when the run could not start.
//
// Usage: soak_driver [MINUTES] [--baud B] [--fault P] [--late-ms MS] [--seed N]
//                    [--max-rss-growth-kib N] [--keep DIR] [--sim PROGRAM]
#include "SimLogTally.h"
#include "../sim/SimProcess.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Settings {
    double minutes = 2;
    int baud = 9600;
    std::string fault = "0.02";   // each fault kind's probability per request
    int lateMs = 600;             // a late reply lands in the next exchange
    unsigned seed = 1;
    long maxRssGrowthKiB = -1;    // checked after the first minute when >= 0
    double rateTolerance = 0.5;   // percentage points
    std::string keep;             // folder that keeps the simulator's log
    std::string sim = simtest::SimProgram();
};

bool ParseArgs(int argc, char **argv, Settings *s)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--baud" && hasValue) s->baud = std::atoi(argv[++i]);
        else if (a == "--fault" && hasValue) s->fault = argv[++i];
        else if (a == "--late-ms" && hasValue) s->lateMs = std::atoi(argv[++i]);
        else if (a == "--seed" && hasValue) s->seed = unsigned(std::strtoul(argv[++i], nullptr, 10));
        else if (a == "--max-rss-growth-kib" && hasValue) s->maxRssGrowthKiB = std::atol(argv[++i]);
        else if (a == "--rate-tolerance" && hasValue) s->rateTolerance = std::atof(argv[++i]);
        else if (a == "--keep" && hasValue) s->keep = argv[++i];
        else if (a == "--sim" && hasValue) s->sim = argv[++i];
        else if (!a.empty() && a[0] != '-') s->minutes = std::atof(a.c_str());
        else return false;
    }
    return s->minutes > 0 && s->baud > 0;
}

long RssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<simtest::LogLine> ReadLog(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return simtest::ParseLog(text.str());
}

// The real clock, which also notes, at each wait, whether the measurement read
// that the window counted since the last wait was a success. The wait after a
// measurement read is the counters read's, so each tick is seen exactly once.
class OutcomeClock : public rdlink::Clock {
public:
    void sleepMs(uint32_t ms) override { note(); rdlink::SystemClock().sleepMs(ms); }
    void busyWaitMs(uint32_t ms) override { note(); rdlink::SystemClock().busyWaitMs(ms); }
    uint32_t tickMs() override { return rdlink::SystemClock().tickMs(); }

    const rdacq::LinkStats *stats = nullptr;
    std::vector<bool> counted;   // per tick: the window counted its measurement reply

private:
    void note()
    {
        if (!stats)
            return;
        const int attempts = stats->attemptCount();
        const int successes = stats->successCount();
        if (attempts == m_attempts + 1)
            counted.push_back(successes > m_successes);
        m_attempts = attempts;
        m_successes = successes;
    }
    int m_attempts = 1;
    int m_successes = 1;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Settings s;
    if (!ParseArgs(argc, argv, &s)) {
        std::fprintf(stderr, "usage: soak_driver [MINUTES] [--baud B] [--fault P] [--late-ms MS] [--seed N]\n"
                             "                   [--max-rss-growth-kib N] [--rate-tolerance PP] [--keep DIR] [--sim PROGRAM]\n");
        return 2;
    }

    std::string folder = s.keep;
    if (folder.empty()) {
        char tmp[] = "/tmp/rdsoak.XXXXXX";
        if (!mkdtemp(tmp))
            return 2;
        folder = tmp;
    } else {
        QDir().mkpath(QString::fromStdString(folder));
    }

    const std::string p = s.fault;
    simtest::SimProcess sim(s.sim, folder,
                      {"--baud", std::to_string(s.baud), "--drop", p, "--bad-crc", p, "--stray", p, "--late", p,
                       "--exception", p, "--late-ms", std::to_string(s.lateMs), "--seed", std::to_string(s.seed)});
    if (!sim.started()) {
        std::fprintf(stderr, "soak: rd5800-sim did not start (%s)\n", s.sim.c_str());
        return 2;
    }
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));

    rdlink::QtSerialPort port;
    OutcomeClock clock;
    ScriptedPrompter prompter;   // a message box would stop the soak: record it instead
    CMeterDlg window(port, clock, prompter);
    clock.stats = &window.linkStats();
    window.setProgramStarter([](const QString &) { return false; });
    window.setLineSettings(s.baud, rdlink::Parity::None, 1);
    window.OnInitDialog();
    window.show();
    window.panel().slaveAddress->setText(QStringLiteral("1"));

    const long rssStart = RssKiB();
    long rssAfterFirstMinute = -1;
    long rssPeak = rssStart;

    // The resident memory each second, for its peak.
    QTimer sampler;
    sampler.setInterval(1000);
    QObject::connect(&sampler, &QTimer::timeout, [&] { rssPeak = std::max(rssPeak, RssKiB()); });
    QTimer::singleShot(60 * 1000, [&] { rssAfterFirstMinute = RssKiB(); });

    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    window.panel().runStop->click();
    sampler.start();
    bool portOpenAtEnd = false;
    QTimer::singleShot(int(s.minutes * 60 * 1000), [&] {
        portOpenAtEnd = port.isOpen();   // Stop closes it
        window.panel().runStop->click();
        app.quit();
    });
    app.exec();
    // The tick under way when Stop was pressed ends on the worker; then its counts
    // and the simulator's log describe the same ticks.
    window.waitForLine();
    // Objects the chart scheduled for deletion in the last tick are deleted by the
    // event loop, which has stopped: delete them now, or they outlive the window.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double wallSeconds = wall.elapsed() / 1000.0;
    const double cpu = CpuSeconds() - cpu0;
    const long rssEnd = RssKiB();
    sampler.stop();

    // Let the simulator log its last lines (late replies included) before reading it.
    usleep(useconds_t(s.lateMs + 500) * 1000);
    const bool simAlive = sim.running();
    const soak::SimTally tally = soak::TallySimLog(ReadLog(sim.logPath()));

    const auto &stats = window.linkStats();
    const int ticks = stats.attemptCount() - 1;
    const QString shownText = window.panel().successRate->text();
    const double shown = shownText.toDouble();
    const double expected = soak::ShownRateFor(tally.measurementGood, ticks);
    // The last tick's outcome is seen at no later wait; the final counts give it.
    std::vector<bool> windowGood = clock.counted;
    if (int(windowGood.size()) == ticks - 1)
        windowGood.push_back(stats.successCount() - 1 > int(std::count(windowGood.begin(), windowGood.end(), true)));
    int disagreements = 0;
    const size_t compared = std::min(windowGood.size(), tally.measurementGood.size());
    for (size_t i = 0; i < compared; ++i)
        disagreements += windowGood[i] != tally.measurementGood[i] ? 1 : 0;

    std::printf("soak: %.1f min at %d,N; drop, bad-crc, stray, late (%d ms), exception at %s each; seed %u\n",
                wallSeconds / 60, s.baud, s.lateMs, p.c_str(), s.seed);
    std::printf("ticks done: %d\n", ticks);
    std::printf("requests logged by the simulator: %d of %d expected (5 per tick)\n", tally.requests, 5 * ticks);
    std::printf("simulator's answers:");
    for (const auto &[meaning, n] : tally.replies)
        std::printf(" %s %d;", meaning.c_str(), n);
    std::printf(" unreadable requests %d\n", tally.unreadable);
    std::printf("measurement reads: %d, good replies sent %d (%.2f %%); the window counted %d (%.2f %%)\n",
                tally.measurementRequests(), tally.goodMeasurementReplies(),
                tally.measurementRequests() ? 100.0 * tally.goodMeasurementReplies() / tally.measurementRequests() : 0.0,
                stats.successCount() - 1, ticks ? 100.0 * (stats.successCount() - 1) / ticks : 0.0);
    std::printf("success rate shown: %s %%; from the simulator's count for the same ticks: %.2f %% "
                "(difference %.2f pp)\n",
                qPrintable(shownText), expected, std::fabs(shown - expected));
    std::printf("ticks where window and simulator disagree: %d of %zu compared\n", disagreements, compared);
    std::printf("messages the window tried to show: %zu\n", prompter.messages.size());
    for (const QString &m : prompter.messages)
        std::printf("  message: %s\n", qPrintable(m));
    std::printf("resident memory KiB: start %ld, after first minute %ld, end %ld, peak %ld\n", rssStart,
                rssAfterFirstMinute, rssEnd, rssPeak);
    std::printf("CPU: %.2f s over %.1f s = %.2f %% of one core\n", cpu, wallSeconds, 100 * cpu / wallSeconds);

    std::vector<std::string> failures;
    if (ticks < 1)
        failures.push_back("no tick ran");
    if (tally.requests != 5 * ticks)
        failures.push_back("requests logged differ from 5 per tick");
    if (expected < 0 || std::fabs(shown - expected) > s.rateTolerance)
        failures.push_back("success rate shown is off the simulator's count");
    if (int(compared) != ticks)
        failures.push_back("the outcome of some ticks was not seen");
    if (!portOpenAtEnd)
        failures.push_back("the port closed during the run");
    if (!simAlive)
        failures.push_back("the simulator ended during the run");
    if (!prompter.messages.empty())
        failures.push_back("the window showed messages");
    if (s.maxRssGrowthKiB >= 0 && rssAfterFirstMinute >= 0 && rssEnd - rssAfterFirstMinute > s.maxRssGrowthKiB)
        failures.push_back("resident memory grew too much after the first minute");
    for (const std::string &f : failures)
        std::printf("FAILED: %s\n", f.c_str());
    std::printf("result: %s\n", failures.empty() ? "PASS" : "FAIL");
    std::fflush(stdout);

    if (s.keep.empty() && failures.empty()) {
        unlink(sim.logPath().c_str());
        unlink((folder + "/sim.err").c_str());
        rmdir(folder.c_str());
    } else {
        std::printf("simulator log kept in %s\n", folder.c_str());
    }
    return failures.empty() ? 0 : 1;
}
