#include "sim/MbapFramer.h"

#include "sim/Crc.h"

namespace rdsim {

namespace {
constexpr size_t kHeader = 7;          // transaction, protocol, length, unit
constexpr size_t kMaxPending = 1024;   // a babbling client cannot grow it further
}

void MbapFramer::add(const uint8_t *bytes, size_t length)
{
    m_buffer.insert(m_buffer.end(), bytes, bytes + length);
    if (m_buffer.size() > kMaxPending) {
        m_discarded += m_buffer.size();
        m_buffer.clear();
    }
}

bool MbapFramer::next(MbapRequest *request)
{
    if (m_buffer.size() < kHeader)
        return false;
    const uint16_t protocol = uint16_t(m_buffer[2] << 8 | m_buffer[3]);
    const size_t length = size_t(m_buffer[4] << 8 | m_buffer[5]);
    if (protocol != 0 || length < 2 || length > 254) {
        m_discarded += m_buffer.size();
        m_buffer.clear();
        return false;
    }
    if (m_buffer.size() < 6 + length)
        return false;
    request->transaction = uint16_t(m_buffer[0] << 8 | m_buffer[1]);
    request->rtu.assign(m_buffer.begin() + 6, m_buffer.begin() + 6 + std::ptrdiff_t(length));
    AppendCrc(request->rtu);
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + 6 + std::ptrdiff_t(length));
    return true;
}

std::vector<uint8_t> WrapMbap(uint16_t transaction, const std::vector<uint8_t> &rtu)
{
    if (rtu.size() < 4)
        return {};
    const size_t length = rtu.size() - 2;   // unit id and PDU
    std::vector<uint8_t> adu = {uint8_t(transaction >> 8), uint8_t(transaction & 0xFF), 0, 0,
                                uint8_t(length >> 8), uint8_t(length & 0xFF)};
    adu.insert(adu.end(), rtu.begin(), rtu.end() - 2);
    return adu;
}

} // namespace rdsim
