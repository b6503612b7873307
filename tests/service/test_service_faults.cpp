// rd5800d when things go badly, against the simulated bus: HTTP clients that
// send too much, send nothing or never read; a disk that fills up and has room
// again (a small tmpfs in a mount namespace of the service's own); SIGHUP with
// a changed and with a broken configuration file.
#include "../sim/SimProcess.h"
#include "ServiceRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral(RD_SERVICE_PROGRAM);

// rd5800d (or a command that ends by running it) as a child; its log collected.
class Daemon {
public:
    Daemon(const QString &program, const QStringList &args)
    {
        m_process.setReadChannel(QProcess::StandardError);
        m_process.start(program, args);
        m_process.waitForStarted(5000);
    }
    ~Daemon()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    qint64 pid() const { return m_process.processId(); }
    void signal(int number) { ::kill(pid_t(pid()), number); }
    QString log()
    {
        m_log += QString::fromUtf8(m_process.readAllStandardError());
        return m_log;
    }
    // Waits (real time, at most timeoutMs) until the log holds `text` `count` times.
    bool waitForLog(const QString &text, int timeoutMs, int count = 1)
    {
        QElapsedTimer t;
        t.start();
        while (log().count(text) < count && t.elapsed() < timeoutMs)
            m_process.waitForReadyRead(200);
        return log().count(text) >= count;
    }
    int stop()
    {
        signal(SIGTERM);
        m_process.waitForFinished(15000);
        log();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    QString m_log;
};

// Sends `request` on a fresh connection and reads until the server closes it
// or `timeoutMs` passed. `closed` says whether the server closed it.
QByteArray Exchange(quint16 port, const QByteArray &request, bool *closed = nullptr, int timeoutMs = 5000)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return {};
    s.write(request);
    QByteArray reply;
    QElapsedTimer t;
    t.start();
    while (s.state() == QAbstractSocket::ConnectedState && t.elapsed() < timeoutMs) {
        s.waitForReadyRead(100);
        reply += s.readAll();
    }
    reply += s.readAll();
    if (closed)
        *closed = s.state() != QAbstractSocket::ConnectedState;
    return reply;
}

// GET on a fresh connection (HTTP/1.0: the server closes after the reply).
QByteArray Get(quint16 port, const QByteArray &path)
{
    return Exchange(port, "GET " + path + " HTTP/1.0\r\n\r\n");
}

QByteArray Body(const QByteArray &reply)
{
    const int end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : reply.mid(end + 4);
}

// Until the port answers (whatever the meters' health: a loaded machine may
// make the simulated meter miss a poll, and these tests are about HTTP).
bool WaitForHttp(quint16 port)
{
    for (int i = 0; i < 200; ++i) {
        if (Get(port, "/healthz").startsWith("HTTP/1.1 "))
            return true;
        QThread::msleep(100);
    }
    return false;
}

qint64 ResidentKiB(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

int OpenDescriptors(qint64 pid)
{
    return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::System).size());
}

// The names in /api/meters.
QStringList MeterNames(quint16 port)
{
    QStringList names;
    for (const QJsonValue &m : QJsonDocument::fromJson(Body(Get(port, "/api/meters"))).object().value("meters").toArray())
        names << m.toObject().value("name").toString();
    return names;
}

QList<QByteArray> Lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = f.readAll().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

