#include "SimLogTally.h"

namespace soak {

namespace {

const char kMeasurementRead[] = "read 41 at 0x0000";

bool IsRequest(const std::string &meaning)
{
    const bool readOrWrite = meaning.rfind("read ", 0) == 0 || meaning.rfind("write ", 0) == 0;
    return readOrWrite && meaning.find("ignored") == std::string::npos;
}

} // namespace

int SimTally::goodMeasurementReplies() const
{
    int n = 0;
    for (bool g : measurementGood)
        n += g ? 1 : 0;
    return n;
}

SimTally TallySimLog(const std::vector<simtest::LogLine> &lines)
{
    SimTally tally;
    // The measurement read still waiting for its reply, as an index into
    // measurementGood; -1 when the last request was something else or is answered.
    int open = -1;
    bool lastRequestAnswered = true;
    for (const simtest::LogLine &line : lines) {
        if (line.direction == "rx") {
            if (!IsRequest(line.meaning)) {
                // Whatever answers it (noise or nothing) is not a reply to a read.
                ++tally.unreadable;
                lastRequestAnswered = false;
                open = -1;
                continue;
            }
            ++tally.requests;
            lastRequestAnswered = false;
            open = -1;
            if (line.meaning == kMeasurementRead) {
                tally.measurementGood.push_back(false);
                open = int(tally.measurementGood.size()) - 1;
            }
        } else if (line.direction == "tx") {
            ++tally.replies[line.meaning];
            if (line.meaning == "late" || lastRequestAnswered)
                continue;
            lastRequestAnswered = true;
            if (open >= 0)
                tally.measurementGood[size_t(open)] = line.meaning == "reply" || line.meaning == "stray";
            open = -1;
        }
    }
    return tally;
}

double ShownRateFor(const std::vector<bool> &good, int ticks)
{
    if (ticks < 1 || int(good.size()) < ticks - 1)
        return -1;
    int success = 1;
    for (int i = 0; i < ticks - 1; ++i)
        success += good[size_t(i)] ? 1 : 0;
    return 100.0 * success / ticks;
}

} // namespace soak
