// CRC-16/MODBUS for the simulated instrument. Computed bit by bit on purpose:
// the simulator is the independent peer of the programs' table-driven framing,
// so it must not share (or mirror) that code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rdsim {

// The plain CRC-16/MODBUS value (reflected 0xA001, start 0xFFFF, no final XOR).
// On the wire its low byte goes first.
uint16_t Crc16(const uint8_t *bytes, size_t length);

// Appends the CRC of everything in `frame`, low byte first.
void AppendCrc(std::vector<uint8_t> &frame);

// True when the last two bytes of frame[0 .. length) are the CRC of the rest.
bool HasValidCrc(const uint8_t *frame, size_t length);

} // namespace rdsim
