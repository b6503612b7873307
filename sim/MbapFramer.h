// The simulator's own Modbus TCP framing (it shares nothing with the programs'
// link/): cuts the client's byte stream into ADUs and turns each into the RTU
// request the instrument answers, and wraps an RTU reply into an ADU again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rdsim {

struct MbapRequest {
    uint16_t transaction = 0;
    std::vector<uint8_t> rtu;   // unit id as the address, the PDU, a CRC made here
};

class MbapFramer {
public:
    void add(const uint8_t *bytes, size_t length);
    // The next whole ADU as an RTU request; false when none is complete. A header
    // that no Modbus TCP client sends (protocol id not 0, impossible length)
    // throws away everything received so far, as there is no way back into step.
    bool next(MbapRequest *request);
    void clear() { m_buffer.clear(); }
    // Bytes thrown away for bad headers since the start.
    size_t discarded() const { return m_discarded; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_discarded = 0;
};

// The ADU for an RTU reply (address, PDU, CRC): the CRC is dropped, the address
// becomes the unit id. Empty for a frame shorter than 4 bytes.
std::vector<uint8_t> WrapMbap(uint16_t transaction, const std::vector<uint8_t> &rtu);

} // namespace rdsim
