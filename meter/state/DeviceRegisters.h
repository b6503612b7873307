// The device information registers, 0x0300 to 0x0310, in one place: the poll
// reads them as a block, the commands write some of them one by one.
#pragma once

#include <cstdint>

namespace rdreg {

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

// A register's place in the block, for reading it out of the block's data.
constexpr int InBlock(uint16_t reg) { return reg - kDeviceInfo; }

} // namespace rdreg
