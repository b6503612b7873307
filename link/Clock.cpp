#include "Clock.h"

#include <chrono>
#include <thread>

namespace rdlink {

void SteadyClock::sleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::busyWaitMs(uint32_t ms)
{
    // The wait ends on the tick count, like a spin on the tick counter would, and
    // the unsigned difference survives the counter wrapping. Short sleeps between
    // the reads keep the core free.
    const uint32_t start = tickMs();
    for (;;) {
        const uint32_t elapsed = tickMs() - start;
        if (elapsed >= ms)
            return;
        const uint32_t left = ms - elapsed;
        std::this_thread::sleep_for(std::chrono::milliseconds(left > 2 ? left - 1 : 1));
    }
}

uint32_t SteadyClock::tickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Clock &SystemClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace rdlink
