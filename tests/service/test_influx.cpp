// The InfluxDB writer's parts without a server: line protocol (escaping, the
// fields as in the MQTT state, the time stamp), the answers to a write, gzip,
// the options, and the queue on disk (order, bound, restart, a torn line).
#include "service/InfluxLine.h"
#include "service/InfluxQueue.h"
#include "service/InfluxWriter.h"
#include "service/Payloads.h"
#include "service/Published.h"
#include "service/ServiceOptions.h"
#include "Gunzip.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace rdsvc;

namespace {

QList<QByteArray> Numbered(int from, int to)
{
    QList<QByteArray> lines;
    for (int i = from; i <= to; ++i)
        lines << "p" + QByteArray::number(i);
    return lines;
}

MeterEntry MeterWithReading()
{
    MeterEntry m;
    m.spec = {QStringLiteral("main"), 7, QStringLiteral("/dev/serial/by-id/usb-FT 232,a=b")};
    rdacq::Reading r;
    r.time = QDateTime::fromMSecsSinceEpoch(1765000000123);
    r.values.phaseVoltage = {230.04, 231.26, 229.5, 230.0};
    r.values.current = {5.123, 1.5, 2.25, 1.375};
    r.values.activePower = {3300.5, 1100, 1100, 1100.5};
    r.values.powerFactor = {0.98, NAN, 0.97, 0.99};
    r.values.frequency = 50.02;
    r.values.ioWord = 0x0105;   // DI1 and DI3 closed, DO1 on
    r.values.energy = {123456, 7, 89, 0};
    r.counters = std::array<uint32_t, 6>{10, 0, 3, 0, 0, 4000000000u};
    r.successRate = 99.5;
    m.reading = r;
    return m;
}

// "key=value" pairs of a point's field set.
std::map<QString, QByteArray> Fields(const QByteArray &point)
{
    std::map<QString, QByteArray> out;
    const QList<QByteArray> parts = point.split(' ');
    for (const QByteArray &f : parts[parts.size() - 2].split(',')) {
        const int eq = f.indexOf('=');
        out[QString::fromLatin1(f.left(eq))] = f.mid(eq + 1);
    }
    return out;
}

} // namespace

