// The success rate of the measurement requests. Both counts start at 1, so the
// first tick shows 1 and 100.00; the texts of a tick are taken before the counts
// advance, so the rate shown covers the ticks before it.
#pragma once

#include <QString>

namespace rdacq {

class LinkStats {
public:
    struct Texts {
        QString attempts;   // "%d", the hidden "总次数"
        QString rate;       // "%.2f", beside "通讯成功率"
    };

    // Texts for this tick, then counts the request and, when found, the reply.
    Texts Record(bool replyFound);

    int attemptCount() const { return m_attemptCount; }
    int successCount() const { return m_successCount; }

private:
    int m_attemptCount = 1;
    int m_successCount = 1;
};

} // namespace rdacq
