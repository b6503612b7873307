// The comparison of a profile with a meter: one row per setting of the profile,
// the profile's text, the meter's, and whether the meter's register holds what
// the profile would write (with the profile's PT and CT for the module values).
#pragma once

#include "ProfileSettings.h"

#include <vector>

namespace rdprof {

struct DiffRow {
    QString name;
    QString profileText;
    QString meterText;     // "无此模块" for a module the meter does not have
    bool same = false;
};

std::vector<DiffRow> Compare(const std::vector<Setting> &profile, const MeterRegisters &meter);
int DifferenceCount(const std::vector<DiffRow> &rows);

// "相同" / "不同", the last column of the comparison.
QString SameText();
QString DifferentText();
QString NoModuleText();

// One line per differing setting: "CT: 1 -> 50" (meter, then profile), for the
// confirmation before anything is written.
QString DifferencesText(const std::vector<DiffRow> &rows);

} // namespace rdprof
