// One relay's six settings registers as texts and back: mode, operate value, reset
// value, operate delay, reset delay, pulse width. Powers in kilo-units.
#pragma once

#include "Conversions.h"
#include "FieldError.h"

#include <array>
#include <optional>
#include <variant>

namespace rdmod {

struct RelayTexts {
    QString mode;
    QString operate;
    QString reset;
    QString operateDelay;
    QString resetDelay;
    QString pulseWidth;
};

struct RelayView {
    RelayTexts texts;
    QString unit;          // of both value labels; empty for fixed modes
    bool modeKnown = true; // false: the mode byte matches no list entry
};

using RelayRegisters = std::array<uint16_t, 6>;

// Registers in block order (mode, operate, reset, delays, pulse width) -> texts.
// Fixed modes and a mode byte that matches nothing: values unsigned, factor 1;
// an unknown byte gives an empty mode text so nothing is written back unchosen.
RelayView DecodeRelay(const RelayRegisters &regs, Ratios ratios);

// Texts -> registers, or the first field that cannot be written faithfully. group
// is the relay's caption ("继电器OUT1") used to name the field.
std::variant<RelayRegisters, FieldError> EncodeRelay(const RelayTexts &texts, Ratios ratios,
                                                     const QString &group);

// Unit of both value labels for the relay mode list entry at position 0..31.
QString RelayUnitAt(int position);

} // namespace rdmod
