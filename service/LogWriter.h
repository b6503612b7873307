// The service's log lines, written to a file descriptor (stderr) by a thread of
// their own: a reader that stops reading (`rd5800d 2>&1 | less` left paused, a
// stalled pipe) never holds up the poll, MQTT or HTTP. At most kMaxQueued bytes
// wait; lines beyond are dropped and counted, and one line says how many once
// the writer can write again.
#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace rdsvc {

class LogWriter {
public:
    static constexpr size_t kMaxQueued = 256 * 1024;

    explicit LogWriter(int fd);
    // Writes what is queued, waiting at most about a second for the reader.
    ~LogWriter();

    // Queues one whole line (with its newline); never blocks on the descriptor.
    void write(const QByteArray &line);
    // Waits (at most `timeoutMs`) until everything queued was written; false
    // when the reader did not take it in that time.
    bool flush(int timeoutMs);
    quint64 dropped() const;

private:
    void run();

    const int m_fd;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<QByteArray> m_queue;
    size_t m_queuedBytes = 0;
    quint64 m_dropped = 0;        // in all
    quint64 m_droppedUnsaid = 0;  // since the last notice
    bool m_writing = false;
    bool m_stop = false;
    std::thread m_thread;
};

// The process's writer on stderr (made at first use).
LogWriter &StderrLog();

} // namespace rdsvc

namespace rdsvc {
// One line on stderr with the local time: the events that matter. Never blocks.
void LogLine(const QString &text);
} // namespace rdsvc
