#include "LinkWorker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSemaphore>

namespace rdlink {

LinkWorker::LinkWorker(SerialPort &port, Clock &clock, QObject *parent)
    : QObject(parent), m_link(port, clock)
{
    qRegisterMetaType<rdlink::ExchangeRecord>();
    m_thread.setObjectName(QStringLiteral("link worker"));
    m_runner.moveToThread(&m_thread);
    m_thread.start();
}

LinkWorker::~LinkWorker()
{
    // What was posted still runs (a command the user confirmed is written to its
    // end); then the port closes on the thread that used it.
    post([](Link &link) { ClosePortIfOpen(link.port()); });
    drain();
    m_thread.quit();
    m_thread.wait();
}

void LinkWorker::post(Job job)
{
    QMetaObject::invokeMethod(&m_runner, [this, job = std::move(job)] { job(m_link); },
                              Qt::QueuedConnection);
}

void LinkWorker::drain()
{
    if (QThread::currentThread() == &m_thread)
        return;   // a job cannot wait for itself
    QSemaphore done;
    QMetaObject::invokeMethod(&m_runner, [&done] { done.release(); }, Qt::QueuedConnection);
    done.acquire();
}

void LinkWorker::deliver(const QPointer<QObject> &recipient, std::function<void()> apply)
{
    // The call is queued on the application object, which lives on the window
    // thread as long as any window does, never on the recipient itself: asking a
    // freed object for its thread is what must not happen. The guard is read
    // there, on the thread that deletes windows, so the check cannot race a close.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [recipient, apply = std::move(apply)] {
        if (recipient)
            apply();
    }, Qt::QueuedConnection);
}

void LinkWorker::setObserving(bool on)
{
    // The observer belongs to the link, which only the worker thread touches.
    QMetaObject::invokeMethod(&m_runner, [this, on] {
        if (on)
            m_link.setObserver([this](const ExchangeRecord &r) { emit exchanged(r); });
        else
            m_link.setObserver({});
    }, Qt::QueuedConnection);
}

} // namespace rdlink
