// "接线检查" against rd5800-sim with two wiring faults (a reversed CT on C, no
// load on B), in real time: the window opens from the strip with Ctrl+W, follows
// the main window's readings without a request of its own, and a screen reader
// meets the findings line by line and the phasors as text. With
// RD_WIRING_SCREENSHOT=FILE.png it also renders the window there (docs/wiring-window.png).
#include "../sim/SimProcess.h"
#include "ScriptedPrompter.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "meter/app/MeterApp.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/wiring/WiringDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// The lines of a list as a screen reader meets them: the accessible children's names.
QStringList SpokenLines(QWidget *list)
{
    QStringList out;
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
    if (!iface)
        return out;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface *child = iface->child(i);
        if (child && child->role() == QAccessible::ListItem)
            out << child->text(QAccessible::Name);
    }
    return out;
}

TEST(WiringWindow, TwoFaultsFromTheSimulatorAsTheWindowSaysThem)
{
    simtest::SimProcess sim({"--freeze", "--pt", "100", "--ct", "40", "--wiring-fault", "reverse-ct:C", "--wiring-fault", "no-load:B"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
    const bool shot = !qEnvironmentVariableIsEmpty("RD_WIRING_SCREENSHOT");
    if (shot) {
        CMeterApp::ApplyDialogColours(*qApp);
        CMeterApp::ApplyDialogFont(*qApp);
    }

    rdlink::QtSerialPort port;
    ScriptedPrompter prompter;
    CMeterDlg dlg(port, rdlink::SystemClock(), prompter);
    dlg.setLineSettings(9600, rdlink::Parity::None, 1);
    dlg.OnInitDialog();
    dlg.waitForLine();
    ASSERT_TRUE(port.isOpen());
    dlg.panel().slaveAddress->setText(QStringLiteral("1"));
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));

    // The strip's button carries its caption as its name; Ctrl+W opens the window.
    QPushButton *button = dlg.extras().wiringButton();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), QStringLiteral("接线检查"));
    QTest::keyClick(&dlg, Qt::Key_W, Qt::ControlModifier);
    WiringDlg *win = dlg.extras().wiringWindow();
    ASSERT_NE(win, nullptr);
    EXPECT_TRUE(win->isVisible());
    EXPECT_EQ(SpokenLines(win->findings()).value(0), QStringLiteral("尚无读数：请在主窗口按“运行”开始轮询"));

    int readings = 0;
    rdacq::Reading last;
    QObject::connect(&dlg, &CMeterDlg::readingTaken, [&](const rdacq::Reading &r) {
        ++readings;
        last = r;
    });
    dlg.panel().runStop->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return readings >= 2; }, 30000));
    dlg.panel().runStop->click();
    dlg.waitForLine();
    EXPECT_TRUE(prompter.messages.empty());
    // The reading carries the ratios it was decoded with: the check's floors are on the meter's input.
    EXPECT_EQ(last.ptRatio, 100u);
    EXPECT_EQ(last.ctRatio, 40u);

    // Exactly the two faults, the error first, each with the numbers behind it.
    const QStringList lines = SpokenLines(win->findings());
    ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("错误：C相电流互感器可能接反（φC "))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("参考 φA"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("提示：B相无电流（IB 0.00 A"))) << lines[1].toStdString();
    EXPECT_TRUE(win->modeLabel()->text().contains(QStringLiteral("3相4线(非平衡)")));

    // The diagram's text alternative: one line per phase with its values.
    QAccessibleInterface *diagram = QAccessible::queryAccessibleInterface(win->diagram());
    EXPECT_EQ(diagram->text(QAccessible::Name), QStringLiteral("相量图"));
    const QStringList phasors = diagram->text(QAccessible::Description).split(QLatin1Char('\n'));
    ASSERT_EQ(phasors.size(), 3);
    EXPECT_TRUE(phasors[1].startsWith(QStringLiteral("B相："))) << phasors[1].toStdString();
    EXPECT_TRUE(phasors[1].contains(QStringLiteral("I 0.00 A，φ 未知"))) << phasors[1].toStdString();
    // C's current points backwards: phi beyond +-150 deg.
    const auto &c = win->diagnosis()->phasors[2];
    ASSERT_TRUE(c.phi);
    EXPECT_GT(std::fabs(*c.phi), 150.0);

    // The window asked nothing: every request is one of the poll's five, in order.
    const auto requests = sim.logLines("rx");
    const std::vector<std::string> order = {"read 1 at 0x0100", "read 17 at 0x0300", "read 41 at 0x0000",
                                            "read 12 at 0x0760", "read 18 at 0x020C"};
    ASSERT_GE(requests.size(), 10u);
    EXPECT_EQ(requests.size() % 5, 0u);
    for (size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(requests[i].meaning, order[i % 5]) << i;

    if (shot) {
        win->resize(900, 560);
        QApplication::processEvents();
        EXPECT_TRUE(win->grab().save(qEnvironmentVariable("RD_WIRING_SCREENSHOT")));
    }
    qunsetenv("RD5800_COM1");
}

