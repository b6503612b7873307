// The wiring check "接线检查": from one decoded reading and the wiring mode the
// meter reports (register 0x0301), the phasors to draw and the findings in plain
// words. The meter reports no angles: the voltages are taken at 0, -120 and +120
// degrees (A, B, C) and each current at its voltage's angle minus
// phi = atan2(Q, P) of its phase. Pure logic, no widgets; limits in
// WiringThresholds.h.
#pragma once

#include "meter/acquisition/Measurements.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace rddiag {

enum class Level { Error, Warning, Hint };   // 错误, 警告, 提示

enum class FindingKind {
    VoltageMissing,      // X相电压缺失
    CtReversed,          // X相电流互感器可能接反
    CtsReversed,         // X相和Y相电流互感器可能接反，或电能反送且Z相… (phase -1)
    CtOnOtherPhase,      // X相电流与电压相位不符 ...
    CurrentsMismatch,    // the currents do not match the voltages; no phase can be named
    AllPowerNegative,    // 三相有功均为负 ...
    VoltageUnbalance,    // 三相电压不平衡
    NoCurrent,           // X相无电流
    LineToPhaseRatio,    // 线电压与相电压之比不是 √3 ...
    LowPowerFactor,      // 总功率因数偏低
    FrequencyOutOfRange, // 频率超出范围
    LoadTooSmall,        // not judged: 负载电流过小，无法判断相位
    NoVoltage,           // not judged: no voltage at all
};

struct Finding {
    Level level;
    FindingKind kind;
    int phase = -1;      // 0..2 = A..C; -1 when the finding names no phase
    QString text;        // the sentence, in the interface language
    QString numbers;     // the values behind it
};

// How the wiring mode is checked.
enum class WiringScope {
    ThreePhaseFourWire,   // codes 0, 5: every check
    ThreePhaseThreeWire,  // codes 2, 3: two elements (A on U_AB, C on U_CB), no B CT;
                          // no per-phase voltage and no sqrt(3) check
    SinglePhase,          // codes 1, 4: phase A only
};
WiringScope ScopeOf(uint8_t wiringMode);

struct Phasor {
    bool shown = false;          // the phase belongs to the wiring mode (3-wire: has an element)
    double volts = 0;            // 3-wire: the element's line voltage U_AB or U_CB
    double amps = 0;
    double powerFactor = 0;
    double voltageAngle = 0;     // degrees: 0, -120, +120; 3-wire: U_AB +30, U_CB +90
    int lineTo = -1;             // 3-wire: 1, the element's voltage is against B; else -1
    // 3-wire: the element's own angle is the load angle +30 (A) or -30 (C) on a sound
    // panel; the check takes this shift out before comparing. 0 elsewhere.
    double shift = 0;
    std::optional<double> phi;   // degrees, atan2(Q, P) of the phase or element; empty while P and Q are both 0
    double currentAngle = 0;     // voltageAngle - phi, in (-180, 180]
    double voltageLength = 0;    // 0..1 of the largest voltage
    double currentLength = 0;    // 0..1 of the largest current
};

struct Diagnosis {
    std::array<Phasor, 3> phasors;
    std::vector<Finding> findings;   // errors first, then warnings, then hints
    std::vector<QString> notes;      // what the wiring mode leaves unchecked
};

// `m` as decoded with the meter's PT and CT ratios (primary values). The floors
// about measurability (kMinJudgeVoltage, kMinJudgeCurrent) are judged on the
// meter's input: the largest voltage / ptRatio, the largest current / ctRatio.
Diagnosis Diagnose(const rdacq::Measurements &m, uint8_t wiringMode, uint32_t ptRatio = 1, uint32_t ctRatio = 1);

QString LevelText(Level level);             // 错误 / 警告 / 提示
QString PhaseLetter(int phase);             // A, B, C
QString WiringModeText(uint8_t wiringMode); // "3相4线(非平衡)" ...
// One line of the diagram's text alternative:
// "A相：U 230.0 V ∠0.0°，I 18.00 A ∠-25.8°，φ 25.8°，PF 0.900"; a 3-wire element
// "A相：UAB 100.0 V ∠30.0°，I 4.00 A ∠-28.0°，φ 58.0°（去掉 +30° 为 28.0°），PF 0.530".
QString PhasorText(const Phasor &p, int phase);
// One line of the findings list: "错误：A相电压缺失（UA 0.0 V，最大相电压 230.0 V）".
QString FindingLine(const Finding &f);

} // namespace rddiag
