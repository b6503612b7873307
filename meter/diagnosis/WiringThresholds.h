// Every limit the wiring check judges by, in one place. The README of this folder
// and the main README's "接线检查" section list them; change them here and there.
// Currents and voltages are the readings as shown (scaled by CT and PT), except the
// two floors about measurability, which are about the meter's own inputs.
#pragma once

namespace rddiag {

// Which phases take part in the angle checks.
constexpr double kLoadedShare = 0.05;        // loaded: I >= 5 % of the largest current
constexpr double kNoCurrentShare = 0.02;     // "X相无电流": I < 2 % of the largest current
// The floors are on the meter's input (primary / CT, primary / PT): below them its
// angles mean nothing, whatever the ratios make of the readings. 50 mA is 1 % of a
// 5 A input; behind 200/5 CTs it is 2 A primary.
constexpr double kMinJudgeCurrent = 0.05;    // A at the input; below this largest current nothing is judged by angle
constexpr double kMinJudgeVoltage = 10.0;    // V at the input; below this largest voltage nothing is judged

// Voltages.
constexpr double kMissingVoltageShare = 0.10;   // "X相电压缺失": U < 10 % of the largest phase voltage
constexpr double kUnbalanceShare = 0.10;        // largest deviation from the mean phase voltage
constexpr double kSqrt3 = 1.7320508075688772;   // line / phase voltage of a healthy star supply
constexpr double kRatioTolerance = 0.05;        // the ratio may lie within 1.732 +- 5 %

// Angles, in degrees, compared on the circle.
constexpr double kAgreeDeg = 60.0;        // phases within 60 deg of the reference agree
constexpr double kReversedDeg = 150.0;    // beyond 150 deg: reversed; 60 to 150: another phase's CT
constexpr double kUsualPhiLowDeg = -30.0;   // the usual load range of phi: slightly capacitive
constexpr double kUsualPhiHighDeg = 60.0;   // to inductive (PF 0.5 lagging)
// 3-wire (two-wattmeter) elements: A measures I_A against U_AB, which leads U_A by
// 30 deg; C measures I_C against U_CB, which lags U_C by 30 deg.
constexpr double kElementShiftDeg = 30.0;

// The installation.
constexpr double kLowPowerFactor = 0.5;       // total |PF| below this: "总功率因数偏低"
constexpr double kFrequencyTolerance = 0.5;   // Hz from 50 or 60 Hz, whichever is nearer

// Readings are decimal fractions (50.5 Hz is 5050 x 0.01): a value on a limit is
// inside it. Comparisons allow this much for the rounding of the decoding.
constexpr double kSlack = 1e-9;

} // namespace rddiag
