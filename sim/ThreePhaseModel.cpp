#include "sim/ThreePhaseModel.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

namespace rdsim {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kNominalVolts = 230.0;
constexpr std::array<double, 3> kBaseAmps = {18.0, 12.0, 25.0};
constexpr std::array<double, 3> kBasePf = {0.91, 0.88, 0.93};

// Line voltage between two phase voltages 120 degrees apart.
double LineVolts(double a, double b)
{
    return std::sqrt(a * a + b * b + a * b);
}
} // namespace

ThreePhaseModel::ThreePhaseModel(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> angle(0.0, kTwoPi);
    for (double &p : m_phases)
        p = angle(rng);
    // Counters of an instrument that has been in service for a while.
    std::uniform_int_distribution<int> start(1000, 90000);
    m_energy = {double(start(rng)), double(start(rng) / 20), double(start(rng) / 2),
                double(start(rng) / 40)};
}

double ThreePhaseModel::wave(int channel, double seconds, double periodS) const
{
    return std::sin(kTwoPi * seconds / periodS + m_phases[channel % m_phases.size()]);
}

Reading ThreePhaseModel::readingAt(double t) const
{
    Reading r;
    const bool balanced =
        m_wiring == kThreePhase3WireBalanced || m_wiring == kThreePhase4WireBalanced;
    const int livePhases =
        m_wiring == kSinglePhase2Wire ? 1 : (m_wiring == kSinglePhase3Wire ? 2 : 3);

    for (int p = 0; p < 3; ++p) {
        const int src = balanced ? 0 : p;
        PhaseReading &ph = r.phase[p];
        if (p >= livePhases)
            continue;
        ph.phaseVolts = kNominalVolts * (1.0 + 0.012 * wave(src, t, 97.0) + 0.004 * wave(src + 3, t, 13.0));
        ph.amps = kBaseAmps[src] * (1.0 + 0.30 * wave(src + 6, t, 300.0) + 0.08 * wave(src + 9, t, 41.0));
        ph.amps = std::max(ph.amps * m_loadScale, 0.5);
        const double pf = std::clamp(kBasePf[src] + 0.04 * wave(src + 12, t, 173.0), 0.5, 0.999);
        ph.voltAmps = ph.phaseVolts * ph.amps;
        ph.watts = ph.voltAmps * pf * (m_export ? -1.0 : 1.0);
        ph.powerFactor = pf * (m_export ? -1.0 : 1.0);
        ph.vars = ph.voltAmps * std::sqrt(1.0 - pf * pf);
    }
    // Line voltages of the A/CA, B/AB and C/BC columns.
    for (int p = 0; p < 3; ++p) {
        const double a = r.phase[p].phaseVolts;
        const double b = r.phase[(p + 2) % 3].phaseVolts;
        r.phase[p].lineVolts = (a > 0 && b > 0) ? LineVolts(a, b) : 0.0;
    }
    if (m_faults.any() || threeWire())
        applyWiringFaults(r, livePhases);
    if (livePhases == 2)  // single phase three wire: the two halves are opposite
        r.phase[0].lineVolts = r.phase[1].lineVolts = r.phase[0].phaseVolts + r.phase[1].phaseVolts;

    PhaseReading &tot = r.total;
    for (int p = 0; p < livePhases; ++p) {
        tot.phaseVolts += r.phase[p].phaseVolts / livePhases;
        tot.lineVolts += r.phase[p].lineVolts / livePhases;
        tot.amps += r.phase[p].amps / livePhases;
        tot.watts += r.phase[p].watts;
        tot.vars += r.phase[p].vars;
        tot.voltAmps += r.phase[p].voltAmps;
    }
    if (threeWire()) {
        // Two elements: their powers add up to the three phases' (two-wattmeter
        // method), their volt-amperes do not; the current is that of the two CTs.
        tot.voltAmps = std::hypot(tot.watts, tot.vars);
        tot.amps = (r.phase[0].amps + r.phase[2].amps) / 2;
    }
    tot.powerFactor = tot.voltAmps > 0 ? tot.watts / tot.voltAmps : 0.0;
    r.hertz = 50.0 + 0.03 * wave(15, t, 61.0) + 0.01 * wave(16, t, 7.0);
    return r;
}