// Without a fault the list says so; a reading with faults replaces it, and the
// lines then change in place while their number stays. A 3-wire panel (10 kV
// through V-V PTs, CTs on A and C, load PF 0.88 lagging) shows its two elements,
// whose angles are their own, and a note that says so. With
// RD_WIRING3_SCREENSHOT=FILE.png the 3-wire window is rendered there.
TEST(WiringWindow, ListFollowsTheReadings)
{
    WiringDlg win;
    rdacq::Reading r;
    r.time = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0));
    r.wiringMode = 2;
    r.ptRatio = 100;
    r.ctRatio = 20;
    auto &m = r.values;
    m.lineVoltage = {10000.0, 10000.0, 10000.0, 10000.0};
    const double elementPhi[4] = {0, 58.0, 0, -8.0};
    for (size_t c : {size_t(1), size_t(3)}) {
        const double a = elementPhi[c] * 3.14159265358979 / 180.0;
        m.current[c] = 40.0;
        m.activePower[c] = 400000.0 * std::cos(a);
        m.reactivePower[c] = 400000.0 * std::sin(a);
        m.powerFactor[c] = std::cos(a);
    }
    m.powerFactor[0] = 0.88;
    m.frequency = 50.0;
    win.addReading(r);
    EXPECT_EQ(SpokenLines(win.findings()),
              (QStringList{QStringLiteral("未发现接线问题"),
                           QStringLiteral("说明：3相3线接线：仪表按线电压测量，不检查相电压缺失、三相电压不平衡和线电压与相电压之比")}));
    EXPECT_TRUE(win.noteLabel()->text().contains(QStringLiteral("图中和图例的 φ 是元件自身的角")));
    // Two elements, B has none: U_AB at +30 deg, I_A where the load's angle puts it.
    EXPECT_EQ(win.diagram()->valuesText(),
              QStringLiteral("A相：UAB 10000.0 V ∠30.0°，I 40.00 A ∠-28.0°，φ 58.0°（去掉 +30° 为 28.0°），PF 0.530\n"
                             "C相：UCB 10000.0 V ∠90.0°，I 40.00 A ∠98.0°，φ -8.0°（去掉 -30° 为 22.0°），PF 0.990"));
    if (!qEnvironmentVariableIsEmpty("RD_WIRING3_SCREENSHOT")) {
        win.resize(900, 600);
        win.show();
        QApplication::processEvents();
        EXPECT_TRUE(win.grab().save(qEnvironmentVariable("RD_WIRING3_SCREENSHOT")));
    }

    // Back on a 4-wire panel: the 4-wire note, and the findings in place.
    r = rdacq::Reading();
    for (int c = 1; c <= 3; ++c) {
        m.phaseVoltage[size_t(c)] = 230.0;
        m.lineVoltage[size_t(c)] = 398.4;
        m.current[size_t(c)] = 10.0;
        m.activePower[size_t(c)] = 2070.0;
        m.reactivePower[size_t(c)] = 1002.6;
        m.powerFactor[size_t(c)] = 0.9;
    }
    m.powerFactor[0] = 0.9;
    m.frequency = 51.0;
    win.addReading(r);
    EXPECT_TRUE(win.noteLabel()->text().startsWith(QStringLiteral("仪表不提供相角")));
    QListWidgetItem *first = win.findings()->item(0);
    ASSERT_EQ(win.findings()->count(), 1);
    EXPECT_EQ(first->text(), QStringLiteral("警告：频率超出范围（频率 51.00 Hz，额定 50 Hz ± 0.5 Hz）"));
    m.frequency = 51.5;
    win.addReading(r);
    EXPECT_EQ(win.findings()->item(0), first);   // the same line, its numbers renewed
    EXPECT_TRUE(first->text().contains(QStringLiteral("51.50 Hz")));

    // Behind 200/5 CTs, 34 mA at the meter's input is too little to judge by.
    r.ctRatio = 40;
    for (int c = 1; c <= 3; ++c)
        m.current[size_t(c)] = 1.36;
    m.frequency = 50.0;
    win.addReading(r);
    EXPECT_EQ(SpokenLines(win.findings()).value(0),
              QStringLiteral("提示：负载电流过小，无法判断相位（最大电流 1.36 A，即仪表输入 34.0 mA（CT 40），仪表输入至少需要 50.0 mA）"));
}

} // namespace
