// Profiles against rd5800-sim in real time: the writes go out in the safe order,
// each one read back, a change of address and line settings is followed to the
// new ones, a refused write stops the apply with a report that names exactly
// what was written, and a profile with modules the meter lacks sends nothing.
#include "ProfileRig.h"
#include "meter/profile/MeterRead.h"
#include "meter/profile/ProfileApply.h"
#include "meter/profile/ProfileFile.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace rdprof;

namespace {

std::vector<Setting> Encode(const Profile &p)
{
    const auto encoded = EncodeProfile(p);
    if (const auto *error = std::get_if<rdmod::FieldError>(&encoded))
        ADD_FAILURE() << rdmod::FieldErrorMessage(*error).toStdString();
    return std::get<std::vector<Setting>>(encoded);
}

} // namespace

TEST(ProfileApply, AddressAndLineSettingsLastEachReadBackAtTheNewOnes)
{
    SimLink rig({"--freeze", "--modules", "0x15"});
    ASSERT_TRUE(rig.opened);
    const MeterRead before = ReadMeter(rig.link, 1);
    ASSERT_TRUE(before.profile.has_value()) << before.failure.toStdString();

    Profile p = *before.profile;
    p.pt = 100;
    p.ct = 50;
    p.wiring = 2;
    p.address = 9;
    p.parity = rdlink::Parity::Even;
    p.baudRate = 19200;
    p.relayModules[0]->relays[1].mode = QStringLiteral("P1有功");
    p.relayModules[0]->relays[1].operate = QStringLiteral("100.000");
    const size_t logFrom = rig.sim.logLines("rx").size();
    QElapsedTimer timer;
    timer.start();
    const ApplyReport report = ApplyProfile(rig.link, Encode(p), before.registers, Place{1, {}});
    const qint64 ms = timer.elapsed();
    ASSERT_EQ(report.result, ApplyResult::Verified) << ReportText(report).toStdString();
    std::printf("[ figure ] apply of %d settings at 9600 baud: %lld ms\n", int(report.written.size()), (long long)ms);
    EXPECT_EQ(report.now.address, 9);
    EXPECT_EQ(report.now.line, (rdlink::LineSettings{19200, rdlink::Parity::Even}));
    EXPECT_TRUE(report.answers);
    EXPECT_TRUE(report.notWritten.isEmpty());

    // On the line: only what differs, address then parity then baud rate at the end,
    // and every write followed by a read of the register it wrote.
    const auto writes = rig.writes(logFrom);
    ASSERT_GE(writes.size(), 6u);
    const size_t n = writes.size();
    EXPECT_EQ(writes[n - 3], std::make_pair(uint16_t(0x0300), uint16_t(9)));
    EXPECT_EQ(writes[n - 2], std::make_pair(uint16_t(0x0303), uint16_t(1)));   // even
    EXPECT_EQ(writes[n - 1], std::make_pair(uint16_t(0x0304), uint16_t(4)));   // 19200
    EXPECT_EQ(writes[0], std::make_pair(uint16_t(0x0307), uint16_t(100)));
    for (const auto &w : writes)
        EXPECT_NE(w.first, 0x0306) << "the pulse width did not differ";
    const auto rx = rig.sim.logLines("rx");
    for (size_t i = logFrom; i < rx.size(); ++i) {
        if (rx[i].bytes.size() != 8 || rx[i].bytes[1] != 6)
            continue;
        ASSERT_LT(i + 1, rx.size());
        EXPECT_EQ(rx[i + 1].bytes[1], 3) << rx[i].meaning;
        EXPECT_EQ(rx[i + 1].bytes[2], rx[i].bytes[2]) << rx[i].meaning;
        EXPECT_EQ(rx[i + 1].bytes[3], rx[i].bytes[3]) << rx[i].meaning;
    }

    // Where the report says, the meter now holds the profile.
    const MeterRead after = ReadMeter(rig.link, 9);
    ASSERT_TRUE(after.profile.has_value()) << after.failure.toStdString();
    EXPECT_EQ(DifferenceCount(Compare(Encode(p), after.registers)), 0);
    EXPECT_EQ(ApplyProfile(rig.link, Encode(p), after.registers, report.now).result, ApplyResult::NothingToDo);
}

