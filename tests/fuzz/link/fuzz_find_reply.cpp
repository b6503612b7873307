// The reply search on any bytes, counts and lengths. The buffer is exactly as
// long as the bytes given, so AddressSanitizer catches any read past it. Every
// other input gets a valid frame planted so that the search also reaches past
// the CRC check.
#include "link/Framing.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const uint8_t address = data[0];
    const uint8_t function = data[1];
    const int frameLength = int(int8_t(data[2])) * 2;     // negative, small and large lengths
    const bool plant = data[3] & 1;
    std::vector<uint8_t> buffer(data + 4, data + size);
    if (plant && frameLength >= 4 && size_t(frameLength) <= buffer.size()) {
        const size_t at = data[3] % (buffer.size() - size_t(frameLength) + 1);
        buffer[at] = address;
        buffer[at + 1] = function;
        const uint16_t c = rdlink::ComputeCrc(&buffer[at], uint16_t(frameLength - 2));
        buffer[at + frameLength - 2] = uint8_t(c >> 8);
        buffer[at + frameLength - 1] = uint8_t(c & 0xFF);
        const int16_t found = rdlink::FindReplyFrame(buffer.data(), int(buffer.size()), function, address, frameLength);
        if (found < 0 || size_t(found) > at)
            abort();   // a planted frame must be found, at or before its place
    }
    // The received count may claim less than the buffer holds, never more.
    const int received = int(buffer.size()) - (data[3] >> 5);
    const int16_t pos = rdlink::FindReplyFrame(buffer.data(), received, function, address, frameLength);
    if (pos >= 0 && (pos + frameLength > received || buffer[pos] != address))
        abort();
    return 0;
}
