#include "sim/RxFramer.h"

#include "sim/Crc.h"

#include <algorithm>
#include <limits>

namespace rdsim {

namespace {
constexpr size_t kMaxPending = 512;  // a babbling master cannot grow it further
}

uint64_t FrameGapNs(uint64_t charNs)
{
    return std::max<uint64_t>(charNs * 7 / 2, 3000000);
}

void RxFramer::add(const uint8_t *bytes, size_t length, uint64_t nowNs)
{
    m_buffer.insert(m_buffer.end(), bytes, bytes + length);
    if (m_buffer.size() > kMaxPending)
        m_buffer.erase(m_buffer.begin(), m_buffer.end() - kMaxPending);
    m_lastNs = nowNs;
}

bool RxFramer::next(uint64_t nowNs, std::vector<uint8_t> *frame)
{
    if (m_buffer.empty())
        return false;
    if (m_buffer.size() >= 8 && (m_buffer[1] == 3 || m_buffer[1] == 6) &&
        HasValidCrc(m_buffer.data(), 8)) {
        frame->assign(m_buffer.begin(), m_buffer.begin() + 8);
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + 8);
        return true;
    }
    if (nowNs >= m_lastNs + m_gapNs) {
        frame->swap(m_buffer);
        m_buffer.clear();
        return true;
    }
    return false;
}

uint64_t RxFramer::gapDueNs() const
{
    return m_buffer.empty() ? std::numeric_limits<uint64_t>::max() : m_lastNs + m_gapNs;
}

} // namespace rdsim
