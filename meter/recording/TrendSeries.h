// One curve of the trend chart, thinned to what a screen can show: the time range
// is cut into a fixed number of buckets aligned to the clock, and each bucket keeps
// only its lowest and highest value with their times. A new reading changes only
// the newest bucket and buckets that leave the range fall off the front, so a
// tick costs the same with ten minutes or eight hours of readings behind it, and
// the line still shows every peak. Where a bucket holds at most two readings
// (the ten-minute range) the curve is exactly the readings.
//
// For drawing, the curve is split in two: a settled part, which changes only when
// settle() is called, and the live tail after it. A chart redraws a line in full
// whenever its points change, so the window draws the settled part as one series
// that it replaces only now and then, and the short tail as another, every tick.
#pragma once

#include <QList>
#include <QPointF>
#include <QtGlobal>
#include <deque>

namespace rdrec {

class TrendSeries {
public:
    // Buckets across a range; the chart has rarely more pixel columns than this.
    static constexpr int kBuckets = 1000;

    // Empties the curve and sets the range it spans; the bucket width is the
    // range divided by kBuckets.
    void reset(qint64 rangeMs);

    // Adds a reading at `timeMs` (not earlier than the last one); NaN is skipped.
    void add(qint64 timeMs, float value);

    // Drops the buckets whose readings all lie before `cutoffMs`.
    void trimBefore(qint64 cutoffMs);

    // The curve's points, oldest first: x in ms since the epoch, y the value.
    QList<QPointF> points() const;

    // Every bucket but the newest (which may still change) becomes settled.
    void settle();
    // The settled buckets' points.
    QList<QPointF> settledPoints() const;
    // The newest settled point, then the points of the buckets after it, so the
    // two parts join into one line.
    QList<QPointF> livePoints() const;
    int liveBuckets() const { return int(m_buckets.size()) - m_settled; }

    // Lowest and highest value held; false when the curve is empty. Looks only at
    // the live buckets: the settled part's range is kept.
    bool valueRange(double *lo, double *hi) const;

    int bucketCount() const { return int(m_buckets.size()); }
    qint64 bucketMs() const { return m_bucketMs; }

private:
    struct Bucket {
        qint64 key;                 // time ÷ bucket width
        qint64 minTime, maxTime;
        float minValue, maxValue;
    };

    void appendPoints(int from, int to, QList<QPointF> &out) const;

    qint64 m_bucketMs = 1;
    std::deque<Bucket> m_buckets;
    int m_settled = 0;          // buckets at the front that belong to the settled part
    float m_settledMin = 0, m_settledMax = 0;   // their values' range, kept by settle()
};

} // namespace rdrec
