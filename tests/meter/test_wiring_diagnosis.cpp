// The wiring check as a pure function: readings worked out by hand for a healthy
// panel, each wiring fault the simulator can make, the worked example of the
// issue (two CTs swapped at PF 0.9 lagging), every limit on both sides, and the
// wiring modes.
#include "meter/diagnosis/PhaseAngles.h"
#include "meter/diagnosis/WiringDiagnosis.h"
#include "meter/diagnosis/WiringThresholds.h"
#include "sim/Device.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <set>
#include <utility>
#include <vector>

namespace {

using rddiag::FindingKind;
using Kinds = std::set<std::pair<FindingKind, int>>;   // (kind, phase)

constexpr double kPi = 3.14159265358979323846;
const double kPf09 = std::acos(0.9) * 180.0 / kPi;   // 25.84 deg

struct PhaseIn {
    double u, i, phi;   // V, A, degrees (atan2(Q, P))
};

// What a meter reads from three phasors: the voltages at 0, -120, +120 degrees,
// line voltages as their differences, powers from U, I and phi, totals as sums.
rdacq::Measurements Reading(const std::vector<PhaseIn> &in, double hertz = 50.0)
{
    rdacq::Measurements m;
    const double angles[3] = {0.0, -120.0, 120.0};
    std::complex<double> v[3];
    double p = 0, q = 0, s = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t c = size_t(k + 1);
        v[k] = std::polar(in[size_t(k)].u, angles[k] * kPi / 180.0);
        m.phaseVoltage[c] = in[size_t(k)].u;
        m.current[c] = in[size_t(k)].i;
        m.apparentPower[c] = in[size_t(k)].u * in[size_t(k)].i;
        m.activePower[c] = m.apparentPower[c] * std::cos(in[size_t(k)].phi * kPi / 180.0);
        m.reactivePower[c] = m.apparentPower[c] * std::sin(in[size_t(k)].phi * kPi / 180.0);
        m.powerFactor[c] = m.apparentPower[c] > 0 ? m.activePower[c] / m.apparentPower[c] : 0;
        p += m.activePower[c];
        q += m.reactivePower[c];
        s += m.apparentPower[c];
    }
    m.lineVoltage[1] = std::abs(v[0] - v[2]);   // CA
    m.lineVoltage[2] = std::abs(v[1] - v[0]);   // AB
    m.lineVoltage[3] = std::abs(v[2] - v[1]);   // BC
    m.phaseVoltage[0] = (in[0].u + in[1].u + in[2].u) / 3;
    m.lineVoltage[0] = (m.lineVoltage[1] + m.lineVoltage[2] + m.lineVoltage[3]) / 3;
    m.activePower[0] = p;
    m.reactivePower[0] = q;
    m.apparentPower[0] = s;
    m.powerFactor[0] = s > 0 ? p / s : 0;
    m.frequency = hertz;
    return m;
}

// A phase of a healthy panel: 230 V, 10 A at PF 0.9 lagging.
PhaseIn Healthy(double phi = kPf09) { return {230.0, 10.0, phi}; }

// What a 3-wire meter reads (V-V PTs, CTs on A and C, two elements): lines
// at `lineVolts`, no phase voltages, no B current; element A is I_A against U_AB,
// element C is I_C against U_CB, each with its own phi.
struct Element {
    double amps, phi;   // A, the element's own phi in degrees
};
rdacq::Measurements ThreeWire(double lineVolts, Element a, Element c)
{
    rdacq::Measurements m;
    for (size_t col = 0; col < 4; ++col)
        m.lineVoltage[col] = lineVolts;
    double p = 0, s = 0;
    for (const auto &[col, e] : {std::pair<size_t, Element>{1, a}, {3, c}}) {
        m.current[col] = e.amps;
        m.apparentPower[col] = lineVolts * e.amps;
        m.activePower[col] = m.apparentPower[col] * std::cos(e.phi * kPi / 180.0);
        m.reactivePower[col] = m.apparentPower[col] * std::sin(e.phi * kPi / 180.0);
        m.powerFactor[col] = m.activePower[col] / m.apparentPower[col];
        p += m.activePower[col];
    }
    // The three-phase apparent power of a balanced load: sqrt(3) U I.
    s = rddiag::kSqrt3 * lineVolts * (a.amps + c.amps) / 2;
    m.activePower[0] = p;
    m.apparentPower[0] = s;
    m.powerFactor[0] = p / s;
    m.frequency = 50.0;
    return m;
}
// A sound 3-wire panel whose balanced load has angle `phi`: the elements show phi + 30 and phi - 30.
rdacq::Measurements ThreeWireLoad(double phi, bool reverseA = false, bool reverseC = false)
{
    return ThreeWire(10000.0, {40.0, phi + 30 + (reverseA ? 180 : 0)}, {40.0, phi - 30 + (reverseC ? 180 : 0)});
}

