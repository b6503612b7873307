// Angles on the circle for the wiring check: wrapping, distance, and the choice of
// the reference phase that the other phases' phi is compared with.
#pragma once

#include <optional>
#include <vector>

namespace rddiag {

// `deg` in (-180, 180].
double WrapDegrees(double deg);
// The distance of two angles on the circle, 0..180: 350 and 10 are 20 apart.
double CircularDistance(double a, double b);

struct PhaseAngle {
    int phase;      // 0..2 = A..C
    double phi;     // degrees
};

// The phase whose phi the others are compared with, among the loaded phases.
// First the circular median (the phase with the smallest sum of distances to the
// others), when another phase agrees with it within kAgreeDeg; otherwise the one
// phase whose phi lies in the usual load range. Empty when neither decides (no
// phase, or none or several in the usual range); one phase is its own reference.
std::optional<int> ReferencePhase(const std::vector<PhaseAngle> &loaded);

// A phi beyond +-90 degrees: the phase's active power is negative.
bool Exporting(double phi);

// The phases disagree in the sign of their active power. The two readings that
// fit: the site consumes and the phases with negative power have reversed CTs,
// or it feeds power back and the others have. Both ask the same of the angles:
// the phases of one sign agree with each other (kAgreeDeg around their
// reference) and every phase of the other sign lies beyond kReversedDeg from
// that reference, which is the limit a single reversed CT is named by.
struct Reversal {
    std::vector<int> reversed;      // consuming site: the phases with negative power
    std::vector<int> alternative;   // feeding back: the phases with positive power
    int reference;                  // the positive phase the reversed ones are compared with
    bool alternativeFits;           // the other reading costs no more assumptions (see .cpp)
};
// Empty unless the signs disagree and the angles fit a reversal as above.
std::optional<Reversal> ReversedCts(const std::vector<PhaseAngle> &loaded);

} // namespace rddiag
