#include "Switching.h"

#include "RegisterValues.h"

namespace rdacq {

std::array<bool, 6> ModuleLamps(uint16_t presence)
{
    static const uint8_t kBits[6] = {0x01, 0x04, 0x08, 0x10, 0x20, 0x40};
    std::array<bool, 6> lit{};
    for (int i = 0; i < 6; ++i)
        lit[i] = (presence & kBits[i]) != 0;
    return lit;
}

std::array<uint32_t, 6> DecodeCounters(const Registers &data)
{
    std::array<uint32_t, 6> counters{};
    for (int j = 0; j < 6; ++j)
        counters[j] = U32HighWordFirst(data, 2 * j);
    return counters;
}

std::array<QString, 6> CounterTexts(const Registers &data)
{
    const std::array<uint32_t, 6> counters = DecodeCounters(data);
    std::array<QString, 6> texts;
    for (int j = 0; j < 6; ++j)
        texts[j] = QString::asprintf("%u", static_cast<unsigned>(counters[j]));
    return texts;
}

} // namespace rdacq
