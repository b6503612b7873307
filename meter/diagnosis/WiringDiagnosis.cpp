#include "WiringDiagnosis.h"

#include "PhaseAngles.h"
#include "WiringThresholds.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <functional>

namespace rddiag {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kVoltageAngles[3] = {0.0, -120.0, 120.0};

bool Below(double value, double limit) { return value < limit - kSlack; }
bool Above(double value, double limit) { return value > limit + kSlack; }

QString Volts(double v) { return QString::number(v, 'f', 1) + QStringLiteral(" V"); }
QString Amps(double a) { return QString::number(a, 'f', 2) + QStringLiteral(" A"); }
QString MilliAmps(double a) { return QString::number(a * 1000, 'f', 1) + QStringLiteral(" mA"); }
QString Degrees(double d) { return QString::number(d, 'f', 1) + QStringLiteral("°"); }
QString Watts(double w)
{
    return std::fabs(w) >= 10000 ? QString::number(w / 1000, 'f', 2) + QStringLiteral(" kW")
                                 : QString::number(w, 'f', 0) + QStringLiteral(" W");
}

// "UA 230.0 V，UB 229.5 V，UC 231.0 V" for the phases in `which`.
QString EachPhase(const char *symbol, const std::vector<int> &which, const std::function<QString(int)> &value)
{
    QStringList parts;
    for (int p : which)
        parts << QString::fromUtf8(symbol) + PhaseLetter(p) + QLatin1Char(' ') + value(p);
    return parts.join(QCoreApplication::translate("WiringDiagnosis", "，"));
}

// "A相", "A相和C相", "A相、B相和C相".
QString PhaseList(const std::vector<int> &phases)
{
    QStringList each;
    for (int p : phases)
        each << QCoreApplication::translate("WiringDiagnosis", "%1相").arg(PhaseLetter(p));
    const QString last = each.takeLast();
    if (each.isEmpty())
        return last;
    return QCoreApplication::translate("WiringDiagnosis", "%1和%2")
        .arg(each.join(QCoreApplication::translate("WiringDiagnosis", "、")), last);
}

// The phase's phi as shown; for a 3-wire element also the angle it is compared by:
// "58.0°（去掉 +30° 为 28.0°）".
QString PhiText(const Phasor &p)
{
    if (!p.phi)
        return QString();
    if (p.shift == 0)
        return Degrees(*p.phi);
    return QCoreApplication::translate("WiringDiagnosis", "%1（去掉 %2 为 %3）")
        .arg(Degrees(*p.phi), QString::asprintf("%+.0f°", p.shift),
             Degrees(WrapDegrees(*p.phi - p.shift)));
}

class Checker {
public:
    Checker(const rdacq::Measurements &m, uint8_t wiringMode, uint32_t ptRatio, uint32_t ctRatio)
        : m_m(m), m_scope(ScopeOf(wiringMode)), m_pt(std::max<uint32_t>(ptRatio, 1)), m_ct(std::max<uint32_t>(ctRatio, 1))
    {
        // The phases with an element of their own: 3-wire meters have CTs on A and C only.
        switch (m_scope) {
        case WiringScope::ThreePhaseFourWire: m_elements = {0, 1, 2}; break;
        case WiringScope::ThreePhaseThreeWire: m_elements = {0, 2}; break;
        case WiringScope::SinglePhase: m_elements = {0}; break;
        }
        for (int p : m_elements) {
            m_maxU = std::max(m_maxU, volts(p));
            m_maxI = std::max(m_maxI, amps(p));
        }
        const int columns = m_scope == WiringScope::SinglePhase ? 1 : 3;
        for (int p = 0; p < columns; ++p) {
            m_maxPhaseU = std::max(m_maxPhaseU, m.phaseVoltage[size_t(p + 1)]);
            m_maxLine = std::max(m_maxLine, m.lineVoltage[size_t(p + 1)]);
        }
    }

