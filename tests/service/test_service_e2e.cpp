// rd5800d as a user runs it, against rd5800-sim serving a bus of several meters
// on a pseudo-terminal: --once's JSON and exit status, a mistake that sends
// nothing, MQTT through a real mosquitto killed and restarted mid-run, and the
// HTTP port checked with promtool.
#include "../sim/SimProcess.h"
#include "ServiceRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <map>

#include <QSet>


namespace {

const QString kService = QStringLiteral(RD_SERVICE_PROGRAM);

QJsonObject MeterNamed(const QJsonDocument &doc, const QString &name)
{
    for (const QJsonValue &v : doc.object().value("meters").toArray())
        if (v.toObject().value("name").toString() == name)
            return v.toObject();
    return {};
}

// GET on loopback; the body, with the status code in `status`.
QByteArray Get(const QString &url, int *status)
{
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(url)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

// The CSV's data rows (after the header).
QList<QByteArray> CsvRows(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> rows = f.readAll().split('\n');
    rows.removeFirst();
    rows.removeAll(QByteArray());
    return rows;
}

} // namespace

TEST(ServiceOnce, ReadsEveryMeterOnceAndSaysWhichDidNotAnswer)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2,5", "--pt", "10"});
    ASSERT_TRUE(sim.started());
    const QString dev = QString::fromStdString(sim.device());
    QTemporaryDir dir;
    QByteArray out, err;
    ASSERT_EQ(svctest::Run(kService, {"--adapter", dev, "--meter", "main=1", "--meter", "pump=5", "--once",
                             "--record-dir", dir.path()}, &out, &err, 20000), 0) << err.toStdString();
    const QJsonDocument doc = QJsonDocument::fromJson(out);
    for (const char *name : {"main", "pump"}) {
        const QJsonObject m = MeterNamed(doc, name);
        const QJsonObject state = m.value("state").toObject();
        EXPECT_TRUE(m.value("online").toBool()) << name;
        EXPECT_GT(state.value("voltage_a").toDouble(), 1000) << name;   // PT 10 on a 230 V load
        EXPECT_NEAR(state.value("frequency").toDouble(), 50, 1) << name;
        EXPECT_TRUE(state.value("time").toString().contains('T')) << name;
        EXPECT_EQ(CsvRows(dir.filePath(QString::fromLatin1(name) + ".csv")).size(), 1) << name;
    }
    EXPECT_EQ(MeterNamed(doc, "pump").value("state").toObject().value("address").toInt(), 5);

    // Address 3 is not on the bus: the others are still read and printed, exit 1.
    ASSERT_EQ(svctest::Run(kService, {"--adapter", dev, "--meter", "main=1", "--meter", "gone=3", "--once"}, &out, &err,
                  20000), 1);
    const QJsonDocument partial = QJsonDocument::fromJson(out);
    EXPECT_TRUE(MeterNamed(partial, "gone").value("state").isNull());
    EXPECT_GE(MeterNamed(partial, "gone").value("timeouts").toInt(), 1);
    EXPECT_FALSE(MeterNamed(partial, "main").value("state").isNull());
}

TEST(ServiceOnce, AMistakeSendsNothing)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2"});
    ASSERT_TRUE(sim.started());
    const QString dev = QString::fromStdString(sim.device());
    QByteArray out, err;
    EXPECT_EQ(svctest::Run(kService, {"--adapter", dev, "--meter", "a=1", "--meter", "b=1", "--once"}, &out, &err, 10000), 2);
    EXPECT_EQ(err.count('\n'), 2) << err.toStdString();   // the mistake, then where to read the options
    EXPECT_TRUE(err.contains("地址重复")) << err.toStdString();
    EXPECT_EQ(svctest::Run(kService, {"--adapter", dev, "--meter", "a=1", "--parity", "Q"}, &out, &err, 10000), 2);
    QThread::msleep(300);
    EXPECT_TRUE(sim.logLines("rx").empty());
}

