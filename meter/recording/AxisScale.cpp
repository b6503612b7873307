// Round axis limits.
#include "AxisScale.h"

#include <algorithm>
#include <cmath>

namespace rdrec {

namespace {

// 1, 2, 5 or 10 × 10^n near `x` (x > 0), rounding up or to the nearest.
double NiceNumber(double x, bool up)
{
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    const double f = x / power;
    double nice;
    if (up)
        nice = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    else
        nice = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
    return nice * power;
}

} // namespace

AxisScale NiceAxisScale(double lo, double hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi)
        return {};
    if (hi - lo < 1e-9 * std::max(1.0, std::abs(hi))) {
        const double room = std::max(1.0, std::abs(hi) * 0.05);
        lo -= room;
        hi += room;
    }
    const int wantedTicks = 5;
    const double step = NiceNumber(NiceNumber(hi - lo, true) / (wantedTicks - 1), false);
    AxisScale s;
    const double first = std::floor(lo / step);
    const double last = std::ceil(hi / step);
    s.min = first * step;
    s.max = last * step;
    s.ticks = int(last - first) + 1;
    return s;
}

} // namespace rdrec
