// One 4-20 mA output's three registers as texts and back. Register order: quantity
// code, value giving 20 mA, value giving 4 mA. Powers in base units.
#pragma once

#include "Conversions.h"
#include "FieldError.h"

#include <array>
#include <variant>

namespace rdmod {

struct AnalogTexts {
    QString quantity;
    QString at4mA;
    QString at20mA;
};

struct AnalogView {
    AnalogTexts texts;
    QString unit;           // empty for a code that matches no quantity
};

using AnalogRegisters = std::array<uint16_t, 3>;   // code, 20 mA, 4 mA

// A code that matches no quantity gives an empty list text and unit; its values
// are read unsigned with factor 1.
AnalogView DecodeAnalog(const AnalogRegisters &regs, Ratios ratios);
std::variant<AnalogRegisters, FieldError> EncodeAnalog(const AnalogTexts &texts, Ratios ratios,
                                                       const QString &group);

// Unit label for the quantity list entry at position 0..28.
QString AnalogUnitAt(int position);

// Energy pulse registers: only the low byte counts; 0..255 whole numbers are written
// with a high byte of 0.
QString DecodePulseRegister(uint16_t reg);
std::variant<uint16_t, FieldError> EncodePulseField(const QString &text, const QString &field);

} // namespace rdmod
