// The three module windows when the adapter is pulled in the middle of an
// operation, or when the port will not open at all: one message naming the port,
// the device and the reason, nothing sent once the device is gone, fields as they
// stood, and the next operation works again once the device is back.
#include "ModuleBench.h"
#include "modules/windows/CAnalogOutDlg.h"
#include "modules/windows/CModuleSetDlg.h"
#include "modules/windows/CPulseSetDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace rdtest;
using rdmod::CAnalogOutDlg;
using rdmod::CModuleSetDlg;
using rdmod::CPulseSetDlg;

namespace {

// From now on the port answers as the instrument until request `at` (1 = the
// next one), during which the device goes away.
void VanishAt(FakeSerialPort &port, FakeInstrument &meter, int at)
{
    auto count = std::make_shared<int>(0);
    port.responder = [&port, &meter, at, count](const QByteArray &request) {
        if (++*count == at) {
            port.vanish(QStringLiteral("No such device"));
            return std::vector<Chunk>{};
        }
        return meter.Answer(request);
    };
}

void Back(FakeSerialPort &port, FakeInstrument &meter)
{
    port.responder = [&meter](const QByteArray &request) { return meter.Answer(request); };
}

QStringList EditTexts(QWidget *root)
{
    QStringList texts;
    for (const QLineEdit *edit : root->findChildren<QLineEdit *>())
        texts << edit->text();
    return texts;
}

// One window's operations: `open` makes the window, `init` is its start-up read, `write` presses its write button.
struct Window {
    const char *name;
    std::function<std::unique_ptr<QWidget>(ModuleBench &)> open;
    std::function<void(QWidget *)> init;
    const char *writeButton;
    int initRequests;    // requests of a start-up that goes well
    int writeRequests;   // requests of a write that goes well
    const char *writeSuccess;   // the message after a good write, or "" for none
    uint16_t presence;          // the modules the instrument reports
};

std::vector<Window> Windows()
{
    return {
        {"relay", [](ModuleBench &b) { return std::make_unique<CModuleSetDlg>(b.context); },
         [](QWidget *w) { static_cast<CModuleSetDlg *>(w)->OnInitDialog(); }, "确定", 3, 12, "参数设置成功", 0x10},
        {"analog", [](ModuleBench &b) { return std::make_unique<CAnalogOutDlg>(b.context); },
         [](QWidget *w) { static_cast<CAnalogOutDlg *>(w)->OnInitDialog(); }, "确认", 3, 6, "参数设置成功", 0x04},
        {"pulse", [](ModuleBench &b) { return std::make_unique<CPulseSetDlg>(b.context); },
         [](QWidget *w) { static_cast<CPulseSetDlg *>(w)->OnInitDialog(); }, "确认", 1, 2, "", 0x01},
    };
}

void ExpectOneLostMessage(const ModuleBench &bench, const char *what)
{
    ASSERT_EQ(bench.prompter.messages.size(), 1u) << what;
    const QString &m = bench.prompter.messages[0];
    for (const char *part : {"COM1", "/dev/ttyFAKE0", "No such device", "已断开"})
        EXPECT_TRUE(m.contains(U(part))) << what << ": " << m.toStdString();
}

TEST(ModWindowsUnplugged, DeviceLostDuringStartUpReadSaysSoOnceAndSendsNoMore)
{
    for (const Window &w : Windows()) {
        for (int at = 1; at <= w.initRequests; ++at) {
            SCOPED_TRACE(std::string(w.name) + " lost at request " + std::to_string(at));
            ModuleBench bench;
            LoadModuleRegisters(bench.instrument, w.presence);
            auto window = w.open(bench);
            FakeSerialPort &port = bench.port;
            const QStringList before = EditTexts(window.get());
            VanishAt(port, bench.instrument, at);
            w.init(window.get());
            bench.Settle();
            EXPECT_EQ(port.written.size(), size_t(at));
            EXPECT_EQ(bench.clock.waits.size(), size_t(at));   // no waiting on a dead line
            EXPECT_FALSE(port.isOpen());
            ExpectOneLostMessage(bench, w.name);
            EXPECT_TRUE(bench.prompter.messages[0].contains(U("读取未完成")));
            EXPECT_EQ(EditTexts(window.get()), before);   // nothing half shown
        }
    }
}

TEST(ModWindowsUnplugged, DeviceLostDuringWriteStopsTheBlockAndTheNextWriteWorks)
{
    for (const Window &w : Windows()) {
        for (int at = 1; at <= w.writeRequests; ++at) {
            SCOPED_TRACE(std::string(w.name) + " lost at write " + std::to_string(at));
            ModuleBench bench;
            LoadModuleRegisters(bench.instrument, w.presence);
            auto window = w.open(bench);
            FakeSerialPort &port = bench.port;
            w.init(window.get());
            bench.Settle();
            ASSERT_TRUE(bench.prompter.messages.empty());
            const size_t sent = port.written.size();

            VanishAt(port, bench.instrument, at);
            bench.clock.waits.clear();
            Press(window.get(), w.writeButton);
            bench.Settle();
            EXPECT_EQ(port.written.size() - sent, size_t(at));   // nothing after the loss
            EXPECT_EQ(bench.clock.waits.size(), size_t(at));
            ExpectOneLostMessage(bench, w.name);
            EXPECT_TRUE(bench.prompter.messages[0].contains(U("写入了一部分")));

            // Plugged in again: the same button writes the whole block.
            Back(port, bench.instrument);
            bench.prompter.messages.clear();
            const size_t again = port.written.size();
            Press(window.get(), w.writeButton);
            bench.Settle();
            EXPECT_EQ(port.written.size() - again, size_t(w.writeRequests));
            if (*w.writeSuccess)
                EXPECT_EQ(bench.prompter.messages, (std::vector<QString>{U(w.writeSuccess)}));
            else
                EXPECT_TRUE(bench.prompter.messages.empty());
            EXPECT_FALSE(port.isOpen());
        }
    }
}

TEST(ModWindowsUnplugged, MissingPortRefusesEveryOperationWithItsMessage)
{
    for (const Window &w : Windows()) {
        SCOPED_TRACE(w.name);
        ModuleBench bench;
        LoadModuleRegisters(bench.instrument, w.presence);
        bench.port.failOpen = true;
        auto window = w.open(bench);
        FakeSerialPort &port = bench.port;
        port.openFailure = QStringLiteral("No such file or directory");
        w.init(window.get());
        bench.Settle();
        Press(window.get(), w.writeButton);
        bench.Settle();
        EXPECT_TRUE(port.written.empty());
        ASSERT_GE(bench.prompter.messages.size(), 1u);
        // The start-up says it once; a write with the fields as they stand is either
        // refused for its fields or for its port, never sent.
        EXPECT_TRUE(bench.prompter.messages[0].contains(U("无法打开串口 COM1")));
        EXPECT_TRUE(bench.prompter.messages[0].contains(U("No such file or directory")));
        EXPECT_TRUE(bench.prompter.messages[0].contains(U("未发送任何请求")));
    }
}

} // namespace