Kinds KindsOf(const rddiag::Diagnosis &d)
{
    Kinds out;
    for (const auto &f : d.findings)
        out.insert({f.kind, f.phase});
    return out;
}

bool Has(const rddiag::Diagnosis &d, FindingKind kind)
{
    for (const auto &f : d.findings)
        if (f.kind == kind)
            return true;
    return false;
}

struct ExactCase {
    const char *name;
    rdacq::Measurements reading;
    uint8_t mode;
    Kinds expected;
};

TEST(WiringDiagnosis, EachFaultGivesExactlyItsFinding)
{
    const ExactCase cases[] = {
        {"balanced PF 0.9", Reading({Healthy(), Healthy(), Healthy()}), 0, {}},
        {"balanced PF 0.9, balanced mode", Reading({Healthy(), Healthy(), Healthy()}), 5, {}},
        // swap-ct:A,B: the A input carries I_B (at -120 - 25.8), the B input I_A (at -25.8).
        {"swap-ct:A,B", Reading({Healthy(145.84), Healthy(-94.16), Healthy()}), 0,
         {{FindingKind::CtOnOtherPhase, 0}, {FindingKind::CtOnOtherPhase, 1}}},
        {"reverse-ct:C", Reading({Healthy(), Healthy(), Healthy(kPf09 - 180)}), 0, {{FindingKind::CtReversed, 2}}},
        {"lose-voltage:A", Reading({{0.0, 10.0, 0.0}, Healthy(), Healthy()}), 0, {{FindingKind::VoltageMissing, 0}}},
        {"no-load:B", Reading({Healthy(), {230.0, 0.0, 0.0}, Healthy()}), 0, {{FindingKind::NoCurrent, 1}}},
        {"three CTs reversed", Reading({Healthy(kPf09 - 180), Healthy(kPf09 - 180), Healthy(kPf09 - 180)}), 0,
         {{FindingKind::AllPowerNegative, -1}}},
        // 175, -175 and -170 lie 10 and 15 deg apart across the back of the circle.
        {"export, angles across 180", Reading({Healthy(175), Healthy(-175), Healthy(-170)}), 0,
         {{FindingKind::AllPowerNegative, -1}}},
        {"120 deg apart, none in the usual range", Reading({Healthy(80), Healthy(-160), Healthy(-40)}), 0,
         {{FindingKind::CurrentsMismatch, -1}}},
        {"two phases disagree, both usual", Reading({Healthy(-25), Healthy(55), {230.0, 0.0, 0.0}}), 0,
         {{FindingKind::CurrentsMismatch, -1}, {FindingKind::NoCurrent, 2}}},
        {"two phases disagree, one usual", Reading({Healthy(25), Healthy(155), {230.0, 0.0, 0.0}}), 0,
         {{FindingKind::CtOnOtherPhase, 1}, {FindingKind::NoCurrent, 2}}},
        {"no load at all", Reading({{230.0, 0.0, 0.0}, {230.0, 0.0, 0.0}, {230.0, 0.0, 0.0}}), 0,
         {{FindingKind::LoadTooSmall, -1}}},
        {"no voltage at all", Reading({{0.0, 10.0, 0.0}, {0.0, 10.0, 0.0}, {0.0, 10.0, 0.0}}, 0.0), 0,
         {{FindingKind::NoVoltage, -1}}},
        {"inductive motor at PF 0.3", Reading({Healthy(72.5), Healthy(72.5), Healthy(72.5)}), 0,
         {{FindingKind::LowPowerFactor, -1}}},
        {"frequency 51 Hz", Reading({Healthy(), Healthy(), Healthy()}, 51.0), 0,
         {{FindingKind::FrequencyOutOfRange, -1}}},
        // Single-phase modes look at phase A only: B and C may be anything.
        {"single phase, B and C dead", Reading({Healthy(), {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}}), 1, {}},
        {"single phase, A reversed", Reading({Healthy(kPf09 - 180), {0.0, 0.0, 0.0}, {0.0, 0.0, 0.0}}), 4,
         {{FindingKind::AllPowerNegative, -1}}},
        // Three-wire modes: two elements, line voltages only, no B current.
        {"3-wire, sound", ThreeWireLoad(kPf09), 2, {}},
        {"3-wire, C reversed", ThreeWireLoad(kPf09, false, true), 3, {{FindingKind::CtReversed, 2}}},
        {"two CTs reversed", Reading({Healthy(kPf09 - 180), Healthy(), Healthy(kPf09 - 180)}), 0,
         {{FindingKind::CtsReversed, -1}}},
    };
    for (const ExactCase &c : cases)
        EXPECT_EQ(KindsOf(rddiag::Diagnose(c.reading, c.mode)), c.expected) << c.name;
}

