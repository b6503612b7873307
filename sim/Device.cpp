#include "sim/Device.h"

#include <algorithm>
#include <cmath>

namespace rdsim {

namespace {
constexpr int kBauds[] = {1200, 2400, 4800, 9600, 19200};
constexpr uint64_t kStepMs = 100;        // resolution of relays and energy
constexpr uint64_t kMaxCatchUpMs = 600000;

uint16_t U16(double v)
{
    return uint16_t(std::clamp<long>(std::lround(v), 0, 65535));
}
uint16_t S16(double v)
{
    return uint16_t(int16_t(std::clamp<long>(std::lround(v), -32768, 32767)));
}

// The eight registers of one group: phase V, line V, current, (spare or
// frequency), active power, power factor, reactive power, apparent power.
void EncodeGroup(const PhaseReading &r, uint16_t fourth, uint16_t *out)
{
    out[0] = U16(r.phaseVolts * 10.0);
    out[1] = U16(r.lineVolts * 10.0);
    out[2] = U16(r.amps * 1000.0);
    out[3] = fourth;
    out[4] = S16(r.watts);
    out[5] = S16(r.powerFactor * 1000.0);
    out[6] = S16(r.vars);
    out[7] = U16(r.voltAmps);
}
} // namespace

int BaudFromCode(int code)
{
    return code >= 0 && code < 5 ? kBauds[code] : 0;
}

int BaudCode(int baud)
{
    for (int i = 0; i < 5; ++i)
        if (kBauds[i] == baud)
            return i;
    return -1;
}

char ParityLetter(int code)
{
    switch (code) {
    case 0: return 'N';
    case 1: return 'E';
    case 2: return 'O';
    default: return 0;
    }
}

int ParityCode(char letter)
{
    switch (letter) {
    case 'N': case 'n': return 0;
    case 'E': case 'e': return 1;
    case 'O': case 'o': return 2;
    default: return -1;
    }
}

Device::Device(const DeviceConfig &c)
    : m_model(c.seed), m_io(c.seed), m_frozen(c.frozen), m_address(c.address),
      m_wiring(c.wiring), m_parityCode(uint16_t(std::max(0, ParityCode(c.parity)))),
      m_baudCode(uint16_t(std::max(0, BaudCode(c.baud)))), m_pt(c.pt), m_ct(c.ct),
      m_accuracyFlag(c.accuracyFlag), m_modules(c.modules), m_refusedWrite(c.refusedWrite)
{
    m_model.setWiring(c.wiring);
    m_model.setExport(c.exporting);
    m_model.setWiringFaults(c.wiringFaults);
    m_model.setLoadScale(c.loadScale);
    m_io.setModules(c.modules);
    m_io.setFrozen(c.frozen);

    // Factory settings: relay 1 of module 1# guards the phase A current (operate at
    // 20 A, reset at 15 A, 2 s each way), every other relay released.
    m_relayRegs[0] = 3;
    m_relayRegs[1] = 20000;
    m_relayRegs[2] = 15000;
    m_relayRegs[3] = 2;
    m_relayRegs[4] = 2;
    m_energyPulse = {1, 2};  // one pulse per kWh, 0.2 s
    // Analog outputs: U1 0..250 V and I1 0..50 A on every module.
    const std::array<uint16_t, 6> analog = {0, 2500, 0, 2, 50000, 0};
    std::copy(analog.begin(), analog.end(), m_analogRegs.begin());
    std::copy(analog.begin(), analog.end(), m_analogRegs.begin() + 6);
}

double Device::modelSeconds() const
{
    return m_frozen ? 0.0 : double(m_nowMs) / 1000.0;
}

std::array<RelaySettings, kRelays> Device::relaySettings() const
{
    std::array<RelaySettings, kRelays> out;
    for (int i = 0; i < kRelays; ++i) {
        const uint16_t *r = &m_relayRegs[size_t(i) * kRelaySettingCount];
        out[i] = {r[0], r[1], r[2], r[3], r[4], r[5]};
    }
    return out;
}

void Device::advanceTo(uint64_t nowMs)
{
    if (!m_started) {
        m_started = true;
        m_nowMs = nowMs;
    }
    if (nowMs < m_nowMs)
        return;
    if (nowMs - m_nowMs > kMaxCatchUpMs)
        m_nowMs = nowMs - kMaxCatchUpMs;
    do {
        const uint64_t step = std::min(kStepMs, nowMs - m_nowMs);
        m_nowMs += step;
        const auto block = measurementBlock();
        std::array<uint16_t, 32> measured;
        std::copy(block.begin(), block.begin() + 32, measured.begin());
        if (!m_frozen && step > 0)
            m_model.accumulateEnergy(m_model.readingAt(modelSeconds()), double(step) / 1000.0, m_pt, m_ct);
        m_io.advance(m_nowMs, measured, relaySettings());
    } while (m_nowMs < nowMs);
}

std::array<uint16_t, 41> Device::measurementBlock() const
{
    std::array<uint16_t, 41> out{};
    const Reading r = m_model.readingAt(modelSeconds());
    for (int p = 0; p < 3; ++p)
        EncodeGroup(r.phase[p], 0, &out[size_t(8 * p)]);
    EncodeGroup(r.total, U16(r.hertz * 100.0), &out[24]);
    out[reg::kIoWord] = m_io.ioWord();
    for (int e = 0; e < 4; ++e) {  // u32, low word first
        const uint32_t v = m_model.energyCounter(e);
        out[size_t(0x21 + 2 * e)] = uint16_t(v & 0xFFFF);
        out[size_t(0x22 + 2 * e)] = uint16_t(v >> 16);
    }
    return out;
}

bool Device::readOne(uint16_t a, uint16_t *value) const
{
    if (a <= reg::kMeasureLast) {
        *value = measurementBlock()[a];
        return true;
    }
    if (a == reg::kModules) {
        *value = m_modules;
        return true;
    }
    if (a >= reg::kHarmonicFirst && a <= reg::kHarmonicLast) {
        const int offset = a - reg::kHarmonicFirst;
        *value = m_model.harmonicsAt(offset / 18, modelSeconds())[size_t(offset % 18)];
        return true;
    }
    if (a >= reg::kAddress && a < reg::kRelayFirst) {
        switch (a) {
        case reg::kAddress: *value = m_address; break;
        case reg::kWiring: *value = m_wiring; break;
        case reg::kParity: *value = m_parityCode; break;
        case reg::kBaud: *value = m_baudCode; break;
        case reg::kPulseWidth: *value = m_pulseWidthMs; break;
        case reg::kPt: *value = m_pt; break;
        case reg::kCt: *value = m_ct; break;
        case reg::kAccuracy: *value = m_accuracyFlag; break;
        default: *value = 0; break;  // reserved, read as 0
        }
        return true;
    }
    if (a >= reg::kRelayFirst && a <= reg::kRelayLast) {
        *value = m_relayRegs[a - reg::kRelayFirst];
        return true;
    }
    if (a == reg::kEnergyPulseValue || a == reg::kEnergyPulseWidth) {
        *value = m_energyPulse[a - reg::kEnergyPulseValue];
        return true;
    }
    if (a >= reg::kAnalogFirst && a <= reg::kAnalogLast) {
        *value = m_analogRegs[a - reg::kAnalogFirst];
        return true;
    }
    if (a >= reg::kCounterFirst && a <= reg::kCounterLast) {  // u32, high word first
        const uint32_t c = m_io.counter((a - reg::kCounterFirst) / 2);
        *value = ((a - reg::kCounterFirst) % 2 == 0) ? uint16_t(c >> 16) : uint16_t(c & 0xFFFF);
        return true;
    }
    return false;
}

Exception Device::read(uint16_t first, uint16_t count, std::vector<uint16_t> *out) const
{
    if (count < 1 || count > 125)
        return kIllegalValue;
    if (uint32_t(first) + count > 0x10000u)
        return kIllegalAddress;
    out->clear();
    // The measurement block is computed once so that a reply is one snapshot.
    const auto block = measurementBlock();
    for (uint32_t a = first; a < uint32_t(first) + count; ++a) {
        uint16_t v = 0;
        if (a <= reg::kMeasureLast)
            v = block[a];
        else if (!readOne(uint16_t(a), &v))
            return kIllegalAddress;
        out->push_back(v);
    }
    return kNoException;
}

Exception Device::write(uint16_t a, uint16_t value, LineChange *deferred, bool *isDeferred)
{
    *isDeferred = false;
    if (int(a) == m_refusedWrite)
        return kIllegalValue;   // this meter refuses the chosen setting, whatever the value
    auto defer = [&](bool valid) {
        if (!valid)
            return kIllegalValue;
        *deferred = {a, value};
        *isDeferred = true;
        return kNoException;
    };
    switch (a) {
    case reg::kAddress: return defer(value >= 1 && value <= 247);
    case reg::kParity: return defer(ParityLetter(value) != 0);
    case reg::kBaud: return defer(BaudFromCode(value) != 0);
    case reg::kWiring:
        if (value > 5)
            return kIllegalValue;
        m_wiring = uint8_t(value);
        m_model.setWiring(m_wiring);
        return kNoException;
    case reg::kPulseWidth:
        m_pulseWidthMs = value;
        return kNoException;
    case reg::kPt:
    case reg::kCt:
        if (value < 1 || value > 64000)
            return kIllegalValue;
        (a == reg::kPt ? m_pt : m_ct) = value;
        return kNoException;
    default:
        break;
    }
    if (a >= reg::kRelayFirst && a <= reg::kRelayLast) {
        m_relayRegs[a - reg::kRelayFirst] = value;
        return kNoException;
    }
    if (a == reg::kEnergyPulseValue || a == reg::kEnergyPulseWidth) {
        m_energyPulse[a - reg::kEnergyPulseValue] = value;
        return kNoException;
    }
    if (a >= reg::kAnalogFirst && a <= reg::kAnalogLast) {
        m_analogRegs[a - reg::kAnalogFirst] = value;
        return kNoException;
    }
    // Measured values, presence, harmonics, counters, reserved and unmapped registers.
    return kIllegalAddress;
}

void Device::applyLineChange(const LineChange &change)
{
    switch (change.reg) {
    case reg::kAddress: m_address = uint8_t(change.value); break;
    case reg::kParity: m_parityCode = change.value; break;
    case reg::kBaud: m_baudCode = change.value; break;
    default: break;
    }
}

} // namespace rdsim