TEST(InfluxLine, EscapesWhatTheProtocolReserves)
{
    const struct {
        const char *text;
        const char *tag;
        const char *measurement;
    } cases[] = {
        {"main", "main", "main"},
        {"tcp://10.0.0.5:502", "tcp://10.0.0.5:502", "tcp://10.0.0.5:502"},
        {"a b", "a\\ b", "a\\ b"},
        {"a,b=c", "a\\,b\\=c", "a\\,b=c"},
        {"C:\\x", "C:\\x", "C:\\x"},
        {"x\\", "x/", "x/"},
        {"x\\ y\\\\", "x/\\ y//", "x/\\ y//"},
        {"two\nlines\t", "two\\ lines\\ ", "two\\ lines\\ "},
        {"电表 1", "电表\\ 1", "电表\\ 1"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(InfluxTag(QString::fromUtf8(c.text)), QByteArray(c.tag)) << c.text;
        EXPECT_EQ(InfluxMeasurement(QString::fromUtf8(c.text)), QByteArray(c.measurement)) << c.text;
    }
}

TEST(InfluxLine, OnePointWithTheStateFieldsAndTheReplyTime)
{
    const MeterEntry m = MeterWithReading();
    const QByteArray point = InfluxPoint(QStringLiteral("energy meters"), m);
    EXPECT_TRUE(point.startsWith("energy\\ meters,meter=main,address=7,adapter=/dev/serial/by-id/usb-FT\\ 232\\,a\\=b "))
        << point.toStdString();
    EXPECT_TRUE(point.endsWith(" 1765000000123000000")) << point.toStdString();
    EXPECT_FALSE(point.contains('\n'));

    // The same names and values as the MQTT state; what the state has as null is left out.
    // The state's keys of earlier releases are not fields: InfluxDB never had them.
    const QJsonObject state = StateJson(m);
    const std::map<QString, QByteArray> fields = Fields(point);
    QStringList oldKeys;
    for (const Published &p : PublishedQuantities())
        oldKeys << p.oldKey;
    int compared = 0;
    for (auto it = state.begin(); it != state.end(); ++it) {
        if (it.key() == QLatin1String("time") || it.key() == QLatin1String("address") || oldKeys.contains(it.key()))
            continue;
        const auto f = fields.find(it.key());
        if (it.value().isNull()) {
            EXPECT_TRUE(f == fields.end()) << it.key().toStdString();
            continue;
        }
        ASSERT_TRUE(f != fields.end()) << it.key().toStdString();
        QByteArray text = f->second;
        const bool integer = text.endsWith('i');
        if (integer)
            text.chop(1);
        const bool wantInteger = it.key().startsWith(QLatin1String("di")) || it.key().startsWith(QLatin1String("do"))
                                 || it.key().startsWith(QLatin1String("counter"));
        EXPECT_EQ(integer, wantInteger) << it.key().toStdString() << "=" << f->second.toStdString();
        EXPECT_DOUBLE_EQ(text.toDouble(), it.value().toDouble()) << it.key().toStdString();
        ++compared;
    }
    EXPECT_EQ(compared, int(fields.size()));   // no field the state does not have
    EXPECT_TRUE(fields.find(QStringLiteral("power_factor_a")) == fields.end());
    EXPECT_EQ(fields.at(QStringLiteral("di1")), "1i");
    EXPECT_EQ(fields.at(QStringLiteral("di2")), "0i");
    EXPECT_EQ(fields.at(QStringLiteral("do1")), "1i");
    EXPECT_EQ(fields.at(QStringLiteral("counter6")), "4000000000i");
    EXPECT_EQ(fields.at(QStringLiteral("energy_import")), "123456");

    EXPECT_TRUE(InfluxPoint(QStringLiteral("rd5800"), MeterEntry{}).isEmpty());
}

TEST(InfluxLine, WhatAnErrorAnswerSays)
{
    const struct {
        const char *body;
        int sent;
        int rejected;
        const char *text;
    } cases[] = {
        {R"({"error":"unable to parse 'bad': missing fields"})", 10, 1, "unable to parse 'bad': missing fields"},
        {R"({"error":"unable to parse 'a': missing fields\nunable to parse 'b': invalid number"})", 10, 2,
         "unable to parse 'a': missing fields"},
        {R"({"error":"partial write: field type conflict: input field \"di1\" is type float dropped=3"})", 10, 3,
         "partial write: field type conflict: input field \"di1\" is type float dropped=3"},
        {R"({"code":"invalid","message":"failed to parse line protocol"})", 4, 4, "failed to parse line protocol"},
        {R"({"error":"partial write: dropped=50"})", 10, 10, "partial write: dropped=50"},
        {"Bad Request\nmore", 6, 6, "Bad Request"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(InfluxRejectedCount(c.body, c.sent), c.rejected) << c.body;
        EXPECT_EQ(InfluxErrorText(c.body).toStdString(), std::string(c.text));
    }
}

TEST(InfluxLine, GzipIsWhatADecoderReadsBack)
{
    QByteArray body;
    for (const QByteArray &line : Numbered(1, 20000))
        body += "rd5800,meter=main voltage_a=230.1," + line + "=1i 1765000000123000000\n";
    const QByteArray packed = Gzip(body);
    ASSERT_GE(packed.size(), 2);
    EXPECT_EQ(uchar(packed[0]), 0x1f);
    EXPECT_EQ(uchar(packed[1]), 0x8b);
    EXPECT_LT(packed.size(), body.size() / 4);
    EXPECT_EQ(svctest::Gunzip(packed), body);
    EXPECT_EQ(svctest::Gunzip(Gzip(QByteArray())), QByteArray());
}

