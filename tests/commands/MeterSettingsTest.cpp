// "仪表设置": the dialog's checks and the three writes with their messages.
#include "FakeCommandHost.h"
#include "meter/commands/MeterCommands.h"
#include "meter/commands/MeterSetDlg.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <functional>

using namespace cmdtest;

namespace {

// The user's answer to the dialog: type PT and CT, click a wiring button
// (-1: none), press "设置".
std::function<int(QDialog &)> Enter(const char *pt, const char *ct, int wiring)
{
    return [=](QDialog &d) {
        auto &dlg = static_cast<CMeterSetDlg &>(d);
        dlg.ptEdit()->setText(QString::fromUtf8(pt));
        dlg.ctEdit()->setText(QString::fromUtf8(ct));
        if (wiring >= 0)
            dlg.wiringButton(wiring)->click();
        dlg.accept();
        return dlg.result();
    };
}

struct WriteCase {
    const char *name;
    const char *pt, *ct;
    int wiring;
    bool connected;
    std::set<uint16_t> refused;
    QStringList frames;
    QStringList messages;
    uint32_t ptAfter, ctAfter;
    uint8_t wiringAfter;
};

TEST(MeterSettings, WritesPtCtWiringInOrderAndStopsAtTheFirstFailure)
{
    const QString ok = QStringLiteral("设置仪表参数成功");
    const WriteCase cases[] = {
        {"unchanged values are all written", "1", "1", -1, true, {},
         {Hex(Frame("01 06 03 07 00 01")), Hex(Frame("01 06 03 08 00 01")), Hex(Frame("01 06 03 01 00 00"))},
         {ok}, 1, 1, 0},
        {"PT 64000, CT 5, single phase two wire", "64000", "5", 1, true, {},
         {Hex(Frame("01 06 03 07 FA 00")), Hex(Frame("01 06 03 08 00 05")), Hex(Frame("01 06 03 01 00 01"))},
         {ok}, 64000, 5, 1},
        {"balanced three phase four wire", "300", "40", 5, true, {},
         {Hex(Frame("01 06 03 07 01 2C")), Hex(Frame("01 06 03 08 00 28")), Hex(Frame("01 06 03 01 00 05"))},
         {ok}, 300, 40, 5},
        {"no instrument: only the PT request", "100", "20", 2, false, {},
         {Hex(Frame("01 06 03 07 00 64"))}, {QStringLiteral("设置PT不成功")}, 1, 1, 0},
        {"failed CT keeps the new PT", "100", "20", 2, true, {0x0308},
         {Hex(Frame("01 06 03 07 00 64")), Hex(Frame("01 06 03 08 00 14"))},
         {QStringLiteral("设置CT不成功")}, 100, 1, 0},
        {"failed wiring keeps PT and CT", "100", "20", 2, true, {0x0301},
         {Hex(Frame("01 06 03 07 00 64")), Hex(Frame("01 06 03 08 00 14")), Hex(Frame("01 06 03 01 00 02"))},
         {QStringLiteral("设置接线方式不成功")}, 100, 20, 0},
    };
    for (const WriteCase &c : cases) {
        SCOPED_TRACE(c.name);
        FakeCommandHost host;
        host.timer1 = true;
        host.instrument.connected = c.connected;
        host.instrument.refusedWrites = c.refused;
        host.answer = Enter(c.pt, c.ct, c.wiring);
        MeterCommands(host).OnMeterSettings();

        EXPECT_EQ(host.sent(), c.frames);
        EXPECT_EQ(host.messages(), c.messages);
        EXPECT_EQ(host.m.ptRatio, c.ptAfter);
        EXPECT_EQ(host.m.ctRatio, c.ctAfter);
        EXPECT_EQ(host.m.wiringMode, c.wiringAfter);

        // Polling stops before the dialog and restarts at the very end.
        EXPECT_EQ(host.events.first(), QStringLiteral("stop1"));
        EXPECT_EQ(host.events.at(1), QStringLiteral("dialog"));
        EXPECT_EQ(host.events.last(), QStringLiteral("start1"));
        EXPECT_TRUE(host.timer1);

        // Each write waits 300 ms, blocking.
        ASSERT_EQ(host.clock.waits.size(), size_t(c.frames.size()));
        for (const rdtest::RecordedWait &w : host.clock.waits) {
            EXPECT_TRUE(w.busy);
            EXPECT_EQ(w.ms, 300u);
        }
    }
}

TEST(MeterSettings, EchoFromAnotherAddressIsAFailure)
{
    FakeCommandHost host;
    host.m.slaveAddress = 2;   // the instrument answers only at 1
    host.answer = Enter("10", "10", -1);
    MeterCommands(host).OnMeterSettings();
    EXPECT_EQ(host.sent(), QStringList{Hex(Frame("02 06 03 07 00 0A"))});
    EXPECT_EQ(host.messages(), QStringList{QStringLiteral("设置PT不成功")});
    EXPECT_EQ(host.m.ptRatio, 1u);
}

TEST(MeterSettings, StaleEchoWaitingBeforeTheWriteIsNotTakenAsTheAnswer)
{
    FakeCommandHost host;
    host.instrument.connected = false;
    host.port.inject(Frame("01 06 03 07 00 64"));   // left over from an earlier write
    host.answer = Enter("100", "1", -1);
    MeterCommands(host).OnMeterSettings();
    EXPECT_EQ(host.messages(), QStringList{QStringLiteral("设置PT不成功")});
    EXPECT_EQ(host.m.ptRatio, 1u);
}

TEST(MeterSettings, CancelSendsNothingDropsPendingInputAndRestartsPolling)
{
    FakeCommandHost host;
    host.answer = [&](QDialog &) {
        host.port.inject(QByteArray("\x01\x03", 2));   // arrives while the dialog is open
        return int(QDialog::Rejected);
    };
    MeterCommands(host).OnMeterSettings();
    EXPECT_TRUE(host.sent().isEmpty());
    EXPECT_TRUE(host.messages().isEmpty());
    EXPECT_EQ(host.port.bytesWaiting(), 0);
    EXPECT_EQ(host.events, (QStringList{"stop1", "dialog", "start1"}));
}

TEST(MeterSettingsDialog, OpensWithTheWindowsValuesAndKeepsOneWiringButton)
{
    FakeCommandHost host;
    host.m.ptRatio = 100;
    host.m.ctRatio = 64000;
    host.m.wiringMode = 3;
    host.answer = [](QDialog &d) {
        auto &dlg = static_cast<CMeterSetDlg &>(d);
        EXPECT_EQ(dlg.ptEdit()->text(), QStringLiteral("100"));
        EXPECT_EQ(dlg.ctEdit()->text(), QStringLiteral("64000"));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(dlg.wiringButton(i)->isChecked(), i == 3) << i;
        EXPECT_EQ(dlg.wiringButton(1)->text(), QStringLiteral("单相2线"));
        dlg.wiringButton(4)->click();
        dlg.wiringButton(0)->click();
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(dlg.wiringButton(i)->isChecked(), i == 0) << i;
        dlg.wiringButton(0)->click();   // a second click keeps it checked
        EXPECT_TRUE(dlg.wiringButton(0)->isChecked());
        dlg.accept();
        return dlg.result();
    };
    MeterCommands(host).OnMeterSettings();
    EXPECT_EQ(host.sent().last(), Hex(Frame("01 06 03 01 00 00")));
}

TEST(MeterSettingsDialog, RefusesRatiosOutsideOneTo64000)
{
    struct Case { const char *pt, *ct; QString message; };
    const QString range = QStringLiteral("请输入一个在 1 和 64000 之间的整数。");
    const QString number = QStringLiteral("请输入一个整数。");
    const Case cases[] = {
        {"0", "1", range}, {"64001", "1", range}, {"-5", "1", range}, {"abc", "1", number},
        {"", "1", number}, {"1", "0", range}, {"1", "70000", range}, {"1", "2.5", number},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.pt) + " / " + c.ct);
        FakeCommandHost host;
        int result = -1;
        host.answer = [&](QDialog &d) {
            auto &dlg = static_cast<CMeterSetDlg &>(d);
            dlg.ptEdit()->setText(QString::fromUtf8(c.pt));
            dlg.ctEdit()->setText(QString::fromUtf8(c.ct));
            dlg.accept();
            result = dlg.result();
            return int(QDialog::Rejected);   // the user gives up with "退出"
        };
        MeterCommands(host).OnMeterSettings();
        EXPECT_EQ(result, int(QDialog::Rejected));   // the dialog stayed open
        EXPECT_EQ(host.messages(), QStringList{c.message});
        EXPECT_TRUE(host.sent().isEmpty());
        EXPECT_EQ(host.m.ptRatio, 1u);
    }
}

} // namespace

