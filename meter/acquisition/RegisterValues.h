// Register readers for the data bytes of a function-3 reply. `data` points at the
// first data byte (frame position + 3); register n is data bytes 2n (high) and
// 2n + 1 (low).
#pragma once

#include <cstdint>

namespace rdacq {

inline uint16_t U16(const uint8_t *data, int reg)
{
    return static_cast<uint16_t>(data[2 * reg] << 8 | data[2 * reg + 1]);
}

inline int16_t S16(const uint8_t *data, int reg)
{
    return static_cast<int16_t>(U16(data, reg));
}

// The low byte of a register; the high byte is ignored.
inline uint8_t LowByte(const uint8_t *data, int reg)
{
    return data[2 * reg + 1];
}

// Energy counters: the first register holds the low 16 bits.
inline uint32_t U32LowWordFirst(const uint8_t *data, int reg)
{
    return static_cast<uint32_t>(U16(data, reg + 1)) << 16 | U16(data, reg);
}

// Input counters: the first register holds the high 16 bits.
inline uint32_t U32HighWordFirst(const uint8_t *data, int reg)
{
    return static_cast<uint32_t>(U16(data, reg)) << 16 | U16(data, reg + 1);
}

} // namespace rdacq
