// The harmonic display: the chosen item's fundamental, the fundamental bar with
// its six scale labels, and the chart of orders 2 to 19 in percent.
#pragma once

#include "RegisterValues.h"
#include "common/registers/RegisterMap.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace rdacq {

constexpr int kHarmonicItems = 6;     // I1, I2, I3, U1, U2, U3
constexpr int kChartRows = 18;        // rows labelled "2" to "19"
constexpr uint16_t kHarmonicCount = rdreg::kHarmonicsCount;   // registers of one item's block
constexpr uint16_t kHarmonicBase = rdreg::kHarmonics;        // the block of I1

// The combo box items, in register order.
QStringList HarmonicItemTexts();

// First register of an item's block: 0x020C + 18 x item.
uint16_t HarmonicRegister(int item);

// Row labels "2" .. "19".
QStringList ChartRowLabels();

// The chart before the first harmonic reply: 0 for order 2, then 2.45 / k rounded
// to one decimal for orders 3 to 19.
std::array<double, kChartRows> ChartStartValues();

// What one good harmonic reply shows.
struct HarmonicView {
    double fundamental = 0;                // rounded to two decimals
    QString fundamentalText;               // "%.2f"
    std::array<double, 20> percent{};      // index 2..19: order k in %, two decimals
    std::array<double, kChartRows> chart{};// row values: row of order 2 is always 0
    int scale = 0;                         // bar full scale is 500 x scale
    std::array<QString, 6> scaleLabels;    // "0", s x 100, .. s x 500
    int barMaximum = 0;                    // 0 .. barMaximum
    int barValue = 0;                      // never beyond the range
};

// `data` holds the 18 registers of the reply; `fundamental` is the item's value
// from the last good measurement reply; `scale` is the kept bar scale, updated
// when the fundamental falls into another band of 500 (kept above 2000).
HarmonicView DecodeHarmonics(const Registers &data, double fundamental, int &scale);

} // namespace rdacq
