// The simulated instrument's register map: the measurement block, module
// presence, harmonics, device information, relay, energy pulse and analog output
// settings, and the input counters, as the programs read and write them.
//
// Reads and writes report the Modbus exception a real instrument would send:
// 2 for a register outside the map or a write to a measured value, 3 for a value
// the instrument refuses. Address, baud rate and parity writes are validated here
// but take effect only through applyLineChange(), after the echo has left.
#pragma once

#include "sim/SwitchingIo.h"
#include "sim/ThreePhaseModel.h"

#include <array>
#include <cstdint>
#include <vector>

namespace rdsim {

namespace reg {
constexpr uint16_t kMeasureFirst = 0x0000;
constexpr uint16_t kMeasureLast = 0x0028;
constexpr uint16_t kIoWord = 0x0020;
constexpr uint16_t kModules = 0x0100;
constexpr uint16_t kHarmonicFirst = 0x020C;
constexpr uint16_t kHarmonicLast = 0x0277;
constexpr uint16_t kAddress = 0x0300;
constexpr uint16_t kWiring = 0x0301;
constexpr uint16_t kParity = 0x0303;
constexpr uint16_t kBaud = 0x0304;
constexpr uint16_t kPulseWidth = 0x0306;
constexpr uint16_t kPt = 0x0307;
constexpr uint16_t kCt = 0x0308;
constexpr uint16_t kAccuracy = 0x030A;
constexpr uint16_t kRelayFirst = 0x0311;
constexpr uint16_t kRelayLast = 0x0334;
constexpr uint16_t kEnergyPulseValue = 0x0335;
constexpr uint16_t kEnergyPulseWidth = 0x0336;
constexpr uint16_t kAnalogFirst = 0x0337;
constexpr uint16_t kAnalogLast = 0x0342;
constexpr uint16_t kCounterFirst = 0x0760;
constexpr uint16_t kCounterLast = 0x076B;
} // namespace reg

enum Exception : uint8_t {
    kNoException = 0,
    kIllegalFunction = 1,
    kIllegalAddress = 2,
    kIllegalValue = 3,
    kDeviceFailure = 4,
};

// Baud codes of register 0x0304 and parity codes of register 0x0303.
int BaudFromCode(int code);          // 0 for an unknown code
int BaudCode(int baud);              // -1 for a rate the instrument lacks
char ParityLetter(int code);         // 'N', 'E', 'O'; 0 for an unknown code
int ParityCode(char letter);         // -1 for an unknown letter

struct DeviceConfig {
    uint8_t address = 1;
    int baud = 9600;
    char parity = 'N';
    uint16_t pt = 1;
    uint16_t ct = 1;
    uint8_t wiring = kThreePhase4WireUnbalanced;
    uint8_t modules = kModuleEnergyPulse | kModuleAnalogOut1 | kModuleRelay1;
    uint8_t accuracyFlag = 0;
    bool frozen = false;
    bool exporting = false;
    WiringFaults wiringFaults;
    uint32_t seed = 1;
    double loadScale = 1.0;   // phase currents relative to the model's load
    int refusedWrite = -1;    // --refuse-write: a register whose writes get exception 3
};

// A write to address, baud rate or parity, accepted and waiting for its echo.
struct LineChange {
    uint16_t reg = 0;
    uint16_t value = 0;
    size_t meter = 0;   // which meter of the simulated bus takes it (the server's index)
};

class Device {
public:
    explicit Device(const DeviceConfig &config);

    // Moves the simulated world on to `nowMs` (milliseconds since start).
    void advanceTo(uint64_t nowMs);

    // Reads `count` registers from `first` into `out`; an exception code on failure.
    Exception read(uint16_t first, uint16_t count, std::vector<uint16_t> *out) const;
    // Writes one register. A line change is validated and returned in *deferred
    // (and not applied) instead of being stored.
    Exception write(uint16_t regAddr, uint16_t value, LineChange *deferred, bool *isDeferred);
    void applyLineChange(const LineChange &change);

    uint8_t address() const { return m_address; }
    int baud() const { return BaudFromCode(m_baudCode); }
    char parity() const { return ParityLetter(m_parityCode); }
    uint16_t pt() const { return m_pt; }
    uint16_t ct() const { return m_ct; }

    // Measurement registers 0x0000..0x0028 as they read now.
    std::array<uint16_t, 41> measurementBlock() const;

private:
    bool readOne(uint16_t regAddr, uint16_t *value) const;
    double modelSeconds() const;
    std::array<RelaySettings, kRelays> relaySettings() const;

    ThreePhaseModel m_model;
    SwitchingIo m_io;
    bool m_frozen;
    uint64_t m_nowMs = 0;
    bool m_started = false;

    uint8_t m_address;
    uint8_t m_wiring;
    uint16_t m_parityCode;
    uint16_t m_baudCode;
    uint16_t m_pulseWidthMs = 80;
    uint16_t m_pt;
    uint16_t m_ct;
    uint8_t m_accuracyFlag;
    uint8_t m_modules;
    int m_refusedWrite;
    std::array<uint16_t, reg::kRelayLast - reg::kRelayFirst + 1> m_relayRegs{};
    std::array<uint16_t, 2> m_energyPulse{};
    std::array<uint16_t, reg::kAnalogLast - reg::kAnalogFirst + 1> m_analogRegs{};
};

} // namespace rdsim
