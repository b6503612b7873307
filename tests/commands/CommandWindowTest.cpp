// The commands as the main window runs them, offscreen on the fake port: the
// dialogs' values reaching the writes, the messages shown in order, the boxes
// and the status text updated, and polling restarted afterwards. The window
// starts with 0 in the address box, so the instrument answers at 0 here and a
// command needs no Run first.
#include "CommandRig.h"
#include "meter/dialogs/CommSetDlg.h"
#include "ScriptedPrompter.h"
#include "meter/dialogs/AddrDlg.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <memory>

using namespace cmdtest;
using rdlink::Parity;

namespace {

class CommandWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        instrument.address = 0;
        port.responder = [this](const QByteArray &request) { return instrument.answer(request); };
        Open();
    }

    void Open(int baud = 9600, Parity parity = Parity::None, int com = 1)
    {
        dlg.reset();
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(baud, parity, com);
        dlg->OnInitDialog();
        dlg->waitForLine();
    }

    void Click(QPushButton *button)
    {
        button->click();
        dlg->waitForLine();
    }

    QStringList Messages()
    {
        QStringList out(prompter.messages.begin(), prompter.messages.end());
        prompter.messages.clear();
        return out;
    }

    const MeterPanel &panel() const { return dlg->panel(); }

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    FakeInstrument instrument;
    ScriptedPrompter prompter;
    std::unique_ptr<CMeterDlg> dlg;
};

// The user's answer to "仪表设置": type PT and CT, click a wiring button (-1: none),
// press "设置".
std::function<int(QDialog &)> EnterRatios(const char *pt, const char *ct, int wiring)
{
    return [=](QDialog &d) {
        auto &set = static_cast<CMeterSetDlg &>(d);
        set.ptEdit()->setText(QString::fromUtf8(pt));
        set.ctEdit()->setText(QString::fromUtf8(ct));
        if (wiring >= 0)
            set.wiringButton(wiring)->click();
        set.accept();
        return set.result();
    };
}

std::function<int(QDialog &)> EnterAddress(const char *text, int *result = nullptr)
{
    return [=](QDialog &d) {
        auto &addr = static_cast<CAddrDlg &>(d);
        addr.addressEdit()->setText(QString::fromUtf8(text));
        addr.accept();
        if (result)
            *result = addr.result();
        return addr.result();
    };
}

TEST_F(CommandWindow, MeterSettingsWritesWhatWasTypedAndTheDialogReopensWithIt)
{
    prompter.answer = EnterRatios("64000", "5", 1);
    Click(panel().meterSettings);
    EXPECT_EQ(Sent(port), Frames({"00 06 03 07 FA 00", "00 06 03 08 00 05", "00 06 03 01 00 01"}));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("设置仪表参数成功")});
    EXPECT_EQ(dlg->state().ptRatio, 64000u);
    EXPECT_EQ(dlg->state().ctRatio, 5u);
    EXPECT_EQ(dlg->state().wiringMode, 1);
    EXPECT_TRUE(dlg->pollingActive());   // even from Stopped

    // The dialog opens with those values and keeps exactly one wiring button.
    prompter.answer = [](QDialog &d) {
        auto &set = static_cast<CMeterSetDlg &>(d);
        EXPECT_EQ(set.ptEdit()->text(), QStringLiteral("64000"));
        EXPECT_EQ(set.ctEdit()->text(), QStringLiteral("5"));
        EXPECT_EQ(set.wiringButton(1)->text(), QStringLiteral("单相2线"));
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(set.wiringButton(i)->isChecked(), i == 1) << i;
        set.wiringButton(4)->click();
        set.wiringButton(0)->click();
        set.wiringButton(0)->click();   // a second click keeps it checked
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(set.wiringButton(i)->isChecked(), i == 0) << i;
        set.accept();
        return set.result();
    };
    Click(panel().meterSettings);
    EXPECT_EQ(Sent(port).last(), Hex(Frame("00 06 03 01 00 00")));
    EXPECT_EQ(prompter.dialogsShown, 2);
}