struct FieldCase {
    const char *name;
    rdacq::Measurements reading;
    uint8_t mode;
    uint32_t pt, ct;
    std::vector<const char *> texts;   // the findings' sentences, in order
    const char *numbers = nullptr;     // the start of the first finding's numbers
};

// Panels met in the field, each beside its sound counterpart, the findings in the
// words the window says them: floors judged on the meter's input, 3-wire panels
// (two elements, their angles 30 deg off the load's), two reversed CTs.
TEST(WiringDiagnosis, FieldCasesInTheWindowsWords)
{
    const double pf088 = std::acos(0.88) * 180.0 / kPi;
    const double pf07 = std::acos(0.7) * 180.0 / kPi;
    const auto twoReversed = Reading({Healthy(-152), Healthy(24), Healthy(-149)});
    const FieldCase cases[] = {
        // 200/5 CTs before the load comes on: 21 / 34 / 0 mA at the meter, angles meaningless.
        {"200/5, 21 / 34 / 0 mA", Reading({{230, 0.84, 40}, {230, 1.36, 150}, {230, 0, 0}}), 0, 1, 40,
         {"负载电流过小，无法判断相位"}, "最大电流 1.36 A，即仪表输入 34.0 mA（CT 40），仪表输入至少需要 50.0 mA"},
        {"the same at CT 1", Reading({{230, 0.021, 40}, {230, 0.034, 150}, {230, 0, 0}}), 0, 1, 1,
         {"负载电流过小，无法判断相位"}, "最大电流 0.03 A，至少需要 0.05 A"},
        {"200/5, load on: 1 A at the meter", Reading({{230, 40, kPf09}, {230, 40, kPf09}, {230, 40, kPf09}}), 0, 1, 40, {}},
        {"10 kV, PT 100, 9 V at the meter", ThreeWire(900, {40, 58}, {40, -8}), 2, 100, 20,
         {"未测到电压：电压未接入或线路未带电，无法判断接线"}, "最大电压 900.0 V，即仪表输入 9.0 V（PT 100），仪表输入至少需要 10.0 V"},
        // A 3-wire meter measures line voltages only: never "no voltage measured" for that.
        {"3-wire, PF 0.88 lagging: elements 58 and -8 deg", ThreeWire(10000, {40, 58}, {40, -8}), 2, 100, 20, {}},
        {"3-wire, 100 V lines at PT 1", ThreeWire(100, {4, 58}, {4, -8}), 3, 1, 1, {}},
        {"3-wire, PF 0.5 lagging", ThreeWireLoad(60), 2, 100, 20, {}},
        {"3-wire, PF 0.7 lagging", ThreeWireLoad(pf07), 2, 100, 20, {}},
        {"3-wire, PF 0.88 lagging", ThreeWireLoad(pf088), 3, 100, 20, {}},
        {"3-wire, PF 1", ThreeWireLoad(0), 2, 100, 20, {}},
        {"3-wire, PF 0.9 leading", ThreeWireLoad(-kPf09), 2, 100, 20, {}},
        {"3-wire, A reversed, PF 0.88 lagging", ThreeWireLoad(pf088, true), 2, 100, 20, {"A相电流互感器可能接反"},
         "φA -121.6°（去掉 +30° 为 -151.6°），参考 φC -1.6°（去掉 -30° 为 28.4°），相差 180.0°"},
        {"3-wire, A reversed, PF 0.5 lagging", ThreeWireLoad(60, true), 2, 100, 20, {"A相电流互感器可能接反"}},
        {"3-wire, A reversed, PF 0.9 leading", ThreeWireLoad(-kPf09, true), 3, 100, 20, {"A相电流互感器可能接反"}},
        {"3-wire, C reversed, PF 0.5 lagging", ThreeWireLoad(60, false, true), 2, 100, 20, {"C相电流互感器可能接反"}},
        {"3-wire, C reversed, PF 0.9 leading", ThreeWireLoad(-kPf09, false, true), 2, 100, 20, {"C相电流互感器可能接反"}},
        // A consuming site: the phases with negative power are the reversed ones.
        {"A and C reversed", twoReversed, 0, 1, 1, {"A相和C相电流互感器可能接反，或电能反送且B相电流互感器接反"},
         "φA -152.0°，φB 24.0°，φC -149.0°；PA -2031 W，PB 2101 W，PC -1971 W"},
        {"A and C sound", Reading({Healthy(28), Healthy(24), Healthy(31)}), 0, 1, 1, {}},
        {"only C reversed", Reading({Healthy(28), Healthy(24), Healthy(-149)}), 0, 1, 1, {"C相电流互感器可能接反"}},
        {"all three reversed", Reading({Healthy(-152), Healthy(-156), Healthy(-149)}), 0, 1, 1,
         {"三相有功均为负：电能反送，或三只互感器均接反"}},
    };
    for (const FieldCase &c : cases) {
        const rddiag::Diagnosis d = rddiag::Diagnose(c.reading, c.mode, c.pt, c.ct);
        QStringList texts, expected;
        for (const auto &f : d.findings)
            texts << f.text;
        for (const char *t : c.texts)
            expected << QString::fromUtf8(t);
        EXPECT_EQ(texts.join(QStringLiteral(" | ")).toStdString(), expected.join(QStringLiteral(" | ")).toStdString()) << c.name;
        if (c.numbers && !d.findings.empty()) {
            EXPECT_TRUE(d.findings[0].numbers.startsWith(QString::fromUtf8(c.numbers)))
                << c.name << ": " << d.findings[0].numbers.toStdString();
        }
    }
}

