// The meter book's availability and counts, the MQTT reconnect backoff and the
// Prometheus text of a reading: what the service announces, without a line.
#include "service/MeterBook.h"
#include "service/MqttReason.h"
#include "service/MqttRetry.h"
#include "service/Payloads.h"
#include "FakeClock.h"

#include <gtest/gtest.h>

using namespace rdsvc;

namespace {

PollResult Poll(rdov::MeterStatus status)
{
    PollResult p;
    p.refresh.status = status;
    p.refresh.requests = 1;
    if (status == rdov::MeterStatus::Ok) {
        p.refresh.replies = 1;
        p.refresh.values = rdacq::Measurements{};
        p.refresh.values->phaseVoltage = {230, 231, 229, 230};
        p.refresh.values->energy = {12, 0, 3, 0};
        p.refresh.replyTime = QDateTime::fromMSecsSinceEpoch(1765000000000);
    }
    return p;
}

} // namespace

TEST(MeterBook, OfflineAfterThreeMissedPollsOnlineAtTheNextAnswer)
{
    using S = rdov::MeterStatus;
    struct Step {
        S status;
        Change change;
        Availability after;
    } steps[] = {
        {S::NoReply, Change::None, Availability::Unknown},
        {S::Ok, Change::Online, Availability::Online},
        {S::Ok, Change::None, Availability::Online},
        {S::NoReply, Change::None, Availability::Online},
        {S::Fault, Change::None, Availability::Online},
        {S::NoReply, Change::Offline, Availability::Offline},
        {S::NoReply, Change::None, Availability::Offline},
        {S::Ok, Change::Online, Availability::Online},
    };
    MeterEntry m;
    m.spec = {QStringLiteral("main"), 1, QStringLiteral("/dev/ttyUSB0")};
    int n = 0;
    for (const Step &s : steps) {
        EXPECT_EQ(ApplyPoll(m, Poll(s.status)), s.change) << "step " << n;
        EXPECT_EQ(m.availability, s.after) << "step " << n;
        ++n;
    }
    EXPECT_EQ(m.requests, 8u);
    EXPECT_EQ(m.replies, 3u);
    EXPECT_EQ(m.timeouts, 4u);
    EXPECT_EQ(m.badReplies, 1u);
    ASSERT_TRUE(m.reading.has_value());
    EXPECT_NEAR(m.reading->successRate, 37.5, 1e-9);

    // Nothing came to the counter read: one timeout, one missed poll, no refresh counted.
    PollResult silent;
    silent.refresh.status = rdov::MeterStatus::NoReply;
    silent.counterRequests = 1;
    silent.counterTimeout = true;
    ApplyPoll(m, silent);
    EXPECT_EQ(m.requests, 9u);
    EXPECT_EQ(m.timeouts, 5u);
    EXPECT_EQ(m.missed, 1);
}

TEST(MeterBook, ScatteredMissesBetweenAnswersKeepAMeterOnline)
{
    // Two misses, an answer, two misses, ...: never three in a row, so never
    // offline, however many misses add up over the hours.
    using S = rdov::MeterStatus;
    MeterEntry m;
    m.spec = {QStringLiteral("main"), 1, QStringLiteral("/dev/ttyUSB0")};
    ASSERT_EQ(ApplyPoll(m, Poll(S::Ok)), Change::Online);
    for (int round = 0; round < 5; ++round) {
        for (S status : {S::NoReply, S::Fault, S::Ok}) {
            EXPECT_EQ(ApplyPoll(m, Poll(status)), Change::None) << "round " << round;
            EXPECT_EQ(m.availability, Availability::Online) << "round " << round;
        }
    }
    EXPECT_EQ(m.missed, 0);
}

TEST(MqttRetry, DoublesUpToAMinuteAndStartsAgainAfterAConnectionThatHeld)
{
    rdtest::FakeClock clock;
    MqttRetry retry(clock);
    // A long outage: 1, 2, 4 ... 60 s between tries.
    for (int expected : {1, 2, 4, 8, 16, 32, 60, 60}) {
        EXPECT_EQ(retry.failed(), expected);
        clock.advance(uint32_t(expected) * 1000);
    }
    // Back for a good while, then lost: the next try after 1 s, not a minute.
    retry.connected();
    clock.advance(MqttRetry::kStableMs);
    EXPECT_EQ(retry.failed(), 1);
    EXPECT_EQ(retry.failed(), 2);
    // Accepted and dropped at once (a client id taken over): no restart at 1 s.
    retry.connected();
    clock.advance(500);
    EXPECT_EQ(retry.failed(), 4);
    retry.connected();
    clock.advance(MqttRetry::kStableMs);
    EXPECT_EQ(retry.failed(), 1);
}

