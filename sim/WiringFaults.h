// Wiring faults the simulated meter can be installed with (--wiring-fault), the
// mistakes a technician makes at a new panel: a current transformer mounted the
// wrong way round, two CTs on each other's phase, a voltage input left open, and
// a phase that feeds no load. The model applies them to what the meter's inputs
// see, so every reading follows as a real meter would measure it.
#pragma once

#include <array>
#include <string>

namespace rdsim {

struct WiringFaults {
    // Which phase's current each current input carries (0..2 = A..C).
    std::array<int, 3> currentSource{0, 1, 2};
    std::array<bool, 3> reversedCt{};     // the input's CT is mounted the wrong way round
    std::array<bool, 3> lostVoltage{};    // the voltage input carries nothing
    std::array<bool, 3> noLoad{};         // the phase itself carries no current

    bool any() const;
};

// Adds one fault: "reverse-ct:C", "lose-voltage:A", "swap-ct:A,B" or "no-load:B"
// (phase letters in either case). Faults add up in the order given; a swap
// exchanges what the two inputs carry at that point. False for anything else.
bool AddWiringFault(const std::string &spec, WiringFaults *faults);

} // namespace rdsim
