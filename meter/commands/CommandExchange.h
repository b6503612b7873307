// The one write every settings command repeats: discard pending input, send a
// function-6 request, busy wait 300 ms, read and look for the echo.
#pragma once

#include "link/Exchange.h"

#include <cstdint>

// True when the instrument at address echoed the write of value to reg.
bool WriteSettingRegister(rdlink::Link &link, uint8_t address, uint16_t reg, uint16_t value);