TEST(InfluxOptions, GoodAndBadCombinations)
{
    const QStringList base{"rd5800d", "--adapter", "/dev/ttyUSB0", "--meter", "main=1"};
    const struct {
        QStringList extra;
        bool ok;
        const char *mentions;   // a word of the error
    } cases[] = {
        {{"--influx", "http://127.0.0.1:8086", "--influx-db", "energy"}, true, ""},
        {{"--influx", "https://tsdb.example:8443/influx/", "--influx-db", "b", "--influx-token-file", "/t"}, true, ""},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-user", "u", "--influx-password-file", "/p"}, true, ""},
        {{"--influx", "ftp://h:8086", "--influx-db", "e"}, false, "--influx"},
        {{"--influx", "http://", "--influx-db", "e"}, false, "--influx"},
        {{"--influx", "http://h:8086?db=x", "--influx-db", "e"}, false, "--influx"},
        {{"--influx", "http://h:8086"}, false, "--influx-db"},
        {{"--influx-db", "e"}, false, "--influx"},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-token-file", "/t", "--influx-user", "u"}, false,
         "--influx-token-file"},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-password-file", "/p"}, false, "--influx-user"},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-queue-size", "0"}, false, "--influx-queue-size"},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-queue-size", "1e6"}, false, "--influx-queue-size"},
        {{"--influx", "http://h:8086", "--influx-db", "e", "--influx-measurement", " "}, false, "--influx-measurement"},
    };
    for (const auto &c : cases) {
        const ServiceConfig config = ParseServiceConfig(base + c.extra);
        EXPECT_EQ(config.error.isEmpty(), c.ok) << c.extra.join(' ').toStdString() << ": " << config.error.toStdString();
        EXPECT_TRUE(config.error.contains(QLatin1String(c.mentions))) << config.error.toStdString();
    }

    // The configuration file takes the same keys.
    const ServiceConfig file = ParseServiceConfig({"rd5800d", "--config", "/etc/rd5800d.conf"},
                                                  [](const QString &, QByteArray *contents) {
        *contents = "adapter = /dev/ttyUSB0\nmeter = main=1\ninflux = http://127.0.0.1:8086\n"
                    "influx-db = energy\ninflux-measurement = site a\ninflux-queue-size = 1000\nstate-dir = /var/lib/x\n";
        return true;
    });
    ASSERT_TRUE(file.error.isEmpty()) << file.error.toStdString();
    EXPECT_EQ(file.influx.url.toString(), "http://127.0.0.1:8086");
    EXPECT_EQ(file.influx.database, "energy");
    EXPECT_EQ(file.influx.measurement, "site a");
    EXPECT_EQ(file.influx.queueSize, 1000);
    EXPECT_EQ(file.influx.stateDir, "/var/lib/x");

    EXPECT_EQ(DefaultQueueSize(10, 1.0), 864000);   // a day of ten meters every second
    EXPECT_EQ(DefaultQueueSize(3, 60.0), 4320);
    EXPECT_EQ(DefaultQueueSize(1, 7.0), 12343);     // a started interval counts
}

TEST(InfluxQueue, OldestFirstAcrossSegmentsAndThroughAReopen)
{
    QTemporaryDir dir;
    const qint64 n = 2 * InfluxQueue::kSegmentLines + 500;
    {
        InfluxQueue q(dir.path(), 100000);
        QString error;
        ASSERT_TRUE(q.open(&error)) << error.toStdString();
        for (const QByteArray &line : Numbered(1, int(n)))
            ASSERT_EQ(q.append({line}), 0);
        EXPECT_EQ(q.size(), n);
        EXPECT_EQ(q.peek(3), Numbered(1, 3));
        q.pop(InfluxQueue::kSegmentLines + 10);   // the first segment is gone, into the second
        EXPECT_EQ(q.peek(3), Numbered(InfluxQueue::kSegmentLines + 11, InfluxQueue::kSegmentLines + 13));
        EXPECT_EQ(QDir(dir.path()).entryList({"*.lp"}).size(), 2);
        // A peek across the segment boundary, in order.
        const QList<QByteArray> batch = q.peek(int(InfluxQueue::kSegmentLines));
        EXPECT_EQ(batch, Numbered(InfluxQueue::kSegmentLines + 11, 2 * InfluxQueue::kSegmentLines + 10));
    }
    {
        // A new run takes up where the last one was.
        InfluxQueue q(dir.path(), 100000);
        QString error;
        ASSERT_TRUE(q.open(&error));
        EXPECT_EQ(q.size(), n - InfluxQueue::kSegmentLines - 10);
        EXPECT_EQ(q.peek(2), Numbered(InfluxQueue::kSegmentLines + 11, InfluxQueue::kSegmentLines + 12));
        q.append({"late"});
        q.pop(q.size() - 1);
        EXPECT_EQ(q.peek(5), QList<QByteArray>{"late"});
        q.pop(1);
        EXPECT_TRUE(q.isEmpty());
        EXPECT_TRUE(QDir(dir.path()).entryList({"*.lp"}).isEmpty());
        q.append({"again"});
        EXPECT_EQ(q.peek(5), QList<QByteArray>{"again"});
    }
    InfluxQueue q(dir.path(), 100000);
    QString error;
    ASSERT_TRUE(q.open(&error));
    EXPECT_EQ(q.peek(5), QList<QByteArray>{"again"});
}