// The service's whole run: MQTT with discovery, the broker killed and started
// again, HTTP with promtool, SIGTERM.
TEST(ServiceRun, PublishesSurvivesTheBrokerAndServesMetrics)
{
    if (QStandardPaths::findExecutable("mosquitto").isEmpty()
        && !QFile::exists("/usr/sbin/mosquitto"))
        GTEST_SKIP() << "mosquitto not installed";
    simtest::SimProcess sim({"--addresses", "1,2", "--bad-crc", "0.05"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const quint16 mqttPort = svctest::FreePort();
    const quint16 httpPort = svctest::FreePort();
    auto broker = std::make_unique<svctest::Broker>(mqttPort, dir.path());
    ASSERT_TRUE(broker->started());

    QProcess service;
    service.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    service.setReadChannel(QProcess::StandardError);
    service.start(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1",
                             "--meter", "pump=2", "--meter", "gone=9", "--mqtt",
                             QStringLiteral("127.0.0.1:%1").arg(mqttPort), "--mqtt-prefix", "site", "--instance", "e2e",
                             "--http", QStringLiteral("127.0.0.1:%1").arg(httpPort), "--record-dir", dir.path()});
    ASSERT_TRUE(service.waitForStarted(5000));

    {
        svctest::Subscriber sub(mqttPort, {"site/#", "homeassistant/#"});
        const QJsonObject state = QJsonDocument::fromJson(sub.waitFor("site/main/state", 10000)).object();
        EXPECT_GT(state.value("voltage_a").toDouble(), 100);
        EXPECT_EQ(state.value("address").toInt(), 1);
        EXPECT_TRUE(state.value("time").toString().contains('+') || state.value("time").toString().endsWith('Z'));
        EXPECT_EQ(sub.waitFor("site/status", 5000), "online");
        EXPECT_EQ(sub.waitFor("site/pump/availability", 5000), "online");
        // Three missed polls make the absent meter offline.
        EXPECT_EQ(sub.waitFor("site/gone/availability", 10000), "offline");

        const QJsonObject voltage = QJsonDocument::fromJson(
            sub.waitFor("homeassistant/sensor/rd5800_e2e/main_voltage_a/config", 5000)).object();
        EXPECT_EQ(voltage.value("device_class").toString(), "voltage");
        EXPECT_EQ(voltage.value("unit_of_measurement").toString(), "V");
        EXPECT_EQ(voltage.value("state_class").toString(), "measurement");
        EXPECT_EQ(voltage.value("state_topic").toString(), "site/main/state");
        EXPECT_EQ(voltage.value("value_template").toString(), "{{ value_json.voltage_a }}");
        EXPECT_EQ(voltage.value("name").toString(), QString::fromUtf8("A相 相电压"));
        EXPECT_EQ(voltage.value("device").toObject().value("model").toString(), "RD5800");
        EXPECT_EQ(voltage.value("availability").toArray().size(), 2);
        int energies = 0;
        for (const QByteArray &line : sub.lines())
            if (line.startsWith("homeassistant/sensor/") && line.contains("_energy_import/config") && !line.contains("reactive"))
                energies += QJsonDocument::fromJson(line.mid(line.indexOf(' ') + 1))
                                .object().value("state_class").toString() == "total_increasing";
        EXPECT_EQ(energies, 3);   // one per meter
    }

    // /metrics through promtool, /api/meters, /healthz.
    int status = 0;
    const QByteArray metrics = Get(QStringLiteral("http://127.0.0.1:%1/metrics").arg(httpPort), &status);
    EXPECT_EQ(status, 200);
    EXPECT_TRUE(metrics.contains("rd5800_phase_voltage_volts{meter=\"main\",phase=\"A\"}")) << metrics.left(400).toStdString();
    EXPECT_TRUE(metrics.contains("rd5800_timeouts_total{meter=\"gone\"}"));
    QFile metricsFile(dir.filePath("metrics.txt"));
    ASSERT_TRUE(metricsFile.open(QIODevice::WriteOnly));
    metricsFile.write(metrics);
    metricsFile.close();
    if (!QStandardPaths::findExecutable("promtool").isEmpty()) {
        QProcess promtool;
        promtool.setStandardInputFile(metricsFile.fileName());
        promtool.start("promtool", {"check", "metrics"});
        ASSERT_TRUE(promtool.waitForFinished(20000));
        EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAllStandardOutput().toStdString()
                                          << promtool.readAllStandardError().toStdString();
    }
    const QJsonDocument api = QJsonDocument::fromJson(Get(QStringLiteral("http://127.0.0.1:%1/api/meters").arg(httpPort), &status));
    EXPECT_EQ(status, 200);
    EXPECT_GT(MeterNamed(api, "pump").value("state").toObject().value("current_a").toDouble(), 0);
    Get(QStringLiteral("http://127.0.0.1:%1/healthz").arg(httpPort), &status);
    EXPECT_EQ(status, 200);

    // The broker goes away for a while; the poll and the files go on.
    const int rowsBefore = int(CsvRows(dir.filePath("main.csv")).size());
    broker->kill();
    QThread::msleep(3000);
    broker = std::make_unique<svctest::Broker>(mqttPort, dir.path());   // no persistence: it knows nothing
    ASSERT_TRUE(broker->started());
    {
        svctest::Subscriber sub(mqttPort, {"site/#", "homeassistant/#"});
        // Retained again by the service after it reconnected (backoff: at most 4 s here).
        EXPECT_FALSE(sub.waitFor("site/main/state", 15000).isEmpty());
        EXPECT_EQ(sub.waitFor("site/status", 5000), "online");
        EXPECT_FALSE(sub.waitFor("homeassistant/sensor/rd5800_e2e/pump_frequency/config", 5000).isEmpty());
    }
    const QList<QByteArray> rows = CsvRows(dir.filePath("main.csv"));
    EXPECT_GT(rows.size(), rowsBefore + 2);
    // One row a second: no gap of more than a few seconds while the broker was away.
    qint64 widest = 0;
    for (int i = 1; i < rows.size(); ++i) {
        const QDateTime a = QDateTime::fromString(QString::fromLatin1(rows[i - 1]).section(',', 0, 0), Qt::ISODateWithMs);
        const QDateTime b = QDateTime::fromString(QString::fromLatin1(rows[i]).section(',', 0, 0), Qt::ISODateWithMs);
        widest = std::max(widest, a.msecsTo(b));
    }
    EXPECT_LT(widest, 3500);

    // SIGTERM: offline published, files closed, exit 0.
    svctest::Subscriber sub(mqttPort, {"site/#"});
    ASSERT_EQ(sub.waitFor("site/status", 5000), "online");
    ::kill(service.processId(), SIGTERM);
    ASSERT_TRUE(service.waitForFinished(10000));
    EXPECT_EQ(service.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(service.exitCode(), 0);
    EXPECT_EQ(sub.waitFor("site/status", 5000, 2), "offline");
    EXPECT_EQ(sub.waitFor("site/main/availability", 5000, 2), "offline");
    const QByteArray log = service.readAllStandardError();
    EXPECT_TRUE(log.contains("MQTT")) << log.toStdString();
}

// The adapter goes away while the service runs: one line says so (not one per
// poll), the meters go offline after three missed polls, and SIGTERM still ends
// the service with 0.
TEST(ServiceRun, APortLostIsLoggedOnceAndTheMetersGoOffline)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2", "--vanish-after", "1500"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    QProcess service;
    const quint16 httpPort = svctest::FreePort();
    service.start(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "a=1", "--meter", "b=2",
                             "--record-dir", dir.path(), "--http", QStringLiteral("127.0.0.1:%1").arg(httpPort)});
    ASSERT_TRUE(service.waitForStarted(5000));
    QThread::msleep(7000);   // 1.5 s of answers, then at least four cycles without the device
    // Offline: no gauges at their last values; up, counters, the time of the
    // last reading and the adapter's state stay.
    int status = 0;
    const QString metrics = QString::fromUtf8(Get(QStringLiteral("http://127.0.0.1:%1/metrics").arg(httpPort), &status));
    EXPECT_EQ(status, 200);
    EXPECT_FALSE(metrics.contains("rd5800_phase_voltage_volts{meter=\"a\"")) << metrics.toStdString();
    EXPECT_TRUE(metrics.contains("rd5800_up{meter=\"a\"} 0\n"));
    EXPECT_TRUE(metrics.contains("rd5800_last_reading_timestamp_seconds{meter=\"a\"}"));
    EXPECT_TRUE(metrics.contains(QStringLiteral("rd5800_adapter_up{adapter=\"%1\"} 0\n").arg(QString::fromStdString(sim.device()))));
    EXPECT_TRUE(metrics.contains(QStringLiteral("rd5800_port_errors_total{adapter=\"%1\"} 1\n").arg(QString::fromStdString(sim.device()))));
    ::kill(service.processId(), SIGTERM);
    ASSERT_TRUE(service.waitForFinished(10000));
    EXPECT_EQ(service.exitCode(), 0);
    const QString log = QString::fromUtf8(service.readAllStandardError());
    const QString device = QString::fromStdString(sim.device());
    EXPECT_EQ(log.count(device + QString::fromUtf8(" 已断开")) + log.count(QString::fromUtf8("无法打开 ") + device), 1)
        << log.toStdString();
    EXPECT_EQ(log.count(QString::fromUtf8("在线")), 2) << log.toStdString();
    EXPECT_EQ(log.count(QString::fromUtf8("离线")), 2) << log.toStdString();
    EXPECT_GE(CsvRows(dir.filePath("a.csv")).size(), 1);
}

