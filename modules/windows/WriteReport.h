// The outcome of a block write as the user reads it.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace rdmod {

// "参数设置成功" when every register echoed; otherwise which registers did not,
// so the user knows the settings were not all taken.
QString WriteReportText(const std::vector<uint16_t> &registersWithoutEcho);

} // namespace rdmod