TEST(InfluxQueue, AFullQueueLosesItsOldestAndCountsThem)
{
    QTemporaryDir dir;
    InfluxQueue q(dir.path(), 5);
    QString error;
    ASSERT_TRUE(q.open(&error));
    const struct {
        QList<QByteArray> add;
        qint64 lost;
        QList<QByteArray> left;
    } steps[] = {
        {Numbered(1, 3), 0, Numbered(1, 3)},
        {Numbered(4, 5), 0, Numbered(1, 5)},
        {Numbered(6, 8), 3, Numbered(4, 8)},
        {Numbered(9, 15), 7, Numbered(11, 15)},   // more than the room at once: the newest stay
    };
    for (const auto &s : steps) {
        EXPECT_EQ(q.append(s.add), s.lost);
        EXPECT_EQ(q.peek(100), s.left);
        EXPECT_EQ(q.size(), s.left.size());
    }
    // Smaller room after a restart: the oldest go.
    InfluxQueue smaller(dir.path(), 2);
    qint64 dropped = 0;
    ASSERT_TRUE(smaller.open(&error, &dropped));
    EXPECT_EQ(dropped, 3);
    EXPECT_EQ(smaller.peek(100), Numbered(14, 15));
}

TEST(InfluxQueue, ALineTornByACrashIsCutOff)
{
    QTemporaryDir dir;
    {
        InfluxQueue q(dir.path(), 100);
        QString error;
        ASSERT_TRUE(q.open(&error));
        q.append(Numbered(1, 3));
    }
    const QStringList files = QDir(dir.path()).entryList({"*.lp"});
    ASSERT_EQ(files.size(), 1);
    QFile tail(QDir(dir.path()).filePath(files.first()));
    ASSERT_TRUE(tail.open(QIODevice::Append));
    tail.write("rd5800,meter=main voltage_a=2");
    tail.close();

    InfluxQueue q(dir.path(), 100);
    QString error;
    ASSERT_TRUE(q.open(&error));
    EXPECT_EQ(q.size(), 3);
    q.append({"p4"});
    EXPECT_EQ(q.peek(10), Numbered(1, 4));
}

TEST(InfluxPayloads, MetricsAndHealth)
{
    InfluxStats s;
    s.written = 12;
    s.queued = 3;
    s.dropped = 1;
    EXPECT_TRUE(InfluxMetricsText(s).contains("\nrd5800_influx_points_written_total 12\n"));
    EXPECT_TRUE(InfluxMetricsText(s).contains("\nrd5800_influx_points_queued 3\n"));
    EXPECT_TRUE(InfluxMetricsText(s).contains("\nrd5800_influx_points_dropped_total 1\n"));
    EXPECT_TRUE(InfluxMetricsText(s).contains("\nrd5800_influx_last_error_timestamp_seconds 0\n"));
    EXPECT_EQ(InfluxHealthText(s), "influx: 12 points written, 3 queued, 1 dropped\n");
    s.lastError = QStringLiteral("Connection refused");
    s.lastErrorTime = QDateTime::fromMSecsSinceEpoch(1765000000500);
    EXPECT_TRUE(InfluxMetricsText(s).contains("\nrd5800_influx_last_error_timestamp_seconds 1765000000.5\n"));
    EXPECT_TRUE(InfluxHealthText(s).contains("; last error 20")) << InfluxHealthText(s).toStdString();
    EXPECT_TRUE(InfluxHealthText(s).endsWith(": Connection refused\n"));
}
