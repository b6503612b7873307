// The harmonic chart's value axis: every bar stays inside it, and it is laid out
// again only when the bars outgrow it or shrink well below it.
#include "meter/mainwnd/HarmonicChart.h"

#include <gtest/gtest.h>

namespace {

std::array<double, 18> Bars(double tallest)
{
    std::array<double, 18> v{};
    v[1] = tallest;          // order 3
    v[3] = tallest / 2;      // order 5
    return v;
}

} // namespace

TEST(HarmonicChart, AxisHoldsEveryBarAndRescalesOnlyWhenNeeded)
{
    CHarmonicChart chart(nullptr);
    struct Step {
        double tallest;
        bool rescaled;   // whether the axis top is expected to change
    };
    const Step steps[] = {
        {9.0, true},     // from the start values (tallest 0.8) up to 9
        {9.3, false},    // drift within the axis: no new layout
        {8.7, false},
        {100.0, true},   // outgrows it
        {3.5, true},     // far below: shrinks
        {3.4, false},
        {0.0, true},     // an empty chart falls back to the smallest scale
    };
    double top = chart.axisTop();
    for (const Step &s : steps) {
        chart.setRowValues(Bars(s.tallest));
        EXPECT_GE(chart.axisTop(), s.tallest) << s.tallest;
        EXPECT_EQ(chart.axisTop() != top, s.rescaled) << s.tallest;
        top = chart.axisTop();
    }
    EXPECT_DOUBLE_EQ(chart.rowValue(1), 0.0);
    EXPECT_EQ(chart.rowLabels().front(), QStringLiteral("2"));
}
