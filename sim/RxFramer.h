// Cuts the bytes a master sends into RTU frames. An 8-byte request of function 3
// or 6 with a good CRC is taken as soon as it is complete; anything else is a
// frame once the line has been silent for 3.5 characters (at least 3 ms, since a
// pseudo-terminal delivers a write at once).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rdsim {

class RxFramer {
public:
    void setGapNs(uint64_t gapNs) { m_gapNs = gapNs; }

    void add(const uint8_t *bytes, size_t length, uint64_t nowNs);
    // The next complete frame at `nowNs`, if any; call until it returns false.
    bool next(uint64_t nowNs, std::vector<uint8_t> *frame);
    // When the pending bytes become a frame by silence; UINT64_MAX when none wait.
    uint64_t gapDueNs() const;

private:
    std::vector<uint8_t> m_buffer;
    uint64_t m_lastNs = 0;
    uint64_t m_gapNs = 3000000;
};

uint64_t FrameGapNs(uint64_t charNs);

} // namespace rdsim
