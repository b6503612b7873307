#include "Harmonics.h"

#include "RegisterValues.h"

#include <algorithm>

namespace rdacq {

namespace {

// Rounds as the display does: format, then parse the text back.
double RoundText(double x, const char *format)
{
    return QString::asprintf(format, x).toDouble();
}

} // namespace

QStringList HarmonicItemTexts()
{
    return {QStringLiteral("I1"), QStringLiteral("I2"), QStringLiteral("I3"),
            QStringLiteral("U1"), QStringLiteral("U2"), QStringLiteral("U3")};
}

uint16_t HarmonicRegister(int item)
{
    return static_cast<uint16_t>(kHarmonicBase + kHarmonicCount * item);
}

QStringList ChartRowLabels()
{
    QStringList labels;
    for (int order = 2; order <= 19; ++order)
        labels << QString::number(order);
    return labels;
}

std::array<double, kChartRows> ChartStartValues()
{
    std::array<double, kChartRows> values{};
    values[0] = 0;
    for (int row = 1; row < kChartRows; ++row)
        values[row] = RoundText(2.45 / (row + 2), "%.1f");
    return values;
}

HarmonicView DecodeHarmonics(const Registers &data, double fundamental, int &scale)
{
    HarmonicView h;
    h.fundamentalText = QString::asprintf("%.2f", fundamental);
    h.fundamental = h.fundamentalText.toDouble();

    // The bar: the truncated fundamental picks a band of 500; above 2000 the band
    // stays as it was.
    const long v = static_cast<long>(h.fundamental);   // truncated toward zero
    if (v <= 500)
        scale = 1;
    else if (v <= 1000)
        scale = 2;
    else if (v <= 1500)
        scale = 3;
    else if (v <= 2000)
        scale = 4;
    for (int i = 0; i < 6; ++i)
        h.scaleLabels[i] = QString::asprintf("%d", scale * 100 * i);
    h.scale = scale;
    h.barMaximum = scale * 500;
    // A value beyond the range shows as a full bar rather than wrapping round.
    h.barValue = static_cast<int>(std::clamp<long>(v, 0, h.barMaximum));

    for (int k = 2; k <= 19; ++k)
        h.percent[k] = RoundText(U16(data, k - 2) / 10.0, "%.2f");
    // Order 2 is read with the others but its row always shows 0.
    h.chart[0] = 0;
    for (int row = 1; row < kChartRows; ++row)
        h.chart[row] = h.percent[row + 2];
    return h;
}

} // namespace rdacq
