#include "ProfileDiff.h"

#include <QCoreApplication>

namespace rdprof {

QString SameText() { return QCoreApplication::translate("Profile", "相同"); }
QString DifferentText() { return QCoreApplication::translate("Profile", "不同"); }
QString NoModuleText() { return QCoreApplication::translate("Profile", "无此模块"); }

std::vector<DiffRow> Compare(const std::vector<Setting> &profile, const MeterRegisters &meter)
{
    std::vector<DiffRow> rows;
    rows.reserve(profile.size());
    for (const Setting &s : profile) {
        DiffRow row;
        row.name = s.name;
        row.profileText = s.text;
        const auto value = meter.values.find(s.reg);
        if (value == meter.values.end()) {
            row.meterText = NoModuleText();
        } else {
            const auto text = meter.texts.find(s.reg);
            row.meterText = text == meter.texts.end() ? QString::number(value->second) : text->second;
            row.same = (value->second & s.mask) == (s.value & s.mask);
        }
        rows.push_back(row);
    }
    return rows;
}

int DifferenceCount(const std::vector<DiffRow> &rows)
{
    int n = 0;
    for (const DiffRow &r : rows)
        n += r.same ? 0 : 1;
    return n;
}

QString DifferencesText(const std::vector<DiffRow> &rows)
{
    QStringList lines;
    for (const DiffRow &r : rows)
        if (!r.same)
            lines << QStringLiteral("%1: %2 -> %3").arg(r.name, r.meterText, r.profileText)
                       + (r.meterText == r.profileText ? QCoreApplication::translate("Profile", " (PT/CT 改变, 寄存器值随之重写)") : QString());
    return lines.join(QLatin1Char('\n'));
}

} // namespace rdprof
