// Windows opened beside another one stay wholly on the parent's screen: the
// geometry rule on laptop and desktop screens, then the real windows of both
// programs on two offscreen screens side by side, 1280 x 800 and 1366 x 768
// (tests/common/widgets/two_screens.json), found by a screen reader where they open.
#include "FakeSerialPort.h"
#include "ModuleBench.h"
#include "RegisterBytes.h"
#include "ScriptedPrompter.h"
#include "common/traffic/TrafficWindow.h"
#include "common/widgets/WindowPlacement.h"
#include "meter/mainwnd/HelpDlg.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/trends/TrendDlg.h"
#include "meter/wiring/WiringDlg.h"
#include "modules/windows/CAnalogOutDlg.h"
#include "modules/windows/CModuleSetDlg.h"
#include "modules/windows/CPulseSetDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QFont>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// Available areas: a laptop without a panel, a laptop with a top bar, a desktop
// with a task bar, and a second screen right of a 1920-wide first one.
const QRect kLaptop(0, 0, 1280, 800);
const QRect kSmallLaptop(0, 27, 1366, 741);
const QRect kDesktop(0, 0, 1920, 1040);
const QRect kSecond(1920, 0, 1366, 768);

// Frames: RD5800's main window, the line monitor, the trend window, nolvex's main,
// pulse and analog windows, each with a 1 px border and a 30 px title bar.
const QSize kMain(762, 831);
const QSize kMonitor(962, 551);
const QSize kTrend(902, 631);
const QSize kNolvex(562, 403);
const QSize kPulse(472, 227);
const QSize kAnalog(472, 387);

struct PlacementCase {
    const char *what;
    QRect parent;
    QSize frame;
    QRect available;
    int belowTop;
    QRect expected;
};

TEST(WindowPlacement, OpensBesideTheParentWhereThereIsRoomAndAlwaysOnTheScreen)
{
    const PlacementCase cases[] = {
        {"monitor right of the main window on a desktop", {QPoint(100, 50), kMain}, kMonitor, kDesktop, 0,
         {QPoint(874, 50), kMonitor}},
        {"trend window left of a main window at the right edge", {QPoint(1150, 100), kMain}, kTrend, kDesktop, 0,
         {QPoint(236, 100), kTrend}},
        {"monitor on 1280 x 800: no room beside, against the right edge", {QPoint(0, 0), kMain}, kMonitor, kLaptop, 0,
         {QPoint(318, 0), kMonitor}},
        {"monitor on 1280 x 800, main window right of centre: against the left edge", {QPoint(260, 0), kMain},
         kMonitor, kLaptop, 0, {QPoint(0, 0), kMonitor}},
        {"monitor on 1366 x 768 under a top bar", {QPoint(0, 27), kMain}, kMonitor, kSmallLaptop, 0,
         {QPoint(404, 27), kMonitor}},
        {"pulse window beside nolvex on 1280 x 800", {QPoint(0, 0), kNolvex}, kPulse, kLaptop, 0,
         {QPoint(574, 0), kPulse}},
        {"analog window under the pulse window", {QPoint(0, 0), kNolvex}, kAnalog, kLaptop, 239,
         {QPoint(574, 239), kAnalog}},
        {"analog window moved up to end at the bottom of 1366 x 768", {QPoint(0, 300), kNolvex}, kAnalog,
         kSmallLaptop, 239, {QPoint(574, 381), kAnalog}},
        {"pulse window beside a centred nolvex on 1366 x 768: against the right edge", {QPoint(400, 200), kNolvex},
         kPulse, kSmallLaptop, 0, {QPoint(894, 200), kPulse}},
        {"the parent's screen, not the one left of it", {QPoint(2020, 0), kMain}, kMonitor, kSecond, 0,
         {QPoint(2324, 0), kMonitor}},
        {"a parent partly left of the screen", {QPoint(-300, 0), kMain}, kMonitor, kLaptop, 0,
         {QPoint(318, 0), kMonitor}},
        {"a window above the screen's top comes down", {QPoint(0, -200), kNolvex}, kPulse, kSmallLaptop, 0,
         {QPoint(574, 27), kPulse}},
        {"larger than the screen: cut to it", {QPoint(0, 0), kMain}, QSize(1400, 900), kLaptop, 0,
         {QPoint(0, 0), QSize(1280, 800)}},
    };
    for (const PlacementCase &c : cases) {
        const QRect spot = rdwidgets::PlaceBeside(c.parent, c.frame, c.available, c.belowTop);
        EXPECT_EQ(spot, c.expected) << c.what;
        EXPECT_TRUE(c.available.contains(spot)) << c.what;
    }
}

