// The widget-free rules of the configuration commands: the instrument's registers
// and value codes, the link status texts, and the checks that turn an entered text
// into a register value (or into the message that refuses it).
#pragma once

#include "link/LineSettings.h"
#include "common/registers/RegisterMap.h"

#include <QString>
#include <cstdint>

namespace rdcmd {

// Registers the configuration commands write (function 6) or probe (function 3).
constexpr uint16_t kRegSlaveAddress = rdreg::kSlaveAddress;
constexpr uint16_t kRegWiringMode = rdreg::kWiringMode;
constexpr uint16_t kRegParity = rdreg::kParity;
constexpr uint16_t kRegBaudRate = rdreg::kBaudRate;
constexpr uint16_t kRegPulseWidth = rdreg::kPulseWidth;
constexpr uint16_t kRegPtRatio = rdreg::kPtRatio;
constexpr uint16_t kRegCtRatio = rdreg::kCtRatio;

// Fixed waits of the commands, in ms.
constexpr uint32_t kSettingsWaitMs = 300;   // busy wait: line settings, PT/CT/wiring, probe
constexpr uint32_t kAddressWaitMs = 300;    // sleep: slave address change
constexpr uint32_t kPulseWaitMs = 100;      // sleep: pulse width write

constexpr uint32_t kRatioMin = 1;
constexpr uint32_t kRatioMax = 64000;
constexpr int kWiringModes = 6;

// The instrument's baud rate code (0 = 1200 ... 4 = 19200), -1 for another rate.
int BaudRateCode(int baudRate);

// The instrument's parity code: 0 none, 1 even, 2 odd.
int InstrumentParityCode(rdlink::Parity parity);

// The link status text of the status box. spaced: the form of start-up and of the line
// settings command ("串行口: 1 \r\n..."); unspaced: the form the address search
// writes ("串行口:1\r\n...").
QString LinkStatusText(int commPort, int baudRate, rdlink::Parity parity, bool spaced);

// Outcome of checking an entered whole number.
struct NumberCheck {
    bool ok = false;
    uint32_t value = 0;
    bool notANumber = false;   // the text is not a whole number at all
};

// A whole number in [min, max]: optional blanks around, an optional sign, digits
// only. Anything else ("12ms", "", "1.5") is not a number; a number outside the
// range (including negative ones and very long digit runs) is out of range.
NumberCheck CheckWholeNumber(const QString &text, uint32_t min, uint32_t max);

// The refusal messages of the entry dialogs, worded as the toolkit words them.
QString NotANumberMessage();
QString OutOfRangeMessage(uint32_t min, uint32_t max);
// The message of "写入" when the pulse width text is not a whole number 0..255.
QString PulseWidthRefusedMessage();

} // namespace rdcmd
