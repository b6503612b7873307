#include "ServiceRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

namespace svctest {

quint16 FreePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

int Run(const QString &program, const QStringList &args, QByteArray *out, QByteArray *err, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    if (err)
        *err = p.readAllStandardError();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

Broker::Broker(quint16 port, const QString &folder, const QString &listenerLines)
{
    const QString conf = QDir(folder).filePath(QStringLiteral("mosquitto-%1.conf").arg(port));
    QFile f(conf);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(QStringLiteral("listener %1 127.0.0.1\n%2\nallow_anonymous true\npersistence false\nlog_dest none\n")
                .arg(port).arg(listenerLines).toUtf8());
    f.close();
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf});
    if (!m_process.waitForStarted(5000))
        return;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (s.waitForConnected(200)) {
            m_started = true;
            return;
        }
        QThread::msleep(50);
    }
}

Broker::~Broker()
{
    kill();
}

void Broker::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

Subscriber::Subscriber(quint16 port, const QStringList &topics)
{
    QStringList args{QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port),
                     QStringLiteral("-v"), QStringLiteral("-q"), QStringLiteral("1")};
    for (const QString &t : topics)
        args << QStringLiteral("-t") << t;
    m_process.start(QStringLiteral("mosquitto_sub"), args);
    m_process.waitForStarted(5000);
}

Subscriber::~Subscriber()
{
    m_process.kill();
    m_process.waitForFinished(3000);
}

QList<QByteArray> Subscriber::lines()
{
    m_seen += m_process.readAllStandardOutput();
    return m_seen.left(m_seen.lastIndexOf('\n')).split('\n');   // whole lines only
}

QByteArray Subscriber::waitFor(const QString &topic, int timeoutMs, int occurrence)
{
    const QByteArray head = topic.toUtf8() + ' ';
    QElapsedTimer t;
    t.start();
    for (;;) {
        int seen = 0;
        for (const QByteArray &line : lines())
            if (line.startsWith(head) && ++seen == occurrence)
                return line.mid(head.size());
        if (t.elapsed() > timeoutMs)
            return {};
        // The test's own event loop goes on meanwhile: an MQTT client in the
        // test's thread answers its broker only there.
        QTest::qWait(20);
    }
}

} // namespace svctest
