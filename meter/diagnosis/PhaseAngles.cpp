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

bool Exporting(double phi)
{
    return std::fabs(WrapDegrees(phi)) > 90.0;
}

std::optional<Reversal> ReversedCts(const std::vector<PhaseAngle> &loaded)
{
    std::vector<PhaseAngle> positive, negative;
    for (const PhaseAngle &a : loaded)
        (Exporting(a.phi) ? negative : positive).push_back(a);
    if (positive.empty() || negative.empty())
        return std::nullopt;
    const std::optional<int> reference = ReferencePhase(positive);
    if (!reference)
        return std::nullopt;
    double refPhi = 0;
    for (const PhaseAngle &a : positive)
        if (a.phase == *reference)
            refPhi = a.phi;
    for (const PhaseAngle &a : positive)
        if (CircularDistance(a.phi, refPhi) > kAgreeDeg + kSlack)
            return std::nullopt;
    for (const PhaseAngle &a : negative)
        if (CircularDistance(a.phi, refPhi) <= kReversedDeg + kSlack)
            return std::nullopt;

    Reversal r;
    for (const PhaseAngle &a : negative)
        r.reversed.push_back(a.phase);
    for (const PhaseAngle &a : positive)
        r.alternative.push_back(a.phase);
    r.reference = *reference;
    // Each reading counts its assumptions: one per reversed CT, and one more for
    // power fed back, which a consuming site does not do. The other reading is
    // named only where it costs no more than the likelier one: two reversed CTs
    // against one and export, not one against two and export.
    r.alternativeFits = r.alternative.size() + 1 <= r.reversed.size();
    return r;
}

} // namespace rddiag
