// The configuration commands against the simulated instrument, as a user works
// them: the main window over the real serial port adapter on the simulator's
// pseudo-terminal, real time. Poll ticks and search ticks are called directly to
// hurry them along; the window's own timers run too, so the checks look at what
// the ticks achieved, not at how many there were. After each click the test waits
// until the link worker's jobs are done and their results shown.
#include "link/QtSerialPort.h"
#include "meter/dialogs/CommSetDlg.h"
#include "ScriptedPrompter.h"
#include "meter/dialogs/AddrDlg.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class CommandsAgainstSimulator : public ::testing::Test {
protected:
    // Starts the simulator with extra options and opens the main window on it at
    // the given start-up baud rate, as the settings dialog would have left it.
    void Start(const QStringList &simOptions, int baudRate = 9600)
    {
        ASSERT_TRUE(m_dir.isValid());
        m_link = m_dir.filePath(QStringLiteral("com1"));
        m_log = m_dir.filePath(QStringLiteral("sim.log"));
        m_sim.setProgram(QStringLiteral(RD_SIM_PATH));
        m_sim.setArguments(QStringList{"--link", m_link, "--log", m_log, "--freeze"} + simOptions);
        m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_sim.start();
        ASSERT_TRUE(m_sim.waitForStarted(5000));
        ASSERT_TRUE(m_sim.waitForReadyRead(5000)) << "the simulator printed no device";
        qputenv("RD5800_COM1", m_link.toLocal8Bit());

        m_window = std::make_unique<CMeterDlg>(m_port, rdlink::SystemClock(), m_prompter);
        QObject::connect(m_window.get(), &CMeterDlg::readingTaken, [this] { ++m_successes; });
        m_window->setLineSettings(baudRate, rdlink::Parity::None, 1);
        m_window->OnInitDialog();
        m_window->waitForLine();
        ASSERT_TRUE(m_port.isOpen()) << m_port.errorString().toStdString();
        ASSERT_TRUE(m_prompter.messages.empty());
    }

    void TearDown() override
    {
        m_window.reset();
        if (m_sim.state() != QProcess::NotRunning) {
            m_sim.terminate();
            if (!m_sim.waitForFinished(5000)) {
                m_sim.kill();
                m_sim.waitForFinished(5000);
            }
        }
    }

    CMeterDlg &window() { return *m_window; }
    const MeterState &state() const { return m_window->state(); }

    // Clicks a button of the window and waits for the line work it started.
    void Click(QPushButton *button)
    {
        button->click();
        m_window->waitForLine();
    }

    // The user types the slave address into the box (it shows 0 at start-up) and
    // presses Run; polling runs from then on.
    void UseAddress(int address)
    {
        m_window->panel().slaveAddress->setText(QString::number(address));
        Click(m_window->panel().runStop);
    }

    // One poll tick; true when a measurement reply was found. While polling runs
    // its timer keeps posting ticks, so this waits for the next good reading
    // rather than for an idle line.
    bool Poll()
    {
        const int before = m_successes;
        m_window->onPollTick();
        return QTest::qWaitFor([&] { return m_successes > before; }, 10000);
    }

    QStringList Messages()
    {
        QStringList out;
        for (const QString &m : m_prompter.messages)
            out << m;
        m_prompter.messages.clear();
        return out;
    }

    // Lines of the simulator's log that contain text.
    QStringList LogLines(const QString &text)
    {
        QFile f(m_log);
        QStringList out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')))
            if (line.contains(text))
                out << line;
        return out;
    }

    ScriptedPrompter m_prompter;

private:
    int m_successes = 0;   // poll ticks with a good measurement reply
    QTemporaryDir m_dir;
    QString m_link, m_log;
    QProcess m_sim;
    rdlink::QtSerialPort m_port;
    std::unique_ptr<CMeterDlg> m_window;
};

TEST_F(CommandsAgainstSimulator, PtCtAndWiringFollowInThePoll)
{
    Start({});
    UseAddress(1);
    ASSERT_TRUE(Poll());
    const QString voltageBefore = window().panel().grid[0][1]->text();
    EXPECT_EQ(state().ptRatio, 1u);

    m_prompter.answer = [](QDialog &d) {
        auto &dlg = static_cast<CMeterSetDlg &>(d);
        dlg.ptEdit()->setText(QStringLiteral("100"));
        dlg.ctEdit()->setText(QStringLiteral("5"));
        dlg.wiringButton(3)->click();
        dlg.accept();
        return dlg.result();
    };
    Click(window().panel().meterSettings);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("设置仪表参数成功")});
    EXPECT_TRUE(window().pollingActive());
    EXPECT_EQ(LogLines(QStringLiteral("write 100 to 0x0307")).size(), 1);

    ASSERT_TRUE(Poll());
    EXPECT_EQ(state().ptRatio, 100u);
    EXPECT_EQ(state().ctRatio, 5u);
    EXPECT_EQ(state().wiringMode, 3);
    EXPECT_NE(window().panel().grid[0][1]->text(), voltageBefore);   // scaled by the new PT
}

