#include "Formatting.h"

#include <cmath>
#include <QCoreApplication>

namespace rdacq {

namespace {

// Three-step ladder on the magnitude: above a million, above a thousand, otherwise.
QString Ladder3(double x, const char *big, const char *mid, const char *small)
{
    const double mag = std::fabs(x);
    if (mag > 1000000.0)
        return QString::asprintf(big, x / 1000000.0);
    if (mag > 1000.0)
        return QString::asprintf(mid, x / 1000.0);
    return QString::asprintf(small, x);
}

} // namespace

QString FormatVoltage(double v)
{
    return v > 1000.0 ? QString::asprintf("%.2f KV", v / 1000.0) : QString::asprintf("%.2f V", v);
}

QString FormatCurrent(double a)
{
    return a > 1000.0 ? QString::asprintf("%.3f KA", a / 1000.0) : QString::asprintf("%.3f A", a);
}

QString FormatActivePower(double w)
{
    return Ladder3(w, "%.3f MW", "%.3f KW", "%.3f W");
}

QString FormatReactivePower(double var)
{
    return Ladder3(var, "%.3f MVar", "%.3f KVar", "%.3f Var");
}

QString FormatApparentPower(double va)
{
    return Ladder3(va, "%.3f MVA", "%.3f KVA", "%.3f VA");
}

QString FormatPowerFactor(double pf)
{
    return QString::asprintf("%.3f", pf);
}

QString FormatFrequency(double hz)
{
    return QString::asprintf("%.3f Hz", hz);
}

QString FormatEnergy(EnergyKind kind, double value)
{
    // Energies are magnitudes, so the ladder goes by the value itself.
    switch (kind) {
    case EnergyKind::PositiveActive:
        return Ladder3(value, "%.3f KMWh", "%.3f MWh", "%.3f KWh");
    case EnergyKind::NegativeActive:
        return Ladder3(value, "-%.3f KMWh", "-%.3f MWh", "-%.3f KWh");
    case EnergyKind::PositiveReactive:
        return Ladder3(value, "%.3f KMVarh", "%.3f MVarh", "%.3f KVarh");
    case EnergyKind::NegativeReactive:
        return Ladder3(value, "-%.3f KMVarh", "-%.3f MVarh", "-%.3f KVarh");
    }
    return QString();
}

QString RelayText(bool closed)
{
    return closed ? QCoreApplication::translate("Formatting", "闭") : QCoreApplication::translate("Formatting", "开");
}

MeasurementTexts FormatMeasurements(const Measurements &m)
{
    MeasurementTexts t;
    for (int c = 0; c < 4; ++c) {
        t.grid[kRowPhaseVoltage][c] = FormatVoltage(m.phaseVoltage[c]);
        t.grid[kRowLineVoltage][c] = FormatVoltage(m.lineVoltage[c]);
        t.grid[kRowCurrent][c] = FormatCurrent(m.current[c]);
        t.grid[kRowActive][c] = FormatActivePower(m.activePower[c]);
        t.grid[kRowReactive][c] = FormatReactivePower(m.reactivePower[c]);
        t.grid[kRowApparent][c] = FormatApparentPower(m.apparentPower[c]);
        t.grid[kRowPowerFactor][c] = FormatPowerFactor(m.powerFactor[c]);
    }
    t.frequency = FormatFrequency(m.frequency);
    static const EnergyKind kKinds[4] = {EnergyKind::PositiveActive, EnergyKind::NegativeActive,
                                         EnergyKind::PositiveReactive, EnergyKind::NegativeReactive};
    for (int i = 0; i < 4; ++i)
        t.energy[i] = FormatEnergy(kKinds[i], m.energy[i]);
    const uint8_t inputs = m.ioWord & 0xFF;
    const uint8_t outputs = m.ioWord >> 8;
    for (int i = 0; i < 6; ++i) {
        t.inputs[i] = (inputs >> i) & 1;
        t.relays[i] = RelayText((outputs >> i) & 1);
    }
    return t;
}

} // namespace rdacq
