#include "sim/SwitchingIo.h"

#include <algorithm>

namespace rdsim {

namespace {
constexpr double kMeanInputChangeMs = 6000.0;

// Kinds read as two's complement: active power, power factor, reactive power.
bool IsSignedQuantity(uint8_t code)
{
    const int place = (code - 1) % 8;  // 0 = phase voltage ... 7 = apparent power
    return code == 33 || place == 4 || place == 5 || place == 6;
}
} // namespace

SwitchingIo::SwitchingIo(uint32_t seed) : m_rng(seed ^ 0x5EEDu)
{
    std::uniform_int_distribution<uint32_t> start(0, 5000);
    for (uint32_t &c : m_counters)
        c = start(m_rng);
}

bool SwitchingIo::inputPresent(int input) const
{
    return m_modules & (kModuleRelay1 << (input / 2));
}

bool SwitchingIo::FollowedValue(uint8_t mode, const std::array<uint16_t, 32> &measured,
                                int32_t *value)
{
    if (mode == 33) {  // the smallest of the three phase active powers
        int32_t least = int16_t(measured[4]);
        for (int reg : {12, 20})
            least = std::min<int32_t>(least, int16_t(measured[reg]));
        *value = least;
        return true;
    }
    if (mode < 1 || mode > 32 || mode == 4 || mode == 12 || mode == 20)
        return false;
    // Code c follows measurement register c - 1 (four groups of eight).
    const uint16_t raw = measured[mode - 1];
    *value = IsSignedQuantity(mode) ? int32_t(int16_t(raw)) : int32_t(raw);
    return true;
}

void SwitchingIo::advance(uint64_t nowMs, const std::array<uint16_t, 32> &measured,
                          const std::array<RelaySettings, kRelays> &relays)
{
    if (!m_started) {
        m_started = true;
        std::exponential_distribution<double> gap(1.0 / kMeanInputChangeMs);
        m_nextInputChangeMs = nowMs + uint64_t(gap(m_rng));
    }
    if (!m_frozen)
        stepInputs(nowMs);
    for (int i = 0; i < kRelays; ++i)
        stepRelay(i, nowMs, measured, relays[i]);
}

void SwitchingIo::stepInputs(uint64_t nowMs)
{
    std::exponential_distribution<double> gap(1.0 / kMeanInputChangeMs);
    std::uniform_int_distribution<int> pick(0, kRelays - 1);
    // Catch up over a long silence without replaying every change.
    int budget = 1000;
    while (m_nextInputChangeMs <= nowMs && budget-- > 0) {
        const int input = pick(m_rng);
        if (inputPresent(input)) {
            const uint8_t bit = uint8_t(1u << input);
            m_inputs ^= bit;
            if (m_inputs & bit)
                ++m_counters[input];  // a pulse is an input closing
        }
        m_nextInputChangeMs += 1 + uint64_t(gap(m_rng));
    }
    if (budget <= 0)
        m_nextInputChangeMs = nowMs + 1;
}

void SwitchingIo::stepRelay(int index, uint64_t nowMs, const std::array<uint16_t, 32> &measured,
                            const RelaySettings &s)
{
    RelayState &st = m_relay[index];
    const uint8_t mode = uint8_t(s.mode & 0xFF);
    int32_t value = 0;
    if (mode == 0 || mode == 255 || !FollowedValue(mode, measured, &value)) {
        // Fixed states; a code that follows nothing leaves the relay released.
        st.operated = st.closed = (mode == 255);
        st.conditionHeld = false;
        return;
    }
    const bool isSigned = IsSignedQuantity(mode);
    const int32_t op = isSigned ? int32_t(int16_t(s.operateValue)) : int32_t(s.operateValue);
    const int32_t rs = isSigned ? int32_t(int16_t(s.resetValue)) : int32_t(s.resetValue);
    // Operate value at or above the reset value: an over-limit relay; below it:
    // an under-limit relay.
    const bool over = op >= rs;
    bool wantChange;
    uint16_t delayS;
    if (!st.operated) {
        wantChange = over ? value >= op : value <= op;
        delayS = s.operateDelayS;
    } else {
        wantChange = over ? value < rs : value > rs;
        delayS = s.resetDelayS;
    }
    if (!wantChange) {
        st.conditionHeld = false;
    } else {
        if (!st.conditionHeld) {
            st.conditionHeld = true;
            st.conditionSinceMs = nowMs;
        }
        if (nowMs - st.conditionSinceMs >= uint64_t(delayS) * 1000u) {
            st.operated = !st.operated;
            st.conditionHeld = false;
            st.pulseEndMs = nowMs + uint64_t(s.pulseWidthS) * 1000u;
        }
    }
    st.closed = st.operated && (s.pulseWidthS == 0 || nowMs < st.pulseEndMs);
}

uint16_t SwitchingIo::ioWord() const
{
    uint8_t outputs = 0;
    for (int i = 0; i < kRelays; ++i)
        if (inputPresent(i) && m_relay[i].closed)
            outputs |= uint8_t(1u << i);
    uint8_t inputs = 0;
    for (int i = 0; i < kRelays; ++i)
        if (inputPresent(i) && (m_inputs & (1u << i)))
            inputs |= uint8_t(1u << i);
    return uint16_t(outputs << 8 | inputs);
}

} // namespace rdsim
