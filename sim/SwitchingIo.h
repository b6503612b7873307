// The switching side of the simulated instrument: the two digital inputs and two
// relays of each relay module, and the pulse counters of the inputs.
//
// Inputs change now and then (seeded, so reproducible); each closing of an input
// is one pulse on its counter. Relays follow their settings block: mode 0 holds
// a relay open, 255 holds it closed, a quantity mode (1..32, 33 = smallest phase
// active power) operates and resets by the operate and reset values and delays.
#pragma once

#include <array>
#include <cstdint>
#include <random>

namespace rdsim {

constexpr int kRelayModules = 3;
constexpr int kRelays = 2 * kRelayModules;
constexpr int kRelayBlockSize = 12;   // registers per relay module
constexpr int kRelaySettingCount = 6; // registers per relay

// Module presence bits of register 0x0100.
enum ModuleBit : uint8_t {
    kModuleEnergyPulse = 0x01,
    kModuleAnalogOut1 = 0x04,
    kModuleAnalogOut2 = 0x08,
    kModuleRelay1 = 0x10,
    kModuleRelay2 = 0x20,
    kModuleRelay3 = 0x40,
};

// Relay settings of one relay, in register order.
struct RelaySettings {
    uint16_t mode = 0;         // low byte counts
    uint16_t operateValue = 0; // register units of the followed quantity
    uint16_t resetValue = 0;
    uint16_t operateDelayS = 0;
    uint16_t resetDelayS = 0;
    uint16_t pulseWidthS = 0;  // 0: the relay stays closed while operated
};

class SwitchingIo {
public:
    explicit SwitchingIo(uint32_t seed);

    void setModules(uint8_t mask) { m_modules = mask; }
    void setFrozen(bool frozen) { m_frozen = frozen; }

    // Moves the inputs and relays on to `nowMs`, given the measurement registers
    // 0x0000..0x001F as they read now.
    void advance(uint64_t nowMs, const std::array<uint16_t, 32> &measured,
                 const std::array<RelaySettings, kRelays> &relays);

    // Low byte: inputs DI1..DI6; high byte: relay outputs DO1..DO6.
    uint16_t ioWord() const;
    uint32_t counter(int input) const { return m_counters[input]; }

    // True when relay `relay` (0..5) has a known mode and is operated/closed.
    bool relayClosed(int relay) const { return m_relay[relay].closed; }

    // The value a quantity mode follows, as a signed or unsigned register value;
    // false for a mode code that follows nothing.
    static bool FollowedValue(uint8_t mode, const std::array<uint16_t, 32> &measured,
                              int32_t *value);

private:
    struct RelayState {
        bool operated = false;       // logical state after the delays
        bool closed = false;         // contacts, differs from operated during a pulse
        uint64_t conditionSinceMs = 0;
        bool conditionHeld = false;  // operate (or reset) condition being timed
        uint64_t pulseEndMs = 0;
    };

    bool inputPresent(int input) const;
    void stepInputs(uint64_t nowMs);
    void stepRelay(int index, uint64_t nowMs, const std::array<uint16_t, 32> &measured,
                   const RelaySettings &settings);

    std::mt19937 m_rng;
    uint8_t m_modules = 0;
    bool m_frozen = false;
    bool m_started = false;
    uint8_t m_inputs = 0;
    std::array<uint32_t, kRelays> m_counters{};
    uint64_t m_nextInputChangeMs = 0;
    std::array<RelayState, kRelays> m_relay{};
};

} // namespace rdsim
