// Conversions between values in display units and register units, by kind of
// quantity and with the instrument's PT and CT ratios, and the strict reading of
// entered texts. Nothing here wraps a value: a value that does not fit its register
// is refused, so that the instrument never receives a number nobody typed.
#pragma once

#include "ControlQuantity.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace rdmod {

struct Ratios {
    uint16_t pt = 1;
    uint16_t ct = 1;
};

// Relay settings show powers in kilo-units (kW, kVar, kVA); analog output
// settings in base units (W, Var, VA).
enum class Scale { Kilo, Base };

// Unit label of a kind ("V", "A", "kW"/"W", "kVar"/"Var", "kVA"/"VA", "" for the
// power factor, "Hz").
QString UnitText(Kind kind, Scale scale);

// Register value -> display value. Registers of signed kinds are two's complement.
double DecodeValue(Kind kind, uint16_t reg, Ratios ratios, Scale scale);
// Values of a fixed relay mode, or of a code that matches nothing: unsigned, factor 1.
inline double DecodeUnscaled(uint16_t reg) { return reg; }

enum class EncodeStatus { Ok, OutOfRange, ZeroRatio };

struct Encoded {
    EncodeStatus status = EncodeStatus::Ok;
    uint16_t reg = 0;        // the 16 bits to send (two's complement for negatives)
    double minValue = 0;     // display values the register can take, for messages
    double maxValue = 0;
};

// Display value -> register: multiplied in double precision, truncated toward zero,
// checked against the register's range (signed kinds -32768..32767, the others
// 0..65535). A kind that divides by a ratio of 0 gives ZeroRatio.
Encoded EncodeValue(Kind kind, double value, Ratios ratios, Scale scale);
// Fixed relay modes: factor 1, unsigned register.
Encoded EncodeUnscaled(double value);

// "%.3f" as shown in the value edits.
QString FormatValue(double value);

// A decimal number, optionally signed, with optional fraction ("230.46", "-0.5",
// ".5"); blanks around it allowed. Anything else, the empty text included, is not
// a number.
std::optional<double> ParseNumber(const QString &text);
// A whole number 0..max written with digits only (blanks around it allowed).
std::optional<int> ParseWhole(const QString &text, int max);

} // namespace rdmod
