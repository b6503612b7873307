#include "PhaseAngles.h"

#include "WiringThresholds.h"

#include <cmath>

namespace rddiag {

double WrapDegrees(double deg)
{
    double w = std::fmod(deg, 360.0);
    if (w <= -180.0)
        w += 360.0;
    else if (w > 180.0)
        w -= 360.0;
    return w;
}

double CircularDistance(double a, double b)
{
    return std::fabs(WrapDegrees(a - b));
}

std::optional<int> ReferencePhase(const std::vector<PhaseAngle> &loaded)
{
    if (loaded.empty())
        return std::nullopt;
    if (loaded.size() == 1)
        return loaded.front().phase;

    size_t best = 0;
    double bestSum = 0;
    for (size_t i = 0; i < loaded.size(); ++i) {
        double sum = 0;
        for (const PhaseAngle &other : loaded)
            sum += CircularDistance(loaded[i].phi, other.phi);
        if (i == 0 || sum < bestSum - kSlack) {
            best = i;
            bestSum = sum;
        }
    }
    // The median decides when it has company: with three phases a majority, with
    // two both agree. Three phases about 120 deg apart, or two that disagree, do not.
    for (size_t i = 0; i < loaded.size(); ++i)
        if (i != best && CircularDistance(loaded[i].phi, loaded[best].phi) <= kAgreeDeg + kSlack)
            return loaded[best].phase;

    std::optional<int> usual;
    for (const PhaseAngle &p : loaded) {
        if (p.phi >= kUsualPhiLowDeg - kSlack && p.phi <= kUsualPhiHighDeg + kSlack) {
            if (usual)
                return std::nullopt;   // several: the angles alone cannot say which is right
            usual = p.phase;
        }
    }
    return usual;
}

} // namespace rddiag