TEST(ProfileApply, ARefusedWriteStopsAndTheReportSaysExactlyWhatWasWritten)
{
    SimLink rig({"--freeze", "--refuse-write", "0x0308"});
    ASSERT_TRUE(rig.opened);
    const MeterRead before = ReadMeter(rig.link, 1);
    ASSERT_TRUE(before.profile.has_value());
    Profile p = *before.profile;
    p.pt = 100;
    p.ct = 50;
    p.pulseWidth = 40;
    p.address = 7;
    p.baudRate = 4800;
    const size_t logFrom = rig.sim.logLines("rx").size();
    const ApplyReport report = ApplyProfile(rig.link, Encode(p), before.registers, Place{1, {}});
    EXPECT_EQ(report.result, ApplyResult::Failed);
    EXPECT_EQ(report.written, QStringList{QStringLiteral("PT")});
    EXPECT_EQ(report.failedSetting, QStringLiteral("CT"));
    EXPECT_TRUE(report.failure.contains(QStringLiteral("异常码 3"))) << report.failure.toStdString();
    // Every setting that differed after CT is listed as not written, and none of
    // them went out.
    QStringList differing;
    for (const DiffRow &row : Compare(Encode(p), before.registers))
        if (!row.same && row.name != QStringLiteral("PT") && row.name != QStringLiteral("CT"))
            differing << row.name;
    EXPECT_EQ(report.notWritten, differing);
    EXPECT_TRUE(differing.contains(QStringLiteral("脉冲宽度")));
    EXPECT_EQ(differing.mid(differing.size() - 2), (QStringList{QStringLiteral("子机地址"), QStringLiteral("波特率")}));
    EXPECT_TRUE(report.answers);
    EXPECT_EQ(report.now.address, 1);
    EXPECT_EQ(report.now.line, rdlink::LineSettings{});
    const auto writes = rig.writes(logFrom);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].first, 0x0307);
    EXPECT_EQ(writes[1].first, 0x0308);
    const QString text = ReportText(report);
    EXPECT_TRUE(text.contains(QStringLiteral("已写入并核对的设置: PT"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("地址 1, 9600,N,8,1"))) << text.toStdString();
}

TEST(ProfileApply, AProfileFromAMeterWithOtherModules)
{
    // The profile of a meter with E2, A20_1# and K2_1#, applied to one with K2_2# only.
    SimLink source({"--freeze", "--modules", "0x15"});
    ASSERT_TRUE(source.opened);
    const MeterRead read = ReadMeter(source.link, 1);
    ASSERT_TRUE(read.profile.has_value());
    const auto parsed = ParseProfile(ProfileJson(*read.profile));
    ASSERT_TRUE(std::holds_alternative<Profile>(parsed)) << std::get<QString>(parsed).toStdString();
    Profile p = std::get<Profile>(parsed);
    EXPECT_EQ(p.info.modules, (QStringList{QStringLiteral("E2"), QStringLiteral("A20_1#"), QStringLiteral("K2_1#")}));
    p.pt = 10;

    SimLink target({"--freeze", "--modules", "0x20"});
    ASSERT_TRUE(target.opened);
    const MeterRead other = ReadMeter(target.link, 1);
    ASSERT_TRUE(other.profile.has_value());
    const auto rows = Compare(Encode(p), other.registers);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const DiffRow &r) { return r.meterText == NoModuleText(); }));
    const size_t logFrom = target.sim.logLines("rx").size();
    const ApplyReport report = ApplyProfile(target.link, Encode(p), other.registers, Place{1, {}});
    EXPECT_EQ(report.result, ApplyResult::NotStarted);
    EXPECT_TRUE(report.failure.contains(QStringLiteral("E2"))) << report.failure.toStdString();
    EXPECT_TRUE(report.failure.contains(QStringLiteral("K2_1#"))) << report.failure.toStdString();
    EXPECT_TRUE(target.writes(logFrom).empty());

    // Without the missing modules the profile applies; the meter's own K2_2# is left alone.
    p.relayModules = {};
    p.analogModules = {};
    p.pulseModule.reset();
    EXPECT_EQ(ApplyProfile(target.link, Encode(p), other.registers, Place{1, {}}).result, ApplyResult::Verified);
    for (const auto &w : target.writes(logFrom))
        EXPECT_TRUE(w.first < 0x0311 || w.first > 0x0342) << w.first;
}
