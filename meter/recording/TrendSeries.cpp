// Min/max thinning of one trend curve.
#include "TrendSeries.h"

#include <algorithm>
#include <cmath>

namespace rdrec {

void TrendSeries::reset(qint64 rangeMs)
{
    m_bucketMs = std::max<qint64>(1, rangeMs / kBuckets);
    m_buckets.clear();
    m_settled = 0;
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
           && std::max(m_buckets.front().minTime, m_buckets.front().maxTime) < cutoffMs) {
        m_buckets.pop_front();
        m_settled = std::max(0, m_settled - 1);
    }
}

QList<QPointF> TrendSeries::points() const
{
    QList<QPointF> out;
    appendPoints(0, int(m_buckets.size()), out);
    return out;
}

void TrendSeries::settle()
{
    m_settled = std::max(0, int(m_buckets.size()) - 1);
    for (int i = 0; i < m_settled; ++i) {
        const Bucket &b = m_buckets[size_t(i)];
        m_settledMin = i == 0 ? b.minValue : std::min(m_settledMin, b.minValue);
        m_settledMax = i == 0 ? b.maxValue : std::max(m_settledMax, b.maxValue);
    }
}

QList<QPointF> TrendSeries::settledPoints() const
{
    QList<QPointF> out;
    appendPoints(0, m_settled, out);
    return out;
}

QList<QPointF> TrendSeries::livePoints() const
{
    QList<QPointF> out;
    if (m_settled > 0) {
        QList<QPointF> last;
        appendPoints(m_settled - 1, m_settled, last);
        out.append(last.back());
    }
    appendPoints(m_settled, int(m_buckets.size()), out);
    return out;
}

void TrendSeries::appendPoints(int from, int to, QList<QPointF> &out) const
{
    out.reserve(out.size() + qsizetype(2 * (to - from)));
    for (int i = from; i < to; ++i) {
        const Bucket &b = m_buckets[size_t(i)];
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
}

bool TrendSeries::valueRange(double *lo, double *hi) const
{
    if (m_buckets.empty())
        return false;
    // Trimming drops settled buckets; the kept range may then be wider than
    // what is left until the next settle(), which the window calls right after.
    float l = m_settled > 0 ? m_settledMin : m_buckets.back().minValue;
    float h = m_settled > 0 ? m_settledMax : m_buckets.back().maxValue;
    for (size_t i = size_t(m_settled); i < m_buckets.size(); ++i) {
        l = std::min(l, m_buckets[i].minValue);
        h = std::max(h, m_buckets[i].maxValue);
    }
    *lo = l;
    *hi = h;
    return true;
}

} // namespace rdrec