TEST(WindowPlacement, AParentWithoutRoomBesideItMovesAsLittleAsNeeded)
{
    const struct {
        const char *what;
        QRect parent;
        QRect available;
        QPoint expected;
    } cases[] = {
        {"centred nolvex on 1366 x 768: 80 px to the left", {QPoint(400, 200), kNolvex}, kSmallLaptop, {320, 200}},
        {"centred nolvex on 1280 x 800: left on a tie", {QPoint(359, 200), kNolvex}, kLaptop, {234, 200}},
        {"nearer the left edge: to the right", {QPoint(300, 0), kNolvex}, QRect(0, 0, 1100, 800), {484, 0}},
        {"room on the right already", {QPoint(0, 0), kNolvex}, kLaptop, {0, 0}},
        {"no room side by side at all", {QPoint(100, 0), kNolvex}, QRect(0, 0, 1000, 700), {100, 0}},
    };
    for (const auto &c : cases) {
        const QRect moved = rdwidgets::RoomBeside(c.parent, kPulse, c.available);
        EXPECT_EQ(moved, QRect(c.expected, kNolvex)) << c.what;
        if (moved != c.parent) {
            const QRect beside = rdwidgets::PlaceBeside(moved, kPulse, c.available);
            EXPECT_FALSE(beside.intersects(moved)) << c.what;
        }
    }
}

// Both screens come from two_screens.json; the second lies right of the first.
QScreen *ScreenNamed(const char *name)
{
    for (QScreen *screen : QGuiApplication::screens())
        if (screen->name() == QLatin1String(name))
            return screen;
    return nullptr;
}

// What a screen reader finds among the application's windows under `title`.
bool ReaderFinds(const QString &title)
{
    QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; app && i < app->childCount(); ++i) {
        QAccessibleInterface *window = app->child(i);
        if (window && window->text(QAccessible::Name) == title && !window->state().invisible)
            return true;
    }
    return false;
}

void ExpectOnScreen(const QWidget *window, const QScreen *screen, const QString &title)
{
    EXPECT_TRUE(screen->availableGeometry().contains(window->frameGeometry()))
        << title.toStdString() << " at " << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height();
    EXPECT_EQ(window->screen(), screen) << title.toStdString();
    EXPECT_TRUE(ReaderFinds(title)) << title.toStdString();
}