void ThreePhaseModel::applyWiringFaults(Reading &r, int livePhases) const
{
    // The supply as it is: voltages at 0, -120 and +120 degrees, each phase's
    // current lagging its voltage by phi = atan2(Q, P).
    const double angles[3] = {0.0, -kTwoPi / 3, kTwoPi / 3};
    std::complex<double> volts[3], amps[3];
    for (int p = 0; p < livePhases; ++p) {
        const PhaseReading &ph = r.phase[p];
        const double phi = std::atan2(ph.vars, ph.watts);
        volts[p] = std::polar(ph.phaseVolts, angles[p]);
        amps[p] = m_faults.noLoad[p] ? 0.0 : std::polar(ph.amps, angles[p] - phi);
    }
    // What each input sees, and what the meter makes of it.
    std::complex<double> seen[3];
    for (int p = 0; p < livePhases; ++p)
        seen[p] = m_faults.lostVoltage[p] ? 0.0 : volts[p];
    for (int p = 0; p < livePhases; ++p) {
        const int source = m_faults.currentSource[p];
        std::complex<double> current = source < livePhases ? amps[source] : 0.0;
        if (m_faults.reversedCt[p])
            current = -current;
        // A 3-wire meter has two elements, I_A against U_AB and I_C against U_CB,
        // no CT on B and no neutral: it reports no phase voltages.
        std::complex<double> element = seen[p];
        if (threeWire()) {
            element = seen[p] - seen[1];
            if (p == 1)
                current = 0.0;
        }
        const std::complex<double> power = element * std::conj(current);
        PhaseReading &ph = r.phase[p];
        ph.phaseVolts = threeWire() ? 0.0 : std::abs(seen[p]);
        ph.amps = std::abs(current);
        ph.watts = power.real();
        ph.vars = power.imag();
        ph.voltAmps = std::abs(element) * ph.amps;
        ph.powerFactor = ph.voltAmps > 0 ? ph.watts / ph.voltAmps : 0.0;
    }
    // A line voltage is the difference of the two inputs: an open input sits at
    // the neutral, so CA reads the C phase voltage.
    for (int p = 0; p < 3; ++p) {
        const int other = (p + 2) % 3;
        r.phase[p].lineVolts = (p < livePhases && other < livePhases) ? std::abs(seen[p] - seen[other]) : 0.0;
    }
}

std::array<uint16_t, 18> ThreePhaseModel::harmonicsAt(int item, double t) const
{
    std::array<uint16_t, 18> out{};
    const bool current = item < 3;
    const double drift = 1.0 + 0.15 * wave(17 + item % 6, t, 120.0);
    for (int j = 0; j < 18; ++j) {
        const int order = j + 2;
        double tenths;  // 0.1 % units
        if (order % 2 == 1) {
            tenths = (current ? 320.0 : 45.0) / order;
            if (order % 3 == 0)  // triplens partly cancel in a three-phase load
                tenths *= current ? 0.8 : 0.6;
        } else {
            tenths = (current ? 8.0 : 3.0) / order;
        }
        out[j] = static_cast<uint16_t>(std::lround(tenths * drift * (1.0 + 0.05 * (item % 3))));
    }
    return out;
}

void ThreePhaseModel::accumulateEnergy(const Reading &reading, double seconds, uint32_t pt, uint32_t ct)
{
    const double scale = double(pt) * double(ct) * seconds / 3600.0 / 1000.0;
    const double p = reading.total.watts * scale;
    const double q = reading.total.vars * scale;
    m_energy[p >= 0 ? 0 : 1] += std::fabs(p);
    m_energy[q >= 0 ? 2 : 3] += std::fabs(q);
}

uint32_t ThreePhaseModel::energyCounter(int which) const
{
    return static_cast<uint32_t>(std::fmod(std::floor(m_energy[which % 4]), 4294967296.0));
}

} // namespace rdsim