// The simulated meter with each fault, its registers decoded as the poll does:
// the check names the fault and nothing else, over a stretch of drifting readings.
TEST(WiringDiagnosis, EachSimulatorFaultGivesExactlyItsFinding)
{
    const struct {
        const char *fault;
        Kinds expected;
        uint8_t mode = 0;
    } cases[] = {
        {nullptr, {}},
        {"reverse-ct:C", {{FindingKind::CtReversed, 2}}},
        {"lose-voltage:A", {{FindingKind::VoltageMissing, 0}}},
        {"swap-ct:A,B", {{FindingKind::CtOnOtherPhase, 0}, {FindingKind::CtOnOtherPhase, 1}}},
        {"no-load:B", {{FindingKind::NoCurrent, 1}}},
        // 3-wire: two elements, line voltages only, no B CT.
        {nullptr, {}, 2},
        {nullptr, {}, 3},
        {"reverse-ct:A", {{FindingKind::CtReversed, 0}}, 2},
        {"reverse-ct:C", {{FindingKind::CtReversed, 2}}, 3},
    };
    for (const auto &c : cases) {
        rdsim::DeviceConfig config;
        config.wiring = c.mode;
        if (c.fault) {
            ASSERT_TRUE(rdsim::AddWiringFault(c.fault, &config.wiringFaults));
        }
        rdsim::Device device(config);
        for (uint64_t ms = 0; ms <= 180000; ms += 30000) {
            device.advanceTo(ms);
            const std::array<uint16_t, 41> block = device.measurementBlock();
            std::vector<uint8_t> bytes;
            for (uint16_t v : block) {
                bytes.push_back(uint8_t(v >> 8));
                bytes.push_back(uint8_t(v & 0xFF));
            }
            const rdacq::Measurements m = rdacq::DecodeMeasurements(rdacq::Registers(bytes), 1, 1);
            EXPECT_EQ(KindsOf(rddiag::Diagnose(m, c.mode)), c.expected)
                << (c.fault ? c.fault : "healthy") << ", mode " << int(c.mode) << " at " << ms;
        }
    }
}

