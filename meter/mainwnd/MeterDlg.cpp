#include "MeterDlg.h"

#include "HarmonicChart.h"
#include "HelpDlg.h"
#include "Lamp.h"
#include "common/widgets/AccessibleNames.h"
#include "meter/app/Prompter.h"
#include "meter/commands/CommandRules.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

static void InitMeterResources()
{
    // The images live in a static library; make sure its resources are registered.
    Q_INIT_RESOURCE(meter);
}

namespace {

const QString kRun = QStringLiteral("运行");
const QString kStop = QStringLiteral("停止");
const QString kNolvex = QStringLiteral("nolvex");

int PollPeriodFor(int baudRate)
{
    switch (baudRate) {
    case 1200: return 2000;
    case 2400: return 1500;
    case 4800: return 1000;
    case 19200: return 400;
    default: return 800;
    }
}

} // namespace

CMeterDlg::CMeterDlg(rdlink::SerialPort &port, rdlink::Clock &clock, Prompter &prompter, QWidget *parent)
    : QDialog(parent),
      m_link(port, clock),
      m_prompter(prompter),
      m_poll(m_link, m_state, *this),
      m_commands(*this)
{
    InitMeterResources();
    setWindowTitle(QStringLiteral("RD5800智能电力检测仪--Velmora(Ver 2.0)"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/meter/meter_icon.xpm")));
    m_panel.Build(this);

    m_locate = [] {
        return LocateProgram(kNolvex, QCoreApplication::applicationDirPath(), QDir::currentPath());
    };
    m_start = StartDetached;

    connect(&m_timer1, &QTimer::timeout, this, [this] { OnTimer1(); });
    connect(&m_timer2, &QTimer::timeout, this, [this] { OnTimer2(); });

    connect(m_panel.runStop, &QPushButton::clicked, this, [this] { OnRunStop(); });
    connect(m_panel.moduleSettings, &QPushButton::clicked, this, [this] { OnModuleSettings(); });
    connect(m_panel.help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(m_panel.exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_panel.commSettings, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnCommSettings(); }); });
    connect(m_panel.meterSettings, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnMeterSettings(); }); });
    connect(m_panel.changeAddress, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnChangeAddress(); }); });
    connect(m_panel.search, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnStartSearch(); }); });
    connect(m_panel.pulseModify, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnPulseModify(); }); });
    connect(m_panel.pulseWrite, &QPushButton::clicked, this, [this] { Command([this] { m_commands.OnPulseWrite(); }); });
}

CMeterDlg::~CMeterDlg()
{
    m_timer1.stop();
    m_timer2.stop();
    rdlink::ClosePortIfOpen(m_link.port());
}

void CMeterDlg::setLineSettings(int baudRate, int parity, int commPort)
{
    m_state.baudRate = baudRate;
    m_state.parity = parity;
    m_state.commPort = commPort;
}

void CMeterDlg::OnInitDialog()
{
    m_panel.slaveAddress->setText(QString::number(m_state.slaveAddress));
    m_state.running = false;
    m_portOpenedAtStart = true;
    m_state.ptRatio = 1;
    m_state.ctRatio = 1;
    m_state.wiringMode = 0;
    m_state.pollPeriodMs = PollPeriodFor(m_state.baudRate);
    m_state.portSettings = rdlink::SettingsText(m_state.baudRate, m_state.parity);
    m_timer1.setInterval(m_state.pollPeriodMs);
    m_timer2.setInterval(m_state.pollPeriodMs);

    OpenPortOrTell();

    setStatusText(rdcmd::LinkStatusText(m_state.commPort, m_state.baudRate, m_state.parity, true));
    m_panel.attemptCount->setText(QStringLiteral("0"));
    m_panel.successRate->setText(QStringLiteral("0"));
    m_panel.harmonicItem->setCurrentIndex(0);
    m_panel.chart->setRowValues(rdacq::ChartStartValues());
    setPulseEditing(false);
    rdwidgets::SetCaption(m_panel.runStop, kRun);
}

bool CMeterDlg::OpenPortOrTell()
{
    rdlink::SerialPort &port = m_link.port();
    if (rdlink::OpenPort(port, m_state.commPort, m_state.portSettings))
        return true;
    m_prompter.message(this, rdlink::PortOpenFailureText(m_state.commPort, port.deviceName(),
                                                         port.errorString()));
    return false;
}

bool CMeterDlg::reopenPort()
{
    return OpenPortOrTell();
}

void CMeterDlg::OnRunStop()
{
    stopTimer2();
    reloadFields(true);
    m_state.running = !m_state.running;
    if (m_state.running) {
        // The port is opened exactly when it is closed: after Stop, after the
        // module settings, or when it could not be opened before.
        if (!m_link.port().isOpen())
            OpenPortOrTell();
        m_portOpenedAtStart = false;
        startTimer1();
        rdwidgets::SetCaption(m_panel.runStop, kStop);
    } else {
        stopTimer1();
        rdlink::ClosePortIfOpen(m_link.port());
        rdwidgets::SetCaption(m_panel.runStop, kRun);
    }
}

void CMeterDlg::OnModuleSettings()
{
    stopTimer1();
    m_state.running = false;
    rdlink::ClosePortIfOpen(m_link.port());
    rdwidgets::SetCaption(m_panel.runStop, kRun);

    const QString path = m_locate ? m_locate() : QString();
    if (path.isEmpty()) {
        m_prompter.message(this, QStringLiteral("无法启动模块设置程序 %1：在程序目录、当前目录和 PATH 中都找不到它。")
                                     .arg(kNolvex));
        return;
    }
    if (!m_start || !m_start(path))
        m_prompter.message(this, QStringLiteral("无法启动模块设置程序 %1 (%2)。").arg(kNolvex, path));
}