TEST(WindowPlacement, MeterWindowsOpenOnTheMainWindowsScreen)
{
    QScreen *screen = ScreenNamed("s1366x768");
    ASSERT_NE(screen, nullptr);
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    ScriptedPrompter prompter;
    CMeterDlg main(port, clock, prompter);
    main.setLineSettings(9600, rdlink::Parity::None, 1);
    main.move(screen->geometry().topLeft() + QPoint(300, 0));
    main.show();
    main.OnInitDialog();
    main.waitForLine();
    ASSERT_EQ(main.screen(), screen);
    // Shown on a screen lower than it, the main window itself fits the screen.
    ExpectOnScreen(&main, screen, main.windowTitle());

    main.extras().monitorButton()->click();
    rdtraffic::TrafficWindow *monitor = main.extras().trafficWindow();
    ExpectOnScreen(monitor, screen, QStringLiteral("通讯监视"));

    // Closed, moved by the user, opened again: where the user put it.
    monitor->close();
    monitor->move(screen->geometry().topLeft() + QPoint(20, 30));
    main.extras().monitorButton()->click();
    EXPECT_EQ(monitor->pos(), screen->geometry().topLeft() + QPoint(20, 30));
    // Closed after being moved partly past the screen's right and bottom edges:
    // opened again wholly on the screen.
    monitor->close();
    monitor->move(screen->geometry().bottomRight() - QPoint(200, 150));
    main.extras().monitorButton()->click();
    ExpectOnScreen(monitor, screen, QStringLiteral("通讯监视"));
    // Closed, the main window taken to the other screen, opened again: beside it there.
    QScreen *other = ScreenNamed("s1280x800");
    ASSERT_NE(other, nullptr);
    monitor->close();
    main.move(100, 0);
    ASSERT_EQ(main.screen(), other);
    main.extras().monitorButton()->click();
    ExpectOnScreen(monitor, other, QStringLiteral("通讯监视"));
    main.move(screen->geometry().topLeft() + QPoint(300, 0));
    ASSERT_EQ(main.screen(), screen);

    main.extras().trendButton()->click();
    ExpectOnScreen(main.extras().trendWindow(), screen, QStringLiteral("趋势图"));
    main.extras().wiringButton()->click();
    ExpectOnScreen(main.extras().wiringWindow(), screen, QStringLiteral("接线检查"));
    main.openOverview();
    ExpectOnScreen(main.overviewWindow(), screen, QStringLiteral("总览"));
    main.panel().help->click();
    const auto notes = main.findChildren<CHelpDlg *>();
    ASSERT_EQ(notes.size(), 1);
    ExpectOnScreen(notes[0], screen, QStringLiteral("使用说明"));
}

TEST(WindowPlacement, ModuleWindowsOpenBesideNolvexWithoutCoveringEachOther)
{
    QScreen *screen = ScreenNamed("s1280x800");
    ASSERT_NE(screen, nullptr);
    rdtest::ModuleBench bench;
    bench.instrument.regs[0x0100] = 0x15;   // relay module 1#, analog output module 1#, energy pulse module
    bench.instrument.regs[0x0307] = 1;
    bench.instrument.regs[0x0308] = 1;
    rdmod::CModuleSetDlg main(bench.context);
    main.move(360, 200);   // centred: no room for a 470-wide window on either side
    main.show();
    main.OnInitDialog();
    bench.Settle();
    ASSERT_NE(main.pulseWindow(), nullptr);
    ASSERT_NE(main.analogWindow(), nullptr);
    ExpectOnScreen(main.pulseWindow(), screen, main.pulseWindow()->windowTitle());
    ExpectOnScreen(main.analogWindow(), screen, main.analogWindow()->windowTitle());
    EXPECT_FALSE(main.pulseWindow()->frameGeometry().intersects(main.analogWindow()->frameGeometry()));
    // Nor the module window: it moved aside to make room.
    for (const QWidget *w : {static_cast<QWidget *>(main.pulseWindow()), static_cast<QWidget *>(main.analogWindow())})
        EXPECT_FALSE(w->frameGeometry().intersects(main.frameGeometry())) << w->windowTitle().toStdString();
    ExpectOnScreen(&main, screen, main.windowTitle());

    const auto buttons = main.findChildren<QPushButton *>();
    for (QPushButton *button : buttons)
        if (button->text() == QStringLiteral("通讯监视"))
            button->click();
    const auto monitors = main.findChildren<rdtraffic::TrafficWindow *>();
    ASSERT_EQ(monitors.size(), 1);
    ExpectOnScreen(monitors[0], screen, QStringLiteral("通讯监视"));
}

} // namespace

int main(int argc, char **argv)
{
    // Two screens of the sizes where windows used to open partly off the screen.
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" RD_TWO_SCREENS);
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
