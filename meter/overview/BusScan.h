// The bus scan's bookkeeping: the range of addresses, which one is probed next,
// how many have been probed and found. Every address is probed exactly once, in
// ascending order; stopping ends it where it is. The line work is ProbeAddress
// (OverviewLine.h), one job per address.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace rdov {

class BusScan {
public:
    // Starts a scan of from..to (1..247, from <= to); the message when the range
    // is refused, and then nothing changes.
    QString start(int from, int to);
    void stop() { m_active = false; }

    // The next address to probe, none once every address has been handed out.
    std::optional<uint8_t> next();
    // A probe ended; `found` whether a meter answered. Ends the scan after the last.
    void probed(bool found);

    bool active() const { return m_active; }
    int total() const { return m_to - m_from + 1; }
    int probedCount() const { return m_probed; }
    int foundCount() const { return m_found; }
    int from() const { return m_from; }
    int to() const { return m_to; }

private:
    bool m_active = false;
    int m_from = 1;
    int m_to = 247;
    int m_next = 1;
    int m_probed = 0;
    int m_found = 0;
};

} // namespace rdov