TEST(WiringDiagnosis, WorkedExampleSwappedCtsAtPf09)
{
    const rddiag::Diagnosis d = rddiag::Diagnose(Reading({Healthy(145.84), Healthy(-94.16), Healthy()}), 0);
    // The phasors: voltages at 0, -120, +120; currents at the voltage's angle minus phi.
    const double current[3] = {-145.84, -25.84, 120 - kPf09};
    for (int p = 0; p < 3; ++p) {
        ASSERT_TRUE(d.phasors[size_t(p)].phi) << p;
        EXPECT_NEAR(d.phasors[size_t(p)].currentAngle, current[p], 0.01) << p;
        EXPECT_DOUBLE_EQ(d.phasors[size_t(p)].voltageLength, 1.0);
        EXPECT_DOUBLE_EQ(d.phasors[size_t(p)].currentLength, 1.0);
    }
    EXPECT_DOUBLE_EQ(d.phasors[1].voltageAngle, -120.0);
    ASSERT_EQ(d.findings.size(), 2u);
    EXPECT_EQ(d.findings[0].level, rddiag::Level::Error);
    const QString line = rddiag::FindingLine(d.findings[0]);
    EXPECT_TRUE(line.startsWith(
        QStringLiteral("错误：A相电流与电压相位不符，电流互感器可能接在其他相（φA 145.8°，参考 φC 25.8°，相差 120.0°")))
        << line.toStdString();
    EXPECT_TRUE(d.notes.empty());
}

struct LimitCase {
    const char *name;
    rdacq::Measurements reading;
    FindingKind kind;
    bool expected;
    uint8_t mode = 0;
    uint32_t pt = 1, ct = 1;
};

rdacq::Measurements WithLines(rdacq::Measurements m, double ratio)
{
    for (int c = 0; c < 4; ++c)
        m.lineVoltage[size_t(c)] = m.phaseVoltage[size_t(c)] * ratio;
    return m;
}

rdacq::Measurements WithTotalPf(rdacq::Measurements m, double pf)
{
    m.powerFactor[0] = pf;
    return m;
}

