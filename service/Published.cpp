#include "Published.h"

namespace rdsvc {

namespace {

using rdrec::QuantityKind;

struct KindInfo {
    QuantityKind kind;
    const char *key;
    const char *deviceClass;
    const char *metric;   // per phase; the combined column gets "combined_" in front
    const char *help;
};

const KindInfo kKinds[] = {
    {QuantityKind::PhaseVoltage, "voltage", "voltage", "phase_voltage_volts", "Phase voltage"},
    {QuantityKind::LineVoltage, "line_voltage", "voltage", "line_voltage_volts", "Line voltage"},
    {QuantityKind::Current, "current", "current", "current_amperes", "Current"},
    {QuantityKind::ActivePower, "power", "power", "active_power_watts", "Active power"},
    {QuantityKind::ReactivePower, "reactive_power", "reactive_power", "reactive_power_volt_amperes_reactive", "Reactive power"},
    {QuantityKind::ApparentPower, "apparent_power", "apparent_power", "apparent_power_volt_amperes", "Apparent power"},
    {QuantityKind::PowerFactor, "power_factor", "power_factor", "power_factor_ratio", "Power factor"},
};

std::vector<Published> Build()
{
    std::vector<Published> list;
    const char *phaseSuffix[4] = {"_total", "_a", "_b", "_c"};
    const char *lineSuffix[4] = {"_total", "_ca", "_ab", "_bc"};
    const char *phaseLabel[4] = {"", "A", "B", "C"};
    const char *lineLabel[4] = {"", "CA", "AB", "BC"};
    const char *energyKey[4] = {"energy_import", "energy_export", "reactive_energy_import", "reactive_energy_export"};
    for (const rdrec::Quantity &q : rdrec::RecordedQuantities()) {
        Published p{&q, QString(), q.unit, QString(), false, QString(), QString(), QString(),
                    QStringLiteral("gauge"), QString(), 1.0};
        const auto L = [](const char *s) { return QString::fromLatin1(s); };
        bool found = false;
        for (const KindInfo &k : kKinds) {
            if (k.kind != q.kind)
                continue;
            found = true;
            const bool line = q.kind == QuantityKind::LineVoltage;
            p.key = L(k.key) + L(line ? lineSuffix[q.index] : phaseSuffix[q.index]);
            p.deviceClass = L(k.deviceClass);
            p.metricHelp = L(k.help) + (q.index == 0 ? L(", combined") : QString());
            if (q.index == 0) {
                p.metric = L("rd5800_combined_") + L(k.metric);
            } else {
                p.metric = L("rd5800_") + L(k.metric);
                p.labelName = L("phase");
                p.labelValue = L(line ? lineLabel[q.index] : phaseLabel[q.index]);
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
            p.metric = L("rd5800_frequency_hertz");
            p.metricHelp = L("Frequency");
            break;
        case QuantityKind::Energy:
            // The meter counts kWh and kvarh; Prometheus wants base units (J, var s).
            p.key = L(energyKey[q.index]);
            p.deviceClass = q.index < 2 ? L("energy") : QString();
            p.totalIncreasing = true;
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
            const bool in = q.kind == QuantityKind::Input;
            p.key = L(in ? "di" : "do") + QString::number(q.index + 1);
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
            p.metric = L("rd5800_input_pulses_total");
            p.metricHelp = L("Pulses counted on the input");
            p.metricType = L("counter");
            p.labelName = L("input");
            p.labelValue = QString::number(q.index + 1);
            break;
        case QuantityKind::SuccessRate:
            // In the JSON; Prometheus gets the request and reply counters instead.
            p.key = L("success_rate");
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