TEST_F(CommandWindow, MeterSettingsRefusedOrCancelledSendsNothingAndResumesPolling)
{
    const QString range = QStringLiteral("请输入一个在 1 和 64000 之间的整数。");
    const QString number = QStringLiteral("请输入一个整数。");
    struct Case { const char *pt, *ct; QString message; };
    const Case cases[] = {
        {"0", "1", range}, {"64001", "1", range}, {"-5", "1", range}, {"abc", "1", number},
        {"", "1", number}, {"1", "0", range}, {"1", "70000", range}, {"1", "2.5", number},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.pt) + " / " + c.ct);
        int result = -1;
        prompter.answer = [&](QDialog &d) {
            port.inject(QByteArray("\x01\x03", 2));   // arrives while the dialog is open
            EnterRatios(c.pt, c.ct, -1)(d);
            result = d.result();
            return int(QDialog::Rejected);            // the user gives up with "退出"
        };
        Click(panel().meterSettings);
        EXPECT_EQ(result, int(QDialog::Rejected));    // the dialog stayed open
        EXPECT_EQ(Messages(), QStringList{c.message});
        EXPECT_TRUE(port.written.empty());
        EXPECT_EQ(port.bytesWaiting(), 0);
        EXPECT_EQ(dlg->state().ptRatio, 1u);
        EXPECT_TRUE(dlg->pollingActive());
    }
}

