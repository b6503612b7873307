// When to try the broker again. A failed connect or a lost connection waits
// 1 s, doubling up to 60 s. The wait starts again at 1 s after a connection
// that held for a while (kStableMs): a broker that accepts and then drops the
// client at once (a refused client id, another client taking the same id)
// keeps doubling instead of being hammered once a second.
#pragma once

#include "link/Clock.h"

#include <cstdint>

namespace rdsvc {

class MqttRetry {
public:
    static constexpr uint32_t kStableMs = 30000;
    static constexpr int kMaxSeconds = 60;

    explicit MqttRetry(rdlink::Clock &clock) : m_clock(clock) {}

    // The connection is up.
    void connected();
    // A connect failed or the connection was lost: the seconds to wait before
    // the next try.
    int failed();

    // The next wait after `current`: doubles, at most a minute.
    static int NextBackoff(int current) { return current >= kMaxSeconds / 2 ? kMaxSeconds : current * 2; }

private:
    rdlink::Clock &m_clock;
    int m_next = 1;
    bool m_up = false;
    uint32_t m_upSince = 0;
};

} // namespace rdsvc
