// The CPU side of an exchange: the CRC of a measurement reply and the search for
// that reply at the end of a full receive buffer.
#include "link/Framing.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

std::vector<uint8_t> MeasurementReply()
{
    std::vector<uint8_t> frame = {0x01, 0x03, 82};
    for (int k = 0; k < 82; ++k)
        frame.push_back(uint8_t(k * 13 + 7));
    const uint16_t c = rdlink::ComputeCrc(frame.data(), uint16_t(frame.size()));
    frame.push_back(uint8_t(c >> 8));
    frame.push_back(uint8_t(c & 0xFF));
    return frame;   // 87 bytes
}

void BM_ComputeCrc85(benchmark::State &state)
{
    const auto frame = MeasurementReply();
    for (auto _ : state)
        benchmark::DoNotOptimize(rdlink::ComputeCrc(frame.data(), 85));
    state.SetBytesProcessed(int64_t(state.iterations()) * 85);
}
BENCHMARK(BM_ComputeCrc85);

// Worst case for the search: 113 stray bytes that start like a frame (address and
// function match, so every position runs the CRC), then the 87-byte reply.
void BM_FindReplyAtEndOf200(benchmark::State &state)
{
    const auto frame = MeasurementReply();
    std::vector<uint8_t> buffer;
    while (buffer.size() < 200 - frame.size()) {
        buffer.push_back(0x01);
        buffer.push_back(0x03);
    }
    buffer.resize(200 - frame.size());
    buffer.insert(buffer.end(), frame.begin(), frame.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(rdlink::FindReplyFrame(buffer.data(), 200, 3, 1, 87));
}
BENCHMARK(BM_FindReplyAtEndOf200);

// The usual case: noise that never matches the address, then the reply.
void BM_FindReplyAfterNoise(benchmark::State &state)
{
    const auto frame = MeasurementReply();
    std::vector<uint8_t> buffer(200 - frame.size(), 0x55);
    buffer.insert(buffer.end(), frame.begin(), frame.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(rdlink::FindReplyFrame(buffer.data(), 200, 3, 1, 87));
}
BENCHMARK(BM_FindReplyAfterNoise);

} // namespace