TEST_F(CommandWindow, CommSettingsShowsTheMessagesAndTheNewLineInTheStatus)
{
    struct Case {
        const char *name;
        int baud;
        Parity parity;
        int port;
        std::set<uint16_t> refused;
        QStringList messages;
        QString status;
    };
    const Case cases[] = {
        {"19200", 19200, Parity::None, 1, {}, {QStringLiteral("改变波特率成功")},
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 19200 \r\n\r\n校验位:无校验")},
        {"both, baud first", 4800, Parity::Even, 1, {}, {QStringLiteral("改变波特率成功"), QStringLiteral("改变校验方式成功")},
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 4800 \r\n\r\n校验位:偶校验")},
        {"failed baud keeps the old rate", 19200, Parity::Odd, 1, {0x0304},
         {QStringLiteral("改变波特率不成功"), QStringLiteral("改变校验方式成功")},
         QStringLiteral("串行口: 1 \r\n\r\n波特率: 9600 \r\n\r\n校验位:奇校验")},
        {"another port", 9600, Parity::None, 3, {}, {}, QStringLiteral("串行口: 3 \r\n\r\n波特率: 9600 \r\n\r\n校验位:无校验")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        instrument.refusedWrites = c.refused;
        prompter.answer = [&](QDialog &d) {
            auto &comm = static_cast<CCommSetDlg &>(d);
            comm.m_baudRate = c.baud;
            comm.m_parity = c.parity;
            comm.m_commPort = c.port;
            return int(QDialog::Accepted);
        };
        Click(panel().commSettings);
        EXPECT_EQ(Messages(), c.messages);
        EXPECT_EQ(dlg->statusText(), c.status);
        EXPECT_EQ(port.portNumber(), c.port);
        EXPECT_EQ(dlg->timerInterval(), 800);   // kept from start-up
        EXPECT_TRUE(dlg->pollingActive());
    }
}

TEST_F(CommandWindow, CommSettingsDialogStartsFromTheWindowsSettingsAndCancelLeavesThePort)
{
    Open(2400, Parity::Even, 4);
    const int opened = port.openCount, closed = port.closeCount;
    const QString status = dlg->statusText();
    int baud = 0, com = 0;
    Parity parity = Parity::None;
    prompter.answer = [&](QDialog &d) {
        auto &comm = static_cast<CCommSetDlg &>(d);
        baud = comm.m_baudRate;
        parity = comm.m_parity;
        com = comm.m_commPort;
        port.inject(QByteArray("\x01\x03", 2));   // arrives while the dialog is open
        return int(QDialog::Rejected);
    };
    Click(panel().commSettings);
    EXPECT_EQ(baud, 2400);
    EXPECT_EQ(parity, Parity::Even);
    EXPECT_EQ(com, 4);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_EQ(port.openCount, opened);
    EXPECT_EQ(port.closeCount, closed);
    EXPECT_EQ(dlg->statusText(), status);
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(CommandWindow, CommSettingsPortThatWillNotReopenIsReportedAfterTheWrites)
{
    port.failOpen = true;
    prompter.answer = [](QDialog &d) {
        static_cast<CCommSetDlg &>(d).m_baudRate = 19200;
        return int(QDialog::Accepted);
    };
    Click(panel().commSettings);
    const QStringList messages = Messages();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0], QStringLiteral("改变波特率成功"));
    EXPECT_TRUE(messages[1].contains(port.device));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(dlg->state().lineSettings(), (rdlink::LineSettings{19200, Parity::None}));
    EXPECT_TRUE(dlg->statusText().contains(QStringLiteral("19200")));
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(CommandWindow, ChangeAddressUpdatesTheBoxOnlyOnTheEcho)
{
    prompter.answer = EnterAddress("9");
    Click(panel().changeAddress);
    EXPECT_EQ(Sent(port), Frames({"00 06 03 00 00 09"}));
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(dlg->state().slaveAddress, 9);
    EXPECT_EQ(panel().slaveAddress->text(), QStringLiteral("9"));
    EXPECT_TRUE(dlg->pollingActive());

    instrument.connected = false;
    const size_t from = port.written.size();
    prompter.answer = EnterAddress("17");
    Click(panel().changeAddress);
    EXPECT_EQ(Sent(port, from), Frames({"09 06 03 00 00 11"}));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("地址更新不成功")});
    EXPECT_EQ(dlg->state().slaveAddress, 9);
    EXPECT_EQ(panel().slaveAddress->text(), QStringLiteral("9"));
    EXPECT_TRUE(dlg->pollingActive());
}

TEST_F(CommandWindow, ChangeAddressDialogShowsTheCurrentAddressAndRefusesWhatIsNotAByte)
{
    struct Case { const char *text; QString message; };
    const Case cases[] = {
        {"256", QStringLiteral("请输入一个在 0 和 255 之间的整数。")},
        {"-1", QStringLiteral("请输入一个在 0 和 255 之间的整数。")},
        {"1a", QStringLiteral("请输入一个整数。")},
        {"", QStringLiteral("请输入一个整数。")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QString shown;
        int result = -1;
        prompter.answer = [&](QDialog &d) {
            shown = static_cast<CAddrDlg &>(d).addressEdit()->text();
            EnterAddress(c.text, &result)(d);
            return int(QDialog::Rejected);   // then "取消"
        };
        Click(panel().changeAddress);
        EXPECT_EQ(shown, QStringLiteral("0"));
        EXPECT_EQ(result, int(QDialog::Rejected));
        EXPECT_EQ(Messages(), QStringList{c.message});
        EXPECT_TRUE(port.written.empty());
        EXPECT_EQ(dlg->state().slaveAddress, 0);
        EXPECT_TRUE(dlg->pollingActive());
    }
}

TEST_F(CommandWindow, PulseWidthModifyStopsPollingAndWriteSendsOnlyWholeNumbersFrom0To255)
{
    struct Case { const char *text; const char *address; const char *frame; };
    const Case cases[] = {
        {"0", "0", "00 06 03 06 00 00"},
        {"255", "0", "00 06 03 06 00 FF"},
        {" 42 ", "0", "00 06 03 06 00 2A"},
        {"80", "7", "07 06 03 06 00 50"},   // to the address the box holds now
        {"300", "0", nullptr},
        {"256", "0", nullptr},
        {"-1", "0", nullptr},
        {"abc", "0", nullptr},
        {"12ms", "0", nullptr},
        {"", "0", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        Open();
        Click(panel().runStop);   // Run at 0
        const size_t from = port.written.size();
        Click(panel().pulseModify);
        EXPECT_FALSE(dlg->pollingActive());
        EXPECT_FALSE(panel().pulseWidth->isReadOnly());
        EXPECT_TRUE(panel().pulseWrite->isEnabled());
        EXPECT_FALSE(panel().pulseModify->isEnabled());

        panel().slaveAddress->setText(QString::fromLatin1(c.address));
        instrument.address = uint8_t(QByteArray(c.address).toUInt());
        panel().pulseWidth->setText(QString::fromLatin1(c.text));
        Click(panel().pulseWrite);
        const bool written = c.frame != nullptr;
        EXPECT_EQ(Sent(port, from), written ? Frames({c.frame}) : QStringList());
        EXPECT_EQ(Messages(), written ? QStringList()
                                      : QStringList{QStringLiteral("脉冲宽度请输入 0 到 255 之间的整数 (ms)。")});
        EXPECT_EQ(dlg->pollingActive(), written);
        EXPECT_EQ(panel().pulseWidth->isReadOnly(), written);   // a refusal leaves it for a correction
        EXPECT_EQ(panel().pulseModify->isEnabled(), written);
        EXPECT_NE(panel().pulseWrite->isEnabled(), written);
    }
}

TEST_F(CommandWindow, PulseWidthCorrectedAfterARefusalIsWrittenOnce)
{
    Click(panel().pulseModify);
    panel().pulseWidth->setText(QStringLiteral("300"));
    Click(panel().pulseWrite);
    panel().pulseWidth->setText(QStringLiteral("30"));
    Click(panel().pulseWrite);
    EXPECT_EQ(Messages().size(), 1);
    EXPECT_EQ(Sent(port), Frames({"00 06 03 06 00 1E"}));
    EXPECT_EQ(instrument.registers[0x0306], 30);
    EXPECT_TRUE(panel().pulseWidth->isReadOnly());
}

TEST_F(CommandWindow, SearchStopsAtTheFoundAddressAndLeavesTheRunStateAlone)
{
    struct Case {
        int com, baud;
        Parity parity;
        uint8_t found;
        QString status;
    };
    const Case cases[] = {
        {1, 9600, Parity::None, 5, QStringLiteral("串行口:1\r\n\r\n波特率:9600\r\n\r\n校验位:无校验")},
        {2, 19200, Parity::Odd, 1, QStringLiteral("串行口:2\r\n\r\n波特率:19200\r\n\r\n校验位:奇校验")},
        {1, 1200, Parity::Even, 1, QStringLiteral("串行口:1\r\n\r\n波特率:1200\r\n\r\n校验位:偶校验")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.baud);
        Open(c.baud, c.parity, c.com);
        instrument.address = 0;
        Click(panel().runStop);   // polling at 0, where nobody answers from now on
        instrument.address = c.found;
        const size_t from = port.written.size();
        Click(panel().search);
        EXPECT_FALSE(dlg->pollingActive());
        QStringList probes;
        for (int tick = 1; dlg->searchActive() && tick <= 10; ++tick) {
            dlg->onSearchTick();
            dlg->waitForLine();
            const QByteArray probe = QByteArray(1, char(tick)) + QByteArray::fromHex("0303000001");
            probes << Hex(probe + Crc(probe));
            if (tick == 3 && c.found > 3) {
                // The box shows the address probed; the state follows one probe behind.
                EXPECT_EQ(panel().slaveAddress->text(), QStringLiteral("3"));
                EXPECT_EQ(dlg->state().slaveAddress, 2);
            }
        }
        EXPECT_EQ(Sent(port, from), probes);
        EXPECT_EQ(probes.size(), c.found);
        EXPECT_FALSE(dlg->searchActive());
        EXPECT_FALSE(dlg->pollingActive());
        EXPECT_TRUE(dlg->running());
        EXPECT_EQ(dlg->state().slaveAddress, c.found);
        EXPECT_EQ(panel().slaveAddress->text(), QString::number(c.found));
        EXPECT_EQ(dlg->statusText(), c.status);
    }
}

} // namespace
