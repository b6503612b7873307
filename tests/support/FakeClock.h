// A clock for tests: sleeps and busy waits advance the time at once and are
// recorded, so a test sees every wait without waiting.
#pragma once

#include "link/Clock.h"

#include <vector>

namespace rdtest {

struct RecordedWait {
    bool busy;          // true for a busy wait, false for a sleep
    uint32_t ms;
};

class FakeClock : public rdlink::Clock {
public:
    explicit FakeClock(uint32_t start = 0) : m_now(start) {}
    void sleepMs(uint32_t ms) override { waits.push_back({false, ms}); m_now += ms; }
    void busyWaitMs(uint32_t ms) override { waits.push_back({true, ms}); m_now += ms; }
    uint32_t tickMs() override { return m_now; }
    void advance(uint32_t ms) { m_now += ms; }

    std::vector<RecordedWait> waits;

private:
    uint32_t m_now;
};

} // namespace rdtest
