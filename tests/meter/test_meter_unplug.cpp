// End to end: the adapter is pulled while the main window polls rd5800-sim, and
// plugged in again. SIGUSR1 makes the simulator's pseudo-terminal vanish; SIGUSR2
// brings a new one and points the --link path, which RD5800_COM1 names, at it.
#include "../sim/SimProcess.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/mainwnd/MeterPanel.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// Everything the poll shows in text boxes, to see that nothing changes.
QStringList ShownValues(const MeterPanel &p)
{
    QStringList values;
    for (const auto &row : p.grid)
        for (const auto *box : row)
            values << box->text();
    values << p.frequency->text();
    for (const auto *box : p.energy)
        values << box->text();
    for (const auto *box : p.counters)
        values << box->text();
    values << p.attemptCount->text() << p.successRate->text() << p.fundamental->text();
    return values;
}

// Real time: waits until the link names a device that exists again (the new
// pseudo-terminal may well get the number of the vanished one).
bool WaitForDevice(const QString &link, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const QString target = QFileInfo(link).symLinkTarget();
        if (!target.isEmpty() && QFileInfo::exists(target))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(MeterUnplug, PulledAdapterStopsPollingOnceAndRunReopensWhenBack)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString link = folder.filePath(QStringLiteral("com1"));
    simtest::SimProcess sim({"--freeze", "--link", link.toStdString()});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", link.toLocal8Bit());

    rdlink::QtSerialPort port;
    ScriptedPrompter prompter;
    CMeterDlg dlg(port, rdlink::SystemClock(), prompter);
    dlg.setLineSettings(9600, rdlink::Parity::None, 1);
    dlg.OnInitDialog();
    dlg.waitForLine();
    ASSERT_TRUE(port.isOpen()) << (prompter.messages.empty() ? "" : prompter.messages[0].toStdString());
    dlg.panel().slaveAddress->setText(QStringLiteral("1"));
    dlg.panel().runStop->click();
    dlg.waitForLine();
    dlg.onPollTick();
    dlg.waitForLine();
    ASSERT_TRUE(prompter.messages.empty());
    ASSERT_EQ(dlg.panel().successRate->text(), QStringLiteral("100.00"));
    const QStringList before = ShownValues(dlg.panel());
    const QString firstDevice = QFileInfo(link).symLinkTarget();
    ASSERT_TRUE(QFileInfo::exists(firstDevice));

    // Pulled: the next tick finds the line gone.
    sim.signal(SIGUSR1);
    ASSERT_TRUE(sim.waitForLines("--", 1, 3000));
    EXPECT_FALSE(QFileInfo::exists(firstDevice));
    const size_t requestsBefore = sim.logLines("rx").size();
    dlg.onPollTick();
    dlg.waitForLine();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(dlg.pollingActive());
    EXPECT_EQ(dlg.panel().runStop->text(), QStringLiteral("运行"));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(link)) << prompter.messages[0].toStdString();
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("已断开")));

    // Ticks that were already queued change nothing and say nothing more; the
    // values stay as last read (the counts of the failed tick aside).
    dlg.onPollTick();
    dlg.waitForLine();
    dlg.onPollTick();
    dlg.waitForLine();
    EXPECT_EQ(prompter.messages.size(), 1u);
    const QStringList after = ShownValues(dlg.panel());
    EXPECT_EQ(after.mid(0, after.size() - 3), before.mid(0, before.size() - 3));
    EXPECT_EQ(after.last(), before.last());

    // Back: a stray tick still sends nothing until the user presses Run.
    sim.signal(SIGUSR2);
    ASSERT_TRUE(WaitForDevice(link, 3000));
    dlg.onPollTick();
    dlg.waitForLine();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(sim.logLines("rx").size(), requestsBefore);

    dlg.panel().runStop->click();

    dlg.waitForLine();
    ASSERT_TRUE(port.isOpen()) << (prompter.messages.size() > 1 ? prompter.messages[1].toStdString() : "");
    EXPECT_TRUE(dlg.pollingActive());
    EXPECT_EQ(dlg.panel().runStop->text(), QStringLiteral("停止"));
    dlg.onPollTick();
    dlg.waitForLine();
    // The poll timer runs in real time here, so on a slow machine it may add
    // ticks of its own; stopping ends them after the tick in progress. Whole
    // ticks of five requests each went out, at least the one posted above.
    dlg.panel().runStop->click();
    dlg.waitForLine();
    EXPECT_FALSE(dlg.pollingActive());
    EXPECT_EQ(prompter.messages.size(), 1u);
    const size_t sent = sim.logLines("rx").size() - requestsBefore;
    EXPECT_GE(sent, 5u);
    EXPECT_EQ(sent % 5, 0u) << sent << " requests: a tick was cut";
    EXPECT_EQ(ShownValues(dlg.panel()).mid(0, before.size() - 3), before.mid(0, before.size() - 3));
    qunsetenv("RD5800_COM1");
}

} // namespace
