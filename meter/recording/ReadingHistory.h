// The readings of the last eight hours in memory, for the trend window: filled on
// every reading whether a trend window is open or not. Stored compactly, one time
// and one float per quantity and reading (216 bytes a reading with 52 quantities:
// 15.6 MB for eight hours at one reading every 400 ms).
#pragma once

#include "meter/acquisition/Reading.h"

#include <QtGlobal>
#include <deque>
#include <vector>

namespace rdrec {

class ReadingHistory {
public:
    static constexpr qint64 kSpanMs = 8 * 3600 * 1000;
    // Bounds memory whatever the poll period: 150 000 readings are 32 MB, eight
    // hours at one reading every 192 ms.
    static constexpr int kDefaultCapacity = 150000;

    explicit ReadingHistory(int capacity = kDefaultCapacity);

    // Adds a reading and drops what is older than eight hours before it (or over
    // the capacity). A reading earlier than the newest one held (the system clock
    // was set back) drops the held readings that now lie in the future.
    void add(const rdacq::Reading &reading);
    void clear();

    int size() const { return int(m_times.size()); }
    qint64 timeAt(int i) const { return m_times[size_t(i)]; }   // ms since the epoch
    // Value of quantity `q` (index into RecordedQuantities()); NaN when unknown.
    float valueAt(int q, int i) const { return m_values[size_t(q)][size_t(i)]; }
    // The first reading at or after `sinceMs`.
    int firstIndexSince(qint64 sinceMs) const;

    struct Point { qint64 timeMs; float value; };
    // The known values of quantity `q` from `sinceMs` on, oldest first.
    std::vector<Point> points(int q, qint64 sinceMs) const;

    // Bytes held by the stored values (the containers' own overhead aside).
    size_t payloadBytes() const;

private:
    void dropFront();

    int m_capacity;
    std::deque<qint64> m_times;
    std::vector<std::deque<float>> m_values;   // one per quantity
};

} // namespace rdrec