    Diagnosis run()
    {
        drawPhasors();
        if (m_scope == WiringScope::ThreePhaseThreeWire)
            m_d.notes.push_back(QCoreApplication::translate("WiringDiagnosis", "3相3线接线：仪表按线电压测量，不检查相电压缺失、三相电压不平衡和线电压与相电压之比"));
        else if (m_scope == WiringScope::SinglePhase)
            m_d.notes.push_back(QCoreApplication::translate("WiringDiagnosis", "单相接线：只检查A相"));

        // 3-wire meters measure between lines: a line voltage is as good a sign of a live supply.
        const double judgeVoltage = m_scope == WiringScope::ThreePhaseThreeWire ? std::max(m_maxPhaseU, m_maxLine) : m_maxPhaseU;
        if (Below(judgeVoltage / m_pt, kMinJudgeVoltage)) {
            const QString numbers =
                m_pt == 1 ? QCoreApplication::translate("WiringDiagnosis", "最大电压 %1，至少需要 %2").arg(Volts(judgeVoltage), Volts(kMinJudgeVoltage))
                          : QCoreApplication::translate("WiringDiagnosis", "最大电压 %1，即仪表输入 %2（PT %3），仪表输入至少需要 %4")
                                .arg(Volts(judgeVoltage), Volts(judgeVoltage / m_pt), QString::number(m_pt), Volts(kMinJudgeVoltage));
            add(Level::Hint, FindingKind::NoVoltage, -1, QCoreApplication::translate("WiringDiagnosis", "未测到电压：电压未接入或线路未带电，无法判断接线"), numbers);
        } else {
            checkVoltages();
            checkCurrents();
            checkFrequency();
        }
        std::stable_sort(m_d.findings.begin(), m_d.findings.end(),
                         [](const Finding &a, const Finding &b) { return int(a.level) < int(b.level); });
        return m_d;
    }

private:
    bool threeWire() const { return m_scope == WiringScope::ThreePhaseThreeWire; }
    // The voltage of the phase's element: 3-wire A against U_AB, C against U_CB (= U_BC).
    double volts(int p) const
    {
        if (threeWire())
            return m_m.lineVoltage[size_t(p == 0 ? rdacq::kColB : rdacq::kColC)];
        return m_m.phaseVoltage[size_t(p + 1)];
    }
    double amps(int p) const { return m_m.current[size_t(p + 1)]; }
    double watts(int p) const { return m_m.activePower[size_t(p + 1)]; }
    double vars(int p) const { return m_m.reactivePower[size_t(p + 1)]; }
    const Phasor &phasor(int p) const { return m_d.phasors[size_t(p)]; }
    // The angle the checks compare: phi with the 3-wire element's shift taken out.
    double judged(int p) const { return WrapDegrees(*phasor(p).phi - phasor(p).shift); }

    void add(Level level, FindingKind kind, int phase, const QString &text, const QString &numbers)
    {
        m_d.findings.push_back({level, kind, phase, text, numbers});
    }

    void drawPhasors()
    {
        for (int p : m_elements) {
            Phasor &ph = m_d.phasors[size_t(p)];
            ph.shown = true;
            ph.volts = volts(p);
            ph.amps = amps(p);
            ph.powerFactor = m_m.powerFactor[size_t(p + 1)];
            if (threeWire()) {
                // U_AB leads U_A by 30 deg, U_CB lags U_C by 30 deg.
                ph.lineTo = 1;
                ph.shift = p == 0 ? kElementShiftDeg : -kElementShiftDeg;
                ph.voltageAngle = kVoltageAngles[p] + ph.shift;
            } else {
                ph.voltageAngle = kVoltageAngles[p];
            }
            if (watts(p) != 0 || vars(p) != 0)
                ph.phi = std::atan2(vars(p), watts(p)) * 180.0 / kPi;
            ph.currentAngle = WrapDegrees(ph.voltageAngle - ph.phi.value_or(0.0));
            ph.voltageLength = m_maxU > 0 ? ph.volts / m_maxU : 0;
            ph.currentLength = m_maxI > 0 ? ph.amps / m_maxI : 0;
        }
    }

