#include "PollCycle.h"

#include "LocalNow.h"
#include "Measurements.h"
#include "RegisterValues.h"
#include "Switching.h"

namespace rdacq {

TickResult PollCycle::RunTick(rdlink::Link &link, const TickInput &input)
{
    TickResult out;
    if (!link.port().isOpen())
        return out;
    out.ran = true;
    m_replyDriven = input.replyDriven;
    // A device that goes away mid-tick closes the port; the rest of the tick
    // would only wait for nothing and count failures, so it stops there.
    StepModules(link, out);
    if (link.port().isOpen())
        StepDeviceInfo(link, out);
    if (link.port().isOpen())
        StepMeasurements(link, input, out);
    if (link.port().isOpen())
        StepCounters(link, out);
    if (link.port().isOpen())
        StepHarmonics(link, input, out);
    // The address the tick ended on (a good measurement reply may have moved it).
    out.polledAddress = m_state.slaveAddress;
    const bool answered = out.modules || out.deviceTexts || out.measurements || out.counters || out.harmonics;
    if (answered || m_silentAddress != out.polledAddress)
        m_silentTicks = 0;
    m_silentAddress = out.polledAddress;
    if (!answered)
        ++m_silentTicks;
    out.silentTicks = m_silentTicks;
    return out;
}

std::optional<Registers> PollCycle::Read(rdlink::Link &link, uint16_t reg, uint16_t count, uint32_t waitMs)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = false;   // late bytes of a step are skipped by the next search
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = waitMs;
    if (m_replyDriven) {
        // Without the fixed wait a late reply could still be coming: drop what is
        // waiting, and wait no longer than the reply needs.
        options.discardFirst = true;
        options.endOnReply = true;
        options.waitMs = 0;
    }
    const rdlink::ExchangeResult r = link.Exchange(rdlink::BuildRead(m_state.slaveAddress, reg, count), options);
    if (!r.ok())
        return std::nullopt;
    const Registers registers(r.data(), size_t(r.dataLength()));
    if (!registers.holds(count))
        return std::nullopt;
    return registers;
}

void PollCycle::StepModules(rdlink::Link &link, TickResult &out)
{
    if (const auto data = Read(link, kModuleStep.reg, kModuleStep.count, kModuleStep.waitMs))
        out.modules = ModuleLamps(U16(*data, 0));
}

void PollCycle::StepDeviceInfo(rdlink::Link &link, TickResult &out)
{
    const auto data = Read(link, kDeviceStep.reg, kDeviceStep.count, kDeviceStep.waitMs);
    if (!data)
        return;
    const DeviceInfo info = DecodeDeviceInfo(*data);
    // The reported address is used by the measurement read of this same tick.
    m_state.slaveAddress = info.slaveAddress;
    m_state.wiringMode = info.wiringMode;
    m_state.pulseWidth = info.pulseWidth;
    m_state.ptRatio = info.ptRatio;
    m_state.ctRatio = info.ctRatio;
    out.deviceTexts = {PulseWidthText(info.pulseWidth), AccuracyText(info.accuracyFlag)};
}

void PollCycle::StepMeasurements(rdlink::Link &link, const TickInput &input, TickResult &out)
{
    const auto data = Read(link, kMeasurementStep.reg, kMeasurementStep.count, kMeasurementStep.waitMs);
    out.stats = m_stats.Record(data.has_value());
    if (!data)
        return;
    // The entered address takes over again from the next step on.
    if (input.enteredAddress)
        m_state.slaveAddress = *input.enteredAddress;
    const Measurements m = DecodeMeasurements(*data, m_state.ptRatio, m_state.ctRatio);
    m_fundamentals = Fundamentals(m);
    out.measurements = FormatMeasurements(m);
    Reading reading;
    reading.time = LocalNow();
    reading.values = m;
    reading.counters = m_counters;
    reading.successRate = out.stats->rate.toDouble();
    reading.wiringMode = m_state.wiringMode;
    reading.ptRatio = m_state.ptRatio;
    reading.ctRatio = m_state.ctRatio;
    out.reading = reading;
}

void PollCycle::StepCounters(rdlink::Link &link, TickResult &out)
{
    const auto data = Read(link, kCounterStep.reg, kCounterStep.count, kCounterStep.waitMs);
    if (!data)
        return;
    const std::array<uint32_t, 6> counters = DecodeCounters(*data);
    m_counters = counters;
    if (out.reading)
        out.reading->counters = counters;
    out.counters = CounterTexts(*data);
}

void PollCycle::StepHarmonics(rdlink::Link &link, const TickInput &input, TickResult &out)
{
    const int item = input.harmonicItem;
    if (item < 0 || item >= kHarmonicItems)
        return;   // the combo text names no item: nothing to ask for
    const auto data = Read(link, HarmonicRegister(item), kHarmonicCount, kHarmonicStepWaitMs);
    if (!data)
        return;
    out.harmonics = DecodeHarmonics(*data, m_fundamentals[item], m_progressScale);
}

} // namespace rdacq
