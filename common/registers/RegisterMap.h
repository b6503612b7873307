// Every register of the instrument that the two programs read or write, in one
// place: the poll, the commands, the module windows and the line monitor's names
// all take their addresses from here.
#pragma once

#include <cstdint>

namespace rdreg {

// Measurement data: 41 registers from 0x0000.
constexpr uint16_t kMeasurements = 0x0000;
constexpr uint16_t kMeasurementsCount = 41;

// Which plug-in modules the instrument reports (low byte: presence bits).
constexpr uint16_t kModulePresence = 0x0100;

// Harmonics: 18 registers per item, I1, I2, I3, U1, U2, U3 one after the other.
constexpr uint16_t kHarmonics = 0x020C;
constexpr uint16_t kHarmonicsCount = 18;

// Device information, 0x0300 to 0x0310: the poll reads it as a block, the
// commands write some of its registers one by one.
constexpr uint16_t kDeviceInfo = 0x0300;       // first register of the block
constexpr uint16_t kDeviceInfoCount = 17;

constexpr uint16_t kSlaveAddress = 0x0300;     // low byte
constexpr uint16_t kWiringMode = 0x0301;       // low byte, code 0..5
constexpr uint16_t kParity = 0x0303;           // the instrument's parity code
constexpr uint16_t kBaudRate = 0x0304;         // the instrument's baud rate code
constexpr uint16_t kPulseWidth = 0x0306;       // low byte, ms
constexpr uint16_t kPtRatio = 0x0307;
constexpr uint16_t kCtRatio = 0x0308;
constexpr uint16_t kAccuracy = 0x030A;         // low byte: 0 = class 0.5, otherwise 0.2

// A register's place in the device information block.
constexpr int InBlock(uint16_t reg) { return reg - kDeviceInfo; }

// Relay modules 1# to 3#: 12 registers each, six per relay.
constexpr uint16_t kRelays = 0x0311;
constexpr uint16_t kRelayBlockCount = 12;

// Energy pulse module: pulse value and pulse width.
constexpr uint16_t kPulseValue = 0x0335;
constexpr uint16_t kPulseModuleWidth = 0x0336;

// Analog output (4-20 mA) modules 1# and 2#: 6 registers each.
constexpr uint16_t kAnalogOutputs = 0x0337;
constexpr uint16_t kAnalogBlockCount = 6;

// The six input pulse counters: 12 registers, two per counter.
constexpr uint16_t kCounters = 0x0760;
constexpr uint16_t kCountersCount = 12;

} // namespace rdreg
