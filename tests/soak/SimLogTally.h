// Reads the simulator's request log after a soak run: how many requests reached
// it, what it did with each measurement read, and the success rate the main
// window should show for the same ticks.
#pragma once

#include "../sim/SimProcess.h"

#include <map>
#include <string>
#include <vector>

namespace soak {

struct SimTally {
    int requests = 0;                   // reads and writes addressed to the meter
    int unreadable = 0;                 // rx lines that were no request (noise, bad CRC, ...)
    std::map<std::string, int> replies; // every tx meaning: reply, stray, dropped, late, ...
    // One entry per measurement read, in order: true when the simulator sent a
    // reply the program can find (plain, or after stray bytes) within the exchange.
    std::vector<bool> measurementGood;

    int measurementRequests() const { return int(measurementGood.size()); }
    int goodMeasurementReplies() const;
};

// A late reply is logged when it starts, after later requests, so it is counted
// but given to no request: the request it answers has no reply in its exchange.
SimTally TallySimLog(const std::vector<simtest::LogLine> &lines);

// The rate (percent) the window shows after `ticks` ticks whose measurement reads
// had the outcomes `good`: both counts start at 1 and a tick's text is taken
// before its own read is counted, so the last shown text covers ticks
// 1..ticks-1. Returns -1 when no tick ran or `good` is shorter than ticks - 1.
double ShownRateFor(const std::vector<bool> &good, int ticks);

} // namespace soak