TEST(ServiceHttp, RefusesWhatItCannotBoundAndAnswersTheRest)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1"});
    ASSERT_TRUE(sim.started());
    const quint16 port = svctest::FreePort();
    Daemon d(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--http",
                        QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(WaitForHttp(port)) << d.log().toStdString();

    const QByteArray get = "GET /metrics HTTP/1.1\r\nHost: x\r\n";
    struct Case {
        const char *what;
        QByteArray request;
        const char *status;
        bool closed;   // the server closed the connection after its reply
    } cases[] = {
        {"header over 16 KiB", get + "X-Fill: " + QByteArray(20000, 'a') + "\r\n\r\n", "HTTP/1.1 431", true},
        {"header that never ends", get + "X-Fill: " + QByteArray(300000, 'a'), "HTTP/1.1 431", true},
        {"body on GET", "GET /healthz HTTP/1.1\r\nHost: x\r\nContent-Length: 100000000000\r\n\r\n" + QByteArray(4096, 'x'),
         "HTTP/1.1 413", true},
        {"chunked body on HEAD", "HEAD /healthz HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n",
         "HTTP/1.1 400", true},
        {"WebSocket upgrade", "GET /metrics HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n",
         "HTTP/1.1 400", true},
        {"POST with a body", "POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405", true},
        {"HTTP/1.0", "GET /metrics HTTP/1.0\r\n\r\n", "HTTP/1.1 200", true},
        {"unknown path", "GET /nothing HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 404", true},
        {"two pipelined requests", "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\nGET /api/meters HTTP/1.1\r\nHost: x\r\n\r\n",
         "HTTP/1.1 200", false},
    };
    for (const Case &c : cases) {
        bool closed = false;
        const QByteArray reply = Exchange(port, c.request, &closed, 3000);
        EXPECT_TRUE(reply.startsWith(c.status)) << c.what << ": " << reply.left(200).toStdString();
        EXPECT_EQ(closed, c.closed) << c.what;
    }
    bool closed = false;
    EXPECT_EQ(Exchange(port, "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\nGET /api/meters HTTP/1.1\r\nHost: x\r\n\r\n",
                       &closed, 3000).count("HTTP/1.1 200"), 2);

    // HEAD is GET without the body.
    const QByteArray head = Exchange(port, "HEAD /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_TRUE(head.startsWith("HTTP/1.1 200")) << head.toStdString();
    EXPECT_TRUE(head.contains("Content-Type: text/plain; version=0.0.4"));
    EXPECT_TRUE(head.endsWith("\r\n\r\n")) << head.toStdString();
    EXPECT_TRUE(Body(Get(port, "/metrics")).contains("rd5800_phase_voltage_volts{meter=\"main\",phase=\"A\"}"));

    // Many upgrade requests: one log line.
    for (int i = 0; i < 20; ++i)
        Exchange(port, "GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n");
    EXPECT_EQ(d.stop(), 0);
    EXPECT_EQ(d.log().count("WebSocket"), 1) << d.log().toStdString();
}

// A client that pipelines megabytes of requests and never reads, and 200
// clients that hold half-sent requests: the memory stays bounded, the service
// keeps few descriptors, and /healthz is still answered.
TEST(ServiceHttp, UnreadPipelineAndHeldConnectionsAreBounded)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1"});
    ASSERT_TRUE(sim.started());
    const quint16 port = svctest::FreePort();
    // In a sanitizer build AddressSanitizer keeps up to 256 MB of freed memory
    // in quarantine, which the resident figure counts: the service under test
    // runs without it, so that what is measured is what the service holds.
    const QByteArray asan = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", asan + (asan.isEmpty() ? "" : ":") + "quarantine_size_mb=0");
    Daemon d(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--http",
                        QStringLiteral("127.0.0.1:%1").arg(port)});
    if (asan.isEmpty())
        qunsetenv("ASAN_OPTIONS");
    else
        qputenv("ASAN_OPTIONS", asan);
    ASSERT_TRUE(WaitForHttp(port)) << d.log().toStdString();
    const qint64 before = ResidentKiB(d.pid());
    ASSERT_GT(before, 0);

    QTcpSocket pipeline;
    pipeline.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(pipeline.waitForConnected(5000));
    QByteArray requests;
    for (int i = 0; i < 100000; ++i)
        requests += "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n";   // 3.4 MB
    pipeline.write(requests);
    for (int i = 0; i < 20; ++i)
        pipeline.waitForBytesWritten(100);   // the kernel takes what the server lets through

    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 200; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, port);
        if (s->waitForConnected(2000)) {
            s->write("GET /metrics HTTP/1.1\r\nHost: x\r\n");
            s->waitForBytesWritten(1000);
        }
        held.push_back(std::move(s));
    }
    const QByteArray health = Get(port, "/healthz");
    EXPECT_TRUE(health.startsWith("HTTP/1.1 ")) << health.toStdString();
    EXPECT_TRUE(Body(health).endsWith("/1 meters online\n")) << health.toStdString();
    EXPECT_LE(OpenDescriptors(d.pid()), 64 + 40);
    EXPECT_LT(ResidentKiB(d.pid()) - before, 16 * 1024) << "before " << before << " KiB";
    held.clear();
    EXPECT_EQ(d.stop(), 0);
}

