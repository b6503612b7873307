// rd5800d writing to a real InfluxDB 1.x (influxd on loopback, its data in the
// test's folder) while polling rd5800-sim: the points against the CSV rows,
// InfluxDB stopped and started again, the service restarted with points still
// queued, a malformed point, and the request a 2.x server would get.
#include "../sim/SimProcess.h"
#include "InfluxRig.h"
#include "ServiceRig.h"
#include "meter/recording/Quantities.h"
#include "service/InfluxLine.h"
#include "service/InfluxQueue.h"
#include "service/InfluxWriter.h"
#include "service/Published.h"
#include "Gunzip.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <functional>
#include <map>
#include <set>

namespace {

const QString kService = QStringLiteral(RD_SERVICE_PROGRAM);

struct Row {
    qint64 ms;
    QList<QByteArray> cells;
};

// The CSV's data rows with their times in ms since the epoch.
std::vector<Row> CsvRows(const QString &path)
{
    QFile f(path);
    std::vector<Row> rows;
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    QList<QByteArray> lines = f.readAll().split('\n');
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        Row r;
        r.cells = line.split(',');
        r.ms = QDateTime::fromString(QString::fromLatin1(r.cells[0]), Qt::ISODateWithMs).toMSecsSinceEpoch();
        rows.push_back(r);
    }
    return rows;
}

// The value of an unlabelled sample of the Prometheus text, NaN when absent.
double Metric(const QByteArray &text, const char *name)
{
    for (const QByteArray &line : text.split('\n'))
        if (line.startsWith(QByteArray(name) + ' '))
            return line.mid(int(qstrlen(name)) + 1).toDouble();
    return NAN;
}

// Waits in real time (up to timeoutMs) until `done` holds.
template <typename F>
bool WaitUntil(F done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(200);
    }
    return true;
}

