// The meter book's availability and counts, the MQTT reconnect backoff and the
// Prometheus text of a reading: what the service announces, without a line.
#include "service/MeterBook.h"
#include "service/MqttLink.h"
#include "service/Payloads.h"

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

TEST(MqttBackoff, DoublesFromOneSecondUpToAMinute)
{
    const int expected[] = {1, 2, 4, 8, 16, 32, 60, 60};
    int wait = 1;
    for (int e : expected) {
        EXPECT_EQ(wait, e);
        wait = MqttLink::NextBackoff(wait);
    }
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
