// Reading a meter's settings into a profile: one reply-driven read of each block
// (device information, module presence, then each present module's block), and
// the one-register reads of the read-back. Runs on the link worker.
#pragma once

#include "Profile.h"
#include "ProfileSettings.h"
#include "link/Exchange.h"

#include <optional>

namespace rdprof {

struct MeterRead {
    std::optional<Profile> profile;   // present: every block was read
    MeterRegisters registers;
    QString failure;                  // what did not answer, when profile is empty
    bool portLost = false;
};

MeterRead ReadMeter(rdlink::Link &link, uint8_t address);

// One reply-driven read of `count` registers; empty when no valid reply came.
std::optional<std::vector<uint16_t>> ReadRegisters(rdlink::Link &link, uint8_t address, uint16_t reg, uint16_t count);

// Whether anything answers a read of the address register at `address` with the
// port's current line settings.
bool Answers(rdlink::Link &link, uint8_t address);

// The instrument's codes of registers 0x0304 and 0x0303; an unknown baud code is 0.
int BaudFromCode(uint16_t code);
rdlink::Parity ParityFromCode(uint16_t code);

// The port re-opened with `settings` (same port number); false when it would not open.
bool ReopenPort(rdlink::SerialPort &port, const rdlink::LineSettings &settings);

} // namespace rdprof
