#include "sim/Crc.h"

namespace rdsim {

uint16_t Crc16(const uint8_t *bytes, size_t length)
{
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool out = crc & 1u;
            crc >>= 1;
            if (out)
                crc ^= 0xA001;
        }
    }
    return crc;
}

void AppendCrc(std::vector<uint8_t> &frame)
{
    const uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
}

bool HasValidCrc(const uint8_t *frame, size_t length)
{
    if (length < 3)
        return false;
    const uint16_t crc = Crc16(frame, length - 2);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

} // namespace rdsim
