// One tick of the measurement poll: five read exchanges in a fixed order, each
// with its fixed wait, each good reply decoded and handed to the view. The cycle
// keeps the poll state (link statistics, fundamentals, bar scale, counter texts)
// and updates the instrument view it shares with the window and the commands.
#pragma once

#include "DeviceInfo.h"
#include "Formatting.h"
#include "Harmonics.h"
#include "LinkStats.h"
#include "meter/commands/CommandHost.h"

#include <array>

namespace rdacq {

struct PollStep {
    uint16_t reg;
    uint16_t count;
    uint32_t waitMs;   // fixed wait; the link raises it to the line time at low baud rates
};

constexpr PollStep kModuleStep{0x0100, 1, 100};
constexpr PollStep kDeviceStep{0x0300, 17, 300};
constexpr PollStep kMeasurementStep{0x0000, 41, 500};
constexpr PollStep kCounterStep{0x0760, 12, 300};
constexpr uint16_t kHarmonicStepCount = 18;
constexpr uint32_t kHarmonicStepWaitMs = 300;

// What a tick shows; the main window implements it.
class PollView {
public:
    virtual ~PollView() = default;
    // Reloads the control-bound fields (slave address edit first) without any
    // message: a tick never opens a modal box.
    virtual void reloadFieldsQuietly() = 0;
    // The harmonic item the combo box names (0..5), or -1 when its text names none.
    virtual int harmonicItem() = 0;

    virtual void showModules(const std::array<bool, 6> &lit) = 0;
    virtual void showDeviceInfo(const QString &pulseWidth, const QString &accuracy) = 0;
    virtual void showLinkStats(const LinkStats::Texts &texts) = 0;
    virtual void showMeasurements(const MeasurementTexts &texts) = 0;
    virtual void showCounters(const std::array<QString, 6> &texts) = 0;
    virtual void showHarmonics(const HarmonicView &view) = 0;
};

class PollCycle {
public:
    PollCycle(rdlink::Link &link, MeterState &state, PollView &view)
        : m_link(link), m_state(state), m_view(view) {}

    // Runs the five steps. While the port is closed nothing is sent and nothing changes.
    void RunTick();

    const LinkStats &stats() const { return m_stats; }
    const std::array<double, 6> &fundamentals() const { return m_fundamentals; }
    int progressScale() const { return m_progressScale; }
    const std::array<QString, 6> &counterTexts() const { return m_counterTexts; }
    uint8_t accuracyFlag() const { return m_accuracyFlag; }

private:
    // One read with its fixed sleep; returns the data bytes of the reply or nullptr.
    const uint8_t *Read(uint16_t reg, uint16_t count, uint32_t waitMs);

    void StepModules();
    void StepDeviceInfo();
    void StepMeasurements();
    void StepCounters();
    void StepHarmonics();

    rdlink::Link &m_link;
    MeterState &m_state;
    PollView &m_view;

    LinkStats m_stats;
    std::array<double, 6> m_fundamentals{};
    int m_progressScale = 0;
    std::array<QString, 6> m_counterTexts;
    uint8_t m_accuracyFlag = 0;
};

} // namespace rdacq