    void checkVoltages()
    {
        if (m_scope == WiringScope::ThreePhaseThreeWire)
            return;
        bool missing = false;
        for (int p : m_elements) {
            if (!Below(volts(p), kMissingVoltageShare * m_maxU))
                continue;
            missing = true;
            m_voltageMissing[size_t(p)] = true;
            add(Level::Error, FindingKind::VoltageMissing, p, QCoreApplication::translate("WiringDiagnosis", "%1相电压缺失").arg(PhaseLetter(p)),
                QCoreApplication::translate("WiringDiagnosis", "U%1 %2，最大相电压 %3").arg(PhaseLetter(p), Volts(volts(p)), Volts(m_maxU)));
        }
        // A missing voltage unbalances the rest and breaks the ratio: saying so again
        // would only hide the cause.
        if (m_scope != WiringScope::ThreePhaseFourWire || missing)
            return;
        const double mean = (volts(0) + volts(1) + volts(2)) / 3.0;
        double deviation = 0;
        for (int p = 0; p < 3; ++p)
            deviation = std::max(deviation, std::fabs(volts(p) - mean) / mean);
        const QString phaseVolts = EachPhase("U", m_elements, [this](int p) { return Volts(volts(p)); });
        if (Above(deviation, kUnbalanceShare))
            add(Level::Warning, FindingKind::VoltageUnbalance, -1, QCoreApplication::translate("WiringDiagnosis", "三相电压不平衡"),
                QCoreApplication::translate("WiringDiagnosis", "%1，平均 %2，最大偏差 %3 %").arg(phaseVolts, Volts(mean), QString::number(deviation * 100, 'f', 1)));

        const double meanLine = (m_m.lineVoltage[1] + m_m.lineVoltage[2] + m_m.lineVoltage[3]) / 3.0;
        const double ratio = meanLine / mean;
        if (Above(std::fabs(ratio - kSqrt3), kSqrt3 * kRatioTolerance))
            add(Level::Warning, FindingKind::LineToPhaseRatio, -1,
                QCoreApplication::translate("WiringDiagnosis", "线电压与相电压之比不是 √3：接线方式设置或电压接线有误"),
                QCoreApplication::translate("WiringDiagnosis", "平均线电压 %1，平均相电压 %2，比值 %3（应为 1.732 ± 5 %）")
                    .arg(Volts(meanLine), Volts(mean), QString::number(ratio, 'f', 3)));
    }

    // "X相电流互感器可能接反" with the numbers against `reference`.
    Finding reversedFinding(int phase, int reference) const
    {
        const QString letter = PhaseLetter(phase);
        return {Level::Error, FindingKind::CtReversed, phase,
                QCoreApplication::translate("WiringDiagnosis", "%1相电流互感器可能接反").arg(letter),
                angleNumbers(phase, reference)};
    }

    QString angleNumbers(int phase, int reference) const
    {
        const QString letter = PhaseLetter(phase);
        return QCoreApplication::translate("WiringDiagnosis", "φ%1 %2，参考 φ%3 %4，相差 %5，P%1 %6")
            .arg(letter, PhiText(phasor(phase)), PhaseLetter(reference), PhiText(phasor(reference)),
                 Degrees(CircularDistance(judged(phase), judged(reference))), Watts(watts(phase)));
    }

    // The angle findings against the reference phase; empty when every loaded phase agrees.
    std::vector<Finding> angleFindings(const std::vector<PhaseAngle> &loaded, const QString &phis) const
    {
        const std::optional<int> reference = ReferencePhase(loaded);
        if (!reference)
            return {{Level::Error, FindingKind::CurrentsMismatch, -1,
                     QCoreApplication::translate("WiringDiagnosis", "各相电流与电压相位不符，无法判断是哪一相：请检查电流互感器的相序和方向"), phis}};
        std::vector<Finding> out;
        const double refPhi = judged(*reference);
        for (const PhaseAngle &a : loaded) {
            const double distance = CircularDistance(a.phi, refPhi);
            if (a.phase == *reference || !Above(distance, kAgreeDeg))
                continue;
            if (Above(distance, kReversedDeg))
                out.push_back(reversedFinding(a.phase, *reference));
            else
                out.push_back({Level::Error, FindingKind::CtOnOtherPhase, a.phase,
                               QCoreApplication::translate("WiringDiagnosis", "%1相电流与电压相位不符，电流互感器可能接在其他相").arg(PhaseLetter(a.phase)),
                               angleNumbers(a.phase, *reference)});
        }
        return out;
    }

