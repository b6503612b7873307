// Relay outputs following their settings, inputs and their pulse counters.
#include "sim/SwitchingIo.h"

#include <gtest/gtest.h>

using namespace rdsim;

namespace {

std::array<uint16_t, 32> Measured(uint16_t amps1, int16_t watts2 = 3000)
{
    std::array<uint16_t, 32> m{};
    m[0] = 2300;         // U1 230.0 V
    m[2] = amps1;        // I1 in mA
    m[4] = 4000;         // P1
    m[12] = uint16_t(watts2);  // P2
    m[20] = 5000;        // P3
    m[0x1B] = 5000;      // 50 Hz
    return m;
}

struct Step {
    uint64_t atMs;
    uint16_t amps1;
    bool closed;
};

struct RelayCase {
    const char *name;
    RelaySettings settings;
    std::vector<Step> steps;
};

} // namespace

TEST(SimSwitching, RelayFollowsItsSettings)
{
    const RelayCase cases[] = {
        {"held open", {0, 0, 0, 0, 0, 0}, {{0, 30000, false}, {5000, 30000, false}}},
        {"held closed", {255, 0, 0, 0, 0, 0}, {{0, 0, true}}},
        {"mode high byte ignored", {0x12FF, 0, 0, 0, 0, 0}, {{0, 0, true}}},
        {"over-limit without delays",
         {3, 20000, 15000, 0, 0, 0},
         {{0, 10000, false}, {100, 21000, true}, {200, 17000, true}, {300, 14000, false}}},
        {"over-limit with delays",
         {3, 20000, 15000, 2, 1, 0},
         {{0, 21000, false}, {1900, 21000, false}, {2000, 21000, true},
          {2500, 10000, true}, {3400, 10000, true}, {3500, 10000, false}}},
        {"operate delay restarts when the condition breaks",
         {3, 20000, 15000, 2, 0, 0},
         {{0, 21000, false}, {1000, 19000, false}, {1500, 21000, false},
          {3400, 21000, false}, {3500, 21000, true}}},
        {"under-limit",
         {3, 5000, 8000, 0, 0, 0},
         {{0, 10000, false}, {100, 4000, true}, {200, 7000, true}, {300, 9000, false}}},
        {"pulse width opens the contacts early",
         {3, 20000, 15000, 0, 0, 1},
         {{0, 21000, true}, {900, 21000, true}, {1000, 21000, false}, {1100, 10000, false},
          {1200, 21000, true}}},
        {"smallest phase power, signed",
         {33, uint16_t(int16_t(-100)), 0, 0, 0, 0},
         {{0, 0, false}}},
        {"code that follows nothing stays open", {4, 0, 0, 0, 0, 0}, {{0, 30000, false}}},
    };
    for (const RelayCase &c : cases) {
        SwitchingIo io(1);
        io.setModules(kModuleRelay1);
        io.setFrozen(true);
        std::array<RelaySettings, kRelays> relays{};
        relays[0] = c.settings;
        for (const Step &s : c.steps) {
            io.advance(s.atMs, Measured(s.amps1), relays);
            EXPECT_EQ(io.relayClosed(0), s.closed) << c.name << " at " << s.atMs;
            EXPECT_EQ(bool(io.ioWord() & 0x0100), s.closed) << c.name << " at " << s.atMs;
        }
    }
}

TEST(SimSwitching, SmallestPhasePowerGoesNegative)
{
    SwitchingIo io(1);
    io.setModules(kModuleRelay1);
    std::array<RelaySettings, kRelays> relays{};
    relays[1] = {33, uint16_t(int16_t(-100)), 0, 0, 0, 0};  // operate below -100 W
    io.advance(0, Measured(0, 3000), relays);
    EXPECT_FALSE(io.relayClosed(1));
    io.advance(100, Measured(0, -500), relays);
    EXPECT_TRUE(io.relayClosed(1));
    EXPECT_EQ(io.ioWord() >> 8, 0x02);
}

TEST(SimSwitching, FollowedValueMapsCodesToRegisters)
{
    std::array<uint16_t, 32> m{};
    for (int i = 0; i < 32; ++i)
        m[size_t(i)] = uint16_t(0xFF00 + i);  // negative when read signed
    struct Case {
        uint8_t code;
        bool known;
        int32_t value;
    } cases[] = {
        {1, true, 0xFF00}, {3, true, 0xFF02}, {5, true, int16_t(0xFF04)}, {6, true, int16_t(0xFF05)},
        {8, true, 0xFF07}, {28, true, 0xFF1B}, {29, true, int16_t(0xFF1C)}, {32, true, 0xFF1F},
        {4, false, 0}, {12, false, 0}, {20, false, 0}, {0, false, 0}, {34, false, 0}, {255, false, 0},
    };
    for (const Case &c : cases) {
        int32_t v = 0;
        EXPECT_EQ(SwitchingIo::FollowedValue(c.code, m, &v), c.known) << int(c.code);
        if (c.known) {
            EXPECT_EQ(v, c.value) << int(c.code);
        }
    }
}

TEST(SimSwitching, AbsentModulesShowNothing)
{
    SwitchingIo io(3);
    io.setModules(kModuleRelay2);  // DI3, DI4, DO3, DO4 only
    std::array<RelaySettings, kRelays> relays{};
    for (RelaySettings &r : relays)
        r.mode = 255;
    for (uint64_t t = 0; t < 600000; t += 100) {
        io.advance(t, Measured(0), relays);
        EXPECT_EQ(io.ioWord() & ~0x0C0C, 0) << t;
    }
    EXPECT_EQ(io.ioWord() >> 8, 0x0C);
}

TEST(SimSwitching, InputsChangeAndCountClosings)
{
    SwitchingIo io(5);
    io.setModules(kModuleRelay1 | kModuleRelay2 | kModuleRelay3);
    std::array<RelaySettings, kRelays> relays{};
    std::array<uint32_t, kRelays> start{};
    for (int i = 0; i < kRelays; ++i)
        start[size_t(i)] = io.counter(i);
    uint8_t last = 0;
    std::array<uint32_t, kRelays> closings{};
    int changes = 0;
    for (uint64_t t = 0; t <= 10 * 60000; t += 100) {
        io.advance(t, Measured(0), relays);
        const uint8_t now = uint8_t(io.ioWord() & 0x3F);
        for (int i = 0; i < kRelays; ++i) {
            const bool was = last & (1 << i), is = now & (1 << i);
            if (!was && is)
                ++closings[size_t(i)];
            changes += was != is;
        }
        last = now;
    }
    EXPECT_GT(changes, 10);
    EXPECT_LT(changes, 1000);
    for (int i = 0; i < kRelays; ++i) {
        // Two changes within one 100 ms step are invisible here, so the counter may
        // be ahead of what was seen, never behind.
        EXPECT_GE(io.counter(i) - start[size_t(i)], closings[size_t(i)]) << i;
        EXPECT_LE(io.counter(i) - start[size_t(i)], closings[size_t(i)] + 10) << i;
    }

    SwitchingIo frozen(5);
    frozen.setModules(0x70);
    frozen.setFrozen(true);
    const uint32_t c0 = frozen.counter(0);
    for (uint64_t t = 0; t <= 60000; t += 100)
        frozen.advance(t, Measured(0), relays);
    EXPECT_EQ(frozen.ioWord() & 0xFF, 0);
    EXPECT_EQ(frozen.counter(0), c0);
}
