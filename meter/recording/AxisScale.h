// Round value-axis limits for the trend chart: 0, 50, 100 rather than 13344.1,
// 25100.8. Computed here so the window sets an axis only when its rounded limits
// change, since every axis change redraws the lines on it.
#pragma once

namespace rdrec {

struct AxisScale {
    double min = 0;
    double max = 1;
    int ticks = 2;
    bool operator==(const AxisScale &o) const { return min == o.min && max == o.max && ticks == o.ticks; }
    bool operator!=(const AxisScale &o) const { return !(*this == o); }
};

// Limits on multiples of 1, 2 or 5 × 10^n around [lo, hi] with about five ticks;
// a flat line (lo == hi) gets room above and below.
AxisScale NiceAxisScale(double lo, double hi);

} // namespace rdrec
