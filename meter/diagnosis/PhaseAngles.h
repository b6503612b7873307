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

} // namespace rddiag