// rd5800d with InfluxDB and HTTP on `httpPort`; standard error kept for the test.
class Service {
public:
    Service(const QStringList &args, quint16 httpPort) : m_httpPort(httpPort)
    {
        m_process.start(kService, args + QStringList{"--http", QStringLiteral("127.0.0.1:%1").arg(httpPort)});
        m_process.waitForStarted(5000);
    }
    ~Service()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QByteArray metrics()
    {
        int status = 0;
        return svctest::Http(QStringLiteral("http://127.0.0.1:%1/metrics").arg(m_httpPort), &status);
    }
    double metric(const char *name) { return Metric(metrics(), name); }
    QByteArray health()
    {
        int status = 0;
        return svctest::Http(QStringLiteral("http://127.0.0.1:%1/healthz").arg(m_httpPort), &status);
    }
    // The log so far.
    std::string log()
    {
        m_log += m_process.readAllStandardError();
        return m_log.toStdString();
    }
    // SIGTERM; the exit code, and the whole log in `log`.
    int terminate(QString *log)
    {
        ::kill(m_process.processId(), SIGTERM);
        m_process.waitForFinished(15000);
        this->log();
        *log = QString::fromUtf8(m_log);
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    quint16 m_httpPort;
    QByteArray m_log;
};

// "本次写入 N 点" of the service's last log line about InfluxDB.
qint64 WrittenThisRun(const QString &log)
{
    static const QRegularExpression written(QStringLiteral("本次写入 (\\d+) 点"));
    const QRegularExpressionMatch m = written.match(log);
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// The CSV column of each published key (the time is column 0).
std::map<QString, int> CsvColumns()
{
    std::map<QString, int> columns;
    const rdrec::Quantity *first = &rdrec::RecordedQuantities().front();
    for (const rdsvc::Published &p : rdsvc::PublishedQuantities())
        columns[p.key] = int(p.quantity - first) + 1;
    return columns;
}

} // namespace

// Every reading of the CSV files arrives once, with the CSV's values and time,
// through an outage of InfluxDB and a restart of the service.
TEST(ServiceInflux, EveryReadingArrivesOnceThroughAnOutageAndARestart)
{
    if (!svctest::InfluxServer::installed())
        GTEST_SKIP() << "influxd not installed";
    simtest::SimProcess sim({"--addresses", "1,2"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    svctest::InfluxServer influx(dir.filePath("influx"));
    ASSERT_TRUE(influx.start());
    ASSERT_TRUE(influx.createDatabase("energy"));
    const QString dev = QString::fromStdString(sim.device());
    const QStringList args{"--adapter", dev, "--meter", "main=1", "--meter", "pump=2", "--influx", influx.url(),
                           "--influx-db", "energy", "--state-dir", dir.filePath("state"),
                           "--record-dir", dir.filePath("rec")};
    const quint16 httpPort = svctest::FreePort();
    const QString queueFolder = dir.filePath("state/influx-queue");
    QString log1, log2;
    {
        Service service(args, httpPort);
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_written_total") >= 6; }, 60000))
            << service.metrics().toStdString() << service.log();

        // InfluxDB goes away for ten polls: the points wait in the queue, /healthz says why.
        influx.stop();
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") >= 20; }, 90000)) << service.log();
        const QByteArray health = service.health();
        EXPECT_TRUE(health.contains("influx: ") && health.contains("last error")) << health.toStdString();
        EXPECT_GT(service.metric("rd5800_influx_last_error_timestamp_seconds"), 1e9);
        ASSERT_TRUE(influx.start());
        EXPECT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") <= 2; }, 90000))
            << service.metrics().toStdString() << service.log();

        // Away again, and the service stops while points wait.
        influx.stop();
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") >= 4; }, 60000)) << service.log();
        ASSERT_EQ(service.terminate(&log1), 0);
    }
    {
        rdsvc::InfluxQueue left(queueFolder, 1000000);
        QString error;
        ASSERT_TRUE(left.open(&error));
        EXPECT_GE(left.size(), 4);
    }
    ASSERT_TRUE(influx.start());
    {
        Service service(args, httpPort);
        EXPECT_TRUE(WaitUntil([&] {
            return service.metric("rd5800_influx_points_written_total") >= 10
                   && service.metric("rd5800_influx_points_queued") <= 2;
        }, 90000)) << service.metrics().toStdString() << service.log();
        ASSERT_EQ(service.terminate(&log2), 0);
    }
    EXPECT_TRUE(log1.contains(QStringLiteral("写入失败"))) << log1.toStdString();
    EXPECT_TRUE(log2.contains(QStringLiteral("上次留下"))) << log2.toStdString();

    // What the last stop left in the queue: not in InfluxDB yet, and in the CSV.
    std::set<std::pair<QString, qint64>> leftOver;
    {
        rdsvc::InfluxQueue left(queueFolder, 1000000);
        QString error;
        ASSERT_TRUE(left.open(&error));
        for (const QByteArray &bytes : left.peek(1000)) {
            const QString line = QString::fromUtf8(bytes);
            leftOver.insert({line.section(',', 1, 1).section('=', 1), line.section(' ', -1).toLongLong() / 1000000});
        }
    }

    const std::map<QString, int> columns = CsvColumns();
    qint64 points = 0;
    for (const char *meter : {"main", "pump"}) {
        const std::vector<Row> rows = CsvRows(dir.filePath(QStringLiteral("rec/%1.csv").arg(meter)));
        const QJsonArray values = influx.select("energy",
            QStringLiteral("SELECT meter, address, adapter, voltage_a, current_b, power_sum, frequency, "
                           "energy_import, di1, do1 FROM rd5800 WHERE meter = '%1'").arg(meter));
        points += values.size();
        std::map<qint64, QJsonArray> byTime;
        for (const QJsonValue &v : values)
            byTime[qint64(v.toArray().at(0).toDouble())] = v.toArray();
        int found = 0;
        for (const Row &row : rows) {
            const auto it = byTime.find(row.ms);
            if (leftOver.count({QString::fromLatin1(meter), row.ms})) {
                EXPECT_TRUE(it == byTime.end());
                continue;
            }
            ASSERT_TRUE(it != byTime.end()) << meter << " " << row.cells[0].toStdString() << " missing";
            ++found;
            const QJsonArray &p = it->second;
            EXPECT_EQ(p.at(1).toString(), QString::fromLatin1(meter));
            EXPECT_EQ(p.at(2).toString(), QString::number(QString::fromLatin1(meter) == "main" ? 1 : 2));
            EXPECT_EQ(p.at(3).toString(), dev);
            const char *keys[] = {"voltage_a", "current_b", "power_sum", "frequency", "energy_import", "di1", "do1"};
            for (int k = 0; k < 7; ++k) {
                const QByteArray cell = row.cells[columns.at(QString::fromLatin1(keys[k]))];
                // The CSV rounds a half to even, the state JSON away from zero.
                const int decimals = cell.contains('.') ? int(cell.size() - cell.indexOf('.') - 1) : 0;
                EXPECT_NEAR(p.at(4 + k).toDouble(), cell.toDouble(), std::pow(10.0, -decimals) * 1.01)
                    << meter << " " << keys[k] << " at " << row.cells[0].toStdString();
            }
        }
        EXPECT_EQ(found, values.size()) << meter;   // no point without its CSV row
        EXPECT_GE(found, 10) << meter;
    }
    // None twice: what the two runs counted as written is what InfluxDB holds.
    EXPECT_EQ(WrittenThisRun(log1) + WrittenThisRun(log2), points) << log1.toStdString() << log2.toStdString();
}

namespace {

// Runs the event loop for about `ms` milliseconds (the writer's sockets and timers).
void Spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A point as the service makes it, for meter `n` of ten at second `s` of an hour.
QByteArray HourPoint(int n, int s)
{
    rdsvc::MeterEntry m;
    m.spec = {QStringLiteral("m%1").arg(n), uint8_t(n + 1), QStringLiteral("old")};
    rdacq::Reading r;
    r.time = QDateTime::fromMSecsSinceEpoch(1765000000000 + qint64(s) * 1000 + n);
    r.values.phaseVoltage = {230.1 + s % 7, 231.2, 229.3, 230.2};
    r.values.lineVoltage = {398.6, 399.1, 398.2, 398.7};
    r.values.current = {12.345, 11.5, 13.25, 12.0};
    r.values.activePower = {8000.0 + s, 2700, 2650, 2650};
    r.values.reactivePower = {900, 300, 300, 300};
    r.values.apparentPower = {8100, 2710, 2690, 2700};
    r.values.powerFactor = {0.98, 0.99, 0.97, 0.98};
    r.values.frequency = 50.01;
    r.values.energy = {uint32_t(100000 + s), 0, 2000, 0};
    r.counters = std::array<uint32_t, 6>{1, 2, 3, 4, 5, 6};
    r.successRate = 100;
    m.reading = r;
    return rdsvc::InfluxPoint(QStringLiteral("rd5800"), m);
}

// Stands in for an InfluxDB 2.x or 3.x, which Debian does not have: takes
// HTTP requests on loopback, keeps them, and answers each with `answer`.
class ScriptedInflux {
public:
    struct Request {
        QByteArray head;   // request line and headers
        QByteArray body;   // gunzipped
    };
    std::function<QByteArray(const Request &)> answer;
    std::vector<Request> requests;

    ScriptedInflux()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        });
    }
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const int headerEnd = int(buffer.indexOf("\r\n\r\n"));
            if (headerEnd < 0)
                return;
            static const QRegularExpression contentLength(QStringLiteral("(?i)\r\ncontent-length: *(\\d+)"));
            const QRegularExpressionMatch m = contentLength.match(QString::fromLatin1(buffer.left(headerEnd)));
            const qint64 length = m.hasMatch() ? m.captured(1).toLongLong() : 0;
            if (buffer.size() - headerEnd - 4 < length)
                return;
            Request r{buffer.left(headerEnd), svctest::Gunzip(buffer.mid(headerEnd + 4, length), 1 << 16)};
            buffer.remove(0, headerEnd + 4 + length);
            requests.push_back(r);
            socket->write(answer ? answer(r) : QByteArray("HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n"));
        }
    }

    QTcpServer m_server;
    std::map<QTcpSocket *, QByteArray> m_buffers;
};

} // namespace