TEST(WiringDiagnosis, EveryLimitOnBothSides)
{
    const double s3 = rddiag::kSqrt3;
    const auto balanced = Reading({Healthy(), Healthy(), Healthy()});
    const LimitCase cases[] = {
        {"U 10 % of the largest", Reading({Healthy(), {23.0, 10.0, kPf09}, Healthy()}), FindingKind::VoltageMissing, false},
        {"U below 10 %", Reading({Healthy(), {22.9, 10.0, kPf09}, Healthy()}), FindingKind::VoltageMissing, true},
        {"phi 150 deg from the reference", Reading({Healthy(), Healthy(), Healthy(kPf09 + 150)}), FindingKind::CtReversed, false},
        {"... is on another phase", Reading({Healthy(), Healthy(), Healthy(kPf09 + 150)}), FindingKind::CtOnOtherPhase, true},
        {"phi 150.5 deg: reversed", Reading({Healthy(), Healthy(), Healthy(kPf09 + 150.5)}), FindingKind::CtReversed, true},
        {"phi 60 deg: agrees", Reading({Healthy(), Healthy(), Healthy(kPf09 + 60)}), FindingKind::CtOnOtherPhase, false},
        {"phi 60.5 deg: another phase", Reading({Healthy(), Healthy(), Healthy(kPf09 - 60.5)}), FindingKind::CtOnOtherPhase, true},
        {"unbalance 10 %", Reading({{253.0, 10, kPf09}, Healthy(), {207.0, 10, kPf09}}), FindingKind::VoltageUnbalance, false},
        {"unbalance 10.2 %", Reading({{253.5, 10, kPf09}, Healthy(), {206.5, 10, kPf09}}), FindingKind::VoltageUnbalance, true},
        {"ratio 1.732 + 5 %", WithLines(balanced, s3 * 1.05), FindingKind::LineToPhaseRatio, false},
        {"ratio above", WithLines(balanced, s3 * 1.051), FindingKind::LineToPhaseRatio, true},
        {"ratio 1.732 - 5 %", WithLines(balanced, s3 * 0.95), FindingKind::LineToPhaseRatio, false},
        {"ratio below", WithLines(balanced, s3 * 0.949), FindingKind::LineToPhaseRatio, true},
        {"3-wire: ratio not checked", WithLines(balanced, 1.0), FindingKind::LineToPhaseRatio, false, 2},
        {"I 2 % of the largest", Reading({Healthy(), {230.0, 0.2, kPf09}, Healthy()}), FindingKind::NoCurrent, false},
        {"I below 2 %", Reading({Healthy(), {230.0, 0.199, kPf09}, Healthy()}), FindingKind::NoCurrent, true},
        {"reversed at 5 % of the largest current is judged",
         Reading({Healthy(), Healthy(), {230.0, 0.5, kPf09 - 180}}), FindingKind::CtReversed, true},
        {"reversed at 4.9 % is not loaded", Reading({Healthy(), Healthy(), {230.0, 0.49, kPf09 - 180}}),
         FindingKind::CtReversed, false},
        {"all negative, phi 60 deg apart", Reading({Healthy(kPf09 - 180), Healthy(kPf09 - 180), Healthy(kPf09 - 120)}),
         FindingKind::AllPowerNegative, true},
        {"total PF 0.5", WithTotalPf(balanced, 0.5), FindingKind::LowPowerFactor, false},
        {"total PF 0.499", WithTotalPf(balanced, 0.499), FindingKind::LowPowerFactor, true},
        {"total PF -0.499 (export)", WithTotalPf(balanced, -0.499), FindingKind::LowPowerFactor, true},
        {"50.50 Hz", Reading({Healthy(), Healthy(), Healthy()}, 5050 * 0.01), FindingKind::FrequencyOutOfRange, false},
        {"50.51 Hz", Reading({Healthy(), Healthy(), Healthy()}, 5051 * 0.01), FindingKind::FrequencyOutOfRange, true},
        {"49.49 Hz", Reading({Healthy(), Healthy(), Healthy()}, 4949 * 0.01), FindingKind::FrequencyOutOfRange, true},
        {"59.50 Hz is near 60", Reading({Healthy(), Healthy(), Healthy()}, 5950 * 0.01), FindingKind::FrequencyOutOfRange, false},
        {"55 Hz", Reading({Healthy(), Healthy(), Healthy()}, 55.0), FindingKind::FrequencyOutOfRange, true},
        {"largest current 0.05 A is judged", Reading({{230, 0.05, kPf09}, {230, 0.05, kPf09}, {230, 0.05, kPf09}}),
         FindingKind::LoadTooSmall, false},
        {"largest current 0.049 A", Reading({{230, 0.049, kPf09}, {230, 0.049, kPf09}, {230, 0.049, kPf09}}),
         FindingKind::LoadTooSmall, true},
        {"largest voltage 10 V is judged", Reading({{10, 10, kPf09}, {10, 10, kPf09}, {10, 10, kPf09}}),
         FindingKind::NoVoltage, false},
        {"largest voltage 9.9 V", Reading({{9.9, 10, kPf09}, {9.9, 10, kPf09}, {9.9, 10, kPf09}}),
         FindingKind::NoVoltage, true},
        // The floors are on the meter's input: primary / CT, primary / PT.
        {"2 A behind CT 40 is 50 mA at the input: judged", Reading({{230, 2.0, kPf09}, {230, 2.0, kPf09}, {230, 2.0, kPf09}}),
         FindingKind::LoadTooSmall, false, 0, 1, 40},
        {"1.96 A behind CT 40", Reading({{230, 1.96, kPf09}, {230, 1.96, kPf09}, {230, 1.96, kPf09}}),
         FindingKind::LoadTooSmall, true, 0, 1, 40},
        {"1000 V lines behind PT 100 are 10 V at the input", ThreeWire(1000, {40, 58}, {40, -8}), FindingKind::NoVoltage,
         false, 2, 100, 1},
        {"990 V lines behind PT 100", ThreeWire(990, {40, 58}, {40, -8}), FindingKind::NoVoltage, true, 2, 100, 1},
    };
    for (const LimitCase &c : cases)
        EXPECT_EQ(Has(rddiag::Diagnose(c.reading, c.mode, c.pt, c.ct), c.kind), c.expected) << c.name;
}

