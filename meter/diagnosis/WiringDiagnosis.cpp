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

class Checker {
public:
    Checker(const rdacq::Measurements &m, uint8_t wiringMode)
        : m_m(m), m_scope(ScopeOf(wiringMode)), m_phases(m_scope == WiringScope::SinglePhase ? 1 : 3)
    {
        for (int p = 0; p < m_phases; ++p) {
            m_all.push_back(p);
            m_maxU = std::max(m_maxU, volts(p));
            m_maxI = std::max(m_maxI, amps(p));
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
        const double judgeVoltage = m_scope == WiringScope::ThreePhaseThreeWire ? std::max(m_maxU, m_maxLine) : m_maxU;
        if (Below(judgeVoltage, kMinJudgeVoltage)) {
            add(Level::Hint, FindingKind::NoVoltage, -1, QCoreApplication::translate("WiringDiagnosis", "未测到电压：电压未接入或线路未带电，无法判断接线"),
                QCoreApplication::translate("WiringDiagnosis", "最大电压 %1，至少需要 %2").arg(Volts(judgeVoltage), Volts(kMinJudgeVoltage)));
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
    double volts(int p) const { return m_m.phaseVoltage[size_t(p + 1)]; }
    double amps(int p) const { return m_m.current[size_t(p + 1)]; }
    double watts(int p) const { return m_m.activePower[size_t(p + 1)]; }
    double vars(int p) const { return m_m.reactivePower[size_t(p + 1)]; }

    void add(Level level, FindingKind kind, int phase, const QString &text, const QString &numbers)
    {
        m_d.findings.push_back({level, kind, phase, text, numbers});
    }

    void drawPhasors()
    {
        for (int p = 0; p < m_phases; ++p) {
            Phasor &ph = m_d.phasors[size_t(p)];
            ph.shown = true;
            ph.volts = volts(p);
            ph.amps = amps(p);
            ph.powerFactor = m_m.powerFactor[size_t(p + 1)];
            ph.voltageAngle = kVoltageAngles[p];
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
        for (int p = 0; p < m_phases; ++p) {
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
        const QString phaseVolts = EachPhase("U", m_all, [this](int p) { return Volts(volts(p)); });
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

    void checkCurrents()
    {
        if (Below(m_maxI, kMinJudgeCurrent)) {
            add(Level::Hint, FindingKind::LoadTooSmall, -1, QCoreApplication::translate("WiringDiagnosis", "负载电流过小，无法判断相位"),
                QCoreApplication::translate("WiringDiagnosis", "最大电流 %1，至少需要 %2").arg(Amps(m_maxI), Amps(kMinJudgeCurrent)));
            return;
        }
        if (m_phases == 3) {
            for (int p = 0; p < 3; ++p)
                if (Below(amps(p), kNoCurrentShare * m_maxI))
                    add(Level::Hint, FindingKind::NoCurrent, p, QCoreApplication::translate("WiringDiagnosis", "%1相无电流").arg(PhaseLetter(p)),
                        QCoreApplication::translate("WiringDiagnosis", "I%1 %2，最大电流 %3").arg(PhaseLetter(p), Amps(amps(p)), Amps(m_maxI)));
        }

        std::vector<PhaseAngle> loaded;
        std::vector<int> loadedPhases;
        for (int p = 0; p < m_phases; ++p) {
            const Phasor &ph = m_d.phasors[size_t(p)];
            if (!Below(amps(p), kLoadedShare * m_maxI) && ph.phi && !m_voltageMissing[size_t(p)]) {
                loaded.push_back({p, *ph.phi});
                loadedPhases.push_back(p);
            }
        }
        if (loaded.empty()) {
            add(Level::Hint, FindingKind::LoadTooSmall, -1, QCoreApplication::translate("WiringDiagnosis", "有电流的相没有电压或功率读数，无法判断相位"),
                EachPhase("I", m_all, [this](int p) { return Amps(amps(p)); }));
            return;
        }
        const QString phis =
            EachPhase("φ", loadedPhases, [this](int p) { return Degrees(*m_d.phasors[size_t(p)].phi); });

        bool angleError = false;
        const std::optional<int> reference = ReferencePhase(loaded);
        if (!reference) {
            angleError = true;
            add(Level::Error, FindingKind::CurrentsMismatch, -1,
                QCoreApplication::translate("WiringDiagnosis", "各相电流与电压相位不符，无法判断是哪一相：请检查电流互感器的相序和方向"), phis);
        } else {
            const double refPhi = *m_d.phasors[size_t(*reference)].phi;
            for (const PhaseAngle &a : loaded) {
                const double distance = CircularDistance(a.phi, refPhi);
                if (a.phase == *reference || !Above(distance, kAgreeDeg))
                    continue;
                angleError = true;
                const QString letter = PhaseLetter(a.phase);
                const QString numbers = QCoreApplication::translate("WiringDiagnosis", "φ%1 %2，参考 φ%3 %4，相差 %5，P%1 %6")
                                            .arg(letter, Degrees(a.phi), PhaseLetter(*reference), Degrees(refPhi),
                                                 Degrees(distance), Watts(watts(a.phase)));
                if (Above(distance, kReversedDeg))
                    add(Level::Error, FindingKind::CtReversed, a.phase, QCoreApplication::translate("WiringDiagnosis", "%1相电流互感器可能接反").arg(letter), numbers);
                else
                    add(Level::Error, FindingKind::CtOnOtherPhase, a.phase,
                        QCoreApplication::translate("WiringDiagnosis", "%1相电流与电压相位不符，电流互感器可能接在其他相").arg(letter), numbers);
            }
        }
        if (angleError)
            return;   // the total power factor mixes the wrong signs: it says nothing more

        bool allNegative = true;
        double spread = 0;
        for (const PhaseAngle &a : loaded) {
            allNegative = allNegative && watts(a.phase) < 0;
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
    const int m_phases;
    std::vector<int> m_all;
    double m_maxU = 0, m_maxI = 0, m_maxLine = 0;
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

Diagnosis Diagnose(const rdacq::Measurements &m, uint8_t wiringMode)
{
    return Checker(m, wiringMode).run();
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