// An hour of ten meters (RD_INFLUX_REPLAY_POINTS points; fewer by default)
// left in the queue by an earlier run, with one malformed point among them:
// sent when the service starts, the malformed one logged once and dropped.
// Prints how fast the queue empties.
TEST(ServiceInflux, AQueueLeftBehindIsSentAndAMalformedPointDroppedOnce)
{
    if (!svctest::InfluxServer::installed())
        GTEST_SKIP() << "influxd not installed";
    const int n = qEnvironmentVariableIsSet("RD_INFLUX_REPLAY_POINTS")
                      ? qEnvironmentVariableIntValue("RD_INFLUX_REPLAY_POINTS") : 3000;
    QTemporaryDir dir;
    {
        rdsvc::InfluxQueue queue(dir.filePath("state/influx-queue"), 1000000);
        QString error;
        ASSERT_TRUE(queue.open(&error)) << error.toStdString();
        QList<QByteArray> lines;
        for (int i = 0; i < n; ++i) {
            lines << HourPoint(i % 10, i / 10);
            if (i == n / 2)
                lines << "rd5800,meter=broken voltage_a=oops 1765000000000000000";
        }
        ASSERT_EQ(queue.append(lines), 0);
    }
    simtest::SimProcess sim({"--freeze"});
    ASSERT_TRUE(sim.started());
    svctest::InfluxServer influx(dir.filePath("influx"));
    ASSERT_TRUE(influx.start());
    ASSERT_TRUE(influx.createDatabase("energy"));

    QElapsedTimer clock;
    clock.start();
    Service service({"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--influx", influx.url(),
                     "--influx-db", "energy", "--state-dir", dir.filePath("state"), "--influx-queue-size",
                     QString::number(n + 1000)},
                    svctest::FreePort());
    ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") <= 1; }, 120000))
        << service.metrics().toStdString() << service.log();
    const double seconds = double(clock.elapsed()) / 1000.0;
    std::printf("replay: %d points in %.1f s (%.0f points/s, service start included)\n", n, seconds, n / seconds);
    EXPECT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_written_total") >= n + 2; }, 60000)) << service.log();
    EXPECT_EQ(service.metric("rd5800_influx_points_dropped_total"), 1);
    QString log;
    ASSERT_EQ(service.terminate(&log), 0);
    EXPECT_EQ(log.count(QStringLiteral("unable to parse")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("拒绝了 1 点"))) << log.toStdString();

    const QJsonArray old = influx.select("energy", "SELECT count(voltage_a) FROM rd5800 WHERE adapter = 'old'");
    EXPECT_EQ(old.at(0).toArray().at(1).toInt(), n);
    const QJsonArray live = influx.select("energy", "SELECT count(voltage_a) FROM rd5800 WHERE meter = 'main'");
    EXPECT_GE(live.at(0).toArray().at(1).toInt(), 1);
}

