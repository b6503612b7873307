// The configuration commands of the main window, as the line work each one does
// once the user has confirmed its dialog: line settings ("通讯设置"), PT/CT/wiring
// ("仪表设置"), the slave address change, one probe of the address search and the
// pulse width write. They run on the link worker, update the instrument state
// and return what the window shows; the dialogs, timers and message boxes stay in
// the window.
#pragma once

#include "link/Exchange.h"
#include "meter/state/MeterState.h"

#include <QStringList>
#include <cstdint>

namespace rdcmd {

struct CommandOutcome {
    QStringList messages;   // shown one after the other, in this order
};

// What the user chose in "通讯设置".
struct LineChoice {
    int baudRate = 9600;
    rdlink::Parity parity = rdlink::Parity::None;
    int commPort = 1;
};

struct LineOutcome : CommandOutcome {
    bool reopened = false;
    QString openFailure;    // the start-up message when the port would not open again
};

// Baud rate then parity, each written only when it changed, both at the settings
// in force; then the port is re-opened with the resulting settings (the parity the
// user chose even when its write failed) and pending input dropped.
LineOutcome WriteLineSettings(rdlink::Link &link, MeterState &state, const LineChoice &choice);

// PT, CT and wiring, all three every time; the first write without an echo ends
// the command, and what was written before it stays in force.
CommandOutcome WriteMeterSettings(rdlink::Link &link, MeterState &state, uint32_t pt, uint32_t ct,
                                  uint8_t wiring);

// Writes the new address to the old one; the echo comes from the old address.
// True when it came: the state then holds the new address.
bool ChangeAddress(rdlink::Link &link, MeterState &state, uint8_t newAddress);

// One probe of the search: true when any byte at all came back; the state then
// holds the address.
bool ProbeAddress(rdlink::Link &link, MeterState &state, uint8_t address);

// Writes the pulse width; the echo is not read, the next poll shows what the
// instrument keeps.
void WritePulseWidth(rdlink::Link &link, const MeterState &state, uint8_t width);

} // namespace rdcmd
