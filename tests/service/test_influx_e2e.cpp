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

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <csignal>
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
    // SIGTERM; the exit code, and the log in `log`.
    int terminate(QString *log)
    {
        ::kill(m_process.processId(), SIGTERM);
        m_process.waitForFinished(15000);
        *log = QString::fromUtf8(m_process.readAllStandardError());
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

private:
    QProcess m_process;
    quint16 m_httpPort;
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
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_written_total") >= 6; }, 20000))
            << service.metrics().toStdString();

        // InfluxDB goes away for ten polls: the points wait in the queue, /healthz says why.
        influx.stop();
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") >= 20; }, 40000));
        const QByteArray health = service.health();
        EXPECT_TRUE(health.contains("influx: ") && health.contains("last error")) << health.toStdString();
        EXPECT_GT(service.metric("rd5800_influx_last_error_timestamp_seconds"), 1e9);
        ASSERT_TRUE(influx.start());
        EXPECT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") <= 2; }, 40000))
            << service.metrics().toStdString();

        // Away again, and the service stops while points wait.
        influx.stop();
        ASSERT_TRUE(WaitUntil([&] { return service.metric("rd5800_influx_points_queued") >= 4; }, 20000));
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
        }, 40000)) << service.metrics().toStdString();
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
            QStringLiteral("SELECT meter, address, adapter, voltage_a, current_b, power_total, frequency, "
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
            const char *keys[] = {"voltage_a", "current_b", "power_total", "frequency", "energy_import", "di1", "do1"};
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