// What an InfluxDB 2.x or 3.x gets: the 1.x-compatible /write with the
// bucket, "Authorization: Token ...", a gzip body; with a 1.x user, basic
// authentication.
TEST(ServiceInflux, TheRequestCarriesTheTokenOrTheUserAndAGzipBody)
{
    const struct {
        const char *token;
        const char *user;
        const char *password;
        QByteArray authorization;
    } cases[] = {
        {"s3cret-Token==", "", "", "Token s3cret-Token=="},
        {"", "grafana", "pa:ss word", "Basic " + QByteArray("grafana:pa:ss word").toBase64()},
        {"", "", "", ""},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        ScriptedInflux server;
        rdsvc::InfluxSettings s;
        s.url = server.url(QStringLiteral("/proxy/"));
        s.database = QStringLiteral("site bucket");
        s.token = QString::fromLatin1(c.token);
        s.user = QString::fromLatin1(c.user);
        s.password = QString::fromLatin1(c.password);
        s.queueFolder = dir.filePath("queue");
        s.queueCapacity = 100;
        s.batchPoints = 2;
        rdsvc::InfluxWriter writer(s);
        QString error;
        ASSERT_TRUE(writer.start(&error)) << error.toStdString();
        writer.add("p1");
        writer.add("p2");
        for (int i = 0; i < 500 && writer.stats().written < 2; ++i)
            Spin(20);
        ASSERT_EQ(server.requests.size(), 1u);
        const ScriptedInflux::Request &r = server.requests.front();
        EXPECT_TRUE(r.head.startsWith("POST /proxy/write?db=site%20bucket&precision=ns HTTP/1.1\r\n"))
            << r.head.toStdString();
        const QString headers = QString::fromLatin1(r.head).toLower();
        EXPECT_TRUE(headers.contains("\r\ncontent-encoding: gzip")) << headers.toStdString();
        if (c.authorization.isEmpty())
            EXPECT_FALSE(headers.contains("\r\nauthorization:")) << headers.toStdString();
        else
            EXPECT_TRUE(r.head.contains("\r\nAuthorization: " + c.authorization + "\r\n")) << headers.toStdString();
        EXPECT_EQ(r.body, "p1\np2\n");
        EXPECT_EQ(writer.stats().written, 2u);
        EXPECT_EQ(writer.stats().queued, 0u);
    }
}

