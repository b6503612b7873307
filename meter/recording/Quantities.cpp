// The recorded quantities and how each is taken from a reading.
#include "Quantities.h"

#include <QCoreApplication>
#include <cmath>

namespace rdrec {

namespace {

// The words the names below are made of, for lupdate: DisplayWords translates them
// one by one (a word without an entry, such as "DI1", stays as it is).
[[maybe_unused]] const char *const kWords[] = {
    QT_TRANSLATE_NOOP("Quantities", "合相"), QT_TRANSLATE_NOOP("Quantities", "A相"),
    QT_TRANSLATE_NOOP("Quantities", "B相"), QT_TRANSLATE_NOOP("Quantities", "C相"),
    QT_TRANSLATE_NOOP("Quantities", "CA线"), QT_TRANSLATE_NOOP("Quantities", "AB线"),
    QT_TRANSLATE_NOOP("Quantities", "BC线"), QT_TRANSLATE_NOOP("Quantities", "相电压"),
    QT_TRANSLATE_NOOP("Quantities", "线电压"), QT_TRANSLATE_NOOP("Quantities", "相电流"),
    QT_TRANSLATE_NOOP("Quantities", "有功功率"), QT_TRANSLATE_NOOP("Quantities", "无功功率"),
    QT_TRANSLATE_NOOP("Quantities", "视在功率"), QT_TRANSLATE_NOOP("Quantities", "功率因数"),
    QT_TRANSLATE_NOOP("Quantities", "频率"), QT_TRANSLATE_NOOP("Quantities", "正向有功电能"),
    QT_TRANSLATE_NOOP("Quantities", "负向有功电能"), QT_TRANSLATE_NOOP("Quantities", "正向无功电能"),
    QT_TRANSLATE_NOOP("Quantities", "负向无功电能"), QT_TRANSLATE_NOOP("Quantities", "计数"),
    QT_TRANSLATE_NOOP("Quantities", "通讯成功率"),
};

std::vector<Quantity> BuildQuantities()
{
    // Columns as the window heads them: combined, then A/CA, B/AB, C/BC. Phase
    // quantities name the phase, line voltages the pair of lines.
    const QString phases[4] = {QStringLiteral("合相"), QStringLiteral("A相"),
                               QStringLiteral("B相"), QStringLiteral("C相")};
    const QString lines[4] = {QStringLiteral("合相"), QStringLiteral("CA线"),
                              QStringLiteral("AB线"), QStringLiteral("BC线")};
    // Decimals follow the instrument's resolution, so every decoded value is
    // written exactly: raw × PT ÷ 10 V, raw × CT ÷ 1000 A, raw × PT × CT W,
    // raw ÷ 1000 for the power factor, raw × 0.01 Hz (whose binary product
    // would otherwise print as 49.990000000000002).
    struct Row {
        QuantityKind kind;
        const char *name;
        const char *unit;
        const QString *columns;
        int decimals;
    };
    const Row rows[] = {
        {QuantityKind::PhaseVoltage, "相电压", "V", phases, 1},
        {QuantityKind::LineVoltage, "线电压", "V", lines, 1},
        {QuantityKind::Current, "相电流", "A", phases, 3},
        {QuantityKind::ActivePower, "有功功率", "W", phases, 0},
        {QuantityKind::ReactivePower, "无功功率", "var", phases, 0},
        {QuantityKind::ApparentPower, "视在功率", "VA", phases, 0},
        {QuantityKind::PowerFactor, "功率因数", "", phases, 3},
    };

    std::vector<Quantity> list;
    auto add = [&list](QuantityKind kind, int index, const QString &name, const QString &unit,
                       const QString &axis, int decimals) {
        const QString header = unit.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, unit);
        list.push_back({kind, index, name, unit, axis, header, decimals});
    };
    for (const Row &row : rows) {
        const QString name = QString::fromUtf8(row.name);
        const QString unit = QString::fromUtf8(row.unit);
        for (int c = 0; c < 4; ++c)
            add(row.kind, c, row.columns[c] + QLatin1Char(' ') + name, unit,
                unit.isEmpty() ? name : unit, row.decimals);
    }
    add(QuantityKind::Frequency, 0, QStringLiteral("频率"), QStringLiteral("Hz"),
        QStringLiteral("Hz"), 2);
    const char *energies[4][2] = {{"正向有功电能", "kWh"}, {"负向有功电能", "kWh"},
                                  {"正向无功电能", "kvarh"}, {"负向无功电能", "kvarh"}};
    for (int e = 0; e < 4; ++e)
        add(QuantityKind::Energy, e, QString::fromUtf8(energies[e][0]),
            QString::fromUtf8(energies[e][1]), QString::fromUtf8(energies[e][1]), 0);
    for (int i = 0; i < 6; ++i)
        add(QuantityKind::Input, i, QStringLiteral("DI%1").arg(i + 1), QStringLiteral("0/1"),
            QStringLiteral("0/1"), 0);
    for (int i = 0; i < 6; ++i)
        add(QuantityKind::Output, i, QStringLiteral("DO%1").arg(i + 1), QStringLiteral("0/1"),
            QStringLiteral("0/1"), 0);
    for (int i = 0; i < 6; ++i)
        add(QuantityKind::Counter, i, QStringLiteral("DI%1 计数").arg(i + 1), QString(),
            QStringLiteral("计数"), 0);
    // The window shows the rate with two decimals; the file keeps the same.
    add(QuantityKind::SuccessRate, 0, QStringLiteral("通讯成功率"), QStringLiteral("%"),
        QStringLiteral("%"), 2);
    return list;
}

} // namespace

QString DisplayWords(const QString &text)
{
    QStringList words = text.split(QLatin1Char(' '));
    for (QString &word : words)
        word = QCoreApplication::translate("Quantities", word.toUtf8().constData());
    return words.join(QLatin1Char(' '));
}

QString DisplayHeader(const Quantity &q)
{
    const QString name = DisplayWords(q.name);
    return q.unit.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, q.unit);
}

const std::vector<Quantity> &RecordedQuantities()
{
    static const std::vector<Quantity> list = BuildQuantities();
    return list;
}

double QuantityValue(const Quantity &q, const rdacq::Reading &reading)
{
    const rdacq::Measurements &m = reading.values;
    switch (q.kind) {
    case QuantityKind::PhaseVoltage: return m.phaseVoltage[q.index];
    case QuantityKind::LineVoltage: return m.lineVoltage[q.index];
    case QuantityKind::Current: return m.current[q.index];
    case QuantityKind::ActivePower: return m.activePower[q.index];
    case QuantityKind::ReactivePower: return m.reactivePower[q.index];
    case QuantityKind::ApparentPower: return m.apparentPower[q.index];
    case QuantityKind::PowerFactor: return m.powerFactor[q.index];
    case QuantityKind::Frequency: return m.frequency;
    case QuantityKind::Energy: return m.energy[q.index];
    case QuantityKind::Input: return (m.ioWord >> q.index) & 1;
    case QuantityKind::Output: return (m.ioWord >> (8 + q.index)) & 1;
    case QuantityKind::Counter:
        return reading.counters ? double((*reading.counters)[q.index]) : std::nan("");
    case QuantityKind::SuccessRate: return reading.successRate;
    }
    return std::nan("");
}

} // namespace rdrec
