#include "LogWriter.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace rdsvc {

LogWriter::LogWriter(int fd) : m_fd(fd), m_thread([this] { run(); }) {}

LogWriter::~LogWriter()
{
    flush(1000);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LogWriter::write(const QByteArray &line)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queuedBytes + size_t(line.size()) > kMaxQueued) {
            ++m_dropped;
            ++m_droppedUnsaid;
            return;
        }
        if (m_droppedUnsaid > 0) {
            const QString notice = QCoreApplication::translate("rd5800d", "(日志输出阻塞, %1 行未写出)").arg(m_droppedUnsaid);
            m_queue.push_back(notice.toUtf8() + '\n');
            m_queuedBytes += size_t(m_queue.back().size());
            m_droppedUnsaid = 0;
        }
        m_queue.push_back(line);
        m_queuedBytes += size_t(line.size());
    }
    m_wake.notify_one();
}

bool LogWriter::flush(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return m_queue.empty() && !m_writing; });
}

quint64 LogWriter::dropped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

void LogWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty() && m_stop)
            return;
        const QByteArray line = m_queue.front();
        m_writing = true;
        lock.unlock();
        qsizetype done = 0;
        bool gaveUp = false;
        while (done < line.size() && !gaveUp) {
            // Written only when the descriptor takes it, in pieces a pipe takes
            // whole; the stop flag is looked at while the reader takes nothing.
            pollfd p{m_fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, 200);
            if (ready == 0 || (ready < 0 && errno == EINTR)) {
                std::lock_guard<std::mutex> again(m_mutex);
                gaveUp = m_stop;
                continue;
            }
            if (ready < 0 || (p.revents & (POLLERR | POLLNVAL))) {
                gaveUp = true;
                continue;
            }
            const size_t piece = size_t(std::min<qsizetype>(line.size() - done, 4096));
            const ssize_t n = ::write(m_fd, line.constData() + done, piece);
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR && errno != EAGAIN)
                gaveUp = true;   // closed or broken: nothing more can be said there
        }
        lock.lock();
        m_queue.pop_front();
        m_queuedBytes -= size_t(line.size());
        m_writing = false;
        if (m_queue.empty())
            m_idle.notify_all();
    }
}

LogWriter &StderrLog()
{
    static LogWriter writer(STDERR_FILENO);
    return writer;
}

} // namespace rdsvc

namespace rdsvc {

void LogLine(const QString &text)
{
    StderrLog().write(QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + ' ' + text.toUtf8() + '\n');
}

} // namespace rdsvc