// A server that refuses a whole batch for one bad point (as 2.x may): the
// batch goes again in halves until the bad point stands alone; it alone is
// dropped and logged once, every other point arrives once, in order.
TEST(ServiceInflux, AServerThatRefusesTheWholeBatchLosesOnlyTheBadPoint)
{
    QTemporaryDir dir;
    ScriptedInflux server;
    QList<QByteArray> accepted;
    server.answer = [&](const ScriptedInflux::Request &r) -> QByteArray {
        if (r.body.contains("bad")) {
            const QByteArray body = R"({"code":"invalid","message":"failed to parse line protocol: bad point"})";
            return "HTTP/1.1 400 Bad Request\r\nContent-Type: application/json\r\nContent-Length: "
                   + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        }
        accepted += r.body.trimmed().split('\n');
        return "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n";
    };
    rdsvc::InfluxSettings s;
    s.url = server.url(QString());
    s.database = QStringLiteral("b");
    s.queueFolder = dir.filePath("queue");
    s.queueCapacity = 1000;
    s.batchPoints = 16;
    rdsvc::InfluxWriter writer(s);
    QStringList log;
    QObject::connect(&writer, &rdsvc::InfluxWriter::logLine, [&](const QString &line) { log << line; });
    QString error;
    ASSERT_TRUE(writer.start(&error));
    QList<QByteArray> expected;
    for (int i = 1; i <= 40; ++i) {
        const QByteArray point = i == 11 ? QByteArray("bad") : "p" + QByteArray::number(i);
        writer.add(point);
        if (i != 11)
            expected << point;
    }
    for (int i = 0; i < 500 && writer.stats().written + writer.stats().dropped < 40; ++i)
        Spin(20);
    EXPECT_EQ(accepted, expected);
    EXPECT_EQ(writer.stats().written, 39u);
    EXPECT_EQ(writer.stats().dropped, 1u);
    EXPECT_EQ(log.filter(QStringLiteral("bad point")).size(), 1) << log.join('\n').toStdString();
    EXPECT_LE(server.requests.size(), 14u);   // halves, not one request per point
}

