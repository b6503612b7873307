// The eight-hour history and the thinning of a trend curve.
#include "SyntheticReading.h"
#include "meter/recording/AxisScale.h"
#include "meter/recording/Quantities.h"
#include "meter/recording/ReadingHistory.h"
#include "meter/recording/TrendSeries.h"

#include <gtest/gtest.h>

using namespace rdrec;

namespace {

const QDateTime kStart = rdtest::ChinaTime(2026, 12, 7, 8, 0, 0);
const int kFrequency = 28;      // index of "频率 (Hz)"
const int kCounter1 = 45;       // index of "DI1 计数"

// `count` readings every `periodMs` from kStart, frequency = reading number.
void Fill(ReadingHistory &h, int count, int periodMs, int from = 0)
{
    for (int i = from; i < from + count; ++i) {
        rdacq::Reading r = rdtest::SyntheticReading(kStart.addMSecs(qint64(i) * periodMs), i);
        r.values.frequency = i;
        h.add(r);
    }
}

} // namespace

TEST(ReadingHistory, QuantityIndicesUsedHere)
{
    EXPECT_EQ(RecordedQuantities()[kFrequency].header, QStringLiteral("频率 (Hz)"));
    EXPECT_EQ(RecordedQuantities()[kCounter1].header, QStringLiteral("DI1 计数"));
}

TEST(ReadingHistory, KeepsEightHoursAndNoMore)
{
    ReadingHistory h;
    const int perEightHours = 8 * 3600 * 1000 / 400;   // 72 000
    Fill(h, perEightHours + 1500, 400);
    const qint64 last = h.timeAt(h.size() - 1);
    EXPECT_EQ(h.size(), perEightHours + 1);           // both ends of the eight hours
    EXPECT_EQ(h.timeAt(0), last - ReadingHistory::kSpanMs);
    EXPECT_EQ(h.valueAt(kFrequency, 0), 1499.0f);
    // 216 bytes a reading: well under 40 MB for eight hours at 400 ms.
    EXPECT_EQ(h.payloadBytes(), size_t(perEightHours + 1) * (8 + 52 * 4));
}

TEST(ReadingHistory, CapacityBoundsAFastPoll)
{
    ReadingHistory h(1000);
    Fill(h, 2500, 10);
    EXPECT_EQ(h.size(), 1000);
    EXPECT_EQ(h.valueAt(kFrequency, 0), 1500.0f);
}

TEST(ReadingHistory, RangesCutOffAtTheirStart)
{
    ReadingHistory h;
    Fill(h, 2 * 9000 + 1, 400);          // two hours
    const qint64 last = h.timeAt(h.size() - 1);
    const struct { qint64 spanMs; size_t points; } ranges[] = {
        {10 * 60 * 1000, 1501}, {3600 * 1000, 9001}, {8 * 3600 * 1000, 18001}};
    for (const auto &range : ranges) {
        const auto points = h.points(kFrequency, last - range.spanMs);
        ASSERT_EQ(points.size(), range.points) << range.spanMs;
        EXPECT_EQ(points.front().timeMs, last - std::min(range.spanMs, qint64(2 * 3600 * 1000)));
        EXPECT_EQ(points.back().timeMs, last);
        EXPECT_EQ(points.back().value, 18000.0f);
    }
}

TEST(ReadingHistory, UnknownValuesAreLeftOutAndAClockSetBackDropsTheFuture)
{
    ReadingHistory h;
    Fill(h, 10, 1000);
    rdacq::Reading noCounters = rdtest::SyntheticReading(kStart.addSecs(10), 10);
    noCounters.counters.reset();
    h.add(noCounters);
    EXPECT_EQ(h.points(kCounter1, 0).size(), 10u);
    EXPECT_EQ(h.points(kFrequency, 0).size(), 11u);

    // The clock goes back 4.5 s: readings stamped after the new one are dropped,
    // so times stay in order.
    rdacq::Reading back = rdtest::SyntheticReading(kStart.addMSecs(6500), 0);
    h.add(back);
    ASSERT_EQ(h.size(), 8);
    for (int i = 1; i < h.size(); ++i)
        EXPECT_LT(h.timeAt(i - 1), h.timeAt(i));
}

