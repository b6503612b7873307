// The measurement block, registers 0x0000 to 0x0028, decoded into physical values.
// Columns are ordered as the window shows them: combined, A/CA, B/AB, C/BC.
#pragma once

#include "RegisterValues.h"
#include "common/registers/RegisterMap.h"

#include <array>
#include <cstdint>

namespace rdacq {

constexpr uint16_t kMeasurementRegister = rdreg::kMeasurements;
constexpr uint16_t kMeasurementCount = rdreg::kMeasurementsCount;

enum Column { kCombined = 0, kColA = 1, kColB = 2, kColC = 3 };

struct Measurements {
    std::array<double, 4> phaseVoltage{};   // V
    std::array<double, 4> lineVoltage{};    // V
    std::array<double, 4> current{};        // A
    std::array<double, 4> activePower{};    // W
    std::array<double, 4> reactivePower{};  // var
    std::array<double, 4> apparentPower{};  // VA
    std::array<double, 4> powerFactor{};
    double frequency = 0;                   // Hz
    uint16_t ioWord = 0;                    // register 0x0020: DI in the low byte, DO in the high byte
    // Positive active, negative active, positive reactive, negative reactive;
    // kWh or kvarh, magnitudes (the sign of the negative ones is only in the text).
    std::array<uint32_t, 4> energy{};
};

// `data` holds the 41 registers of the reply. Voltages and powers are scaled by
// the PT ratio, currents and powers by the CT ratio, multiplying before dividing.
Measurements DecodeMeasurements(const Registers &data, uint32_t ptRatio, uint32_t ctRatio);

// The phase values the harmonic display needs, in the order of its items:
// I1, I2, I3 (A), U1, U2, U3 (V).
std::array<double, 6> Fundamentals(const Measurements &m);

} // namespace rdacq
