#include "Published.h"

#include <QCoreApplication>

namespace rdsvc {

namespace {

using rdrec::QuantityKind;

// The words that name the three-phase column in Home Assistant, for lupdate
// (DisplayWords translates them in the "Quantities" context).
[[maybe_unused]] const char *const kWords[] = {
    QT_TRANSLATE_NOOP("Quantities", "三相平均"),
    QT_TRANSLATE_NOOP("Quantities", "三相合计"),
};

enum class Combined { Mean, Sum, Overall };

struct KindInfo {
    QuantityKind kind;
    const char *key;
    const char *deviceClass;
    const char *metric;       // base name and unit: "phase_voltage" + "volts"
    const char *unit;
    const char *help;
    Combined combined;        // what the meter's three-phase column holds
    bool perPhaseEnabled;     // per-phase entities enabled in Home Assistant by default
};

const KindInfo kKinds[] = {
    {QuantityKind::PhaseVoltage, "voltage", "voltage", "phase_voltage", "volts", "Phase voltage", Combined::Mean, true},
    {QuantityKind::LineVoltage, "line_voltage", "voltage", "line_voltage", "volts", "Line voltage", Combined::Mean, true},
    {QuantityKind::Current, "current", "current", "current", "amperes", "Current", Combined::Mean, true},
    {QuantityKind::ActivePower, "power", "power", "active_power", "watts", "Active power", Combined::Sum, true},
    {QuantityKind::ReactivePower, "reactive_power", "reactive_power", "reactive_power", "volt_amperes_reactive",
     "Reactive power", Combined::Sum, false},
    {QuantityKind::ApparentPower, "apparent_power", "apparent_power", "apparent_power", "volt_amperes",
     "Apparent power", Combined::Sum, false},
    {QuantityKind::PowerFactor, "power_factor", "power_factor", "power_factor", "ratio", "Power factor",
     Combined::Overall, false},
};

QString L(const char *s)
{
    return QString::fromLatin1(s);
}

void FillKind(Published &p, const KindInfo &k, const rdrec::Quantity &q)
{
    const bool line = q.kind == QuantityKind::LineVoltage;
    const char *phaseSuffix[4] = {"", "_a", "_b", "_c"};
    const char *lineSuffix[4] = {"", "_ca", "_ab", "_bc"};
    const char *phaseLabel[4] = {"", "A", "B", "C"};
    const char *lineLabel[4] = {"", "CA", "AB", "BC"};
    p.deviceClass = L(k.deviceClass);
    p.stateClass = L("measurement");
    p.name = q.name;
    if (q.index > 0) {
        p.key = L(k.key) + L(line ? lineSuffix[q.index] : phaseSuffix[q.index]);
        p.metric = L("rd5800_") + L(k.metric) + '_' + L(k.unit);
        p.labelName = L(line ? "line" : "phase");
        p.labelValue = L(line ? lineLabel[q.index] : phaseLabel[q.index]);
        p.metricHelp = L(k.help) + L(line ? " between two lines" : " of one phase");
        p.enabledByDefault = k.perPhaseEnabled;
        return;
    }
    // The three-phase column: "合相" in the table; here what it is.
    const QString words = q.name.section(QLatin1Char(' '), 1);
    struct Column {
        const char *suffix;
        const char *help;
        const char *caption;   // replaces the table's "合相"; none: the table's name stays
    };
    static const Column columns[] = {
        {"avg", ", mean of the three", "三相平均 "},
        {"sum", ", sum of the three phases", "三相合计 "},
        {"overall", " of the three phases together (total active over total apparent power)", nullptr},
    };
    const Column &c = columns[int(k.combined)];
    p.key = L(k.key) + '_' + L(c.suffix);
    p.metric = L("rd5800_") + L(k.metric) + '_' + L(c.suffix) + '_' + L(k.unit);
    p.metricHelp = L(k.help) + L(c.help);
    if (c.caption)
        p.name = QString::fromUtf8(c.caption) + words;
    else
        p.enabledByDefault = true;
    p.oldKey = L(k.key) + L("_total");
}

std::vector<Published> Build()
{
    std::vector<Published> list;
    const char *energyKey[4] = {"energy_import", "energy_export", "reactive_energy_import", "reactive_energy_export"};
    for (const rdrec::Quantity &q : rdrec::RecordedQuantities()) {
        Published p;
        p.quantity = &q;
        p.unit = q.unit;
        p.name = q.name;
        p.component = L("sensor");
        p.metricType = L("gauge");
        bool found = false;
        for (const KindInfo &k : kKinds) {
            if (k.kind == q.kind) {
                FillKind(p, k, q);
                found = true;
            }
        }
        if (found) {
            list.push_back(p);
            continue;
        }
        switch (q.kind) {
        case QuantityKind::Frequency:
            p.key = L("frequency");
            p.deviceClass = L("frequency");
            p.stateClass = L("measurement");
            p.metric = L("rd5800_frequency_hertz");
            p.metricHelp = L("Frequency");
            break;
        case QuantityKind::Energy:
            // The meter counts kWh and kvarh; Prometheus wants base units (J, var s).
            p.key = L(energyKey[q.index]);
            p.deviceClass = q.index < 2 ? L("energy") : L("reactive_energy");
            p.stateClass = L("total_increasing");
            p.metric = q.index < 2 ? L("rd5800_active_energy_joules_total")
                                   : L("rd5800_reactive_energy_volt_ampere_reactive_seconds_total");
            p.metricType = L("counter");
            p.labelName = L("direction");
            p.labelValue = q.index % 2 == 0 ? L("import") : L("export");
            p.metricScale = 3.6e6;
            p.metricHelp = q.index < 2 ? L("Active energy counted by the meter") : L("Reactive energy counted by the meter");
            break;
        case QuantityKind::Input:
        case QuantityKind::Output: {
            // A 0/1 state: a binary sensor, "1" on and "0" off.
            const bool in = q.kind == QuantityKind::Input;
            p.key = L(in ? "di" : "do") + QString::number(q.index + 1);
            p.component = L("binary_sensor");
            p.unit.clear();
            p.metric = L(in ? "rd5800_digital_input" : "rd5800_digital_output");
            p.labelName = L(in ? "input" : "output");
            p.labelValue = QString::number(q.index + 1);
            p.metricHelp = L(in ? "Digital input, 1 when closed" : "Digital output, 1 when on");
            break;
        }
        case QuantityKind::Counter:
            p.key = L("counter") + QString::number(q.index + 1);
            p.unit.clear();
            p.stateClass = L("total_increasing");
            p.diagnostic = true;
            p.enabledByDefault = false;
            p.metric = L("rd5800_input_pulses_total");
            p.metricHelp = L("Pulses counted on the input");
            p.metricType = L("counter");
            p.labelName = L("input");
            p.labelValue = QString::number(q.index + 1);
            break;
        case QuantityKind::SuccessRate:
            // In the JSON; Prometheus gets the request and reply counters instead.
            p.key = L("success_rate");
            p.stateClass = L("measurement");
            p.diagnostic = true;
            break;
        default:
            continue;
        }
        list.push_back(p);
    }
    return list;
}

} // namespace

const std::vector<Published> &PublishedQuantities()
{
    static const std::vector<Published> list = Build();
    return list;
}

} // namespace rdsvc
