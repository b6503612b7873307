// The electrical side of the simulated instrument: a three-phase supply of about
// 230 V phase / 400 V line at 50 Hz feeding loads of a few to tens of amps with
// power factors near 0.9. Every value drifts slowly along smooth curves derived
// from the seed, so a run is reproducible; a frozen model stays at time 0.
//
// Values are the instrument's secondary-side readings. The programs scale them
// with the PT and CT ratios, so the raw registers do not depend on the ratios;
// only the energy counters, which the programs do not scale, are primary-side.
#pragma once

#include "sim/WiringFaults.h"

#include <array>
#include <cstdint>

namespace rdsim {

// Wiring mode codes as the instrument stores them (register 0x0301).
enum WiringMode : uint8_t {
    kThreePhase4WireUnbalanced = 0,
    kSinglePhase2Wire = 1,
    kThreePhase3WireUnbalanced = 2,
    kThreePhase3WireBalanced = 3,
    kSinglePhase3Wire = 4,
    kThreePhase4WireBalanced = 5,
};

struct PhaseReading {
    double phaseVolts = 0;   // V
    double lineVolts = 0;    // V, the line voltage of this phase's column
    double amps = 0;         // A
    double watts = 0;        // W, negative when power flows out
    double powerFactor = 0;  // signed like the active power
    double vars = 0;         // var
    double voltAmps = 0;     // VA
};

struct Reading {
    std::array<PhaseReading, 3> phase;
    PhaseReading total;      // averages of voltages and currents, sums of powers
    double hertz = 50;
};

class ThreePhaseModel {
public:
    explicit ThreePhaseModel(uint32_t seed);

    void setWiring(uint8_t wiring) { m_wiring = wiring; }
    // Export: the installation feeds the grid, so active powers are negative and
    // the negative active energy counter grows.
    void setExport(bool exporting) { m_export = exporting; }
    // Wiring faults at the meter's inputs: the readings are what the inputs see.
    void setWiringFaults(const WiringFaults &faults) { m_faults = faults; }
    // Scales every phase current: the meters of a simulated bus each see their own load.
    void setLoadScale(double scale) { m_loadScale = scale; }

    Reading readingAt(double seconds) const;

    // Harmonic content of one item (0..2 = I1..I3, 3..5 = U1..U3), orders 2 to 19,
    // in units of 0.1 % of the fundamental. Odd orders dominate, currents more
    // distorted than voltages.
    std::array<uint16_t, 18> harmonicsAt(int item, double seconds) const;

    // Adds the energy of `seconds` at the given reading, scaled to the primary side.
    void accumulateEnergy(const Reading &reading, double seconds, uint32_t pt, uint32_t ct);
    // kWh / kvarh: positive active, negative active, positive reactive, negative reactive.
    uint32_t energyCounter(int which) const;

private:
    double wave(int channel, double seconds, double periodS) const;
    // Replaces the phases' readings by what the meter measures through the faulty
    // wiring, and in the 3-wire modes through its two elements: voltages and
    // currents as phasors, powers from their product.
    void applyWiringFaults(Reading &r, int livePhases) const;
    bool threeWire() const { return m_wiring == kThreePhase3WireUnbalanced || m_wiring == kThreePhase3WireBalanced; }

    uint8_t m_wiring = kThreePhase4WireUnbalanced;
    bool m_export = false;
    WiringFaults m_faults;
    double m_loadScale = 1.0;
    std::array<double, 24> m_phases{};  // per-channel phase offsets from the seed
    std::array<double, 4> m_energy{};   // kWh / kvarh, fractional
};

} // namespace rdsim
