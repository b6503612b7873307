#include "LinkWorker.h"

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

void LinkWorker::deliver(QObject *context, std::function<void()> apply)
{
    QMetaObject::invokeMethod(context, std::move(apply), Qt::QueuedConnection);
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
