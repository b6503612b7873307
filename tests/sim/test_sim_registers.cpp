// The simulated instrument's register map: layouts, refusals and the model.
#include "sim/Device.h"
#include "sim/Options.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace rdsim;

namespace {

DeviceConfig Config()
{
    DeviceConfig c;
    c.seed = 7;
    return c;
}

uint16_t ReadOne(const Device &d, uint16_t reg)
{
    std::vector<uint16_t> v;
    EXPECT_EQ(d.read(reg, 1, &v), kNoException) << std::hex << reg;
    return v.empty() ? 0 : v[0];
}


} // namespace

TEST(SimRegisters, ReadRangesFollowTheMap)
{
    Device d(Config());
    d.advanceTo(0);
    struct Case {
        uint16_t first, count;
        Exception expected;
    } cases[] = {
        {0x0000, 41, kNoException},   // the measurement block
        {0x0000, 42, kIllegalAddress},
        {0x0100, 1, kNoException},    // module presence
        {0x0100, 2, kIllegalAddress},
        {0x020C, 108, kNoException},  // all six harmonic blocks
        {0x020B, 1, kIllegalAddress},
        {0x0266, 19, kIllegalAddress},
        {0x0300, 67, kNoException},   // device information through analog outputs
        {0x0300, 68, kIllegalAddress},
        {0x0760, 12, kNoException},   // input counters
        {0x0760, 13, kIllegalAddress},
        {0x0500, 1, kIllegalAddress},
        {0xFFFF, 2, kIllegalAddress},
        {0x0000, 0, kIllegalValue},
        {0x0000, 126, kIllegalValue},
    };
    for (const Case &c : cases) {
        std::vector<uint16_t> v;
        EXPECT_EQ(d.read(c.first, c.count, &v), c.expected) << std::hex << c.first << " x" << std::dec << c.count;
        if (c.expected == kNoException) {
            EXPECT_EQ(v.size(), c.count);
        }
    }
}

TEST(SimRegisters, WritesAcceptAndRefuseAsTheInstrument)
{
    struct Case {
        uint16_t reg, value;
        Exception expected;
        bool deferred;
    } cases[] = {
        {0x0300, 1, kNoException, true},   {0x0300, 247, kNoException, true},
        {0x0300, 0, kIllegalValue, false}, {0x0300, 248, kIllegalValue, false},
        {0x0303, 2, kNoException, true},   {0x0303, 3, kIllegalValue, false},
        {0x0304, 4, kNoException, true},   {0x0304, 5, kIllegalValue, false},
        {0x0307, 64000, kNoException, false}, {0x0307, 64001, kIllegalValue, false},
        {0x0308, 0, kIllegalValue, false}, {0x0308, 1, kNoException, false},
        {0x0301, 5, kNoException, false},  {0x0301, 6, kIllegalValue, false},
        {0x0306, 44, kNoException, false},
        {0x0311, 0x00FF, kNoException, false}, {0x0334, 9, kNoException, false},
        {0x0335, 3, kNoException, false},  {0x0342, 1234, kNoException, false},
        {0x0000, 1, kIllegalAddress, false},  // measured value
        {0x0020, 1, kIllegalAddress, false},
        {0x0100, 0x7F, kIllegalAddress, false},
        {0x020C, 1, kIllegalAddress, false},
        {0x030A, 1, kIllegalAddress, false},  // accuracy flag is the maker's
        {0x0762, 0, kIllegalAddress, false},
        {0x0343, 0, kIllegalAddress, false},
    };
    for (const Case &c : cases) {
        Device d(Config());
        LineChange change;
        bool deferred = false;
        EXPECT_EQ(d.write(c.reg, c.value, &change, &deferred), c.expected) << std::hex << c.reg << "=" << c.value;
        EXPECT_EQ(deferred, c.deferred) << std::hex << c.reg;
        if (c.expected == kNoException && !c.deferred) {
            EXPECT_EQ(ReadOne(d, c.reg), c.value) << std::hex << c.reg;
        }
    }
}

