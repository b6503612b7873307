// The bad days of a real line, each a probability per answered request: the reply
// is lost, its CRC is corrupted, stray bytes precede it, it comes too late for
// any wait, or the instrument answers with an exception. At most one fault hits a
// request; the kinds are tried in that order, each with its own draw.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace rdsim {

enum class Fault { None, Drop, BadCrc, Stray, Late, Exception };

struct FaultRates {
    double drop = 0;
    double badCrc = 0;
    double stray = 0;
    double late = 0;
    double exception = 0;
};

const char *FaultName(Fault fault);  // "dropped", "bad-crc", "stray", "late", "exception"

class FaultInjector {
public:
    FaultInjector(const FaultRates &rates, uint32_t seed);

    Fault decide();

    // Corrupts the CRC of a frame (flips bits in both CRC bytes).
    static void CorruptCrc(std::vector<uint8_t> &frame);
    // 1 to 6 noise bytes, none equal to `avoid` (the slave address), so they can
    // never be taken for the start of a frame from this slave.
    std::vector<uint8_t> strayBytes(uint8_t avoid);
    // Noise for a request heard at the wrong baud rate: 0 bytes (silence) about
    // half the time, otherwise up to `maxBytes` bytes, none equal to `avoid`.
    std::vector<uint8_t> garbage(uint8_t avoid, size_t maxBytes);

private:
    bool draw(double p);
    uint8_t noiseByte(uint8_t avoid);

    FaultRates m_rates;
    std::mt19937 m_rng;
};

} // namespace rdsim
