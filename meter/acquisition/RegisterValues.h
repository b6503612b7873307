// The registers of a function-3 reply and their readers. A `Registers` view holds
// the reply's data bytes (frame position + 3) with their length: register n is
// data bytes 2n (high) and 2n + 1 (low). A register the reply does not hold reads
// as 0, so no decoder can read past what was received; the poll hands a block to
// its decoder only when the reply holds every register of it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rdacq {

class Registers {
public:
    Registers() = default;
    Registers(const uint8_t *data, size_t bytes) : m_data(data), m_count(data ? int(bytes / 2) : 0) {}
    // Any container of bytes with data() and size(): a vector, an array.
    template <class Bytes>
    Registers(const Bytes &bytes) : Registers(bytes.data(), bytes.size()) {}

    int count() const { return m_count; }
    bool holds(int registers) const { return m_count >= registers; }

    uint16_t u16(int reg) const
    {
        if (reg < 0 || reg >= m_count)
            return 0;
        return static_cast<uint16_t>(m_data[2 * reg] << 8 | m_data[2 * reg + 1]);
    }

private:
    const uint8_t *m_data = nullptr;
    int m_count = 0;
};

inline uint16_t U16(const Registers &r, int reg)
{
    return r.u16(reg);
}

inline int16_t S16(const Registers &r, int reg)
{
    return static_cast<int16_t>(r.u16(reg));
}

// The low byte of a register; the high byte is ignored.
inline uint8_t LowByte(const Registers &r, int reg)
{
    return static_cast<uint8_t>(r.u16(reg) & 0xFF);
}

// Energy counters: the first register holds the low 16 bits.
inline uint32_t U32LowWordFirst(const Registers &r, int reg)
{
    return static_cast<uint32_t>(r.u16(reg + 1)) << 16 | r.u16(reg);
}

// Input counters: the first register holds the high 16 bits.
inline uint32_t U32HighWordFirst(const Registers &r, int reg)
{
    return static_cast<uint32_t>(r.u16(reg)) << 16 | r.u16(reg + 1);
}

} // namespace rdacq