TEST(MeterSettingsDialog, WiringChosenWithoutTheMouseIsTheWiringWritten)
{
    // "单相2线" checked without a click: by a screen reader's toggle action or by
    // code. (Its press action ends in a click, as the mouse does.) What is
    // written is what the dialog shows checked.
    using Way = std::function<void(QRadioButton *)>;
    const std::pair<const char *, Way> ways[] = {
        {"toggle action", [](QRadioButton *b) {
             QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
                 QAccessibleActionInterface::toggleAction());
         }},
        {"checked by code", [](QRadioButton *b) { b->setChecked(true); }},
    };
    for (const auto &[how, choose] : ways) {
        FakeCommandHost host;
        host.m.ptRatio = 1;
        host.m.ctRatio = 1;
        host.m.wiringMode = 0;
        host.answer = [&choose = choose](QDialog &d) {
            auto &dlg = static_cast<CMeterSetDlg &>(d);
            choose(dlg.wiringButton(1));
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(dlg.wiringButton(i)->isChecked(), i == 1) << i;
                EXPECT_EQ(QAccessible::queryAccessibleInterface(dlg.wiringButton(i))->role(),
                          QAccessible::RadioButton) << i;
            }
            dlg.accept();
            return dlg.result();
        };
        MeterCommands(host).OnMeterSettings();
        EXPECT_EQ(host.sent().last(), Hex(Frame("01 06 03 01 00 01"))) << how;
        EXPECT_EQ(host.m.wiringMode, 1) << how;
    }
}

TEST(MeterSettingsDialog, RatioEditsAreNamedByTheirLabels)
{
    ScriptedPrompter prompter;
    CMeterSetDlg dlg(prompter);
    const std::pair<QLineEdit *, QString> edits[] = {{dlg.ptEdit(), QStringLiteral("ＰＴ")},
                                                     {dlg.ctEdit(), QStringLiteral("ＣＴ")}};
    for (const auto &[edit, label] : edits)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), label);
}
