// The main window with its line work on the link worker: while a tick is under way
// the window answers at once, and what the user starts goes on the line after the
// tick, whole. The worker is held inside a tick by a gate in the fake instrument,
// so these tests need no real waiting. The instrument answers at address 0, the
// window's address before Run, so that no poll timer runs unless a test starts it.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "ScriptedPrompter.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSemaphore>
#include <gtest/gtest.h>

#include <memory>
#include <thread>

using rdtest::Chunk;
using rdtest::FakeClock;
using rdtest::FakeSerialPort;

namespace {

QByteArray Bytes(const rdlink::Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}

const QByteArray kMeasurementRead = Bytes(rdlink::BuildRead(0, 0x0000, 41));

class MeterWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        meter.address = 0;
        meter.regs[0x0300] = 0;
        meter.regs[0x0307] = 1;
        meter.regs[0x0308] = 1;
        port.responder = [this](const QByteArray &request) {
            // Runs on the worker: the armed gate holds it at the measurement read.
            if (armed && request == kMeasurementRead) {
                armed = false;
                entered.release();
                gate.acquire();
            }
            QByteArray reply = meter.Answer(request);
            if (reply.isEmpty() && request.size() == 8 && request[1] == 6)
                reply = request;   // writes are echoed
            return reply.isEmpty() ? std::vector<Chunk>{} : std::vector<Chunk>{{reply, 20}};
        };
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        dlg->OnInitDialog();
        dlg->waitForLine();
    }

    // Posts a tick and returns once the worker is held inside it, at its third request.
    void HoldTick()
    {
        armed = true;
        before = port.written.size();
        dlg->onPollTick();
        entered.acquire();
    }

    std::vector<QByteArray> Sent() const
    {
        return std::vector<QByteArray>(port.written.begin() + long(before), port.written.end());
    }

    FakeClock clock;
    FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    rdtest::MeterRegisters meter;
    std::atomic<bool> armed{false};
    QSemaphore entered, gate;
    size_t before = 0;
    std::unique_ptr<CMeterDlg> dlg;
};

TEST_F(MeterWorker, StopDuringATickEndsTheTickThenClosesThePort)
{
    dlg->panel().runStop->click();   // Run; the tick follows before the timer could fall due
    HoldTick();
    dlg->panel().runStop->click();   // answered at once, the worker being held
    EXPECT_EQ(dlg->panel().runStop->text(), QStringLiteral("运行"));
    EXPECT_FALSE(dlg->pollingActive());
    gate.release();
    dlg->waitForLine();
    // The tick went on to its end, nothing came after it, and the port closed.
    ASSERT_EQ(Sent().size(), 5u);
    EXPECT_EQ(Sent()[4], Bytes(rdlink::BuildRead(0, 0x020C, 18)));
    EXPECT_FALSE(port.isOpen());
    dlg->onPollTick();   // a stray timer tick of a stopped window sends nothing
    dlg->waitForLine();
    EXPECT_EQ(Sent().size(), 5u);
}

TEST_F(MeterWorker, CommandDuringATickWritesAfterTheTicksLastRequest)
{
    HoldTick();
    int dialogs = 0;
    prompter.answer = [&](QDialog &d) {
        ++dialogs;   // the dialog opens while the tick is still held
        auto &set = static_cast<CMeterSetDlg &>(d);
        set.ptEdit()->setText(QStringLiteral("100"));
        set.ctEdit()->setText(QStringLiteral("5"));
        set.accept();
        return set.result();
    };
    dlg->panel().meterSettings->click();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(dlg->busy());
    EXPECT_FALSE(dlg->panel().runStop->isEnabled());
    gate.release();
    dlg->waitForLine();
    const std::vector<QByteArray> sent = Sent();
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(sent[4], Bytes(rdlink::BuildRead(0, 0x020C, 18)));   // the tick, whole
    EXPECT_EQ(sent[5], Bytes(rdlink::BuildWrite(0, 0x0307, 100)));
    EXPECT_EQ(sent[6], Bytes(rdlink::BuildWrite(0, 0x0308, 5)));
    EXPECT_EQ(sent[7], Bytes(rdlink::BuildWrite(0, 0x0301, 0)));
    EXPECT_EQ(prompter.messages, std::vector<QString>{QStringLiteral("设置仪表参数成功")});
    EXPECT_FALSE(dlg->busy());
    EXPECT_TRUE(dlg->panel().runStop->isEnabled());
    EXPECT_TRUE(dlg->pollingActive());   // polling restarts after a command, as always
}

TEST_F(MeterWorker, TicksThatFallDueDuringATickRunOnce)
{
    dlg->panel().runStop->click();   // Run; the tick follows before the timer could fall due
    HoldTick();
    for (int i = 0; i < 3; ++i)
        dlg->onPollTick();   // the timer while the tick is held
    // The queue is full: the timer rests instead of waking the window for nothing.
    EXPECT_FALSE(dlg->pollTimerRunning());
    EXPECT_TRUE(dlg->pollingActive());
    gate.release();
    dlg->waitForLine();      // the held tick, then the one that fell due
    dlg->waitForLine();
    EXPECT_TRUE(dlg->pollTimerRunning());   // and polling goes on
    dlg->panel().runStop->click();
    dlg->waitForLine();
    EXPECT_EQ(Sent().size(), 10u);
}

TEST_F(MeterWorker, StopWithATickQueuedSendsNothingAfterTheTickInProgress)
{
    // At 9600 baud a tick outlasts the poll period, so at almost every Stop a
    // tick waits behind the one on the line: it must not go out.
    dlg->panel().runStop->click();   // Run
    HoldTick();
    dlg->onPollTick();               // falls due during the held tick: queued behind it
    dlg->panel().runStop->click();   // Stop
    gate.release();
    dlg->waitForLine();
    EXPECT_EQ(Sent().size(), 5u);    // the held tick alone
    EXPECT_FALSE(port.isOpen());
}

TEST_F(MeterWorker, ClosingDuringATickWaitsForItThenClosesThePort)
{
    HoldTick();
    // The window closes while the worker is held; the gate opens from another
    // thread, since closing waits for the tick in progress.
    std::thread opener([this] { gate.release(); });
    dlg.reset();
    opener.join();
    EXPECT_EQ(Sent().size(), 5u);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.openCount, port.closeCount);
}

} // namespace
