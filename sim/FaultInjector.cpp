#include "sim/FaultInjector.h"

namespace rdsim {

const char *FaultName(Fault fault)
{
    switch (fault) {
    case Fault::None: return "reply";
    case Fault::Drop: return "dropped";
    case Fault::BadCrc: return "bad-crc";
    case Fault::Stray: return "stray";
    case Fault::Late: return "late";
    case Fault::Exception: return "exception";
    }
    return "";
}

FaultInjector::FaultInjector(const FaultRates &rates, uint32_t seed)
    : m_rates(rates), m_rng(seed ^ 0xFA017u)
{
}

bool FaultInjector::draw(double p)
{
    if (p <= 0)
        return false;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) < p;
}

Fault FaultInjector::decide()
{
    if (draw(m_rates.drop)) return Fault::Drop;
    if (draw(m_rates.badCrc)) return Fault::BadCrc;
    if (draw(m_rates.stray)) return Fault::Stray;
    if (draw(m_rates.late)) return Fault::Late;
    if (draw(m_rates.exception)) return Fault::Exception;
    return Fault::None;
}

void FaultInjector::CorruptCrc(std::vector<uint8_t> &frame)
{
    if (frame.size() < 2)
        return;
    frame[frame.size() - 2] ^= 0x5A;
    frame[frame.size() - 1] ^= 0xA5;
}

uint8_t FaultInjector::noiseByte(uint8_t avoid)
{
    std::uniform_int_distribution<int> byte(0, 255);
    uint8_t b;
    do {
        b = uint8_t(byte(m_rng));
    } while (b == avoid);
    return b;
}

std::vector<uint8_t> FaultInjector::strayBytes(uint8_t avoid)
{
    std::vector<uint8_t> out(size_t(std::uniform_int_distribution<int>(1, 6)(m_rng)));
    for (uint8_t &b : out)
        b = noiseByte(avoid);
    return out;
}

std::vector<uint8_t> FaultInjector::garbage(uint8_t avoid, size_t maxBytes)
{
    std::vector<uint8_t> out;
    if (maxBytes == 0 || !draw(0.5))
        return out;
    out.resize(size_t(std::uniform_int_distribution<size_t>(1, maxBytes)(m_rng)));
    for (uint8_t &b : out)
        b = noiseByte(avoid);
    return out;
}

} // namespace rdsim
