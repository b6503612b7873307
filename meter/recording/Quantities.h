// The quantities a reading records: one table that gives the CSV columns (header
// text with unit, in this order) and the trend window's list of curves.
#pragma once

#include "meter/acquisition/Reading.h"

#include <QString>
#include <vector>

namespace rdrec {

enum class QuantityKind {
    PhaseVoltage, LineVoltage, Current, ActivePower, ReactivePower, ApparentPower,
    PowerFactor, Frequency, Energy, Input, Output, Counter, SuccessRate
};

struct Quantity {
    QuantityKind kind;
    int index;          // column (Measurements order), energy, input, output or counter number
    QString name;       // "A相 相电压"
    QString unit;       // "V"; empty for the power factor and the counters
    QString axis;       // values that share a chart axis: the unit, or a name where there is none
    QString header;     // "A相 相电压 (V)": the CSV header and the curve's legend
    int decimals;       // digits after the point in the CSV (the resolution of the value)
};

// Every recorded quantity, in column order: the "基本数据" grid row by row, the
// frequency, the four energies, DI1..DI6, DO1..DO6, the six counters, the success rate.
const std::vector<Quantity> &RecordedQuantities();

// The header in the interface language, for the trend window's choices, legends and
// axes; the CSV file keeps `header`, which is the file's format.
QString DisplayHeader(const Quantity &q);
// `text` (a name or an axis) word by word in the interface language.
QString DisplayWords(const QString &text);

// The value of `q` in `reading`, in the unit of its header; NaN when the reading
// does not carry it (counters before the first counter reply).
double QuantityValue(const Quantity &q, const rdacq::Reading &reading);

} // namespace rdrec
