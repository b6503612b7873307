// What the service knows of each meter: its last reading, whether it is online,
// and the counts of requests, replies, timeouts and bad replies. Filled from the
// results of the poll jobs on the main thread; read by MQTT, HTTP and --once.
#pragma once

#include "ServiceOptions.h"
#include "meter/acquisition/Reading.h"
#include "meter/overview/OverviewLine.h"

#include <optional>
#include <vector>

namespace rdsvc {

// Polls in a row without a measurement after which a meter is offline.
constexpr int kMissedPollsOffline = 3;

enum class Availability { Unknown, Online, Offline };

struct MeterEntry {
    MeterSpec spec;
    std::optional<rdacq::DeviceInfo> info;   // PT, CT and wiring, read once per answer streak
    std::optional<rdacq::Reading> reading;   // the last good poll
    rdov::MeterStatus lastStatus = rdov::MeterStatus::Unknown;
    Availability availability = Availability::Unknown;
    int missed = 0;                          // polls in a row without a measurement
    quint64 polls = 0;
    quint64 requests = 0;
    quint64 replies = 0;
    quint64 timeouts = 0;                    // requests that got nothing back
    quint64 badReplies = 0;                  // bytes came but no valid reply (CRC, exception, length)
};

// One poll of a meter as the job hands it back.
struct PollResult {
    rdov::RefreshResult refresh;
    std::optional<std::array<uint32_t, 6>> counters;   // read before the measurement
    int counterRequests = 0;
    int counterReplies = 0;
    bool counterTimeout = false;    // nothing came: the refresh was not tried (its requests 0)
    bool counterPortLost = false;
};

// What a poll changed that the log and MQTT announce.
enum class Change { None, Online, Offline };

// Takes a poll into `entry`: counts, the new reading, the availability.
Change ApplyPoll(MeterEntry &entry, const PollResult &poll);

} // namespace rdsvc