    void checkCurrents()
    {
        if (Below(m_maxI / m_ct, kMinJudgeCurrent)) {
            const QString numbers =
                m_ct == 1 ? QCoreApplication::translate("WiringDiagnosis", "最大电流 %1，至少需要 %2").arg(Amps(m_maxI), Amps(kMinJudgeCurrent))
                          : QCoreApplication::translate("WiringDiagnosis", "最大电流 %1，即仪表输入 %2（CT %3），仪表输入至少需要 %4")
                                .arg(Amps(m_maxI), MilliAmps(m_maxI / m_ct), QString::number(m_ct), MilliAmps(kMinJudgeCurrent));
            add(Level::Hint, FindingKind::LoadTooSmall, -1, QCoreApplication::translate("WiringDiagnosis", "负载电流过小，无法判断相位"), numbers);
            return;
        }
        if (m_elements.size() > 1) {
            for (int p : m_elements)
                if (Below(amps(p), kNoCurrentShare * m_maxI))
                    add(Level::Hint, FindingKind::NoCurrent, p, QCoreApplication::translate("WiringDiagnosis", "%1相无电流").arg(PhaseLetter(p)),
                        QCoreApplication::translate("WiringDiagnosis", "I%1 %2，最大电流 %3").arg(PhaseLetter(p), Amps(amps(p)), Amps(m_maxI)));
        }

        std::vector<PhaseAngle> loaded;
        std::vector<int> loadedPhases;
        for (int p : m_elements) {
            if (!Below(amps(p), kLoadedShare * m_maxI) && phasor(p).phi && !m_voltageMissing[size_t(p)]) {
                loaded.push_back({p, judged(p)});
                loadedPhases.push_back(p);
            }
        }
        if (loaded.empty()) {
            add(Level::Hint, FindingKind::LoadTooSmall, -1, QCoreApplication::translate("WiringDiagnosis", "有电流的相没有电压或功率读数，无法判断相位"),
                EachPhase("I", m_elements, [this](int p) { return Amps(amps(p)); }));
            return;
        }
        const QString phis = EachPhase("φ", loadedPhases, [this](int p) { return PhiText(phasor(p)); });

        const std::vector<Finding> angle = angleFindings(loaded, phis);
        if (!angle.empty()) {
            // Phases that disagree in the sign of their power: reversed CTs, which the
            // median alone may blame on the wrong phases (two reversed out of three
            // make the sound one the odd one out).
            if (const std::optional<Reversal> r = ReversedCts(loaded))
                addReversal(*r, loadedPhases, phis);
            else
                m_d.findings.insert(m_d.findings.end(), angle.begin(), angle.end());
            return;   // the total power factor mixes the wrong signs: it says nothing more
        }

        bool allNegative = true;
        double spread = 0;
        for (const PhaseAngle &a : loaded) {
            allNegative = allNegative && Exporting(a.phi);
            for (const PhaseAngle &b : loaded)
                spread = std::max(spread, CircularDistance(a.phi, b.phi));
        }
        if (allNegative && !Above(spread, kAgreeDeg)) {
            const QString text = loaded.size() == 3 ? QCoreApplication::translate("WiringDiagnosis", "三相有功均为负：电能反送，或三只互感器均接反")
                                                    : QCoreApplication::translate("WiringDiagnosis", "带负载的相有功均为负：电能反送，或电流互感器接反");
            add(Level::Warning, FindingKind::AllPowerNegative, -1, text,
                EachPhase("P", loadedPhases, [this](int p) { return Watts(watts(p)); }));
        }
        const double totalPf = m_m.powerFactor[rdacq::kCombined];
        if (Below(std::fabs(totalPf), kLowPowerFactor))
            add(Level::Hint, FindingKind::LowPowerFactor, -1, QCoreApplication::translate("WiringDiagnosis", "总功率因数偏低"),
                QCoreApplication::translate("WiringDiagnosis", "总功率因数 %1").arg(QString::number(totalPf, 'f', 3)));
    }

    // A consuming site: the phases with negative power are the reversed ones. Where
    // power fed back with the other phases reversed fits as well, it follows.
    void addReversal(const Reversal &r, const std::vector<int> &loadedPhases, const QString &phis)
    {
        if (!r.alternativeFits) {
            for (int p : r.reversed)
                m_d.findings.push_back(reversedFinding(p, r.reference));
            return;
        }
        add(Level::Error, FindingKind::CtsReversed, -1,
            QCoreApplication::translate("WiringDiagnosis", "%1电流互感器可能接反，或电能反送且%2电流互感器接反")
                .arg(PhaseList(r.reversed), PhaseList(r.alternative)),
            QCoreApplication::translate("WiringDiagnosis", "%1；%2")
                .arg(phis, EachPhase("P", loadedPhases, [this](int p) { return Watts(watts(p)); })));
    }

    void checkFrequency()
    {
        const double f = m_m.frequency;
        const double nominal = std::fabs(f - 50.0) <= std::fabs(f - 60.0) ? 50.0 : 60.0;
        if (Above(std::fabs(f - nominal), kFrequencyTolerance))
            add(Level::Warning, FindingKind::FrequencyOutOfRange, -1, QCoreApplication::translate("WiringDiagnosis", "频率超出范围"),
                QCoreApplication::translate("WiringDiagnosis", "频率 %1 Hz，额定 %2 Hz ± %3 Hz")
                    .arg(QString::number(f, 'f', 2), QString::number(nominal, 'f', 0),
                         QString::number(kFrequencyTolerance, 'f', 1)));
    }

