// Min/max thinning of one trend curve.
#include "TrendSeries.h"

#include <algorithm>
#include <cmath>

namespace rdrec {

void TrendSeries::reset(qint64 rangeMs)
{
    m_bucketMs = std::max<qint64>(1, rangeMs / kBuckets);
    m_buckets.clear();
}

void TrendSeries::add(qint64 timeMs, float value)
{
    if (std::isnan(value))
        return;
    // Floor division, so that times before 1970 still land in the right bucket.
    const qint64 key = timeMs / m_bucketMs - (timeMs % m_bucketMs < 0 ? 1 : 0);
    if (m_buckets.empty() || m_buckets.back().key < key) {
        m_buckets.push_back({key, timeMs, timeMs, value, value});
        return;
    }
    Bucket &b = m_buckets.back();
    // Later readings win a tie, so a flat stretch draws up to its newest point.
    if (value <= b.minValue) { b.minValue = value; b.minTime = timeMs; }
    if (value >= b.maxValue) { b.maxValue = value; b.maxTime = timeMs; }
}

void TrendSeries::trimBefore(qint64 cutoffMs)
{
    while (!m_buckets.empty()
           && std::max(m_buckets.front().minTime, m_buckets.front().maxTime) < cutoffMs)
        m_buckets.pop_front();
}

QList<QPointF> TrendSeries::points() const
{
    QList<QPointF> out;
    out.reserve(qsizetype(2 * m_buckets.size()));
    for (const Bucket &b : m_buckets) {
        const QPointF lo(double(b.minTime), double(b.minValue));
        const QPointF hi(double(b.maxTime), double(b.maxValue));
        if (b.minTime == b.maxTime) {
            out.append(hi);
        } else if (b.minTime < b.maxTime) {
            out.append(lo);
            out.append(hi);
        } else {
            out.append(hi);
            out.append(lo);
        }
    }
    return out;
}

bool TrendSeries::valueRange(double *lo, double *hi) const
{
    if (m_buckets.empty())
        return false;
    float l = m_buckets.front().minValue;
    float h = m_buckets.front().maxValue;
    for (const Bucket &b : m_buckets) {
        l = std::min(l, b.minValue);
        h = std::max(h, b.maxValue);
    }
    *lo = l;
    *hi = h;
    return true;
}

} // namespace rdrec
