#include "ReplyBuffer.h"

#include <algorithm>

namespace rdlink {
namespace {
constexpr int kExceptionLength = 5;   // address, function | 0x80, code, CRC
}

ReplyBuffer::ReplyBuffer(const Frame &request)
    : m_address(request[0]), m_function(request[1]), m_expected(ExpectedReplyLength(request))
{
}

bool ReplyBuffer::add(const QByteArray &data)
{
    if (data.isEmpty() || complete())
        return complete();
    // A frame found now must end in the new bytes: it starts at most its length
    // minus one before them.
    const int longest = std::max(m_expected, kExceptionLength);
    int from = std::max(0, int(m_bytes.size()) - (longest - 1));
    m_total += data.size();
    if (data.size() >= kKeep) {
        m_bytes = data.right(kKeep);
        from = 0;
    } else {
        m_bytes.append(data);
        const int drop = int(m_bytes.size()) - kKeep;
        if (drop > 0) {
            m_bytes.remove(0, drop);
            from = std::max(0, from - drop);
        }
    }
    const auto *b = reinterpret_cast<const uint8_t *>(m_bytes.constData());
    const int n = int(m_bytes.size()) - from;
    const int reply = FindReplyFrame(b + from, n, m_function, m_address, m_expected);
    if (reply >= 0) {
        m_frameAt = from + reply;
        return true;
    }
    const int exception = FindReplyFrame(b + from, n, uint8_t(m_function | 0x80), m_address, kExceptionLength);
    if (exception >= 0)
        m_exceptionAt = from + exception;
    return complete();
}

int ReplyBuffer::fewestStillToCome() const
{
    // Stray bytes in front only make this smaller: the sleep it allows is shorter.
    int fewest = m_total < m_expected ? int(m_expected - m_total) : 1;
    // An exception frame may have begun in the last few bytes.
    const int n = int(m_bytes.size());
    for (int p = std::max(0, n - (kExceptionLength - 1)); p < n; ++p) {
        if (uint8_t(m_bytes[p]) != m_address)
            continue;
        if (p + 1 == n || uint8_t(m_bytes[p + 1]) == uint8_t(m_function | 0x80)) {
            fewest = std::min(fewest, kExceptionLength - (n - p));
            break;
        }
    }
    return std::max(fewest, 1);
}

} // namespace rdlink
