// The CPU cost of a relay block's conversions in the module program: six
// registers to the texts the page shows, and the texts back to registers, for
// every entry of the mode list (fixed states, each quantity, the minimum power).
#include "modules/vocabulary/ControlQuantity.h"
#include "modules/vocabulary/RelayBlock.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

using rdmod::RelayRegisters;

// One block per mode: the mode code, operate above reset, delays and a pulse width.
std::vector<RelayRegisters> Blocks()
{
    std::vector<RelayRegisters> blocks;
    for (const QString &text : rdmod::RelayModeTexts()) {
        const auto mode = rdmod::FindRelayModeByText(text);
        if (mode)
            blocks.push_back({uint16_t(mode->code), 1200, 1000, 20, 30, 0});
    }
    return blocks;
}

const rdmod::Ratios kRatios{10, 20};

void BM_RelayDecode(benchmark::State &state)
{
    const auto blocks = Blocks();
    for (auto _ : state)
        for (const RelayRegisters &regs : blocks)
            benchmark::DoNotOptimize(rdmod::DecodeRelay(regs, kRatios));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(blocks.size()));
}
BENCHMARK(BM_RelayDecode);

void BM_RelayEncode(benchmark::State &state)
{
    std::vector<rdmod::RelayTexts> texts;
    for (const RelayRegisters &regs : Blocks())
        texts.push_back(rdmod::DecodeRelay(regs, kRatios).texts);
    const QString group = QStringLiteral("继电器OUT1");
    for (auto _ : state)
        for (const rdmod::RelayTexts &t : texts)
            benchmark::DoNotOptimize(rdmod::EncodeRelay(t, kRatios, group));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(texts.size()));
}
BENCHMARK(BM_RelayEncode);

} // namespace