TEST(SimRegisters, LineSettingsChangeOnlyWhenApplied)
{
    Device d(Config());
    LineChange change;
    bool deferred = false;
    ASSERT_EQ(d.write(0x0304, 0, &change, &deferred), kNoException);
    ASSERT_TRUE(deferred);
    EXPECT_EQ(d.baud(), 9600);
    EXPECT_EQ(ReadOne(d, 0x0304), 3);
    d.applyLineChange(change);
    EXPECT_EQ(d.baud(), 1200);
    EXPECT_EQ(ReadOne(d, 0x0304), 0);

    ASSERT_EQ(d.write(0x0303, 1, &change, &deferred), kNoException);
    d.applyLineChange(change);
    EXPECT_EQ(d.parity(), 'E');
    ASSERT_EQ(d.write(0x0300, 17, &change, &deferred), kNoException);
    EXPECT_EQ(d.address(), 1);
    d.applyLineChange(change);
    EXPECT_EQ(d.address(), 17);
    EXPECT_EQ(ReadOne(d, 0x0300), 17);
}

TEST(SimRegisters, DeviceInformationReportsTheConfiguration)
{
    DeviceConfig c = Config();
    c.address = 9;
    c.baud = 19200;
    c.parity = 'O';
    c.pt = 100;
    c.ct = 40000;
    c.wiring = 3;
    c.accuracyFlag = 1;
    c.modules = 0x51;
    Device d(c);
    std::vector<uint16_t> v;
    ASSERT_EQ(d.read(0x0300, 17, &v), kNoException);
    EXPECT_EQ(v[0], 9);
    EXPECT_EQ(v[1], 3);
    EXPECT_EQ(v[3], 2);      // odd
    EXPECT_EQ(v[4], 4);      // 19200
    EXPECT_EQ(v[7], 100);
    EXPECT_EQ(v[8], 40000);
    EXPECT_EQ(v[10], 1);
    EXPECT_EQ(ReadOne(d, 0x0100), 0x51);
}

// The decoding the programs apply, written out independently.
struct Decoded {
    double phaseV[3], lineV[3], amps[3], watts[3], pf[3], vars[3], va[3];
    double totalV, totalLineV, totalA, hz, totalW, totalPf, totalVar, totalVa;
    uint32_t energy[4];
};

Decoded Decode(const std::vector<uint16_t> &r, uint32_t pt, uint32_t ct)
{
    Decoded d{};
    for (int p = 0; p < 3; ++p) {
        const uint16_t *g = &r[size_t(8 * p)];
        d.phaseV[p] = g[0] * double(pt) / 10;
        d.lineV[p] = g[1] * double(pt) / 10;
        d.amps[p] = g[2] * double(ct) / 1000;
        d.watts[p] = int16_t(g[4]) * double(pt) * ct;
        d.pf[p] = int16_t(g[5]) / 1000.0;
        d.vars[p] = int16_t(g[6]) * double(pt) * ct;
        d.va[p] = g[7] * double(pt) * ct;
    }
    d.totalV = r[0x18] * double(pt) / 10;
    d.totalLineV = r[0x19] * double(pt) / 10;
    d.totalA = r[0x1A] * double(ct) / 1000;
    d.hz = r[0x1B] * 0.01;
    d.totalW = int16_t(r[0x1C]) * double(pt) * ct;
    d.totalPf = int16_t(r[0x1D]) / 1000.0;
    d.totalVar = int16_t(r[0x1E]) * double(pt) * ct;
    d.totalVa = r[0x1F] * double(pt) * ct;
    for (int e = 0; e < 4; ++e)
        d.energy[e] = uint32_t(r[size_t(0x22 + 2 * e)]) << 16 | r[size_t(0x21 + 2 * e)];
    return d;
}

