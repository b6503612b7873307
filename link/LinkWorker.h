// The link worker: one object per program that owns the serial port, the Link and
// the clock on a thread of its own and runs the line work as jobs, one at a time,
// in the order they were posted. Windows post jobs and receive what the jobs hand
// back on the window thread, so the window thread never sleeps, busy-waits or
// waits on the line, and the order on the wire is the order of the posts.
#pragma once

#include "Clock.h"
#include "Exchange.h"
#include "ExchangeRecord.h"
#include "SerialPort.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>

namespace rdlink {

class LinkWorker : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void(Link &)>;

    // The port and the clock must outlive the worker; from here on only jobs use them.
    LinkWorker(SerialPort &port, Clock &clock, QObject *parent = nullptr);
    // Runs every job posted so far (the one in progress ends, never cut in half),
    // closes the port on the worker thread and stops the thread.
    ~LinkWorker() override;

    // Queues a job; callable from any thread. Jobs run one after the other.
    void post(Job job);

    // Blocks the caller until every job posted before this call has run. For
    // tests and for closing; a window never calls it while it runs.
    void drain();

    // Runs `apply` on the window thread, unless `recipient` has gone by then.
    // Jobs use it to hand their results back. The window makes the guard on its
    // own thread when it posts the job (`QPointer<QObject> guard(this)`) and the
    // job carries it: a window may close while its job runs or waits, and a raw
    // pointer to it would then reach freed memory. Only the window thread reads
    // the guard, when the result arrives.
    static void deliver(const QPointer<QObject> &recipient, std::function<void()> apply);

    // While on, every exchange is reported through exchanged(); off, the link
    // keeps its plain waits and the monitor costs nothing.
    void setObserving(bool on);

signals:
    // Emitted on the worker thread; a queued connection brings it to a window.
    void exchanged(const rdlink::ExchangeRecord &record);

private:
    Link m_link;
    QThread m_thread;
    QObject m_runner;   // lives on m_thread; queued calls to it run the jobs
};

} // namespace rdlink
