// Units and number formats of the measurement boxes. Each ladder picks its unit
// from the magnitude of the value ("above" is strictly greater) and formats with
// printf rounding, exactly as the boxes show it.
#pragma once

#include "Measurements.h"

#include <QString>
#include <array>

namespace rdacq {

QString FormatVoltage(double v);          // "%.2f KV" / "%.2f V"
QString FormatCurrent(double a);          // "%.3f KA" / "%.3f A"
QString FormatActivePower(double w);      // MW / KW / W
QString FormatReactivePower(double var);  // MVar / KVar / Var
QString FormatApparentPower(double va);   // MVA / KVA / VA
QString FormatPowerFactor(double pf);     // "%.3f"
QString FormatFrequency(double hz);       // "%.3f Hz"

enum class EnergyKind { PositiveActive, NegativeActive, PositiveReactive, NegativeReactive };
// KWh / MWh / KMWh and KVarh / MVarh / KMVarh; the negative counters always carry
// a leading "-", zero included.
QString FormatEnergy(EnergyKind kind, double value);

// Rows of the "基本数据" grid, top to bottom.
enum GridRow {
    kRowPhaseVoltage, kRowLineVoltage, kRowCurrent, kRowActive, kRowReactive,
    kRowApparent, kRowPowerFactor, kGridRows
};

// Everything one good measurement reply puts into the window.
struct MeasurementTexts {
    std::array<std::array<QString, 4>, kGridRows> grid;   // [row][column], columns as Measurements
    QString frequency;
    std::array<QString, 4> energy;                         // order of Measurements::energy
    std::array<bool, 6> inputs{};                          // DI1..DI6 lamps lit
    std::array<QString, 6> relays;                         // DO1..DO6: "闭" closed, "开" open
};

MeasurementTexts FormatMeasurements(const Measurements &m);

// Relay output text for one bit of the high byte of the I/O word.
QString RelayText(bool closed);

} // namespace rdacq
