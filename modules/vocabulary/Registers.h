// The plug-in modules' registers (from the instrument's register map) and
// presence bits, as the module windows use them.
#pragma once

#include "common/registers/RegisterMap.h"

#include <cstdint>

namespace rdmod {

constexpr uint8_t kSlaveAddress = 1;        // the module program addresses slave 1 only

constexpr uint16_t kPresenceRegister = rdreg::kModulePresence;
constexpr uint16_t kRatioRegister = rdreg::kPtRatio;  // PT, then CT

// Low byte of the presence register.
constexpr uint8_t kPresencePulse = 0x01;
constexpr uint8_t kPresenceAnalog1 = 0x04;
constexpr uint8_t kPresenceAnalog2 = 0x08;
constexpr uint8_t kPresenceRelay1 = 0x10;
constexpr uint8_t kPresenceRelay2 = 0x20;
constexpr uint8_t kPresenceRelay3 = 0x40;

// Relay settings: 12 registers per relay module, six per relay.
constexpr uint16_t kRelayBase = rdreg::kRelays;
constexpr int kRelayBlockSize = rdreg::kRelayBlockCount;
constexpr int kRelayRegisters = 6;
constexpr int kRelayModuleCount = 3;
constexpr int kNoRelayModule = 3;          // module index when none is selected

// Block address of relay module index 0..2 (modules 1# to 3#).
constexpr uint16_t RelayBlockAddress(int moduleIndex)
{
    return static_cast<uint16_t>(kRelayBase + kRelayBlockSize * moduleIndex);
}
// Register of relay r (1 or 2), offset k (0..5) of module index i.
constexpr uint16_t RelayRegister(int moduleIndex, int relay, int offset)
{
    return static_cast<uint16_t>(RelayBlockAddress(moduleIndex) + kRelayRegisters * (relay - 1) + offset);
}

// Energy pulse module.
constexpr uint16_t kPulseValueRegister = rdreg::kPulseValue;
constexpr uint16_t kPulseWidthRegister = rdreg::kPulseModuleWidth;

// Analog output settings: six registers per module (1# at 0x0337, 2# at 0x033D).
constexpr uint16_t kAnalogBase = rdreg::kAnalogOutputs;
constexpr int kAnalogBlockSize = rdreg::kAnalogBlockCount;
constexpr int kAnalogModuleCount = 2;
constexpr int kNoAnalogModule = 5;         // module index while none is known

constexpr uint16_t AnalogBlockAddress(int moduleIndex)
{
    return static_cast<uint16_t>(kAnalogBase + kAnalogBlockSize * moduleIndex);
}

// Selected relay module index after a presence read: the highest relay bit wins;
// kNoRelayModule when no relay bit is set.
int RelayModuleFromPresence(uint8_t presence);
// Selected analog output module index: module 2# wins over 1#; kNoAnalogModule
// when neither bit is set.
int AnalogModuleFromPresence(uint8_t presence);

} // namespace rdmod