// The record folder on a 256 KiB tmpfs that the test fills and then empties.
TEST(ServiceRecording, AFullDiskLosesRowsNotTheFileAndRecordingResumes)
{
    QByteArray out, err;
    if (svctest::Run(QStringLiteral("unshare"), {"-rm", "true"}, &out, &err, 5000) != 0)
        GTEST_SKIP() << "no mount namespace here (unshare -rm): " << err.toStdString();
    simtest::SimProcess sim({"--freeze", "--addresses", "1"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    const quint16 port = svctest::FreePort();
    // unshare and sh exec into rd5800d: the same process, in its own mount namespace.
    Daemon d(QStringLiteral("unshare"),
             {"-rm", "sh", "-c", "mount -t tmpfs -o size=256k rdtest \"$1\" && shift && exec \"$@\"", "sh", disk,
              kService, "--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--record-dir", disk,
              "--http", QStringLiteral("127.0.0.1:%1").arg(port), "--lang", "zh"});
    ASSERT_TRUE(WaitForHttp(port)) << d.log().toStdString();
    // The service's view of the folder: its mount namespace through /proc.
    const QString inside = QStringLiteral("/proc/%1/root%2").arg(d.pid()).arg(disk);
    const QString csv = inside + "/main.csv";
    for (int i = 0; i < 150 && Lines(csv).size() < 3; ++i)
        QThread::msleep(200);
    ASSERT_GE(Lines(csv).size(), 3);

    // Fill the disk.
    const QByteArray filler = QFile::encodeName(inside + "/filler");
    const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray block(4096, 'x');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    while (::write(fd, "x", 1) > 0) {
    }
    ::close(fd);
    // The rows still fill the file's last page of the tmpfs first.
    ASSERT_TRUE(d.waitForLog(QString::fromUtf8("设备上没有空间"), 40000)) << d.log().toStdString();
    QThread::msleep(2500);   // a few more rows that cannot be written
    const QByteArray health = Get(port, "/healthz");
    EXPECT_TRUE(health.startsWith("HTTP/1.1 503")) << health.toStdString();
    EXPECT_TRUE(Body(health).contains(" meters online\nrecording main failing: No space left on device (")) << health.toStdString();
    const QByteArray metrics = Body(Get(port, "/metrics"));
    EXPECT_TRUE(metrics.contains("rd5800_recording_ok{meter=\"main\"} 0\n")) << metrics.toStdString();
    EXPECT_FALSE(metrics.contains("rd5800_record_errors_total{meter=\"main\"} 0\n"));
    EXPECT_TRUE(metrics.contains("rd5800_record_errors_total{meter=\"main\"} ")) << metrics.toStdString();

    // Room again: recording resumes by itself.
    ASSERT_TRUE(QFile::remove(inside + "/filler"));
    ASSERT_TRUE(d.waitForLog(QString::fromUtf8("又可以写入了"), 20000)) << d.log().toStdString();
    EXPECT_FALSE(Body(Get(port, "/healthz")).contains("recording"));
    EXPECT_TRUE(Body(Get(port, "/metrics")).contains("rd5800_recording_ok{meter=\"main\"} 1\n"));
    // Every line whole: the header's column count, CRLF at the end.
    const QList<QByteArray> lines = Lines(csv);
    ASSERT_GE(lines.size(), 4);
    const int columns = int(lines.first().count(','));
    for (const QByteArray &line : lines) {
        EXPECT_EQ(line.count(','), columns) << line.toStdString();
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
    }
    EXPECT_EQ(d.log().count(QString::fromUtf8("设备上没有空间")), 1) << d.log().toStdString();
    EXPECT_EQ(d.stop(), 0);
}

// SIGHUP: a changed file applies (a meter kept with its file, one removed, one
// added); a broken file is one log line and changes nothing.
TEST(ServiceReload, AppliesAChangedFileAndKeepsTheOldOneOnAMistake)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2,5"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const quint16 port = svctest::FreePort();
    const QString conf = dir.filePath("rd5800d.conf");
    const auto write = [&conf](const QByteArray &text) {
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    // With a broker when mosquitto is installed: the meters' availability follows the file.
    const quint16 mqttPort = svctest::FreePort();
    std::unique_ptr<svctest::Broker> broker;
    if (!QStandardPaths::findExecutable("mosquitto").isEmpty() || QFile::exists("/usr/sbin/mosquitto")) {
        broker = std::make_unique<svctest::Broker>(mqttPort, dir.path());
        ASSERT_TRUE(broker->started());
    }
    const QByteArray common = "adapter = " + QFile::encodeName(QString::fromStdString(sim.device())) + "\nrecord-dir = "
                              + QFile::encodeName(dir.path()) + "\nhttp = 127.0.0.1:" + QByteArray::number(port) + "\n"
                              + (broker ? "mqtt = 127.0.0.1:" + QByteArray::number(mqttPort) + "\ninstance = reload\n"
                                        : QByteArray("# no broker\n\n"));
    write(common + "meter = a=1\nmeter = b=2\n");
    Daemon d(kService, {"--config", conf});
    ASSERT_TRUE(WaitForHttp(port)) << d.log().toStdString();
    for (int i = 0; i < 150 && Lines(dir.filePath("a.csv")).size() < 3; ++i)
        QThread::msleep(200);
    const int rowsBefore = int(Lines(dir.filePath("a.csv")).size());
    ASSERT_GE(rowsBefore, 3);

    std::unique_ptr<svctest::Subscriber> sub;
    if (broker)
        sub = std::make_unique<svctest::Subscriber>(mqttPort, QStringList{"rd5800/#"});
    if (sub) {
        EXPECT_FALSE(sub->waitFor("rd5800/b/availability", 10000).isEmpty());
        svctest::Subscriber configs(mqttPort, {"homeassistant/sensor/rd5800_reload/b_frequency/config"});
        EXPECT_FALSE(configs.waitFor("homeassistant/sensor/rd5800_reload/b_frequency/config", 10000).isEmpty());
    }
    write(common + "meter = a=1\nmeter = c=5\n");
    d.signal(SIGHUP);
    ASSERT_TRUE(d.waitForLog(QString::fromUtf8("已重新读取配置"), 15000)) << d.log().toStdString();
    EXPECT_TRUE(d.log().contains(QString::fromUtf8("(保留 1 台, 新增或更改 1 台, 移除 1 台)"))) << d.log().toStdString();
    if (sub) {   // the removed meter is published offline at last; the added one is published
        EXPECT_FALSE(sub->waitFor("rd5800/c/availability", 15000).isEmpty());
        QByteArray last;
        for (const QByteArray &line : sub->lines())
            if (line.startsWith("rd5800/b/availability "))
                last = line;
        EXPECT_EQ(last, "rd5800/b/availability offline");
        // Home Assistant's view: the removed meter's configs are gone from the
        // broker, the kept and the added meter's are there.
        svctest::Subscriber retained(mqttPort, {"homeassistant/+/rd5800_reload/+/config"});
        retained.waitFor("never/arrives", 2000);
        int perMeter[3] = {};
        for (const QByteArray &line : retained.lines())
            for (int i = 0; i < 3; ++i)
                if (line.contains("/rd5800_reload/" + QByteArray(1, char('a' + i)) + '_'))
                    ++perMeter[i];
        EXPECT_GT(perMeter[0], 40);
        EXPECT_EQ(perMeter[1], 0);
        EXPECT_EQ(perMeter[2], perMeter[0]);
    }
    for (int i = 0; i < 150 && Lines(dir.filePath("c.csv")).size() < 3; ++i)
        QThread::msleep(200);
    EXPECT_GE(Lines(dir.filePath("c.csv")).size(), 3);
    EXPECT_EQ(MeterNames(port), (QStringList{"a", "c"}));
    // The kept meter's file went on: one header, more rows, each row whole.
    const QList<QByteArray> a = Lines(dir.filePath("a.csv"));
    EXPECT_GT(a.size(), rowsBefore);
    EXPECT_EQ(a.count(a.first()), 1);
    for (const QByteArray &line : a)
        EXPECT_EQ(line.count(','), a.first().count(',')) << line.toStdString();

    if (sub) {
        // Another instance name: a new connection, the entities under the old name go.
        write(QByteArray(common).replace("instance = reload", "instance = moved") + "meter = a=1\nmeter = c=5\n");
        d.signal(SIGHUP);
        svctest::Subscriber moved(mqttPort, {"homeassistant/sensor/rd5800_moved/c_frequency/config"});
        EXPECT_FALSE(moved.waitFor("homeassistant/sensor/rd5800_moved/c_frequency/config", 15000).isEmpty());
        svctest::Subscriber old(mqttPort, {"homeassistant/+/rd5800_reload/+/config"});
        old.waitFor("never/arrives", 2000);
        for (const QByteArray &line : old.lines())
            EXPECT_TRUE(line.isEmpty()) << line.left(120).toStdString();
    }
    write(common + "meter = a=1\nbaud = 1234\n");
    d.signal(SIGHUP);
    ASSERT_TRUE(d.waitForLog(QString::fromUtf8("重新读取配置失败"), 15000)) << d.log().toStdString();
    const QStringList failed = d.log().split('\n').filter(QString::fromUtf8("重新读取配置失败"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed.first().contains("rd5800d.conf:7")) << failed.first().toStdString();
    EXPECT_EQ(MeterNames(port), (QStringList{"a", "c"}));   // the old configuration runs on
    EXPECT_EQ(d.stop(), 0);
}

// The broker's password: a file others may read works with a warning; the
// systemd credential is read when no file is named; an unreadable file says why.
TEST(ServicePassword, WarnsAboutAFileOthersMayReadAndTakesTheCredential)
{
    QTemporaryDir dir;
    const auto makeFile = [](const QString &path, QFile::Permissions permissions) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write("secret\n");
        f.close();
        f.setPermissions(permissions);
    };
    const QString own = dir.filePath("own"), shared = dir.filePath("shared");
    makeFile(own, QFile::ReadOwner | QFile::WriteOwner);
    makeFile(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    ASSERT_TRUE(QDir(dir.path()).mkpath("credentials"));
    makeFile(dir.filePath("credentials/mqtt-password"), QFile::ReadOwner);
    const QStringList base{"--adapter", "/dev/rd5800-test-absent", "--meter", "a=1", "--mqtt", "127.0.0.1:1",
                           "--mqtt-user", "u", "--once"};
    struct Case {
        const char *what;
        QStringList args;
        bool credentials;
        int status;          // --once without an answer: 1; a mistake: 2
        const char *says;    // in standard error, or empty: no warning
    } cases[] = {
        {"own file", {"--mqtt-password-file", own}, false, 1, ""},
        {"file others may read", {"--mqtt-password-file", shared}, false, 1, "警告: 密码文件"},
        {"credential", {}, true, 1, "MQTT 密码取自 systemd 凭据"},
        {"missing file", {"--mqtt-password-file", dir.filePath("none")}, false, 2, "没有那个文件或目录"},
    };
    for (const Case &c : cases) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("CREDENTIALS_DIRECTORY");
        if (c.credentials)
            env.insert("CREDENTIALS_DIRECTORY", dir.filePath("credentials"));
        p.setProcessEnvironment(env);
        p.start(kService, base + c.args);
        ASSERT_TRUE(p.waitForFinished(20000)) << c.what;
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), c.status) << c.what << ": " << err.toStdString();
        if (*c.says)
            EXPECT_TRUE(err.contains(QString::fromUtf8(c.says))) << c.what << ": " << err.toStdString();
        EXPECT_EQ(err.contains(QString::fromUtf8("警告: 密码文件")), QByteArray(c.says).startsWith("警告"))
            << c.what << ": " << err.toStdString();
    }
}
