#include "MeterBook.h"

namespace rdsvc {

Change ApplyPoll(MeterEntry &entry, const PollResult &poll)
{
    const rdov::RefreshResult &r = poll.refresh;
    ++entry.polls;
    entry.requests += quint64(r.requests + poll.counterRequests);
    entry.replies += quint64(r.replies + poll.counterReplies);
    // A refresh stops at its first failed request, so it holds at most one.
    if (r.requests > 0 && r.status == rdov::MeterStatus::NoReply)
        ++entry.timeouts;
    else if (r.requests > 0 && r.status == rdov::MeterStatus::Fault)
        ++entry.badReplies;
    if (poll.counterRequests > poll.counterReplies && !poll.counterPortLost)
        ++(poll.counterTimeout ? entry.timeouts : entry.badReplies);
    entry.lastStatus = r.status;
    if (r.info)
        entry.info = r.info;

    if (r.status == rdov::MeterStatus::Ok && r.values) {
        rdacq::Reading reading;
        reading.time = r.replyTime;
        reading.values = *r.values;
        // The counters keep their last values when only their read failed.
        reading.counters = poll.counters ? poll.counters
                                         : (entry.reading ? entry.reading->counters : std::nullopt);
        reading.successRate = entry.requests ? 100.0 * double(entry.replies) / double(entry.requests) : 0;
        reading.wiringMode = entry.info ? entry.info->wiringMode : 0;
        entry.reading = reading;
        entry.missed = 0;
        if (entry.availability != Availability::Online) {
            entry.availability = Availability::Online;
            return Change::Online;
        }
        return Change::None;
    }
    ++entry.missed;
    // A meter that stopped answering may have been replaced or reconfigured:
    // its PT and CT are read again when it answers.
    entry.info.reset();
    if (entry.missed >= kMissedPollsOffline && entry.availability != Availability::Offline) {
        entry.availability = Availability::Offline;
        return Change::Offline;
    }
    return Change::None;
}

} // namespace rdsvc
