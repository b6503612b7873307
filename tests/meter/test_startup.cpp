// Start-up: the settings dialog and what it hands to the main window.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "meter/dialogs/CommSetDlg.h"
#include "meter/app/MeterApp.h"
#include "ScriptedPrompter.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <functional>
#include <optional>

namespace {

TEST(MeterStartUp, CancelEndsWithoutTheMainWindow)
{
    ScriptedPrompter prompter;
    prompter.answer = [](QDialog &) { return int(QDialog::Rejected); };
    int runs = 0;
    CMeterApp app(prompter, [&](const StartSettings &) { ++runs; });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_FALSE(app.mainWindowShown());
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(prompter.dialogsShown, 1);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST(MeterStartUp, AcceptedUnchangedOpensCom1At9600None)
{
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    ScriptedPrompter prompter;
    std::vector<QString> titles;
    prompter.answer = [&](QDialog &dialog) {
        titles.push_back(dialog.windowTitle());
        if (auto *settings = qobject_cast<CCommSetDlg *>(&dialog)) {
            EXPECT_TRUE(settings->baudButton(3)->isChecked());     // 9600bps
            EXPECT_TRUE(settings->parityButton(0)->isChecked());   // 无校验
            EXPECT_EQ(settings->portEdit()->text(), QStringLiteral("1"));
            settings->accept();
            return settings->result();
        }
        return int(QDialog::Rejected);   // the main window: closed at once
    };
    CMeterApp app(prompter, [&](const StartSettings &s) {
        CMeterDlg window(port, clock, prompter);
        window.setLineSettings(s.baudRate, s.parity, s.commPort);
        window.OnInitDialog();
        window.waitForLine();
        prompter.exec(window);
    });
    app.InitInstance();
    EXPECT_TRUE(app.mainWindowShown());
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], QStringLiteral("通讯设置"));
    EXPECT_EQ(titles[1], QStringLiteral("RD5800智能电力检测仪--Velmora(Ver 2.0)"));
    EXPECT_EQ(port.openedWith, std::vector<QString>{QStringLiteral("9600,N,8,1")});
    EXPECT_EQ(port.portNumber(), 1);
    EXPECT_FALSE(port.isOpen());   // closed with the window
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), QColor(181, 240, 249));
    EXPECT_EQ(QApplication::palette().color(QPalette::WindowText), QColor(Qt::black));
    // A disabled button ("写入" until "修改") must not look like an enabled one.
    EXPECT_NE(QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::black));
}

TEST(MeterStartUp, PortNumberIsPassedOnUnchecked)
{
    struct Case {
        const char *typed;
        std::optional<int> port;   // empty: refused, the dialog stays open
    } cases[] = {{"0", 0}, {"-3", -3}, {"12", 12}, {"", std::nullopt}, {"-", std::nullopt}};
    for (const Case &c : cases) {
        ScriptedPrompter prompter;
        std::optional<int> passed;
        prompter.answer = [&](QDialog &dialog) {
            auto &settings = static_cast<CCommSetDlg &>(dialog);
            settings.portEdit()->setText(QString::fromLatin1(c.typed));
            settings.accept();
            return settings.result();
        };
        CMeterApp app(prompter, [&](const StartSettings &s) { passed = s.commPort; });
        app.InitInstance();
        EXPECT_EQ(passed, c.port) << c.typed;
        EXPECT_EQ(prompter.messages.size(), c.port ? 0u : 1u) << c.typed;
    }
}

TEST(MeterStartUp, RadioButtonsStayExclusive)
{
    ScriptedPrompter prompter;
    std::optional<StartSettings> passed;
    prompter.answer = [&](QDialog &dialog) {
        auto &d = static_cast<CCommSetDlg &>(dialog);
        d.baudButton(0)->click();     // 1200
        d.baudButton(0)->click();     // clicking the checked one keeps it checked
        d.parityButton(2)->click();   // even
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(d.baudButton(i)->isChecked(), i == 0) << i;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(d.parityButton(i)->isChecked(), i == 2) << i;
        d.baudButton(4)->click();     // 19200
        EXPECT_FALSE(d.baudButton(0)->isChecked());
        d.accept();
        return d.result();
    };
    CMeterApp app(prompter, [&](const StartSettings &s) { passed = s; });
    app.InitInstance();
    ASSERT_TRUE(passed.has_value());
    EXPECT_EQ(passed->baudRate, 19200);
    EXPECT_EQ(passed->parity, rdlink::Parity::Even);
}

