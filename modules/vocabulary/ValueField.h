// Checks shared by the relay and analog output blocks: one value field converted
// by kind, and one whole-number field.
#pragma once

#include "Conversions.h"
#include "FieldError.h"

#include <optional>
#include <variant>

namespace rdmod {

// kind empty: a fixed relay mode, factor 1 and an unsigned register.
std::variant<uint16_t, FieldError> EncodeValueField(const QString &text, std::optional<Kind> kind,
                                                    Ratios ratios, Scale scale, const QString &field);

std::variant<uint16_t, FieldError> EncodeWholeField(const QString &text, int max, const QString &field);

} // namespace rdmod
