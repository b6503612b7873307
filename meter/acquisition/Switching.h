// The switching side of the instrument: which plug-in modules it reports and the
// six input pulse counters.
#pragma once

#include "RegisterValues.h"
#include "common/registers/RegisterMap.h"

#include <QString>
#include <array>
#include <cstdint>

namespace rdacq {

constexpr uint16_t kModuleRegister = rdreg::kModulePresence;
constexpr uint16_t kCounterRegister = rdreg::kCounters;
constexpr uint16_t kCounterCount = rdreg::kCountersCount;

// Lamps 7 to 12: E2, A20_1#, A20_2#, K2_1#, K2_2#, K2_3#. Bits 1 and 7 and the
// high byte of the register mean nothing.
std::array<bool, 6> ModuleLamps(uint16_t presence);

// The six counters of the counter block, each two registers with the high word first.
std::array<uint32_t, 6> DecodeCounters(const Registers &data);

// The same six counters as "%u".
std::array<QString, 6> CounterTexts(const Registers &data);

} // namespace rdacq