TEST(SimRegisters, MeasurementsArePlausibleOverTimeAndRatios)
{
    for (uint16_t pt : {1, 100}) {
        DeviceConfig c = Config();
        c.pt = pt;
        c.ct = 5;
        Device d(c);
        for (uint64_t t : {0ull, 37000ull, 610000ull, 3600000ull}) {
            d.advanceTo(t);
            std::vector<uint16_t> r;
            ASSERT_EQ(d.read(0, 41, &r), kNoException);
            const Decoded m = Decode(r, pt, 5);
            for (int p = 0; p < 3; ++p) {
                EXPECT_NEAR(m.phaseV[p] / pt, 230, 10) << "t=" << t;
                EXPECT_NEAR(m.lineV[p] / pt, 400, 20) << "t=" << t;
                EXPECT_GT(m.amps[p] / 5, 1.0);
                EXPECT_LT(m.amps[p] / 5, 60.0);
                EXPECT_GT(m.pf[p], 0.8);
                EXPECT_LE(m.pf[p], 1.0);
                EXPECT_GT(m.watts[p], 0);
                // S^2 = P^2 + Q^2 and P = S * PF, within the registers' rounding.
                EXPECT_NEAR(std::hypot(m.watts[p], m.vars[p]), m.va[p], 2.0 * pt * 5);
                EXPECT_NEAR(m.va[p] * m.pf[p], m.watts[p], 0.002 * m.va[p] + 2.0 * pt * 5);
            }
            EXPECT_NEAR(m.hz, 50, 0.1);
            EXPECT_NEAR(m.totalW, m.watts[0] + m.watts[1] + m.watts[2], 3.0 * pt * 5);
            EXPECT_NEAR(m.totalV / pt, 230, 10);
        }
    }
}

TEST(SimRegisters, WiringAndExportShapeTheReadings)
{
    DeviceConfig c = Config();
    c.wiring = kSinglePhase2Wire;
    c.exporting = true;
    Device d(c);
    d.advanceTo(0);
    std::vector<uint16_t> r;
    ASSERT_EQ(d.read(0, 41, &r), kNoException);
    const Decoded m = Decode(r, 1, 1);
    EXPECT_NEAR(m.phaseV[0], 230, 10);
    EXPECT_EQ(m.phaseV[1], 0);
    EXPECT_EQ(m.amps[2], 0);
    EXPECT_LT(m.watts[0], 0);
    EXPECT_LT(m.pf[0], 0);
    EXPECT_LT(m.totalW, 0);

    // Exported energy goes to the negative active counter.
    const uint32_t before = m.energy[1];
    const uint32_t positiveBefore = m.energy[0];
    for (uint64_t t = 60000; t <= 3600000; t += 60000)
        d.advanceTo(t);
    ASSERT_EQ(d.read(0, 41, &r), kNoException);
    const Decoded later = Decode(r, 1, 1);
    EXPECT_GT(later.energy[1], before + 1);
    EXPECT_EQ(later.energy[0], positiveBefore);

    // Switching to a balanced three-phase wiring by register makes all phases alike.
    LineChange change;
    bool deferred;
    ASSERT_EQ(d.write(0x0301, kThreePhase4WireBalanced, &change, &deferred), kNoException);
    ASSERT_EQ(d.read(0, 41, &r), kNoException);
    EXPECT_EQ(r[0], r[8]);
    EXPECT_EQ(r[2], r[18]);
}

TEST(SimRegisters, EnergyGrowsWithPowerAndRatios)
{
    DeviceConfig c = Config();
    Device slow(c);
    c.pt = 10;
    c.ct = 10;
    Device fast(c);
    slow.advanceTo(0);
    fast.advanceTo(0);
    std::vector<uint16_t> a0, b0, a1, b1;
    slow.read(0, 41, &a0);
    fast.read(0, 41, &b0);
    for (uint64_t t = 60000; t <= 2 * 3600000; t += 60000) {
        slow.advanceTo(t);
        fast.advanceTo(t);
    }
    slow.read(0, 41, &a1);
    fast.read(0, 41, &b1);
    const double slowGain = double(Decode(a1, 1, 1).energy[0]) - Decode(a0, 1, 1).energy[0];
    const double fastGain = double(Decode(b1, 1, 1).energy[0]) - Decode(b0, 1, 1).energy[0];
    // A few to tens of kW for two hours.
    EXPECT_GT(slowGain, 5);
    EXPECT_LT(slowGain, 100);
    // The counters are primary-side: PT x CT = 100 times as much energy.
    EXPECT_NEAR(fastGain / slowGain, 100, 10);
}

