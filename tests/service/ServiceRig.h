// Helpers of the service's end-to-end tests: rd5800d, mosquitto and
// mosquitto_sub as child processes on loopback, each ended by the test.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace svctest {

// A loopback TCP port nobody listens on right now.
quint16 FreePort();

// Runs `program` with `args` to its end (at most `timeoutMs`); exit code, -1 on timeout.
int Run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err, int timeoutMs);

// mosquitto listening on 127.0.0.1:port only; started() says whether it came up.
// `listenerLines` go into the listener's block (e.g. "certfile ..." for TLS).
class Broker {
public:
    explicit Broker(quint16 port, const QString &folder, const QString &listenerLines = QString());
    ~Broker();
    bool started() const { return m_started; }
    void kill();

private:
    QProcess m_process;
    bool m_started = false;
};

// mosquitto_sub printing "topic payload" lines for `topics`.
class Subscriber {
public:
    Subscriber(quint16 port, const QStringList &topics);
    ~Subscriber();
    // Waits (real time, up to timeoutMs, running the caller's event loop) for a
    // line beginning with `topic`+' '; returns its payload, or an empty array.
    QByteArray waitFor(const QString &topic, int timeoutMs, int occurrence = 1);
    QList<QByteArray> lines();

private:
    QProcess m_process;
    QByteArray m_seen;
};

} // namespace svctest
