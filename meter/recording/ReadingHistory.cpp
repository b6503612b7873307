// The eight-hour reading history.
#include "ReadingHistory.h"

#include "Quantities.h"

#include <algorithm>
#include <cmath>

namespace rdrec {

ReadingHistory::ReadingHistory(int capacity)
    : m_capacity(std::max(1, capacity)), m_values(RecordedQuantities().size())
{
}

void ReadingHistory::add(const rdacq::Reading &reading)
{
    const qint64 t = reading.time.toMSecsSinceEpoch();
    while (!m_times.empty() && m_times.back() > t) {
        m_times.pop_back();
        for (auto &column : m_values)
            column.pop_back();
    }
    const std::vector<Quantity> &quantities = RecordedQuantities();
    m_times.push_back(t);
    for (size_t q = 0; q < quantities.size(); ++q)
        m_values[q].push_back(float(QuantityValue(quantities[q], reading)));
    while (!m_times.empty() && (m_times.front() < t - kSpanMs || size() > m_capacity))
        dropFront();
}

void ReadingHistory::clear()
{
    m_times.clear();
    for (auto &column : m_values)
        column.clear();
}

void ReadingHistory::dropFront()
{
    m_times.pop_front();
    for (auto &column : m_values)
        column.pop_front();
}

int ReadingHistory::firstIndexSince(qint64 sinceMs) const
{
    return int(std::lower_bound(m_times.begin(), m_times.end(), sinceMs) - m_times.begin());
}

std::vector<ReadingHistory::Point> ReadingHistory::points(int q, qint64 sinceMs) const
{
    std::vector<Point> out;
    const std::deque<float> &column = m_values[size_t(q)];
    for (int i = firstIndexSince(sinceMs); i < size(); ++i) {
        if (!std::isnan(column[size_t(i)]))
            out.push_back({m_times[size_t(i)], column[size_t(i)]});
    }
    return out;
}

size_t ReadingHistory::payloadBytes() const
{
    return m_times.size() * (sizeof(qint64) + m_values.size() * sizeof(float));
}

} // namespace rdrec
