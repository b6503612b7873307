// Time as the link sees it: a blocking sleep, a busy wait on the millisecond tick
// count, and the tick count itself. Tests use FakeClock, which advances at once.
#pragma once

#include <cstdint>

namespace rdlink {

class Clock {
public:
    virtual ~Clock() = default;
    // Blocks the calling thread for ms milliseconds.
    virtual void sleepMs(uint32_t ms) = 0;
    // Blocks until (tick - start), as an unsigned 32-bit difference, reaches ms.
    // Nothing else runs meanwhile, exactly like the instrument software expects,
    // but the wait is made of short sleeps so that it does not burn a core.
    virtual void busyWaitMs(uint32_t ms) = 0;
    // Milliseconds on a monotonic clock; wraps at 2^32.
    virtual uint32_t tickMs() = 0;
};

// The real clock: steady_clock and std::this_thread::sleep_for.
class SteadyClock : public Clock {
public:
    void sleepMs(uint32_t ms) override;
    void busyWaitMs(uint32_t ms) override;
    uint32_t tickMs() override;
};

// One clock for a whole program.
Clock &SystemClock();

} // namespace rdlink
