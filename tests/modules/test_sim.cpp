// nolvex's windows over the real serial adapter against the simulated meter: the
// relay follows what was written, and the analog output and energy pulse settings
// read back as written. Real time: each block write takes its twelve or six waits.
#include "Controls.h"
#include "link/Exchange.h"
#include "link/LinkWorker.h"
#include "link/QtSerialPort.h"
#include "ScriptedPrompter.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace rdtest;
using rdmod::CAnalogOutDlg;
using rdmod::CModuleSetDlg;
using rdmod::CPulseSetDlg;

namespace {

template <class T>
T *Named(QWidget *root, const char *name)
{
    T *control = FindNamed<T>(root, U(name));
    if (!control)
        ADD_FAILURE() << "no control named " << name;
    return control;
}

class SimulatedMeter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_log = m_dir.filePath(QStringLiteral("sim.log"));
        m_sim.setProgram(QStringLiteral(RD_SIM_PATH));
        m_sim.setArguments({QStringLiteral("--freeze"), QStringLiteral("--modules"), QStringLiteral("0x15"),
                            QStringLiteral("--log"), m_log});
        m_sim.start();
        ASSERT_TRUE(m_sim.waitForStarted(5000));
        while (!m_sim.canReadLine())
            ASSERT_TRUE(m_sim.waitForReadyRead(5000)) << "the simulator printed no device";
        const QString device = QString::fromUtf8(m_sim.readLine()).trimmed();
        ASSERT_FALSE(device.isEmpty());
        qputenv("RD5800_COM1", device.toUtf8());
    }

    void TearDown() override
    {
        m_sim.terminate();
        if (!m_sim.waitForFinished(3000))
            m_sim.kill();
        m_sim.waitForFinished(3000);
    }

    // The relay outputs: high byte of register 0x0020, read on a port of its own.
    int RelayOutputs()
    {
        rdlink::QtSerialPort port;
        if (!rdlink::OpenPort(port, 1, rdlink::LineSettings{}))
            return -1;
        rdlink::Link link(port, rdlink::SystemClock());
        rdlink::ExchangeOptions options;
        options.discardFirst = true;
        options.waitMs = 200;
        const rdlink::ExchangeResult reply = link.Exchange(rdlink::BuildRead(1, 0x0020, 1), options);
        const int relays = reply.ok() ? reply.reg(0) >> 8 : -1;
        rdlink::ClosePortIfOpen(port);
        return relays;
    }

    // Pulls the simulated adapter (SIGUSR1) and waits, in real time, until the
    // simulator has logged it.
    bool Unplug()
    {
        ::kill(pid_t(m_sim.processId()), SIGUSR1);
        for (int i = 0; i < 300; ++i) {
            if (Log().contains(QLatin1String("vanished")))
                return true;
            QThread::msleep(10);
        }
        return false;
    }

    QString Log()
    {
        QFile file(m_log);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Lets every posted operation run, in real time, and its outcome reach its window.
    void Settle()
    {
        for (int round = 0; round < 8; ++round) {
            m_worker.drain();
            QCoreApplication::processEvents();
        }
    }

    ScriptedPrompter m_prompter;
    rdlink::QtSerialPort m_port;
    rdlink::LinkWorker m_worker{m_port, rdlink::SystemClock()};
    rdmod::ModuleContext m_context{m_worker, m_prompter};

private:
    QTemporaryDir m_dir;
    QString m_log;
    QProcess m_sim;
};

} // namespace

TEST_F(SimulatedMeter, RelayFollowsTheWrittenU1Setting)
{
    CModuleSetDlg dialog(m_context);
    dialog.OnInitDialog();
    Settle();
    ASSERT_EQ(dialog.moduleIndex(), 0);
    ASSERT_NE(dialog.pulseWindow(), nullptr);
    ASSERT_NE(dialog.analogWindow(), nullptr);

    // Operate at 100 V, reset at 50 V: U1 (about 230 V) keeps the relay operated.
    Named<QComboBox>(&dialog, "继电器OUT1 控制方式")->setCurrentIndex(1);   // "U1电压控制"
    Type(&dialog, "继电器OUT1 启动值", "100");
    Type(&dialog, "继电器OUT1 复归值", "50");
    for (const char *field : {"继电器OUT1 启动延时", "继电器OUT1 复归延时", "继电器OUT1 脉冲宽度",
                              "继电器OUT2 启动值", "继电器OUT2 复归值", "继电器OUT2 启动延时",
                              "继电器OUT2 复归延时", "继电器OUT2 脉冲宽度"})
        Type(&dialog, field, "0");
    Named<QComboBox>(&dialog, "继电器OUT2 控制方式")->setCurrentIndex(0);   // "复归(断开)"
    Named<QPushButton>(&dialog, "确定")->click();
    Settle();
    ASSERT_EQ(m_prompter.messages, (std::vector<QString>{U("参数设置成功")}));
    EXPECT_TRUE(Log().contains(QLatin1String("write 1000 to 0x0312"))) << Log().toStdString();
    EXPECT_EQ(RelayOutputs() & 0x03, 0x01);

    // Operate at 6000 V, reset at 5000 V: the relay resets.
    Type(&dialog, "继电器OUT1 启动值", "6000");
    Type(&dialog, "继电器OUT1 复归值", "5000");
    Named<QPushButton>(&dialog, "确定")->click();
    Settle();
    ASSERT_EQ(m_prompter.messages.size(), 2u);
    EXPECT_EQ(m_prompter.messages[1], U("参数设置成功"));
    EXPECT_EQ(RelayOutputs() & 0x03, 0x00);

    // Read back by choosing the module shown again.
    Type(&dialog, "继电器OUT1 启动值", "1");
    Choose(&dialog, "模块名称", 0);
    Settle();
    EXPECT_EQ(Named<QLineEdit>(&dialog, "继电器OUT1 启动值")->text(), U("6000.000"));
    EXPECT_EQ(Named<QLineEdit>(&dialog, "继电器OUT1 复归值")->text(), U("5000.000"));
}

