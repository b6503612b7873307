// Renders the three nolvex windows offscreen, filled from a simulated module set,
// into PNG files for the documentation: NOLVEX_SHOTS_DIR names the folder.
// Not part of ctest; run by hand after a layout change.
#include "ModuleBench.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QDir>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace rdtest;

TEST(ModScreenshots, AllWindows)
{
    const QString dir = qEnvironmentVariable("NOLVEX_SHOTS_DIR", QStringLiteral("."));
    ModuleBench bench;
    auto &r = bench.instrument.regs;
    r[0x0100] = 0x15;
    r[0x0307] = 1;
    r[0x0308] = 1;
    const uint16_t relay[12] = {1, 2400, 2200, 5, 3, 0, 33, 0xF63C, 0xFC18, 10, 10, 0};
    for (int k = 0; k < 12; ++k)
        r[uint16_t(0x0311 + k)] = relay[k];
    const uint16_t analog[6] = {0, 3000, 0, 27, 5500, 4500};
    for (int k = 0; k < 6; ++k)
        r[uint16_t(0x0337 + k)] = analog[k];
    r[0x0335] = 2;
    r[0x0336] = 5;

    rdmod::CModuleSetDlg dialog(bench.context);
    dialog.show();
    dialog.OnInitDialog();
    bench.Settle();
    ASSERT_NE(dialog.pulseWindow(), nullptr);
    ASSERT_NE(dialog.analogWindow(), nullptr);
    EXPECT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("nolvex-relay.png"))));
    EXPECT_TRUE(dialog.analogWindow()->grab().save(QDir(dir).filePath(QStringLiteral("nolvex-analog.png"))));
    EXPECT_TRUE(dialog.pulseWindow()->grab().save(QDir(dir).filePath(QStringLiteral("nolvex-pulse.png"))));
}