    const rdacq::Measurements &m_m;
    const WiringScope m_scope;
    const uint32_t m_pt, m_ct;
    std::vector<int> m_elements;
    double m_maxU = 0, m_maxI = 0;        // of the elements' voltages and currents
    double m_maxPhaseU = 0, m_maxLine = 0;  // of the phase and line voltage columns
    std::array<bool, 3> m_voltageMissing{};
    Diagnosis m_d;
};

} // namespace

WiringScope ScopeOf(uint8_t wiringMode)
{
    switch (wiringMode) {
    case 1:
    case 4: return WiringScope::SinglePhase;
    case 2:
    case 3: return WiringScope::ThreePhaseThreeWire;
    default: return WiringScope::ThreePhaseFourWire;
    }
}

Diagnosis Diagnose(const rdacq::Measurements &m, uint8_t wiringMode, uint32_t ptRatio, uint32_t ctRatio)
{
    return Checker(m, wiringMode, ptRatio, ctRatio).run();
}

QString LevelText(Level level)
{
    switch (level) {
    case Level::Error: return QCoreApplication::translate("WiringDiagnosis", "错误");
    case Level::Warning: return QCoreApplication::translate("WiringDiagnosis", "警告");
    case Level::Hint: break;
    }
    return QCoreApplication::translate("WiringDiagnosis", "提示");
}

QString PhaseLetter(int phase)
{
    return QString(QChar(u'A' + phase));
}

QString WiringModeText(uint8_t wiringMode)
{
    static const char *const kModes[6] = {
        QT_TRANSLATE_NOOP("WiringDiagnosis", "3相4线(非平衡)"), QT_TRANSLATE_NOOP("WiringDiagnosis", "单相2线"),
        QT_TRANSLATE_NOOP("WiringDiagnosis", "3相3线(非平衡)"), QT_TRANSLATE_NOOP("WiringDiagnosis", "3相3线(平衡)"),
        QT_TRANSLATE_NOOP("WiringDiagnosis", "单相3线"),       QT_TRANSLATE_NOOP("WiringDiagnosis", "3相4线(平衡)")};
    if (wiringMode < 6)
        return QCoreApplication::translate("WiringDiagnosis", kModes[wiringMode]);
    return QCoreApplication::translate("WiringDiagnosis", "未知代码 %1（按3相4线检查）").arg(int(wiringMode));
}

QString PhasorText(const Phasor &p, int phase)
{
    if (p.lineTo >= 0) {
        // A 3-wire element: its line voltage, and its own phi with the compared angle.
        const QString voltage = QStringLiteral("U") + PhaseLetter(phase) + PhaseLetter(p.lineTo);
        if (!p.phi)
            return QCoreApplication::translate("WiringDiagnosis", "%1相：%2 %3 ∠%4，I %5，φ 未知（无功率读数），PF %6")
                .arg(PhaseLetter(phase), voltage, Volts(p.volts), Degrees(p.voltageAngle), Amps(p.amps),
                     QString::number(p.powerFactor, 'f', 3));
        return QCoreApplication::translate("WiringDiagnosis", "%1相：%2 %3 ∠%4，I %5 ∠%6，φ %7，PF %8")
            .arg(PhaseLetter(phase), voltage, Volts(p.volts), Degrees(p.voltageAngle), Amps(p.amps),
                 Degrees(p.currentAngle), PhiText(p), QString::number(p.powerFactor, 'f', 3));
    }
    if (!p.phi)
        return QCoreApplication::translate("WiringDiagnosis", "%1相：U %2 ∠%3，I %4，φ 未知（无功率读数），PF %5")
            .arg(PhaseLetter(phase), Volts(p.volts), Degrees(p.voltageAngle), Amps(p.amps),
                 QString::number(p.powerFactor, 'f', 3));
    return QCoreApplication::translate("WiringDiagnosis", "%1相：U %2 ∠%3，I %4 ∠%5，φ %6，PF %7")
        .arg(PhaseLetter(phase), Volts(p.volts), Degrees(p.voltageAngle), Amps(p.amps), Degrees(p.currentAngle),
             Degrees(*p.phi), QString::number(p.powerFactor, 'f', 3));
}

QString FindingLine(const Finding &f)
{
    return QCoreApplication::translate("WiringDiagnosis", "%1：%2（%3）").arg(LevelText(f.level), f.text, f.numbers);
}

} // namespace rddiag