TEST_F(CommandsAgainstSimulator, NewSlaveAddressKeepsPolling)
{
    Start({});
    UseAddress(1);
    ASSERT_TRUE(Poll());

    m_prompter.answer = [](QDialog &d) {
        auto &dlg = static_cast<CAddrDlg &>(d);
        dlg.addressEdit()->setText(QStringLiteral("9"));
        dlg.accept();
        return dlg.result();
    };
    Click(window().panel().changeAddress);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(state().slaveAddress, 9);
    EXPECT_EQ(window().panel().slaveAddress->text(), QStringLiteral("9"));

    ASSERT_TRUE(Poll());
    ASSERT_TRUE(Poll());
    EXPECT_EQ(state().slaveAddress, 9);
}

TEST_F(CommandsAgainstSimulator, SearchFindsTheInstrumentAtFive)
{
    Start({"--address", "5"});
    Click(window().panel().search);
    EXPECT_FALSE(window().pollingActive());
    ASSERT_TRUE(window().searchActive());
    // The search timer runs in real time too, so the test's own ticks may be
    // fewer than the probes: where the search stopped is what counts.
    for (int ticks = 0; window().searchActive() && ticks < 10; ++ticks) {
        window().onSearchTick();
        window().waitForLine();
    }
    EXPECT_EQ(window().nextSearchAddress(), 6);   // probed 1 to 5, then stopped
    EXPECT_FALSE(window().searchActive());
    EXPECT_FALSE(window().pollingActive());
    EXPECT_EQ(state().slaveAddress, 5);
    EXPECT_EQ(window().panel().slaveAddress->text(), QStringLiteral("5"));
    EXPECT_EQ(window().statusText(), QStringLiteral("串行口:1\r\n\r\n波特率:9600\r\n\r\n校验位:无校验"));

    Click(window().panel().runStop);   // Run resumes polling at the found address
    EXPECT_TRUE(window().pollingActive());
    EXPECT_TRUE(Poll());
}

TEST_F(CommandsAgainstSimulator, BaudRateChangeTo19200KeepsCommunicating)
{
    Start({});
    UseAddress(1);
    ASSERT_TRUE(Poll());

    m_prompter.answer = [](QDialog &d) {
        auto &dlg = static_cast<CCommSetDlg &>(d);
        dlg.baudButton(4)->click();   // 19200
        dlg.accept();
        return dlg.result();
    };
    Click(window().panel().commSettings);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("改变波特率成功")});
    EXPECT_EQ(state().baudRate, 19200);
    EXPECT_EQ(rdlink::SettingsText(state().lineSettings()), QStringLiteral("19200,N,8,1"));
    EXPECT_EQ(window().timerInterval(), 800);
    EXPECT_TRUE(window().statusText().contains(QStringLiteral("波特率: 19200 ")));

    EXPECT_TRUE(Poll());
    EXPECT_TRUE(Poll());
}

TEST_F(CommandsAgainstSimulator, PulseWidthWrittenComesBackInThePoll)
{
    Start({});
    UseAddress(1);
    ASSERT_TRUE(Poll());

    Click(window().panel().pulseModify);
    EXPECT_FALSE(window().pollingActive());
    EXPECT_FALSE(window().panel().pulseWidth->isReadOnly());
    window().panel().pulseWidth->setText(QStringLiteral("300"));
    Click(window().panel().pulseWrite);
    EXPECT_EQ(Messages().size(), 1);                             // refused, nothing sent
    EXPECT_FALSE(window().panel().pulseWidth->isReadOnly());
    window().panel().pulseWidth->setText(QStringLiteral("25"));
    Click(window().panel().pulseWrite);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_TRUE(window().pollingActive());
    EXPECT_TRUE(window().panel().pulseWidth->isReadOnly());

    ASSERT_TRUE(Poll());
    EXPECT_EQ(window().panel().pulseWidth->text(), QStringLiteral("25"));
    EXPECT_EQ(LogLines(QStringLiteral("to 0x0306")).size(), 1);
}

} // namespace
