#include "PollCycle.h"

#include "Measurements.h"
#include "Registers.h"
#include "Switching.h"

namespace rdacq {

void PollCycle::RunTick()
{
    // A device that goes away mid-tick closes the port; the rest of the tick
    // would only wait for nothing and count failures, so it stops there.
    void (PollCycle::*const steps[])() = {&PollCycle::StepModules, &PollCycle::StepDeviceInfo,
                                          &PollCycle::StepMeasurements, &PollCycle::StepCounters,
                                          &PollCycle::StepHarmonics};
    for (auto step : steps) {
        if (!m_link.port().isOpen())
            return;
        (this->*step)();
    }
}

const uint8_t *PollCycle::Read(uint16_t reg, uint16_t count, uint32_t waitMs)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = false;   // late bytes of a step are skipped by the next search
    options.wait = rdlink::WaitKind::Sleep;
    options.waitMs = waitMs;
    const int position = m_link.Exchange(rdlink::BuildRead(m_state.slaveAddress, reg, count), options);
    if (position < 0)
        return nullptr;
    return m_link.rxBuffer() + position + 3;
}

void PollCycle::StepModules()
{
    const uint8_t *data = Read(kModuleStep.reg, kModuleStep.count, kModuleStep.waitMs);
    if (data)
        m_view.showModules(ModuleLamps(U16(data, 0)));
}

void PollCycle::StepDeviceInfo()
{
    const uint8_t *data = Read(kDeviceStep.reg, kDeviceStep.count, kDeviceStep.waitMs);
    if (!data)
        return;
    const DeviceInfo info = DecodeDeviceInfo(data);
    // The reported address is used by the measurement read of this same tick.
    m_state.slaveAddress = info.slaveAddress;
    m_state.wiringMode = info.wiringMode;
    m_state.pulseWidth = info.pulseWidth;
    m_state.ptRatio = info.ptRatio;
    m_state.ctRatio = info.ctRatio;
    m_accuracyFlag = info.accuracyFlag;
    m_view.showDeviceInfo(PulseWidthText(info.pulseWidth), AccuracyText(info.accuracyFlag));
}

void PollCycle::StepMeasurements()
{
    const uint8_t *data = Read(kMeasurementStep.reg, kMeasurementStep.count, kMeasurementStep.waitMs);
    m_view.showLinkStats(m_stats.Record(data != nullptr));
    if (!data)
        return;
    // The decoder starts by reloading the fields, so the address edit takes over
    // again from the next step on.
    m_view.reloadFieldsQuietly();
    const Measurements m = DecodeMeasurements(data, m_state.ptRatio, m_state.ctRatio);
    m_fundamentals = Fundamentals(m);
    m_view.showMeasurements(FormatMeasurements(m));
}

void PollCycle::StepCounters()
{
    const uint8_t *data = Read(kCounterStep.reg, kCounterStep.count, kCounterStep.waitMs);
    if (!data)
        return;
    m_counterTexts = CounterTexts(data);
    m_view.showCounters(m_counterTexts);
}

void PollCycle::StepHarmonics()
{
    const int item = m_view.harmonicItem();
    if (item < 0 || item >= kHarmonicItems)
        return;   // the combo text names no item: nothing to ask for
    const uint8_t *data = Read(HarmonicRegister(item), kHarmonicStepCount, kHarmonicStepWaitMs);
    if (!data)
        return;
    m_view.showHarmonics(DecodeHarmonics(data, m_fundamentals[item], m_progressScale));
}

} // namespace rdacq
