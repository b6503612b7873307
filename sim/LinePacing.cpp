#include "sim/LinePacing.h"

#include <algorithm>
#include <limits>

namespace rdsim {

uint64_t CharTimeNs(int baud, bool parity)
{
    if (baud <= 0)
        return 0;
    return (parity ? 11u : 10u) * 1000000000ull / uint64_t(baud);
}

void LinePacing::schedule(Burst burst)
{
    const uint64_t duration = burst.lineChars * burst.charNs;
    // Push the start past every burst it would overlap (including the one on air).
    bool moved = true;
    while (moved) {
        moved = false;
        for (const Burst &b : m_bursts) {
            if (burst.startNs < b.endNs() && b.startNs < burst.startNs + std::max<uint64_t>(duration, 1)) {
                burst.startNs = b.endNs();
                moved = true;
            }
        }
    }
    const auto pos = std::upper_bound(m_bursts.begin(), m_bursts.end(), burst.startNs,
                                      [](uint64_t t, const Burst &b) { return t < b.startNs; });
    // The burst on air stays in front.
    if (pos == m_bursts.begin() && m_frontStarted)
        m_bursts.insert(m_bursts.begin() + 1, std::move(burst));
    else
        m_bursts.insert(pos, std::move(burst));
}

uint64_t LinePacing::nextDueNs() const
{
    if (m_bursts.empty())
        return std::numeric_limits<uint64_t>::max();
    const Burst &b = m_bursts.front();
    if (!m_frontStarted)
        return b.startNs;
    if (m_frontSent < b.bytes.size())
        return b.dueNs(m_frontSent);
    return b.endNs();
}

LinePacing::Due LinePacing::take(uint64_t nowNs)
{
    Due due;
    if (m_bursts.empty())
        return due;
    Burst &b = m_bursts.front();
    if (nowNs < b.startNs)
        return due;
    due.burst = &b;
    if (!m_frontStarted) {
        m_frontStarted = true;
        m_frontSent = 0;
        due.started = true;
        due.loggedBytes = b.logged;
        due.meaning = b.meaning;
    }
    while (m_frontSent < b.bytes.size() && b.dueNs(m_frontSent) <= nowNs)
        due.bytes.push_back(b.bytes[m_frontSent++]);
    if (m_frontSent >= b.bytes.size() && nowNs >= b.endNs()) {
        due.finished = true;
        due.hasLineChange = b.hasLineChange;
        due.lineChange = b.lineChange;
        due.burst = nullptr;
        m_bursts.pop_front();
        m_frontStarted = false;
        m_frontSent = 0;
    }
    return due;
}

} // namespace rdsim