// https:// checks the server's certificate: one nobody vouches for keeps the
// points in the queue with the reason as the last error; once its authority is
// trusted (as one added to the system's store is) they arrive.
TEST(ServiceInflux, HttpsChecksTheServersCertificate)
{
    if (!svctest::InfluxServer::installed() || QStandardPaths::findExecutable("openssl").isEmpty())
        GTEST_SKIP() << "influxd or openssl not installed";
    QTemporaryDir dir;
    svctest::InfluxServer influx(dir.filePath("influx"), true);
    ASSERT_FALSE(influx.certificate().isEmpty());
    ASSERT_TRUE(influx.start());
    rdsvc::InfluxSettings s;
    s.url = QUrl(influx.url());
    s.database = QStringLiteral("energy");
    s.queueFolder = dir.filePath("queue");
    s.queueCapacity = 100;
    s.batchPoints = 2;
    rdsvc::InfluxWriter writer(s);
    QString error;
    ASSERT_TRUE(writer.start(&error));
    writer.add(HourPoint(0, 0));
    writer.add(HourPoint(0, 1));
    for (int i = 0; i < 500 && writer.stats().lastError.isEmpty(); ++i)
        Spin(20);
    EXPECT_EQ(writer.stats().written, 0u);
    EXPECT_EQ(writer.stats().queued, 2u);
    EXPECT_TRUE(writer.stats().lastError.contains(QStringLiteral("SSL"))) << writer.stats().lastError.toStdString();

    // The authority trusted, and the service started again (a connection
    // refused stays cached for a while): the queue goes out.
    writer.stop();
    const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = before;
    trusting.addCaCertificates(influx.certificate());
    QSslConfiguration::setDefaultConfiguration(trusting);
    EXPECT_TRUE(influx.createDatabase("energy"));
    rdsvc::InfluxWriter again(s);
    ASSERT_TRUE(again.start(&error));
    for (int i = 0; i < 1500 && again.stats().written < 2; ++i)
        Spin(20);
    EXPECT_EQ(again.stats().written, 2u) << again.stats().lastError.toStdString();
    EXPECT_EQ(influx.select("energy", "SELECT count(voltage_a) FROM rd5800").at(0).toArray().at(1).toInt(), 2);
    QSslConfiguration::setDefaultConfiguration(before);
}

// A server that answers 503 for a while with a queue of five: the three
// oldest of eight points go and are counted; the rest arrive in order when it
// answers again.
TEST(ServiceInflux, AFullQueueDuringAnOutageKeepsTheNewestInOrder)
{
    QTemporaryDir dir;
    ScriptedInflux server;
    bool down = true;
    QList<QByteArray> accepted;
    server.answer = [&](const ScriptedInflux::Request &r) -> QByteArray {
        if (down)
            return "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n";
        accepted += r.body.trimmed().split('\n');
        return "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n";
    };
    rdsvc::InfluxSettings s;
    s.url = server.url(QString());
    s.database = QStringLiteral("b");
    s.queueFolder = dir.filePath("queue");
    s.queueCapacity = 5;
    s.batchPoints = 2;
    rdsvc::InfluxWriter writer(s);
    QString error;
    ASSERT_TRUE(writer.start(&error));
    writer.add("p1");
    writer.add("p2");
    for (int i = 0; i < 500 && writer.stats().lastError.isEmpty(); ++i)
        Spin(20);
    EXPECT_TRUE(writer.stats().lastError.startsWith(QStringLiteral("HTTP 503"))) << writer.stats().lastError.toStdString();
    for (int i = 3; i <= 8; ++i)
        writer.add("p" + QByteArray::number(i));
    EXPECT_EQ(writer.stats().queued, 5u);
    EXPECT_EQ(writer.stats().dropped, 3u);
    down = false;
    for (int i = 0; i < 1000 && writer.stats().written < 5; ++i)
        Spin(20);
    EXPECT_EQ(accepted, (QList<QByteArray>{"p4", "p5", "p6", "p7", "p8"}));
    EXPECT_EQ(writer.stats().queued, 0u);
}
