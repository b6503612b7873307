// Commissioning three meters one after another against rd5800-sim: three meters
// at the factory address wait behind each other on one line, as meters wired in
// one after another; the first one already holds the target settings.
#include "ProfileRig.h"
#include "meter/profile/Commissioning.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rdprof;

TEST(Commissioning, TargetsAreRangesOrAddressesWithNames)
{
    const auto list = ParseTargets(QStringLiteral("2 进线柜\n3 1号配电箱, 5-7"));
    ASSERT_TRUE(std::holds_alternative<std::vector<Target>>(list));
    const auto &targets = std::get<std::vector<Target>>(list);
    ASSERT_EQ(targets.size(), 5u);
    EXPECT_EQ(targets[0].address, 2);
    EXPECT_EQ(targets[0].name, QStringLiteral("进线柜"));
    EXPECT_EQ(targets[1].name, QStringLiteral("1号配电箱"));
    EXPECT_EQ(targets[4].address, 7);
    EXPECT_TRUE(targets[4].name.isEmpty());
    for (const char *bad : {"", "0", "248", "2-1", "2, 2", "x 进线柜", "2-300"})
        EXPECT_TRUE(std::holds_alternative<QString>(ParseTargets(QString::fromUtf8(bad)))) << bad;
}

TEST(Commissioning, ThreeMetersOneAlreadyRight)
{
    SimLink rig({"--freeze", "--addresses", "1,1,1"});
    ASSERT_TRUE(rig.opened);
    const Place factory{1, {}};
    const MeterRead first = ReadMeter(rig.link, 1);
    ASSERT_TRUE(first.profile.has_value());
    Profile profile = *first.profile;
    profile.pt = 100;
    profile.ct = 20;
    profile.wiring = 5;
    profile.baudRate = 19200;

    // The first meter was set up before: it already holds the profile at address 2.
    {
        Profile already = profile;
        already.address = 2;
        const ApplyReport setUp = ApplyProfile(rig.link, std::get<std::vector<Setting>>(EncodeProfile(already)),
                                               first.registers, factory);
        ASSERT_EQ(setUp.result, ApplyResult::Verified) << ReportText(setUp).toStdString();
    }

    QTemporaryDir dir;
    CommissioningRecord record;
    const QString csv = dir.filePath(QStringLiteral("commissioning.csv"));
    ASSERT_FALSE(record.open(csv, std::get<std::vector<Setting>>(EncodeProfile(profile))).has_value());
    const auto targets = std::get<std::vector<Target>>(ParseTargets(QStringLiteral("2 进线柜\n3 1号配电箱\n4")));

    // Line time: every byte of every exchange at the baud rate of its moment.
    double lineMs = 0;
    rig.link.setObserver([&](const rdlink::ExchangeRecord &r) {
        const rdlink::LineSettings s = rig.port.settings();
        const int bits = s.parity == rdlink::Parity::None ? 10 : 11;
        lineMs += 1000.0 * (r.request.size() + r.received.size()) * bits / s.baudRate;
    });
    const StepResult expected[3] = {StepResult::AlreadyRight, StepResult::Commissioned, StepResult::Commissioned};
    for (size_t i = 0; i < targets.size(); ++i) {
        const size_t logFrom = rig.sim.logLines("rx").size();
        lineMs = 0;
        QElapsedTimer timer;
        timer.start();
        const StepOutcome step = CommissionOne(rig.link, profile, targets[i], factory);
        std::printf("[ figure ] commissioning meter %d: %lld ms in all, %.0f ms of it on the line\n",
                    targets[i].address, (long long)timer.elapsed(), lineMs);
        EXPECT_EQ(step.result, expected[i]) << step.message.toStdString();
        EXPECT_EQ(step.report.now.address, targets[i].address);
        EXPECT_EQ(step.report.now.line.baudRate, 19200);
        if (i == 0) {
            EXPECT_TRUE(rig.writes(logFrom).empty()) << "nothing is written to a meter that is right";
        }
        ASSERT_FALSE(record.append(targets[i], step).has_value());
    }
    rig.link.setObserver({});

    // Every meter where the list says, nothing left at the factory address.
    for (uint8_t address : {2, 3, 4}) {
        const MeterRead m = ReadMeter(rig.link, address);
        ASSERT_TRUE(m.profile.has_value()) << int(address);
        EXPECT_EQ(m.profile->pt, 100u);
        EXPECT_EQ(m.profile->wiring, 5);
    }
    EXPECT_FALSE(Answers(rig.link, 1));

    // The record: a header and one row per meter, with the name, the address, the
    // settings and the result.
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("时间,名称,地址,PT,CT,接线方式")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral(",进线柜,2,100,20,3相4线(平衡),"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("已相同")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral(",1号配电箱,3,100,20,"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains(QStringLiteral(",已设置,0.5级,")));
}

TEST(Commissioning, AFailedStepCanBeRepeated)
{
    // The second meter refuses its address: its step fails and leaves it at the
    // factory address; repeated once the cause is gone (here: with another target
    // list entry at the same place) it is found again where it is.
    SimLink rig({"--freeze", "--addresses", "1,1", "--refuse-write", "0x0300@1"});
    ASSERT_TRUE(rig.opened);
    const MeterRead first = ReadMeter(rig.link, 1);
    ASSERT_TRUE(first.profile.has_value());
    Profile profile = *first.profile;
    profile.pt = 50;
    const Target target{5, QStringLiteral("进线柜")};
    const StepOutcome failed = CommissionOne(rig.link, profile, target, Place{1, {}});
    EXPECT_EQ(failed.result, StepResult::Failed) << failed.message.toStdString();
    EXPECT_EQ(failed.report.failedSetting, QStringLiteral("子机地址"));
    EXPECT_TRUE(failed.report.written.contains(QStringLiteral("PT")));
    EXPECT_EQ(failed.report.now.address, 1);
    // The step again: everything before the address is right now, only the
    // address is left, and it fails again at the same place touching nothing else.
    const size_t logFrom = rig.sim.logLines("rx").size();
    const StepOutcome again = CommissionOne(rig.link, profile, target, Place{1, {}});
    EXPECT_EQ(again.result, StepResult::Failed);
    EXPECT_TRUE(again.report.written.isEmpty());
    const auto writes = rig.writes(logFrom);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].first, 0x0300);
}
