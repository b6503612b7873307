// What the program knows of the instrument and of its line: slave address, PT and
// CT ratios, wiring mode, pulse width, port and line settings. The poll and the
// commands both read and update it, on the link worker; the window keeps a copy
// of the last state a job handed back for its dialogs.
#pragma once

#include "link/LineSettings.h"

#include <cstdint>

struct MeterState {
    uint8_t slaveAddress = 0;
    int baudRate = 9600;         // 1200, 2400, 4800, 9600 or 19200
    rdlink::Parity parity = rdlink::Parity::None;
    int commPort = 1;            // 1 = COM1
    uint32_t ptRatio = 1;
    uint32_t ctRatio = 1;
    uint8_t wiringMode = 0;
    uint8_t pulseWidth = 1;

    // What Run opens the port with: the baud rate and parity above, 8 data bits,
    // 1 stop bit.
    rdlink::LineSettings lineSettings() const { return {baudRate, parity}; }
};
