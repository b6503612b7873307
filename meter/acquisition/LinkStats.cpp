#include "LinkStats.h"

#include <climits>

namespace rdacq {

LinkStats::Texts LinkStats::Record(bool replyFound)
{
    Texts t;
    t.attempts = QString::asprintf("%d", m_attemptCount);
    t.rate = QString::asprintf("%.2f", 100.0 * m_successCount / m_attemptCount);
    // Counting stops short of overflow; at one tick per 400 ms that is decades away.
    if (m_attemptCount < INT_MAX) {
        ++m_attemptCount;
        if (replyFound)
            ++m_successCount;
    }
    return t;
}

} // namespace rdacq