namespace {

// The retained messages under `topics` as a fresh subscriber gets them
// (topic -> payload), taking whatever comes within `ms`.
std::map<QString, QByteArray> Retained(quint16 port, const QStringList &topics, int ms)
{
    svctest::Subscriber sub(port, topics);
    sub.waitFor(QStringLiteral("never/arrives"), ms);
    std::map<QString, QByteArray> out;
    for (const QByteArray &line : sub.lines()) {
        const int space = line.indexOf(' ');
        if (space > 0)
            out[QString::fromUtf8(line.left(space))] = line.mid(space + 1);
    }
    return out;
}

QSet<QString> UniqueIdsOf(const std::map<QString, QByteArray> &configs, const QString &meter)
{
    QSet<QString> ids;
    for (const auto &[topic, payload] : configs)
        if (topic.contains(QStringLiteral("/") + meter + QStringLiteral("_")))
            ids.insert(QJsonDocument::fromJson(payload).object().value("unique_id").toString());
    return ids;
}

} // namespace

// Home Assistant's view across restarts: the same entities when the adapter is
// named another way and the prefix changes, a dropped meter's entities removed,
// and everything again when Home Assistant announces itself.
TEST(ServiceRun, HomeAssistantKeepsItsEntitiesAndLosesTheDroppedOnes)
{
    if (QStandardPaths::findExecutable("mosquitto").isEmpty() && !QFile::exists("/usr/sbin/mosquitto"))
        GTEST_SKIP() << "mosquitto not installed";
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2"});
    ASSERT_TRUE(sim.started());
    QTemporaryDir dir;
    const quint16 mqttPort = svctest::FreePort();
    svctest::Broker broker(mqttPort, dir.path());
    ASSERT_TRUE(broker.started());
    const QString broker_ = QStringLiteral("127.0.0.1:%1").arg(mqttPort);
    const QStringList configs{"homeassistant/+/rd5800_e2e/+/config"};

    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--meter", "pump=2",
                           "--mqtt", broker_, "--instance", "e2e"});
    ASSERT_TRUE(first.waitForStarted(5000));
    {
        svctest::Subscriber sub(mqttPort, {"rd5800/main/state"});
        ASSERT_FALSE(sub.waitFor("rd5800/main/state", 20000).isEmpty());
    }
    const auto before = Retained(mqttPort, configs, 1500);
    ::kill(first.processId(), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    const QSet<QString> mainIds = UniqueIdsOf(before, "main");
    EXPECT_GT(mainIds.size(), 40);
    EXPECT_EQ(UniqueIdsOf(before, "pump").size(), mainIds.size());

    // Through a symlink (to a bus of its own: a pseudo-terminal is best not
    // reopened at once), another topic prefix, pump dropped.
    simtest::SimProcess sim2({"--freeze", "--addresses", "1"});
    ASSERT_TRUE(sim2.started());
    const QString link = dir.filePath("bus");
    ASSERT_TRUE(QFile::link(QString::fromStdString(sim2.device()), link));
    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    second.start(kService, {"--adapter", link, "--meter", "main=1", "--mqtt", broker_, "--mqtt-prefix", "moved",
                            "--instance", "e2e"});
    ASSERT_TRUE(second.waitForStarted(5000));
    {
        svctest::Subscriber sub(mqttPort, {"moved/main/state"});
        ASSERT_FALSE(sub.waitFor("moved/main/state", 20000).isEmpty());
    }
    // The service clears what no meter owns after it has listened to its own
    // discovery topics for a while: wait for that, within a bound.
    auto after = Retained(mqttPort, configs, 1500);
    for (int i = 0; i < 10 && !UniqueIdsOf(after, "pump").isEmpty(); ++i)
        after = Retained(mqttPort, configs, 1500);
    EXPECT_EQ(UniqueIdsOf(after, "main"), mainIds);
    EXPECT_TRUE(UniqueIdsOf(after, "pump").isEmpty());
    for (const auto &[topic, payload] : after)
        EXPECT_EQ(QJsonDocument::fromJson(payload).object().value("state_topic").toString().toStdString(), "moved/main/state")
            << topic.toStdString();

    // Home Assistant restarted: its birth message brings the configs and the
    // availability again.
    svctest::Subscriber watch(mqttPort, {"homeassistant/sensor/rd5800_e2e/main_frequency/config", "moved/main/availability"});
    ASSERT_FALSE(watch.waitFor("moved/main/availability", 5000).isEmpty());   // the retained one
    ASSERT_EQ(svctest::Run("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(mqttPort), "-t",
                                             "homeassistant/status", "-m", "online"}, nullptr, nullptr, 5000), 0);
    EXPECT_EQ(watch.waitFor("moved/main/availability", 5000, 2), "online");
    EXPECT_FALSE(watch.waitFor("homeassistant/sensor/rd5800_e2e/main_frequency/config", 5000, 2).isEmpty());
    // Availability is said when it changes, not after every poll: after the
    // birth's, no message repeats the one before it.
    watch.waitFor(QStringLiteral("never/arrives"), 2500);   // two polls and more
    QByteArrayList availability;
    for (const QByteArray &line : watch.lines())
        if (line.startsWith("moved/main/availability "))
            availability << line;
    ASSERT_GE(availability.size(), 2);
    for (int i = 2; i < availability.size(); ++i)
        EXPECT_NE(availability[i], availability[i - 1]) << availability.join("\n").toStdString();
    ::kill(second.processId(), SIGTERM);
    ASSERT_TRUE(second.waitForFinished(10000));
}