TEST(SimRegisters, FrozenDeviceReadsTheSameForever)
{
    DeviceConfig c = Config();
    c.frozen = true;
    Device d(c);
    d.advanceTo(0);
    std::vector<uint16_t> first, later, countersFirst, countersLater, harmFirst, harmLater;
    d.read(0, 41, &first);
    d.read(0x0760, 12, &countersFirst);
    d.read(0x020C, 108, &harmFirst);
    d.advanceTo(5 * 3600000);
    d.read(0, 41, &later);
    d.read(0x0760, 12, &countersLater);
    d.read(0x020C, 108, &harmLater);
    // The relay outputs may follow their settings; everything measured is constant.
    first[0x20] &= 0x00FF;
    later[0x20] &= 0x00FF;
    EXPECT_EQ(first, later);
    EXPECT_EQ(countersFirst, countersLater);
    EXPECT_EQ(harmFirst, harmLater);

    Device drifting(Config());
    drifting.advanceTo(0);
    drifting.read(0, 41, &first);
    drifting.advanceTo(60000);
    drifting.read(0, 41, &later);
    EXPECT_NE(first, later);
}

TEST(SimRegisters, HarmonicsHaveDominantOddOrders)
{
    Device d(Config());
    d.advanceTo(0);
    for (int item = 0; item < 6; ++item) {
        std::vector<uint16_t> h;
        ASSERT_EQ(d.read(uint16_t(0x020C + 18 * item), 18, &h), kNoException);
        // Register j holds order j + 2: index 1 = 3rd, 3 = 5th, 0 = 2nd, 2 = 4th.
        EXPECT_GT(h[1], h[0]) << item;
        EXPECT_GT(h[3], h[2]) << item;
        EXPECT_GT(h[3], h[17]) << item;
        EXPECT_LT(h[1], 200) << item;  // below 20 %
        if (item < 3) {
            EXPECT_GT(h[3], 20) << item;  // currents carry a few percent
        }
    }
}

TEST(SimRegisters, CountersAreHighWordFirstAndEnergyLowWordFirst)
{
    DeviceConfig c = Config();
    c.modules = 0x70;  // all three relay modules, so all inputs live
    Device d(c);
    d.advanceTo(0);
    std::vector<uint16_t> before, after;
    d.read(0x0760, 12, &before);
    d.advanceTo(10 * 60000);
    d.read(0x0760, 12, &after);
    uint64_t total = 0;
    for (int i = 0; i < 6; ++i) {
        const uint32_t b = uint32_t(before[size_t(2 * i)]) << 16 | before[size_t(2 * i + 1)];
        const uint32_t a = uint32_t(after[size_t(2 * i)]) << 16 | after[size_t(2 * i + 1)];
        EXPECT_GE(a, b);
        EXPECT_LT(a - b, 200u);  // now and then, not a flood
        total += a - b;
    }
    EXPECT_GT(total, 0u);
}

