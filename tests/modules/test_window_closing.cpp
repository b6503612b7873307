// Closing a module window while its operation is on the line, or waits behind
// another window's: the operation still goes out whole (a write the user
// confirmed reaches its last register), and its outcome reaches no window that
// is gone. Under AddressSanitizer a result handed to a freed window fails here.
// The worker is held inside an exchange by a gate in the fake instrument, so the
// window closes while the job is really under way.
#include "ModuleBench.h"
#include "modules/windows/CAnalogOutDlg.h"
#include "modules/windows/CModuleSetDlg.h"
#include "modules/windows/CPulseSetDlg.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QSemaphore>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

using namespace rdtest;
using rdmod::CAnalogOutDlg;
using rdmod::CModuleSetDlg;
using rdmod::CPulseSetDlg;

namespace {

// Holds the worker at the first request equal to `at` until released.
struct Gate {
    QByteArray at;
    std::atomic<bool> armed{false};
    QSemaphore entered, open;

    void Install(ModuleBench &bench)
    {
        bench.port.responder = [this, &bench](const QByteArray &request) {
            if (armed && request == at) {
                armed = false;
                entered.release();
                open.acquire();
            }
            return bench.instrument.Answer(request);
        };
    }
};

// Runs the deferred deletes of windows closed with WA_DeleteOnClose.
void DeleteClosed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Opened {
    QPointer<QWidget> close;   // the window the user closes
    QPointer<QWidget> owner;   // a window that stays open, deleted after the case
};

struct Case {
    const char *what;
    uint16_t presence;   // the modules the instrument reports
    QByteArray holdAt;   // the request the worker is held at
    // Opens the windows and starts the operation(s).
    std::function<Opened(ModuleBench &, Gate &)> start;
    std::vector<QByteArray> tail;   // what must have gone out last, in order
    bool quitButton;                // closed by its "退出", else by the title bar's close button
    const char *message = "";       // what a window still open says, if anything
};

std::vector<QByteArray> Tail(const std::vector<QByteArray> &sent, size_t n)
{
    return std::vector<QByteArray>(sent.end() - long(std::min(n, sent.size())), sent.end());
}

std::vector<QByteArray> RelayBlockWrites()
{
    const uint16_t relay[12] = {1, 1900, 1800, 5, 6, 7, 0xFF, 0, 0, 0, 0, 0};
    std::vector<QByteArray> writes;
    for (int k = 0; k < 12; ++k)
        writes.push_back(WriteRequest(uint16_t(0x0311 + k), relay[k]));
    return writes;
}

TEST(ModWindowsClosing, AnOperationOnTheLineRunsWholeAndItsOutcomeGoesNowhere)
{
    // Windows opened with new: the module windows delete themselves on close, the
    // relay window is deleted by the program when its exec() ends.
    const std::vector<Case> cases = {
        {"pulse window's 退出 during its write", 0x01, WriteRequest(0x0335, 3),
         [](ModuleBench &b, Gate &g) {
             auto *w = new CPulseSetDlg(b.context);
             w->OnInitDialog();
             b.Settle();
             g.armed = true;
             Press(w, "确认");
             return Opened{w, nullptr};
         },
         {WriteRequest(0x0335, 3), WriteRequest(0x0336, 5)}, true},
        {"analog window closed during its start-up reads", 0x04, ReadRequest(0x0307, 2),
         [](ModuleBench &b, Gate &g) {
             g.armed = true;
             auto *w = new CAnalogOutDlg(b.context);
             w->OnInitDialog();
             return Opened{w, nullptr};
         },
         {ReadRequest(0x0307, 2), ReadRequest(0x0100, 1), ReadRequest(0x0337, 6)}, false},
        {"main window closed during its relay block write", 0x10, WriteRequest(0x0311, 1),
         [](ModuleBench &b, Gate &g) {
             auto *w = new CModuleSetDlg(b.context);
             w->OnInitDialog();   // reads module 1#'s block into the fields
             b.Settle();
             g.armed = true;
             Press(w, "确定");
             return Opened{w, nullptr};
         },
         RelayBlockWrites(), false},
        {"pulse window closed while its read waits behind the relay write", 0x10, WriteRequest(0x0311, 1),
         [](ModuleBench &b, Gate &g) {
             auto *relay = new CModuleSetDlg(b.context);
             relay->OnInitDialog();
             b.Settle();
             g.armed = true;
             Press(relay, "确定");
             auto *pulse = new CPulseSetDlg(b.context, relay);
             pulse->OnInitDialog();   // queued behind the relay write
             return Opened{pulse, relay};
         },
         [] {
             std::vector<QByteArray> v = RelayBlockWrites();
             v.push_back(ReadRequest(0x0335, 2));
             return v;
         }(), true, "参数设置成功"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ModuleBench bench;
        LoadModuleRegisters(bench.instrument, c.presence);
        Gate gate;
        gate.at = c.holdAt;
        gate.Install(bench);
        Opened opened = c.start(bench, gate);
        QPointer<QWidget> window = opened.close;
        ASSERT_TRUE(window);
        gate.entered.acquire();   // the worker is inside the operation now
        if (window->testAttribute(Qt::WA_DeleteOnClose)) {
            if (c.quitButton)
                Press(window, "退出");
            else
                window->close();
            DeleteClosed();
        } else {
            delete window.data();   // the program deletes its main window when exec() ends
        }
        EXPECT_TRUE(window.isNull());
        gate.open.release();
        bench.Settle();
        EXPECT_EQ(Tail(bench.port.written, c.tail.size()), c.tail);
        if (*c.message)
            EXPECT_EQ(bench.prompter.messages, std::vector<QString>{U(c.message)});
        else
            EXPECT_TRUE(bench.prompter.messages.empty());
        EXPECT_FALSE(bench.port.isOpen());
        delete opened.owner.data();
    }
}

} // namespace