TEST(MeterStartUp, SettingsDialogShowsTheDeviceOfThePortNumber)
{
    qputenv("RD5800_COM7", "/dev/ttyFAKE7");
    CCommSetDlg dialog;
    dialog.m_commPort = 7;
    dialog.loadFields();
    EXPECT_TRUE(dialog.deviceLabel()->text().contains(QStringLiteral("/dev/ttyFAKE7")));
    dialog.portEdit()->setText(QStringLiteral("9999"));
    EXPECT_EQ(dialog.deviceLabel()->text(), QStringLiteral("设备：无"));
    qunsetenv("RD5800_COM7");
}

TEST(MeterStartUp, SettingsDialogShowsWhereAGatewayPortLeads)
{
    const struct {
        const char *name;
        const char *shown;    // the label, where it fits
        const char *detail;   // in the tooltip and the screen reader's description
    } cases[] = {
        {"modbus-tcp://192.168.100.200:502", nullptr, "Modbus TCP 网关 192.168.100.200:502"},
        {"tcp://gw:4196", "设备：gw:4196", "透明网关 gw:4196"},
        {"tcp://gw:0", "设备：gw:0", "不在 1..65535 之内"},
        {"tcp://gw", "设备：gw", "格式不对"},
        {"tcp://10.0.0.5:70000", "设备：10.0.0.5:70000", "不在 1..65535 之内"},
    };
    for (const auto &c : cases) {
        qputenv("RD5800_COM7", c.name);
        CCommSetDlg dialog;
        dialog.m_commPort = 7;
        dialog.loadFields();
        const QLabel *label = dialog.deviceLabel();
        // As much of the URL as the label holds; all of it where it fits.
        EXPECT_TRUE(label->text().startsWith(QStringLiteral("设备：")));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << c.name;
        if (c.shown) {
            EXPECT_EQ(label->text(), QString::fromUtf8(c.shown));
        }
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(const_cast<QLabel *>(label));
        const QString description = a->text(QAccessible::Description);
        EXPECT_TRUE(description.contains(QString::fromUtf8(c.detail))) << description.toStdString();
        EXPECT_EQ(label->toolTip(), description);
        if (QString::fromUtf8(c.detail).contains(QStringLiteral("网关"))) {
            EXPECT_TRUE(description.contains(QLatin1String(c.name))) << description.toStdString();
        }
    }
    qunsetenv("RD5800_COM7");
}

TEST(MeterStartUp, ChoicesMadeByAScreenReaderAreTaken)
{
    // Buttons checked without a click: by a screen reader's toggle action or by
    // code. The settings handed on follow the buttons the user sees checked.
    using Way = std::function<void(QRadioButton *)>;
    const std::pair<const char *, Way> ways[] = {
        {"toggle action", [](QRadioButton *b) {
             QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
                 QAccessibleActionInterface::toggleAction());
         }},
        {"checked by code", [](QRadioButton *b) { b->setChecked(true); }},
    };
    for (const auto &[how, choose] : ways) {
        CCommSetDlg d;
        d.m_commPort = 1;
        d.loadFields();
        choose(d.baudButton(1));     // 2400
        choose(d.parityButton(1));   // odd
        d.accept();
        EXPECT_EQ(d.m_baudRate, 2400) << how;
        EXPECT_EQ(d.m_parity, rdlink::Parity::Odd) << how;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(d.baudButton(i)->isChecked(), i == 1) << how << i;
            EXPECT_EQ(QAccessible::queryAccessibleInterface(d.baudButton(i))->role(), QAccessible::RadioButton);
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(QAccessible::queryAccessibleInterface(d.parityButton(i))->role(), QAccessible::RadioButton);
    }
}

} // namespace