// Each wiring fault changes what the inputs see, and every reading follows from
// it: worked out from a healthy instrument of the same seed at the same moment.
TEST(SimRegisters, WiringFaultsChangeWhatTheMeterMeasures)
{
    auto measure = [](const std::vector<std::string> &faults) {
        DeviceConfig c = Config();
        c.frozen = true;
        for (const std::string &f : faults)
            EXPECT_TRUE(AddWiringFault(f, &c.wiringFaults)) << f;
        Device d(c);
        d.advanceTo(0);
        std::vector<uint16_t> r;
        EXPECT_EQ(d.read(0, 41, &r), kNoException);
        return Decode(r, 1, 1);
    };
    const Decoded ok = measure({});
    auto phi = [&ok](int p) { return std::atan2(ok.vars[p], ok.watts[p]); };
    const double third = 2.0943951023931953;   // 120 degrees

    const Decoded reversed = measure({"reverse-ct:C"});
    EXPECT_NEAR(reversed.amps[2], ok.amps[2], 0.001);
    EXPECT_NEAR(reversed.watts[2], -ok.watts[2], 1.0);
    EXPECT_NEAR(reversed.vars[2], -ok.vars[2], 1.0);
    EXPECT_NEAR(reversed.pf[2], -ok.pf[2], 0.001);
    EXPECT_EQ(reversed.watts[0], ok.watts[0]);

    const Decoded lost = measure({"lose-voltage:A"});
    EXPECT_EQ(lost.phaseV[0], 0);
    EXPECT_EQ(lost.watts[0], 0);
    EXPECT_EQ(lost.va[0], 0);
    EXPECT_NEAR(lost.amps[0], ok.amps[0], 0.001);
    EXPECT_NEAR(lost.lineV[0], ok.phaseV[2], 0.11);   // CA: the open input sits at the neutral
    EXPECT_NEAR(lost.lineV[1], ok.phaseV[1], 0.11);   // AB
    EXPECT_NEAR(lost.lineV[2], ok.lineV[2], 0.11);    // BC as it was

    // The A input carries I_B, lagging U_B (at -120 deg) by phi_B; the B input I_A.
    const Decoded swapped = measure({"swap-ct:A,B"});
    EXPECT_NEAR(swapped.amps[0], ok.amps[1], 0.001);
    EXPECT_NEAR(swapped.amps[1], ok.amps[0], 0.001);
    EXPECT_NEAR(swapped.watts[0], ok.phaseV[0] * ok.amps[1] * std::cos(third + phi(1)), 3.0);
    EXPECT_NEAR(swapped.vars[1], ok.phaseV[1] * ok.amps[0] * std::sin(-third + phi(0)), 3.0);
    EXPECT_NEAR(swapped.totalW, swapped.watts[0] + swapped.watts[1] + swapped.watts[2], 2.0);
    EXPECT_NEAR(swapped.totalPf, swapped.totalW / swapped.totalVa, 0.002);

    const Decoded idle = measure({"no-load:B"});
    EXPECT_EQ(idle.amps[1], 0);
    EXPECT_EQ(idle.watts[1], 0);
    EXPECT_EQ(idle.pf[1], 0);
    EXPECT_NEAR(idle.phaseV[1], ok.phaseV[1], 0.11);
    EXPECT_NEAR(idle.totalW, ok.watts[0] + ok.watts[2], 2.0);

    // Two faults at once: a reversed CT carried to the other input by the swap.
    const Decoded both = measure({"reverse-ct:A", "swap-ct:A,B"});
    EXPECT_NEAR(both.vars[1], -ok.phaseV[1] * ok.amps[0] * std::sin(-third + phi(0)), 3.0);
}

TEST(SimRegisters, WiringFaultSpecs)
{
    Options o;
    std::string error;
    const char *argv[] = {"rd5800-sim", "--wiring-fault", "swap-ct:A,B", "--wiring-fault=reverse-ct:c",
                          "--wiring-fault", "lose-voltage:B", "--wiring-fault", "no-load:A"};
    ASSERT_TRUE(ParseOptions(int(std::size(argv)), argv, &o, &error)) << error;
    const WiringFaults &f = o.device.wiringFaults;
    EXPECT_EQ(f.currentSource, (std::array<int, 3>{1, 0, 2}));
    EXPECT_EQ(f.reversedCt, (std::array<bool, 3>{false, false, true}));
    EXPECT_EQ(f.lostVoltage, (std::array<bool, 3>{false, true, false}));
    EXPECT_EQ(f.noLoad, (std::array<bool, 3>{true, false, false}));
    EXPECT_FALSE(Options().device.wiringFaults.any());

    for (const char *bad : {"swap-ct:A,A", "swap-ct:A", "swap-ct:A,D", "reverse-ct:D", "reverse-ct:AB",
                            "lose-voltage", "short:A", "no-load:", ""}) {
        Options x;
        const char *args[] = {"rd5800-sim", "--wiring-fault", bad};
        EXPECT_FALSE(ParseOptions(3, args, &x, &error)) << bad;
    }
}