namespace {

// A certificate authority and a server certificate for 127.0.0.1 it signed,
// made with openssl in `folder`: ca.pem, server.pem, server.key. False when
// openssl is missing or fails.
bool MakeCertificates(const QString &folder, const QString &caName)
{
    const QString ext = QDir(folder).filePath("ext.cnf");
    QFile f(ext);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n");
    f.close();
    const QStringList ec{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
    auto in = [&](const char *name) { return QDir(folder).filePath(QString::fromLatin1(name)); };
    const QList<QStringList> steps = {
        QStringList{"req", "-x509"} + ec + QStringList{"-keyout", in("ca.key"), "-out", in("ca.pem"), "-days", "2", "-subj", "/CN=" + caName},
        QStringList{"req"} + ec + QStringList{"-keyout", in("server.key"), "-out", in("server.csr"), "-subj", "/CN=localhost"},
        QStringList{"x509", "-req", "-in", in("server.csr"), "-CA", in("ca.pem"), "-CAkey", in("ca.key"),
                    "-CAcreateserial", "-out", in("server.pem"), "-days", "2", "-extfile", ext},
    };
    for (const QStringList &args : steps)
        if (svctest::Run("openssl", args, nullptr, nullptr, 30000) != 0)
            return false;
    // mosquitto started as root reads its files as its own user.
    const auto all = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    return QFile::setPermissions(folder, all | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther)
           && QFile::setPermissions(in("server.key"), all) && QFile::setPermissions(in("server.pem"), all);
}

// Reads the service's log until a line contains `text` (up to timeoutMs); all of it read so far.
QString LogUntil(QProcess &service, const QString &text, int timeoutMs)
{
    QString log;
    QElapsedTimer t;
    t.start();
    while (!log.contains(text) && t.elapsed() < timeoutMs) {
        service.waitForReadyRead(200);
        log += QString::fromUtf8(service.readAllStandardError());
    }
    return log;
}

} // namespace

// The broker over TLS: a certificate signed by the CA given connects; one the
// CA did not sign is refused, and the log says that the certificate is why.
TEST(ServiceRun, TlsToTheBrokerChecksItsCertificate)
{
    if (QStandardPaths::findExecutable("mosquitto").isEmpty() && !QFile::exists("/usr/sbin/mosquitto"))
        GTEST_SKIP() << "mosquitto not installed";
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        GTEST_SKIP() << "openssl not installed";
    QTemporaryDir dir, other;
    ASSERT_TRUE(MakeCertificates(dir.path(), "site-ca"));
    ASSERT_TRUE(MakeCertificates(other.path(), "other-ca"));
    simtest::SimProcess sim({"--freeze", "--addresses", "1"});
    ASSERT_TRUE(sim.started());
    const quint16 port = svctest::FreePort();
    svctest::Broker broker(port, dir.path(),
                           QStringLiteral("certfile %1\nkeyfile %2").arg(dir.filePath("server.pem"), dir.filePath("server.key")));
    ASSERT_TRUE(broker.started());

    const struct {
        QString ca;
        const char *says;
    } cases[] = {
        {dir.filePath("ca.pem"), "已连接 MQTT 服务器"},
        {other.filePath("ca.pem"), "服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址 (certificate verify failed)"},
    };
    for (const auto &c : cases) {
        QProcess service;
        service.start(kService, {"--adapter", QString::fromStdString(sim.device()), "--meter", "main=1", "--mqtt",
                                 QStringLiteral("mqtts://127.0.0.1:%1").arg(port), "--mqtt-cafile", c.ca, "--instance", "tls"});
        ASSERT_TRUE(service.waitForStarted(5000));
        const QString log = LogUntil(service, QString::fromUtf8(c.says), 15000);
        EXPECT_TRUE(log.contains(QString::fromUtf8(c.says))) << log.toStdString();
        if (c.ca.startsWith(other.path()))
            EXPECT_FALSE(log.contains(QString::fromUtf8("已连接"))) << log.toStdString();
        ::kill(service.processId(), SIGTERM);
        ASSERT_TRUE(service.waitForFinished(15000));
        EXPECT_EQ(service.exitCode(), 0);
    }
}
