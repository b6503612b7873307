// Every block decoder of the poll on any bytes, each given a buffer of exactly
// its block's size so that a read past the block is caught (inside a whole reply,
// as the poll target sees them, such a read would land in the receive buffer and
// go unnoticed); then each on the input as it stands, however short, where a
// register past its end must read as 0 and nothing past it be touched. Input: PT (2 bytes), CT (2 bytes), harmonic item (1 byte), kept
// bar scale (1 byte), then the block bytes, wrapped round when short.
#include "meter/acquisition/DeviceInfo.h"
#include "meter/acquisition/Formatting.h"
#include "meter/acquisition/Harmonics.h"
#include "meter/acquisition/Measurements.h"
#include "meter/acquisition/Switching.h"

#include <cmath>
#include <cstdlib>
#include <vector>

using namespace rdacq;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

// A heap block of exactly `size` bytes taken from the input at `from`.
std::vector<uint8_t> Block(const uint8_t *data, size_t size, size_t from, size_t bytes)
{
    std::vector<uint8_t> block(bytes);
    for (size_t i = 0; i < bytes; ++i)
        block[i] = size ? data[(from + i) % size] : 0;
    return block;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const uint32_t pt = uint32_t(data[0] << 8 | data[1]);
    const uint32_t ct = uint32_t(data[2] << 8 | data[3]);
    const int item = data[4] % kHarmonicItems;
    int scale = data[5] % 5;   // 0 before the first reply, then 1..4
    const uint8_t *body = data + 6;
    const size_t bodySize = size - 6;

    const auto device = Block(body, bodySize, 0, 2 * kDeviceInfoCount);
    const DeviceInfo info = DecodeDeviceInfo(device);
    Check(!PulseWidthText(info.pulseWidth).isEmpty());
    Check(!AccuracyText(info.accuracyFlag).isEmpty());

    const auto block = Block(body, bodySize, 0, 2 * kMeasurementCount);
    const Measurements m = DecodeMeasurements(block, pt, ct);
    const MeasurementTexts texts = FormatMeasurements(m);
    for (const auto &row : texts.grid)
        for (const QString &text : row)
            Check(!text.isEmpty() && !text.contains(QLatin1String("nan")) && !text.contains(QLatin1String("inf")));
    Check(!texts.frequency.isEmpty());
    for (const QString &e : texts.energy)
        Check(!e.isEmpty());
    for (const QString &r : texts.relays)
        Check(r.size() == 1);

    const auto counters = Block(body, bodySize, 0, 2 * kCounterCount);
    for (const QString &c : CounterTexts(counters)) {
        bool ok = false;
        c.toUInt(&ok);
        Check(ok);
    }
    // Bits 1 and 7 and the high byte of the presence word light nothing.
    const uint16_t presence = uint16_t(data[4] << 8 | data[5]);
    Check(ModuleLamps(presence) == ModuleLamps(presence & 0x7D));

    const double fundamental = Fundamentals(m)[item];
    Check(std::isfinite(fundamental));
    const auto harmonics = Block(body, bodySize, 0, 2 * kHarmonicCount);
    const int before = scale;
    const HarmonicView h = DecodeHarmonics(harmonics, fundamental, scale);
    Check((scale >= 1 && scale <= 4) || scale == before);
    Check(h.barValue >= 0 && h.barValue <= h.barMaximum);
    Check(h.chart[0] == 0);
    for (int k = 2; k <= 19; ++k)
        Check(h.percent[k] >= 0 && h.percent[k] <= 6553.5);

    // The input as it stands: registers past its end read as 0.
    const Registers raw(body, bodySize);
    Check(raw.count() == int(bodySize / 2) && raw.u16(raw.count()) == 0);
    const Measurements fromRaw = DecodeMeasurements(raw, pt, ct);
    // Where the input holds the whole block, it is the block decoded above.
    if (raw.holds(kMeasurementCount))
        Check(fromRaw.energy == m.energy && fromRaw.frequency == m.frequency && fromRaw.ioWord == m.ioWord);
    DecodeDeviceInfo(raw);
    DecodeCounters(raw);
    int rawScale = scale;
    DecodeHarmonics(raw, fundamental, rawScale);
    return 0;
}