void CMeterDlg::OnHelp()
{
    auto *notes = new CHelpDlg(this);
    notes->setAttribute(Qt::WA_DeleteOnClose);
    notes->show();
}

void CMeterDlg::OnTimer1()
{
    rdlink::SerialPort &port = m_link.port();
    const bool wasOpen = port.isOpen();
    m_poll.RunTick();
    ShowTrace();
    if (wasOpen && !port.isOpen()) {
        // The device went away (unplugged adapter): polling stops first, so this
        // one message cannot repeat, and Run opens the port again.
        stopTimer1();
        m_state.running = false;
        rdwidgets::SetCaption(m_panel.runStop, kRun);
        m_prompter.message(this, rdlink::PortLostText(m_state.commPort, port.deviceName(), port.errorString())
                                     + QStringLiteral("\r\n轮询已停止，接好后请按\"运行\"。"));
    }
}

void CMeterDlg::OnTimer2()
{
    // Nothing can be probed on a closed port; the search waits where it is.
    if (!m_link.port().isOpen())
        return;
    m_commands.OnSearchTick();
    ShowTrace();
}

void CMeterDlg::Command(const std::function<void()> &run)
{
    run();
    ShowTrace();
}

void CMeterDlg::ShowTrace()
{
    m_panel.sentTrace->setText(m_link.sentTrace());
}

void CMeterDlg::startTimer1()
{
    m_timer1.start(m_state.pollPeriodMs);
}

void CMeterDlg::stopTimer1()
{
    m_timer1.stop();
}

void CMeterDlg::startTimer2()
{
    m_timer2.start(m_state.pollPeriodMs);
}

void CMeterDlg::stopTimer2()
{
    m_timer2.stop();
}

void CMeterDlg::reloadFields(bool userAction)
{
    // The same strict whole-number reading as the command dialogs.
    const rdcmd::NumberCheck address = rdcmd::CheckWholeNumber(m_panel.slaveAddress->text(), 0, 255);
    if (address.ok) {
        m_state.slaveAddress = static_cast<uint8_t>(address.value);
    } else if (userAction) {
        // Only the user's own action gets the message; a tick keeps the previous
        // address silently, since a box per tick would stack without end.
        m_prompter.message(this, address.notANumber ? rdcmd::NotANumberMessage() : rdcmd::OutOfRangeMessage(0, 255));
    }
    // The pulse width text and the combo text are read where they are used.
}

void CMeterDlg::setStatusText(const QString &text)
{
    m_statusText = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_panel.status->setPlainText(shown);
}

void CMeterDlg::setAddressText(const QString &text)
{
    m_panel.slaveAddress->setText(text);
}

QString CMeterDlg::pulseWidthText()
{
    return m_panel.pulseWidth->text();
}

void CMeterDlg::setPulseEditing(bool editing)
{
    m_panel.pulseWidth->setReadOnly(!editing);
    m_panel.pulseModify->setEnabled(!editing);
    m_panel.pulseWrite->setEnabled(editing);
}

int CMeterDlg::harmonicItem()
{
    return m_panel.harmonicItem->findText(m_panel.harmonicItem->currentText(), Qt::MatchExactly);
}

void CMeterDlg::showModules(const std::array<bool, 6> &lit)
{
    for (int i = 0; i < 6; ++i)
        m_panel.lamps[6 + i]->setOn(lit[i]);
}

void CMeterDlg::showDeviceInfo(const QString &pulseWidth, const QString &accuracy)
{
    m_panel.pulseWidth->setText(pulseWidth);
    m_panel.accuracy->setText(accuracy);
}

void CMeterDlg::showLinkStats(const rdacq::LinkStats::Texts &texts)
{
    m_panel.attemptCount->setText(texts.attempts);
    m_panel.successRate->setText(texts.rate);
}

void CMeterDlg::showMeasurements(const rdacq::MeasurementTexts &t)
{
    for (int r = 0; r < rdacq::kGridRows; ++r)
        for (int c = 0; c < 4; ++c)
            m_panel.grid[r][c]->setText(t.grid[r][c]);
    m_panel.frequency->setText(t.frequency);
    for (int i = 0; i < 6; ++i)
        m_panel.lamps[i]->setOn(t.inputs[i]);
    for (int i = 0; i < 6; ++i)
        m_panel.relays[i]->setText(t.relays[i]);
    for (int i = 0; i < 4; ++i)
        m_panel.energy[i]->setText(t.energy[i]);
}

void CMeterDlg::showCounters(const std::array<QString, 6> &texts)
{
    for (int i = 0; i < 6; ++i)
        m_panel.counters[i]->setText(texts[i]);
}

void CMeterDlg::showHarmonics(const rdacq::HarmonicView &view)
{
    m_panel.fundamental->setText(view.fundamentalText);
    for (int i = 0; i < 6; ++i)
        m_panel.scaleLabels[i]->setText(view.scaleLabels[i]);
    // An empty range would make the bar a busy indicator; scale 0 shows it empty.
    if (view.barMaximum > 0) {
        m_panel.fundamentalBar->setRange(0, view.barMaximum);
        m_panel.fundamentalBar->setValue(view.barValue);
    } else {
        m_panel.fundamentalBar->setRange(0, 1);
        m_panel.fundamentalBar->setValue(0);
    }
    m_panel.chart->setRowValues(view.chart);
}
