#include "Measurements.h"

#include "RegisterValues.h"

namespace rdacq {

namespace {

// One group of eight registers: phase voltage, line voltage, current, then the
// fourth register (unused in the phase groups, the frequency in the combined
// group), active power, power factor, reactive power, apparent power.
void DecodeGroup(const Registers &data, int base, int column, double pt, double ct, Measurements &m)
{
    m.phaseVoltage[column] = U16(data, base + 0) * pt / 10.0;
    m.lineVoltage[column] = U16(data, base + 1) * pt / 10.0;
    m.current[column] = U16(data, base + 2) * ct / 1000.0;
    m.activePower[column] = S16(data, base + 4) * pt * ct;
    m.powerFactor[column] = S16(data, base + 5) / 1000.0;
    m.reactivePower[column] = S16(data, base + 6) * pt * ct;
    m.apparentPower[column] = U16(data, base + 7) * pt * ct;
}

} // namespace

Measurements DecodeMeasurements(const Registers &data, uint32_t ptRatio, uint32_t ctRatio)
{
    const double pt = ptRatio;
    const double ct = ctRatio;
    Measurements m;
    DecodeGroup(data, 0x00, kColA, pt, ct, m);
    DecodeGroup(data, 0x08, kColB, pt, ct, m);
    DecodeGroup(data, 0x10, kColC, pt, ct, m);
    DecodeGroup(data, 0x18, kCombined, pt, ct, m);
    m.frequency = U16(data, 0x1B) * 0.01;
    m.ioWord = U16(data, 0x20);
    for (int i = 0; i < 4; ++i)
        m.energy[i] = U32LowWordFirst(data, 0x21 + 2 * i);
    return m;
}

std::array<double, 6> Fundamentals(const Measurements &m)
{
    return {m.current[kColA], m.current[kColB], m.current[kColC],
            m.phaseVoltage[kColA], m.phaseVoltage[kColB], m.phaseVoltage[kColC]};
}

} // namespace rdacq