TEST(TrendSeries, ShortRangesKeepEveryReadingLongOnesKeepEveryPeak)
{
    TrendSeries tenMinutes;
    tenMinutes.reset(10 * 60 * 1000);               // 600 ms buckets
    for (int i = 0; i < 1500; ++i)
        tenMinutes.add(qint64(i) * 400, float(i % 7));
    const QList<QPointF> all = tenMinutes.points();
    ASSERT_EQ(all.size(), 1500);
    for (int i = 0; i < all.size(); ++i)
        ASSERT_EQ(all[i], QPointF(i * 400.0, i % 7)) << i;

    TrendSeries eightHours;
    eightHours.reset(8 * 3600 * 1000);              // 28.8 s buckets, 72 readings each
    for (int i = 0; i < 72000; ++i)
        eightHours.add(qint64(i) * 400, i == 30000 ? 500.0f : i == 50001 ? -80.0f : float(i % 3));
    const QList<QPointF> thin = eightHours.points();
    EXPECT_LE(thin.size(), 2 * TrendSeries::kBuckets);
    EXPECT_TRUE(thin.contains(QPointF(30000 * 400.0, 500.0)));
    EXPECT_TRUE(thin.contains(QPointF(50001 * 400.0, -80.0)));
    for (int i = 1; i < thin.size(); ++i)
        ASSERT_LT(thin[i - 1].x(), thin[i].x()) << i;
    double lo, hi;
    ASSERT_TRUE(eightHours.valueRange(&lo, &hi));
    EXPECT_EQ(lo, -80.0);
    EXPECT_EQ(hi, 500.0);

    // Moving on: the peak leaves with its bucket, the range follows.
    eightHours.trimBefore(50000 * 400);
    ASSERT_TRUE(eightHours.valueRange(&lo, &hi));
    EXPECT_EQ(hi, 2.0);
    EXPECT_FALSE(eightHours.points().contains(QPointF(30000 * 400.0, 500.0)));
}

TEST(TrendSeries, SettledPartAndLiveTailJoinIntoTheWholeCurve)
{
    TrendSeries s;
    s.reset(10 * 60 * 1000);
    for (int i = 0; i < 100; ++i)
        s.add(qint64(i) * 400, float(i));
    s.settle();
    for (int i = 100; i < 110; ++i)
        s.add(qint64(i) * 400, i == 105 ? 1000.0f : float(i));
    QList<QPointF> joined = s.settledPoints();
    const QList<QPointF> live = s.livePoints();
    ASSERT_FALSE(live.isEmpty());
    EXPECT_EQ(live.front(), joined.back());
    joined.append(live.mid(1));
    EXPECT_EQ(joined, s.points());
    EXPECT_LE(s.liveBuckets(), 8);
    double lo, hi;
    ASSERT_TRUE(s.valueRange(&lo, &hi));
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 1000.0);
}

TEST(AxisScale, RoundLimitsAroundTheValues)
{
    const struct { double lo, hi, min, max; int ticks; } cases[] = {
        {216.5, 223.6, 216, 224, 5},
        {13344.1, 36857.4, 10000, 40000, 4},
        {0.91, 0.99, 0.9, 1.0, 6},      // steps of 0.02
        {-1500, 200, -1500, 500, 5},
        {50, 50, 47, 53, 7},            // flat line: 5 % room around it
        {0, 0, -1, 1, 5},
    };
    for (const auto &c : cases) {
        const AxisScale s = NiceAxisScale(c.lo, c.hi);
        EXPECT_NEAR(s.min, c.min, 1e-9) << c.lo << ".." << c.hi;
        EXPECT_NEAR(s.max, c.max, 1e-9) << c.lo << ".." << c.hi;
        EXPECT_EQ(s.ticks, c.ticks) << c.lo << ".." << c.hi;
        EXPECT_LE(s.min, c.lo);
        EXPECT_GE(s.max, c.hi);
    }
}
