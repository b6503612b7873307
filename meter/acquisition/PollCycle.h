// One tick of the measurement poll: five read exchanges in a fixed order, each
// with its fixed wait, each good reply decoded. The cycle keeps the poll state
// (link statistics, fundamentals, bar scale, last counters), updates the
// instrument state it shares with the commands and returns what the window shows.
#pragma once

#include "DeviceInfo.h"
#include "Formatting.h"
#include "Harmonics.h"
#include "LinkStats.h"
#include "Measurements.h"
#include "Reading.h"
#include "Switching.h"
#include "link/Exchange.h"
#include "meter/state/MeterState.h"

#include <array>
#include <optional>

namespace rdacq {

struct PollStep {
    uint16_t reg;
    uint16_t count;
    uint32_t waitMs;   // fixed wait; the link raises it to the line time at low baud rates
};

constexpr PollStep kModuleStep{kModuleRegister, 1, 100};
constexpr PollStep kDeviceStep{kDeviceInfoRegister, kDeviceInfoCount, 300};
constexpr PollStep kMeasurementStep{kMeasurementRegister, kMeasurementCount, 500};
constexpr PollStep kCounterStep{kCounterRegister, kCounterCount, 300};
constexpr uint32_t kHarmonicStepWaitMs = 300;

// What the window hands to a tick when it posts it.
struct TickInput {
    // The address the user has entered, when the box holds a valid one. After a
    // good measurement reply it becomes the address of the rest of the tick and
    // of the next one, so the box takes over again from the counters on.
    std::optional<uint8_t> enteredAddress;
    int harmonicItem = 0;   // 0..5, or -1 when the combo text names no item
    // "快速刷新": each read ends with its reply (or its timeout of line time plus
    // margin) instead of the fixed wait.
    bool replyDriven = false;
};

// What a tick shows; each part is present when its reply was found.
struct TickResult {
    bool ran = false;                         // false: the port was closed, nothing sent
    std::optional<std::array<bool, 6>> modules;
    std::optional<std::pair<QString, QString>> deviceTexts;   // pulse width, accuracy
    std::optional<LinkStats::Texts> stats;    // after every measurement request
    std::optional<MeasurementTexts> measurements;
    std::optional<std::array<QString, 6>> counters;
    std::optional<HarmonicView> harmonics;
    std::optional<Reading> reading;           // decoded values of a good measurement reply
    // Ticks in a row, this one included, in which the polled address answered
    // none of the reads (0 when this tick had a reply); the address polled.
    int silentTicks = 0;
    uint8_t polledAddress = 0;
};

// How many ticks without any reply make the window say that the address is silent.
constexpr int kSilentTicksShown = 3;

class PollCycle {
public:
    explicit PollCycle(MeterState &state) : m_state(state) {}

    // Runs the five steps over the link. While the port is closed nothing is sent
    // and nothing changes; a device lost mid-tick ends the tick there.
    TickResult RunTick(rdlink::Link &link, const TickInput &input);

    const LinkStats &stats() const { return m_stats; }

private:
    // One read with its fixed sleep; the registers of a reply that holds all
    // `count` of them, or nothing.
    std::optional<Registers> Read(rdlink::Link &link, uint16_t reg, uint16_t count, uint32_t waitMs);
    bool m_replyDriven = false;   // of the tick in progress

    void StepModules(rdlink::Link &link, TickResult &out);
    void StepDeviceInfo(rdlink::Link &link, TickResult &out);
    void StepMeasurements(rdlink::Link &link, const TickInput &input, TickResult &out);
    void StepCounters(rdlink::Link &link, TickResult &out);
    void StepHarmonics(rdlink::Link &link, const TickInput &input, TickResult &out);

    MeterState &m_state;

    LinkStats m_stats;
    std::array<double, 6> m_fundamentals{};
    int m_progressScale = 0;
    std::optional<std::array<uint32_t, 6>> m_counters;
    int m_silentTicks = 0;
    uint8_t m_silentAddress = 0;   // the count restarts for another address
};

} // namespace rdacq
