// The poll of every meter: one link worker per adapter (its own thread, its own
// port), so that the main thread, where MQTT and HTTP are served, never waits on
// a line. A cycle reads every meter of an adapter once with reply-driven reads
// (meter/overview/OverviewLine.h) and hands each meter's result back as soon as
// it is in; the next cycle starts one interval after this one started, or at
// once when the line took longer.
#pragma once

#include "MeterBook.h"
#include "ServiceOptions.h"

#include "link/LinkWorker.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <vector>

namespace rdsvc {

class Poller : public QObject {
    Q_OBJECT
public:
    // `meters` is read for the known PT and CT at each cycle's start; it must
    // outlive the poller. Indices in the signals are indices into it.
    Poller(const ServiceConfig &config, const std::vector<MeterEntry> &meters, QObject *parent = nullptr);
    ~Poller() override;

    // Starts polling; with `once`, each adapter runs one cycle and allDone() follows.
    void start(bool once);
    // No new cycle starts and a running one ends after its current request;
    // returns when every adapter's line work has ended and its port is closed.
    void stop();

signals:
    void polled(int meter, const rdsvc::PollResult &result);
    // The port could not be opened or was lost (the text says which and why),
    // or it is open again after such a failure.
    void portFailed(const QString &adapter, const QString &text);
    void portOpened(const QString &adapter, const QString &device);
    void allDone();   // once: every adapter ended its cycle

private:
    struct Adapter;
    void postCycle(Adapter &a);
    void cycleEnded(Adapter &a);

    rdlink::LineSettings m_line;
    int m_intervalMs;
    bool m_once = false;
    const std::vector<MeterEntry> &m_meters;
    std::vector<std::unique_ptr<Adapter>> m_adapters;
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
};

} // namespace rdsvc
