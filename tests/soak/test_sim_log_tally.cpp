// The soak's reading of the simulator's log: which measurement reads got a reply
// the window can find, and the rate the window should show for them.
#include "SimLogTally.h"

#include <gtest/gtest.h>

namespace {

std::vector<simtest::LogLine> Log(const std::string &text)
{
    return simtest::ParseLog(text);
}

const char kModules[] = "1 rx 01 03 01 00 00 01 85 F6 ; read 1 at 0x0100\n";
const char kDevice[] = "2 rx 01 03 03 00 00 11 85 82 ; read 17 at 0x0300\n";
const char kMeasure[] = "3 rx 01 03 00 00 00 29 84 14 ; read 41 at 0x0000\n";
const char kCounters[] = "4 rx 01 03 07 60 00 0C 44 A5 ; read 12 at 0x0760\n";

struct TallyCase {
    const char *name;
    std::string log;
    int requests;
    int unreadable;
    std::vector<bool> good;
};

class Tally : public ::testing::TestWithParam<TallyCase> {};

TEST_P(Tally, CountsRequestsAndGoodMeasurementReplies)
{
    const TallyCase &c = GetParam();
    const soak::SimTally t = soak::TallySimLog(Log(c.log));
    EXPECT_EQ(t.requests, c.requests);
    EXPECT_EQ(t.unreadable, c.unreadable);
    EXPECT_EQ(t.measurementGood, c.good);
}

INSTANTIATE_TEST_SUITE_P(
    SimLog, Tally,
    ::testing::Values(
        TallyCase{"plain", std::string(kModules) + "5 tx 01 ; reply\n" + kMeasure + "6 tx 01 ; reply\n", 2, 0, {true}},
        TallyCase{"stray_bytes_still_found", std::string(kMeasure) + "6 tx 55 01 ; stray\n", 1, 0, {true}},
        TallyCase{"lost_replies",
                  std::string(kMeasure) + "5 tx 01 ; dropped\n" + kMeasure + "6 tx 01 ; bad-crc\n" + kMeasure +
                      "7 tx 01 83 04 ; exception 4\n",
                  3, 0, {false, false, false}},
        // The measurement's own reply comes late; the reply after it belongs to
        // the counters read and must not be credited to the measurement.
        TallyCase{"late_measurement", std::string(kMeasure) + kCounters + "8 tx 01 ; late\n9 tx 01 ; reply\n", 2, 0,
                  {false}},
        // A late reply to the previous read lands inside the measurement exchange.
        TallyCase{"late_reply_of_earlier_read", std::string(kDevice) + kMeasure + "8 tx 01 ; late\n9 tx 01 ; reply\n", 2,
                  0, {true}},
        TallyCase{"no_reply_before_next_request", std::string(kMeasure) + kMeasure + "9 tx 01 ; reply\n", 2, 0,
                  {false, true}},
        TallyCase{"lines_that_are_no_request",
                  "1 rx 01 03 ; bad request crc\n2 rx 01 ; not understood: line at 19200 baud, device at 9600\n"
                  "3 rx 00 06 00 01 00 02 ; write 2 to 0x0001, broadcast ignored\n4 tx 12 ; garbage\n" +
                      std::string(kMeasure) + "6 tx 01 ; reply\n",
                  1, 3, {true}}),
    [](const auto &info) { return std::string(info.param.name); });

struct RateCase {
    std::vector<bool> good;
    int ticks;
    double shown;
};

class ShownRate : public ::testing::TestWithParam<RateCase> {};

TEST_P(ShownRate, StartsAtOneAndLagsOneTick)
{
    EXPECT_NEAR(soak::ShownRateFor(GetParam().good, GetParam().ticks), GetParam().shown, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(SimLog, ShownRate,
                         ::testing::Values(RateCase{{}, 0, -1},               // nothing shown yet
                                           RateCase{{false}, 1, 100},         // the first tick shows 1/1
                                           RateCase{{false, true}, 2, 50},    // 1 / 2: the failure counts, this tick not
                                           RateCase{{true, false, true}, 3, 200.0 / 3},
                                           RateCase{{true, true, false}, 3, 100},
                                           RateCase{{true}, 3, -1}));         // too few outcomes for the ticks

} // namespace