TEST(WiringDiagnosis, ModesSayWhatTheyLeaveUnchecked)
{
    const auto balanced = Reading({Healthy(), Healthy(), Healthy()});
    const struct {
        uint8_t mode;
        size_t notes;
        int shownPhases;
    } cases[] = {{0, 0, 3}, {1, 1, 1}, {2, 1, 2}, {3, 1, 2}, {4, 1, 1}, {5, 0, 3}, {9, 0, 3}};
    for (const auto &c : cases) {
        const rddiag::Diagnosis d = rddiag::Diagnose(balanced, c.mode);
        EXPECT_EQ(d.notes.size(), c.notes) << int(c.mode);
        int shown = 0;
        for (const auto &p : d.phasors)
            shown += p.shown ? 1 : 0;
        EXPECT_EQ(shown, c.shownPhases) << int(c.mode);
    }
}

TEST(WiringDiagnosis, ErrorsComeFirstAndAPhaseWithoutPowerHasNoAngle)
{
    // No load on B and A's voltage missing: the error leads, the hint follows.
    const rddiag::Diagnosis d = rddiag::Diagnose(Reading({{0.0, 10.0, 0.0}, {230.0, 0.0, 0.0}, Healthy()}), 0);
    ASSERT_EQ(d.findings.size(), 2u);
    EXPECT_EQ(d.findings[0].kind, FindingKind::VoltageMissing);
    EXPECT_EQ(d.findings[1].kind, FindingKind::NoCurrent);
    EXPECT_FALSE(d.phasors[0].phi);
    EXPECT_EQ(rddiag::PhasorText(d.phasors[0], 0),
              QStringLiteral("A相：U 0.0 V ∠0.0°，I 10.00 A，φ 未知（无功率读数），PF 0.000"));
    EXPECT_EQ(rddiag::PhasorText(d.phasors[2], 2),
              QStringLiteral("C相：U 230.0 V ∠120.0°，I 10.00 A ∠94.2°，φ 25.8°，PF 0.900"));
}

TEST(PhaseAngles, CircleAndReference)
{
    EXPECT_DOUBLE_EQ(rddiag::CircularDistance(350, 10), 20);
    EXPECT_DOUBLE_EQ(rddiag::CircularDistance(-170, 170), 20);
    EXPECT_DOUBLE_EQ(rddiag::CircularDistance(0, 180), 180);
    EXPECT_DOUBLE_EQ(rddiag::WrapDegrees(-180), 180);
    EXPECT_DOUBLE_EQ(rddiag::WrapDegrees(540), 180);

    using A = std::vector<rddiag::PhaseAngle>;
    const struct {
        const char *name;
        A loaded;
        std::optional<int> reference;
    } cases[] = {
        {"none", {}, std::nullopt},
        {"one", {{1, 170}}, 1},
        {"one odd phase cannot move the median", {{0, 200}, {1, 25}, {2, 30}}, 2},
        {"median across 180", {{0, 175}, {1, -175}, {2, 20}}, 0},
        {"120 apart: the usual one", {{0, 146}, {1, -94}, {2, 26}}, 2},
        {"120 apart, none usual", {{0, 80}, {1, -160}, {2, -40}}, std::nullopt},
        {"two disagree, both usual", {{0, -25}, {1, 55}}, std::nullopt},
        {"two disagree, one usual (60 is usual)", {{0, 130}, {2, 60}}, 2},
        {"two disagree, -30.5 is not usual", {{0, 130}, {2, -30.5}}, std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rddiag::ReferencePhase(c.loaded), c.reference) << c.name;
}

} // namespace
