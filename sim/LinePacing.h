// Line-speed pacing of everything the simulator sends. A reply is a burst of
// bytes that starts after the request has crossed the line and the instrument has
// turned round; byte i of a burst is complete on the line (and handed to the
// pseudo-terminal) one character time after byte i - 1. Bursts never overlap: a
// half-duplex line carries one at a time. All times are nanoseconds.
#pragma once

#include "sim/Device.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace rdsim {

// Nanoseconds per character: 10 bits (start, 8 data, stop), 11 with parity.
uint64_t CharTimeNs(int baud, bool parity);

struct Burst {
    uint64_t startNs = 0;
    uint64_t charNs = 0;
    std::vector<uint8_t> bytes;   // what goes on the line (empty: nothing, e.g. dropped)
    size_t lineChars = 0;         // how long the burst holds the line, in characters
    std::vector<uint8_t> logged;  // bytes shown in the log line
    std::string meaning;          // log meaning: reply, dropped, stray, ...
    bool hasLineChange = false;   // applied once the burst is over
    LineChange lineChange;

    uint64_t endNs() const { return startNs + lineChars * charNs; }
    uint64_t dueNs(size_t i) const { return startNs + (i + 1) * charNs; }
};

class LinePacing {
public:
    // Queues a burst at its wished start, or after the bursts it would overlap.
    void schedule(Burst burst);

    bool empty() const { return m_bursts.empty(); }
    // Earliest moment something is due (a burst starts, a byte is due, a burst
    // ends); UINT64_MAX when idle.
    uint64_t nextDueNs() const;

    struct Due {
        bool started = false;           // the front burst began: log it
        const Burst *burst = nullptr;   // the front burst
        std::vector<uint8_t> bytes;     // bytes to hand to the line now
        bool finished = false;          // the front burst is over
        bool hasLineChange = false;
        LineChange lineChange;
        std::vector<uint8_t> loggedBytes;
        std::string meaning;
    };
    // What is due at `nowNs` for the front burst; pops it when it is over.
    Due take(uint64_t nowNs);

    void clear() { m_bursts.clear(); m_frontStarted = false; m_frontSent = 0; }

private:
    std::deque<Burst> m_bursts;  // ordered by start
    bool m_frontStarted = false;
    size_t m_frontSent = 0;
};

} // namespace rdsim
