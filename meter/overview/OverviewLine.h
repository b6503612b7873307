// The overview's line work, run as link worker jobs: one probe of an address
// (the bus scan) and one refresh of a listed meter. Both use reply-driven reads,
// so each exchange ends with the reply's last byte, or at its timeout of line
// time plus margin (link/LineTime.h) when nobody answers.
#pragma once

#include "link/Exchange.h"
#include "meter/acquisition/DeviceInfo.h"
#include "meter/acquisition/Measurements.h"

#include <QDateTime>
#include <optional>

namespace rdov {

// What the 状态 column says about a meter.
enum class MeterStatus {
    Unknown,   // not read yet
    Ok,        // the last read was answered
    NoReply,   // nothing came back
    Fault,     // something came, but an exception or no valid reply frame
};

struct ProbeResult {
    uint8_t address = 0;
    std::optional<rdacq::DeviceInfo> info;   // present: a meter answers here
    bool portLost = false;
};

struct RefreshResult {
    uint8_t address = 0;
    MeterStatus status = MeterStatus::Unknown;
    std::optional<rdacq::DeviceInfo> info;               // read this time (PT, CT, wiring)
    std::optional<rdacq::Measurements> values;           // decoded with the meter's PT and CT
    int requests = 0;                                    // exchanges made
    int replies = 0;                                     // good replies among them
    QDateTime replyTime;                                 // of the last good reply
    bool portLost = false;
};

// One reply-driven read of the device information block at `address`.
ProbeResult ProbeAddress(rdlink::Link &link, uint8_t address);

// Reads the device information block when `known` is empty (for PT and CT),
// then the measurement block. A meter that does not answer the first read is
// not asked again in the same refresh.
RefreshResult RefreshMeter(rdlink::Link &link, uint8_t address, const std::optional<rdacq::DeviceInfo> &known);

} // namespace rdov