TEST_F(SimulatedMeter, AnalogRangeAndPulseSettingsReadBack)
{
    {
        CAnalogOutDlg analog(m_context);
        analog.OnInitDialog();
        Settle();
        ASSERT_EQ(analog.moduleIndex(), 0);
        Named<QComboBox>(&analog, "电流输出1路 输出参数选择")->setCurrentIndex(3);    // "P1有功"
        Type(&analog, "电流输出1路 4mA", "-500");
        Type(&analog, "电流输出1路 20mA", "2000");
        Named<QComboBox>(&analog, "电流输出2路 输出参数选择")->setCurrentIndex(24);   // "F频率"
        Type(&analog, "电流输出2路 4mA", "45");
        Type(&analog, "电流输出2路 20mA", "55");
        Named<QPushButton>(&analog, "确认")->click();
        Settle();
        ASSERT_EQ(m_prompter.messages, (std::vector<QString>{U("参数设置成功")}));

        CPulseSetDlg pulse(m_context);
        Type(&pulse, "电能脉冲值", "3");
        Type(&pulse, "电能脉冲宽度", "7");
        Named<QPushButton>(&pulse, "确认")->click();
        Settle();
    }
    CAnalogOutDlg analog(m_context);
    analog.OnInitDialog();
    Settle();
    EXPECT_EQ(Named<QComboBox>(&analog, "电流输出1路 输出参数选择")->currentText(), U("P1有功"));
    EXPECT_EQ(Named<QLineEdit>(&analog, "电流输出1路 4mA")->text(), U("-500.000"));
    EXPECT_EQ(Named<QLineEdit>(&analog, "电流输出1路 20mA")->text(), U("2000.000"));
    EXPECT_EQ(Named<QComboBox>(&analog, "电流输出2路 输出参数选择")->currentText(), U("F频率"));
    EXPECT_EQ(Named<QLineEdit>(&analog, "电流输出2路 4mA")->text(), U("45.000"));
    EXPECT_EQ(Named<QLineEdit>(&analog, "电流输出2路 20mA")->text(), U("55.000"));

    CPulseSetDlg pulse(m_context);
    pulse.OnInitDialog();
    Settle();
    EXPECT_EQ(Named<QLineEdit>(&pulse, "电能脉冲值")->text(), U("3"));
    EXPECT_EQ(Named<QLineEdit>(&pulse, "电能脉冲宽度")->text(), U("7"));
    EXPECT_EQ(m_prompter.messages.size(), 1u);
}

TEST_F(SimulatedMeter, EveryWindowTellsOfAPulledAdapterAndSendsNothing)
{
    CModuleSetDlg dialog(m_context);
    dialog.OnInitDialog();
    Settle();
    ASSERT_NE(dialog.pulseWindow(), nullptr);
    ASSERT_NE(dialog.analogWindow(), nullptr);
    ASSERT_TRUE(m_prompter.messages.empty());
    ASSERT_TRUE(Unplug());
    const QString logBefore = Log();

    // Each operation of each window: a write of the fields as read, and a read.
    Named<QPushButton>(&dialog, "确定")->click();
    Settle();
    Choose(&dialog, "模块名称", 1);
    Settle();
    Named<QPushButton>(dialog.analogWindow(), "确认")->click();
    Settle();
    Named<QPushButton>(dialog.pulseWindow(), "确认")->click();
    Settle();
    dialog.pulseWindow()->OnInitDialog();
    Settle();
    dialog.analogWindow()->OnInitDialog();
    Settle();
    ASSERT_EQ(m_prompter.messages.size(), 6u);
    for (const QString &message : m_prompter.messages) {
        EXPECT_TRUE(message.contains(QLatin1String("COM1"))) << message.toStdString();
        EXPECT_FALSE(message.contains(U("成功"))) << message.toStdString();
    }
    EXPECT_EQ(Log(), logBefore);
}
