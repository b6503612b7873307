// The overview against rd5800-sim serving a bus of several meters, in real time
// on a pseudo-terminal: the scan finds exactly the served addresses, in order,
// each meter shows its own load, a broadcast write reaches every meter and none
// answers, and an address change moves one meter.
#include "WindowOnSim.h"
#include "meter/overview/OverviewWindow.h"

#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A reply-driven read of one register; its value, or -1 when nothing valid came.
int ReadRegister(rdlink::Link &link, uint8_t address, uint16_t reg)
{
    rdlink::ExchangeOptions o;
    o.discardFirst = true;
    o.endOnReply = true;
    const rdlink::ExchangeResult r = link.Exchange(rdlink::BuildRead(address, reg, 1), o);
    return r.ok() ? r.reg(0) : -1;
}

} // namespace

TEST(OverviewBus, ScanFindsTheServedMetersAndTheBusBehavesAsOne)
{
    WindowOnSim w({"--freeze", "--addresses", "12,3,7"});
    ASSERT_TRUE(w.started()) << w.said();
    simtest::SimProcess &sim = w.sim;
    CMeterDlg &dlg = w.dlg;
    dlg.openOverview();
    OverviewWindow &ov = *dlg.overviewWindow();

    ov.scanFrom()->setValue(1);
    ov.scanTo()->setValue(15);
    bool finished = false;
    QObject::connect(&ov, &OverviewWindow::scanFinished, [&finished] { finished = true; });
    ov.startScan();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 20000));
    ov.waitForLine();
    ASSERT_EQ(ov.model().count(), 3) << w.said();
    EXPECT_EQ(ov.model().meter(0).address, 3);
    EXPECT_EQ(ov.model().meter(1).address, 7);
    EXPECT_EQ(ov.model().meter(2).address, 12);
    EXPECT_EQ(ov.scan().foundCount(), 3);
    // One probe per address, in order; only the served addresses answered.
    const auto rx = sim.logLines("rx");
    ASSERT_EQ(rx.size(), 15u);
    for (size_t i = 0; i < rx.size(); ++i)
        EXPECT_EQ(rx[i].bytes.at(0), i + 1);
    EXPECT_EQ(sim.logLines("tx").size(), 3u);

    // One round: every meter with its own load.
    bool round = false;
    QObject::connect(&ov, &OverviewWindow::roundDone, [&round] { round = true; });
    ov.startRefresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return round; }, 10000));
    ov.stopRefresh();
    ov.waitForLine();
    const rdov::OverviewModel &m = ov.model();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(m.cellText(row, rdov::OverviewModel::kStatus), QStringLiteral("正常")) << row;
    EXPECT_NE(m.cellText(0, rdov::OverviewModel::kCurrent), m.cellText(1, rdov::OverviewModel::kCurrent));
    EXPECT_NE(m.cellText(1, rdov::OverviewModel::kCurrent), m.cellText(2, rdov::OverviewModel::kCurrent));
    const QString shot = qEnvironmentVariable("RD_OVERVIEW_SCREENSHOT");
    if (!shot.isEmpty()) {
        ov.model().rename(0, QStringLiteral("进线柜"));
        ov.model().rename(1, QStringLiteral("1号配电箱"));
        ov.show();
        QTest::qWait(100);
        EXPECT_TRUE(ov.grab().save(shot));
    }

    // A broadcast write of the PT ratio reaches all three and nobody answers;
    // then meter 7 moves to address 20.
    std::vector<int> pts, after;
    dlg.worker().post([&](rdlink::Link &link) {
        rdlink::OpenPort(link.port(), 1, rdlink::LineSettings{});
        rdlink::ExchangeOptions write;
        write.read = rdlink::ReadMode::None;
        write.waitMs = 200;
        link.Exchange(rdlink::BuildWrite(0, 0x0307, 7), write);
        for (uint8_t a : {3, 7, 12})
            pts.push_back(ReadRegister(link, a, 0x0307));
        link.Exchange(rdlink::BuildWrite(7, 0x0300, 20), write);
        for (uint8_t a : {7, 20})
            after.push_back(ReadRegister(link, a, 0x0300));
        rdlink::ClosePortIfOpen(link.port());
    });
    dlg.worker().drain();
    EXPECT_EQ(pts, (std::vector<int>{7, 7, 7}));
    EXPECT_EQ(after, (std::vector<int>{-1, 20}));
    const auto log = sim.log();
    for (size_t i = 0; i + 1 < log.size(); ++i) {
        if (log[i].direction == "rx" && !log[i].bytes.empty() && log[i].bytes[0] == 0) {
            EXPECT_NE(log[i + 1].direction, "tx") << "a meter answered a broadcast";
        }
    }
}