TEST(MqttReason, OwnWordsFirstTheOriginalInParentheses)
{
    using rdsvc::MqttFailure;
    const struct {
        MqttFailure kind;
        int code;
        const char *original;
        const char *expected;
    } cases[] = {
        {MqttFailure::Refused, 4, "", "用户名或密码错误"},
        {MqttFailure::Refused, 5, "", "未获授权 (用户或客户端标识无权连接)"},
        {MqttFailure::Refused, 9, "", "错误 9"},
        {MqttFailure::Unreachable, 14, "Connection refused", "无法建立连接 (服务器未运行, 地址或端口有误, 或被防火墙拦截) (Connection refused)"},
        {MqttFailure::Timeout, 0, "", "连接超时"},
        {MqttFailure::Tls, 8, "certificate verify failed",
         "TLS 握手失败: 服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址 (certificate verify failed)"},
        {MqttFailure::Tls, 8, "host name verification failed.; certificate verify failed",
         "TLS 握手失败: 服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址 (host name verification failed.; certificate verify failed)"},
        {MqttFailure::Tls, 0, "/etc/ca.pem: No such file or directory", "TLS 握手失败 (/etc/ca.pem: No such file or directory)"},
        {MqttFailure::Other, 7, "The connection was lost.", "连接失败 (The connection was lost.)"},
        {MqttFailure::Other, -1, "", "错误 -1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MqttFailureText(c.kind, c.code, QString::fromUtf8(c.original)), QString::fromUtf8(c.expected))
            << c.code << ' ' << c.original;
    EXPECT_EQ(MqttLostText(QString()), QString::fromUtf8("连接中断"));
    EXPECT_EQ(MqttLostText(QStringLiteral("The connection was lost.")), QString::fromUtf8("连接中断 (The connection was lost.)"));
}

TEST(Metrics, EnergiesInJoulesWithTheirDirectionAndOneHeaderPerFamily)
{
    std::vector<MeterEntry> meters(2);
    meters[0].spec = {QStringLiteral("main"), 1, QStringLiteral("/dev/ttyUSB0")};
    meters[1].spec = {QStringLiteral("we\"ird"), 2, QStringLiteral("/dev/ttyUSB0")};
    for (MeterEntry &m : meters)
        ApplyPoll(m, Poll(rdov::MeterStatus::Ok));
    const QByteArray text = MetricsText(meters);
    EXPECT_TRUE(text.contains("rd5800_active_energy_joules_total{meter=\"main\",direction=\"import\"} 43200000\n"));
    EXPECT_TRUE(text.contains("rd5800_phase_voltage_volts{meter=\"we\\\"ird\",phase=\"B\"} 229\n"));
    EXPECT_EQ(text.count("# TYPE rd5800_phase_voltage_volts gauge\n"), 1);
    EXPECT_EQ(text.count("# TYPE rd5800_requests_total counter\n"), 1);
    // No counters read yet: no pulse samples rather than a made-up zero.
    EXPECT_FALSE(text.contains("rd5800_input_pulses_total{"));
}

TEST(Metrics, AnOfflineMeterKeepsItsCountersButNotItsGauges)
{
    std::vector<MeterEntry> meters(1);
    meters[0].spec = {QStringLiteral("main"), 7, QStringLiteral("/dev/ttyUSB0")};
    ApplyPoll(meters[0], Poll(rdov::MeterStatus::Ok));
    ServiceFigures figures;
    figures.version = QStringLiteral("1.2.3");
    figures.adapters.push_back({QStringLiteral("/dev/ttyUSB0"), false, 2});
    figures.mqttConfigured = true;
    const QByteArray online = MetricsText(meters, &figures);
    EXPECT_TRUE(online.contains("rd5800_phase_voltage_volts{meter=\"main\",phase=\"A\"} 231\n"));
    EXPECT_TRUE(online.contains("rd5800_phase_voltage_avg_volts{meter=\"main\"} 230\n"));
    EXPECT_TRUE(online.contains("rd5800_meter_info{meter=\"main\",address=\"7\",adapter=\"/dev/ttyUSB0\"} 1\n"));
    EXPECT_TRUE(online.contains("rd5800_build_info{version=\"1.2.3\"} 1\n"));
    EXPECT_TRUE(online.contains("rd5800_adapter_up{adapter=\"/dev/ttyUSB0\"} 0\n"));
    EXPECT_TRUE(online.contains("rd5800_port_errors_total{adapter=\"/dev/ttyUSB0\"} 2\n"));
    EXPECT_TRUE(online.contains("rd5800_mqtt_connected 0\n"));

    for (int i = 0; i < kMissedPollsOffline; ++i)
        ApplyPoll(meters[0], Poll(rdov::MeterStatus::NoReply));
    ASSERT_EQ(meters[0].availability, Availability::Offline);
    const QByteArray offline = MetricsText(meters, &figures);
    EXPECT_FALSE(offline.contains("rd5800_phase_voltage_volts{")) << offline.toStdString();
    EXPECT_FALSE(offline.contains("rd5800_frequency_hertz{"));
    EXPECT_TRUE(offline.contains("rd5800_up{meter=\"main\"} 0\n"));
    EXPECT_TRUE(offline.contains("rd5800_active_energy_joules_total{meter=\"main\",direction=\"import\"} 43200000\n"));
    EXPECT_TRUE(offline.contains("rd5800_last_reading_timestamp_seconds{meter=\"main\"} 1765000000\n"));
    EXPECT_TRUE(offline.contains("rd5800_timeouts_total{meter=\"main\"} 3\n"));
}
