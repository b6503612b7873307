// Turns one received RTU frame into what the instrument does about it: ignore it
// (bad CRC, another slave's address, broadcast) or answer with a reply or an
// exception reply. Every outcome carries the text the request log shows.
#pragma once

#include "sim/Device.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rdsim {

struct Request {
    bool forUs = false;        // valid CRC and our address: must be answered
    uint8_t function = 0;
    uint16_t reg = 0;
    uint16_t countOrValue = 0;
    bool wellFormed = false;   // functions 3 and 6: exactly 8 bytes
    std::string meaning;       // "read 41 at 0x0000", "write 5 to 0x0307", ...
};

struct Reply {
    std::vector<uint8_t> bytes;       // complete frame with CRC
    uint8_t exception = kNoException;
    bool hasLineChange = false;       // apply `lineChange` once the reply has left
    LineChange lineChange;
};

// Decodes a frame; does not touch the device.
Request ParseRequest(const uint8_t *frame, size_t length, uint8_t ourAddress);

// Carries out a request that is for us and builds its reply.
Reply ExecuteRequest(const Request &request, Device &device);

// address, function | 0x80, code, CRC.
std::vector<uint8_t> ExceptionFrame(uint8_t address, uint8_t function, uint8_t code);

// "01 03 00 00", upper-case, separated by single spaces.
std::string HexBytes(const uint8_t *bytes, size_t length);
inline std::string HexBytes(const std::vector<uint8_t> &bytes)
{
    return HexBytes(bytes.data(), bytes.size());
}

} // namespace rdsim
