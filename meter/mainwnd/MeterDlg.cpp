#include "MeterDlg.h"

#include "MeterLine.h"

#include "HarmonicChart.h"
#include "HelpDlg.h"
#include "Lamp.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/Prompter.h"
#include "common/widgets/WindowPlacement.h"
#include "meter/commands/CommandRules.h"
#include "meter/overview/OverviewWindow.h"
#include "link/PortName.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSettings>

#include <atomic>

static void InitMeterResources()
{
    // The images live in a static library; make sure its resources are registered.
    Q_INIT_RESOURCE(meter);
}

namespace {

// Functions, not constants: the texts follow the language installed at start.
QString RunText() { return QCoreApplication::translate("MeterDlg", "运行"); }
QString StopText() { return QCoreApplication::translate("MeterDlg", "停止"); }
const QString kNolvex = QStringLiteral("nolvex");

// With "快速刷新" the timer only keeps a tick queued behind the one on the line
// (at most two are pending), so ticks follow each other back to back.
constexpr int kFastPollMs = 50;

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

// A box is given a reading's text only when the text differs: a line edit given
// the text it already shows lays it out and repaints it all the same, and a
// repaint of the read-only boxes is most of what a poll tick costs the window.
void Show(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

CMeterDlg::CMeterDlg(rdlink::SerialPort &port, rdlink::Clock &clock, Prompter &prompter, QWidget *parent)
    : QDialog(parent),
      m_prompter(prompter),
      m_line(std::make_shared<Line>()),
      m_worker(std::make_unique<rdlink::LinkWorker>(port, clock))
{
    InitMeterResources();
    qRegisterMetaType<rdacq::Reading>();
    setWindowTitle(QCoreApplication::translate("MeterDlg", "RD5800智能电力检测仪--Velmora(Ver 2.0)"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/meter/meter_icon.xpm")));
    // The panel and the strip below it sit on one fixed-size page; on a screen too
    // small for the whole window the page scrolls (fitToScreen).
    m_content = new QWidget(this);
    m_panel.Build(m_content);
    m_extras = new ExtrasBar(*m_worker, m_prompter, m_content);
    m_extras->setGeometry(0, MeterPanel::kHeight, MeterPanel::kWidth, ExtrasBar::kHeight);
    m_content->setFixedSize(MeterPanel::kWidth, MeterPanel::kHeight + ExtrasBar::kHeight);
    setFixedSize(m_content->size());
    followFocus();
    connect(this, &CMeterDlg::readingTaken, m_extras, &ExtrasBar::onReading);
    connect(m_extras, &ExtrasBar::overviewRequested, this, &CMeterDlg::openOverview);
    connect(m_extras, &ExtrasBar::profileRequested, this, [this] { openProfile(); });
    connect(m_extras->fastRefreshBox(), &QCheckBox::toggled, this, [this](bool on) {
        setFastRefresh(on);
        if (m_settingsMaker)
            m_settingsMaker()->setValue(QStringLiteral("main/fastRefresh"), on);
    });

    m_locate = [] {
        return LocateProgram(kNolvex, QCoreApplication::applicationDirPath(), QDir::currentPath());
    };
    m_start = [](const QString &path, const QStringList &arguments) { return StartDetached(path, arguments); };

    connect(&m_pollTimer, &QTimer::timeout, this, [this] { onPollTick(); });
    // A tick takes what the boxes hold when it starts, also when it was queued.
    connect(m_panel.slaveAddress, &QLineEdit::textChanged, this, [this] { publishTickInput(); });
    connect(m_panel.harmonicItem, &QComboBox::currentTextChanged, this, [this] { publishTickInput(); });
    connect(&m_searchTimer, &QTimer::timeout, this, [this] { onSearchTick(); });

    connect(m_panel.runStop, &QPushButton::clicked, this, [this] { OnRunStop(); });
    connect(m_panel.moduleSettings, &QPushButton::clicked, this, [this] { OnModuleSettings(); });
    connect(m_panel.help, &QPushButton::clicked, this, [this] { OnHelp(); });
    connect(m_panel.exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_panel.commSettings, &QPushButton::clicked, this, [this] { OnCommSettings(); });
    connect(m_panel.meterSettings, &QPushButton::clicked, this, [this] { OnMeterSettings(); });
    connect(m_panel.changeAddress, &QPushButton::clicked, this, [this] { OnChangeAddress(); });
    connect(m_panel.search, &QPushButton::clicked, this, [this] { OnStartSearch(); });
    connect(m_panel.pulseModify, &QPushButton::clicked, this, [this] { OnPulseModify(); });
    connect(m_panel.pulseWrite, &QPushButton::clicked, this, [this] { OnPulseWrite(); });
}

CMeterDlg::~CMeterDlg()
{
    disconnect(m_focusFollower);
    m_pollTimer.stop();
    m_searchTimer.stop();
    ++m_line->pollGeneration;
    ++m_line->searchGeneration;
    delete m_overview;   // before the worker it posts to
    delete m_profile;    // the same
    delete m_extras;   // before the worker it reports to
    m_extras = nullptr;
    // Waits for the job in progress and whatever the user confirmed before it,
    // then closes the port; results still on their way are dropped with the window.
    m_worker.reset();
}

const rdacq::LinkStats &CMeterDlg::linkStats() const
{
    return m_line->poll.stats();
}

void CMeterDlg::setLineSettings(int baudRate, rdlink::Parity parity, int commPort)
{
    m_shown.baudRate = baudRate;
    m_shown.parity = parity;
    m_shown.commPort = commPort;
}

void CMeterDlg::OnInitDialog()
{
    m_panel.slaveAddress->setText(QString::number(m_shown.slaveAddress));
    m_running = false;
    m_shown.ptRatio = 1;
    m_shown.ctRatio = 1;
    m_shown.wiringMode = 0;
    m_pollPeriodMs = PollPeriodFor(m_shown.baudRate);
    m_pollTimer.setInterval(m_pollPeriodMs);
    if (m_settingsMaker) {
        const bool fast = m_settingsMaker()->value(QStringLiteral("main/fastRefresh"), false).toBool();
        const QSignalBlocker quiet(m_extras->fastRefreshBox());
        m_extras->fastRefreshBox()->setChecked(fast);
        setFastRefresh(fast);
    }
    m_searchTimer.setInterval(m_pollPeriodMs);

    const MeterState initial = m_shown;
    auto line = m_line;
    m_worker->post([line, initial](rdlink::Link &) { line->state = initial; });
    postOpen();

    setStatusText(rdcmd::LinkStatusText(m_shown.commPort, m_shown.baudRate, m_shown.parity, true));
    m_panel.attemptCount->setText(QStringLiteral("0"));
    m_panel.successRate->setText(QStringLiteral("0"));
    m_panel.harmonicItem->setCurrentIndex(0);
    m_panel.chart->setRowValues(rdacq::ChartStartValues());
    setPulseEditing(false);
    rdwidgets::SetCaption(m_panel.runStop, RunText());
}

void CMeterDlg::setEnteredAddress(int address)
{
    m_panel.slaveAddress->setText(QString::number(address));
}

QString CMeterDlg::portOpenNextStep(const QString &device) const
{
    // What to do after a failed open, then "运行" (which opens the port again).
    if (rdlink::IsNetworkPortName(device))
        return QCoreApplication::translate("MeterDlg", "请启动网关并检查 --port 中的主机和端口，然后按“运行”。");
    return QCoreApplication::translate("MeterDlg", "请插好 USB 转换器并检查 --port (或 RD5800_COM%1) 所指的设备，然后按“运行”。")
        .arg(m_shown.commPort);
}

void CMeterDlg::postOpen(std::function<void(bool open)> done)
{
    // Opens the port exactly when it is closed; a failure is told with the port
    // number, the device, the system's reason and what to do next, and the port
    // stays closed. Only the last open posted tells its failure: the start-up's
    // open and "--run"'s open fail for the same reason, one message says it.
    auto line = m_line;
    const unsigned attempt = ++m_opensPosted;
    m_worker->post([this, self = QPointer<QObject>(this), line, done, attempt](rdlink::Link &link) {
        rdlink::SerialPort &port = link.port();
        QString failure;
        QString device;
        if (!port.isOpen() && !rdlink::OpenPort(port, line->state.commPort, line->state.lineSettings())) {
            device = port.deviceName();
            failure = rdlink::PortOpenFailureText(line->state.commPort, device, port.errorString(),
                                                  port.errorKind());
        }
        const bool open = port.isOpen();
        rdlink::LinkWorker::deliver(self, [this, failure, device, open, done, attempt] {
            m_portOpen = open;
            if (!failure.isEmpty() && attempt == m_opensPosted)
                m_prompter.message(this, failure + QStringLiteral("\r\n") + portOpenNextStep(device));
            if (done)
                done(open);
        });
    });
}

void CMeterDlg::postClose(std::function<void()> done)
{
    m_worker->post([this, self = QPointer<QObject>(this), done](rdlink::Link &link) {
        rdlink::ClosePortIfOpen(link.port());
        rdlink::LinkWorker::deliver(self, [this, done] {
            m_portOpen = false;
            if (done)
                done();
        });
    });
}

void CMeterDlg::postAddress(std::optional<uint8_t> address)
{
    if (!address)
        return;   // an invalid box keeps the address in force
    auto line = m_line;
    const uint8_t value = *address;
    m_worker->post([line, value](rdlink::Link &) { line->state.slaveAddress = value; });
    m_shown.slaveAddress = value;
}

std::optional<uint8_t> CMeterDlg::enteredAddress(bool userAction)
{
    // The same strict whole-number reading as the command dialogs.
    const rdcmd::NumberCheck address = rdcmd::CheckWholeNumber(m_panel.slaveAddress->text(), 0, 255);
    if (address.ok)
        return static_cast<uint8_t>(address.value);
    // Only the user's own action gets the message; a tick keeps the previous
    // address silently, since a box per tick would stack without end.
    if (userAction)
        m_prompter.message(this, address.notANumber ? rdcmd::NotANumberMessage() : rdcmd::OutOfRangeMessage(0, 255));
    return std::nullopt;
}

void CMeterDlg::OnRunStop()
{
    stopSearch();
    postAddress(enteredAddress(true));
    m_running = !m_running;
    if (m_running) {
        if (m_overview)
            m_overview->yieldLine();   // one user of the port at a time
        // The port is opened exactly when it is closed: after Stop, after the
        // module settings, or when it could not be opened before.
        // A port that does not open stops the polling again: the button shows
        // "运行", as nothing is polled, and the message says what to do.
        postOpen([this](bool open) {
            if (!open && m_running) {
                stopPolling();
                m_running = false;
                rdwidgets::SetCaption(m_panel.runStop, RunText());
            }
        });
        startPolling();
        rdwidgets::SetCaption(m_panel.runStop, StopText());
    } else {
        // No request after the tick in progress; the port closes after it.
        stopPolling();
        postClose();
        rdwidgets::SetCaption(m_panel.runStop, RunText());
    }
}

void CMeterDlg::openOverview()
{
    if (!m_overview) {
        m_overview = new OverviewWindow(*this, m_prompter, m_settingsMaker ? m_settingsMaker() : nullptr, this);
        // "与配置文件比较" compares with the profile of the window "配置文件".
        m_overview->setAuditHooks([this] { return m_profile ? m_profile->profile() : std::optional<rdprof::Profile>(); },
                                  [this](uint8_t address) {
                                      openProfile();
                                      m_profile->addressBox()->setValue(address);
                                      m_profile->compare();
                                  });
        rdwidgets::OpenBeside(m_overview, this);
    } else if (!m_overview->isVisible()) {
        rdwidgets::ReopenBeside(m_overview, this);
    }
    m_overview->show();
    m_overview->raise();
    m_overview->activateWindow();
}

void CMeterDlg::openProfile(const QString &file)
{
    if (!m_profile) {
        // The address the user entered, else the one in force.
        const std::optional<uint8_t> entered = enteredAddress(false);
        m_profile = new ProfileWindow(*this, m_prompter, entered ? *entered : m_shown.slaveAddress, this);
        rdwidgets::OpenBeside(m_profile, this);
    } else if (!m_profile->isVisible()) {
        rdwidgets::ReopenBeside(m_profile, this);
    }
    if (!file.isEmpty())
        m_profile->loadProfile(file);
    m_profile->show();
    m_profile->raise();
    m_profile->activateWindow();
}

void CMeterDlg::stopMainPolling()
{
    // What "停止" does, without reading the address box: the overview takes the line.
    stopSearch();
    if (!m_running)
        return;
    m_running = false;
    stopPolling();
    postClose();
    rdwidgets::SetCaption(m_panel.runStop, RunText());
}

void CMeterDlg::pollMeter(uint8_t address)
{
    m_panel.slaveAddress->setText(QString::number(address));
    if (!m_running && m_panel.runStop->isEnabled())
        OnRunStop();
    else
        postAddress(address);
    raise();
    activateWindow();
}

void CMeterDlg::OnModuleSettings()
{
    stopLineWork();
    m_running = false;
    rdwidgets::SetCaption(m_panel.runStop, RunText());

    // nolvex opens the same port: it starts once this program has let go of it.
    setBusy(true);
    postClose([this] {
        setBusy(false);
        const QString path = m_locate ? m_locate() : QString();
        if (path.isEmpty()) {
            m_prompter.message(this, QCoreApplication::translate("MeterDlg", "无法启动模块设置程序 %1：在程序目录、当前目录和 PATH 中都找不到它。")
                                         .arg(kNolvex));
            return;
        }
        if (!m_start || !m_start(path, m_moduleArguments))
            m_prompter.message(this, QCoreApplication::translate("MeterDlg", "无法启动模块设置程序 %1 (%2)。").arg(kNolvex, path));
    });
}

void CMeterDlg::OnHelp()
{
    auto *notes = new CHelpDlg(this);
    notes->setAttribute(Qt::WA_DeleteOnClose);
    if (screen())
        notes->fitToScreen(screen()->availableGeometry());
    rdwidgets::OpenBeside(notes, this);
    notes->show();
}

void CMeterDlg::startPolling()
{
    m_pollResting = false;
    m_pollTimer.start(m_fastRefresh ? kFastPollMs : m_pollPeriodMs);
}

void CMeterDlg::setFastRefresh(bool on)
{
    m_fastRefresh = on;
    if (m_extras->fastRefreshBox()->isChecked() != on) {
        const QSignalBlocker quiet(m_extras->fastRefreshBox());
        m_extras->fastRefreshBox()->setChecked(on);
    }
    m_pollTimer.setInterval(on ? kFastPollMs : m_pollPeriodMs);
    publishTickInput();
}

void CMeterDlg::stopPolling()
{
    m_pollResting = false;
    m_pollTimer.stop();
    ++m_line->pollGeneration;
}

void CMeterDlg::stopLineWork()
{
    // A command ends the address search as well as the poll: the command restarts
    // polling afterwards, and probes between the ticks would change the polled
    // address under the user's eyes. The two never run together.
    stopPolling();
    stopSearch();
}

void CMeterDlg::startSearch()
{
    m_searchTimer.start(m_pollPeriodMs);
}

void CMeterDlg::stopSearch()
{
    m_searchTimer.stop();
    m_probeDue = false;
    ++m_line->searchGeneration;
}

void CMeterDlg::onPollTick()
{
    // A tick that falls due while the last one runs is queued behind it once and
    // starts on the worker as soon as it ends, as the timer of a busy window
    // would; ticks never pile up and never overlap.
    if (m_ticksPending >= 2)
        return;
    postTick();
    // With a tick running and one queued behind it, the timer would only wake this
    // thread to find the queue full (at 9600 baud every other time, with "快速刷新"
    // twenty times a second). It rests until the running tick ends and starts from
    // there: the queued tick follows on the line at once, as before.
    if (m_ticksPending >= 2 && m_pollTimer.isActive()) {
        m_pollTimer.stop();
        m_pollResting = true;
    }
}

void CMeterDlg::publishTickInput()
{
    // What the user has entered, for the next tick to take when it starts.
    const rdacq::TickInput input{enteredAddress(false), harmonicItem(), m_fastRefresh};
    const QMutexLocker lock(&m_line->inputMutex);
    m_line->input = input;
}

void CMeterDlg::postTick()
{
    ++m_ticksPending;
    ++m_ticksPosted;
    publishTickInput();
    auto line = m_line;
    const unsigned generation = line->pollGeneration.load();
    m_worker->post([this, self = QPointer<QObject>(this), line, generation](rdlink::Link &link) {
        if (line->pollGeneration.load() != generation) {
            rdlink::LinkWorker::deliver(self, [this] {
                --m_ticksPending;
                ++m_ticksDone;
            });
            return;   // polling stopped before this tick started
        }
        rdacq::TickInput input;
        {
            const QMutexLocker lock(&line->inputMutex);
            input = line->input;
        }
        rdlink::SerialPort &port = link.port();
        const bool wasOpen = port.isOpen();
        const rdacq::TickResult result = line->poll.RunTick(link, input);
        const bool lost = wasOpen && !port.isOpen();
        const QString lostText = lost ? rdlink::PortLostText(line->state.commPort, port.deviceName(),
                                                             port.errorString())
                                      : QString();
        const MeterState state = line->state;
        const QString trace = link.sentTrace();
        rdlink::LinkWorker::deliver(self, [this, result, state, trace, lost, lostText] {
            applyTick(result, state, trace, lost, lostText);
        });
    });
}

void CMeterDlg::applyTick(const rdacq::TickResult &r, const MeterState &state, const QString &trace,
                          bool lost, const QString &lostText)
{
    --m_ticksPending;
    ++m_ticksDone;
    if (m_pollResting) {
        m_pollResting = false;
        m_pollTimer.start();
    }
    adopt(state, trace, r.ran && !lost);
    if (r.modules)
        for (int i = 0; i < 6; ++i)
            m_panel.lamps[6 + i]->setOn((*r.modules)[i]);
    if (r.deviceTexts) {
        // A box the user is editing ("修改") keeps what is typed in it: a tick
        // that was under way when editing began must not overwrite it.
        if (m_panel.pulseWidth->isReadOnly())
            Show(m_panel.pulseWidth, r.deviceTexts->first);
        m_panel.accuracy->setText(r.deviceTexts->second);
    }
    if (r.stats) {
        m_panel.attemptCount->setText(r.stats->attempts);
        m_panel.successRate->setText(r.stats->rate);
    }
    if (r.ran)
        showSilence(r.silentTicks >= rdacq::kSilentTicksShown ? std::optional<uint8_t>(r.polledAddress)
                                                               : std::nullopt);
    if (r.measurements) {
        const rdacq::MeasurementTexts &t = *r.measurements;
        for (int row = 0; row < rdacq::kGridRows; ++row)
            for (int c = 0; c < 4; ++c)
                Show(m_panel.grid[row][c], t.grid[row][c]);
        Show(m_panel.frequency, t.frequency);
        for (int i = 0; i < 6; ++i) {
            m_panel.lamps[i]->setOn(t.inputs[i]);
            Show(m_panel.relays[i], t.relays[i]);
        }
        for (int i = 0; i < 4; ++i)
            Show(m_panel.energy[i], t.energy[i]);
    }
    if (r.counters)
        for (int i = 0; i < 6; ++i)
            Show(m_panel.counters[i], (*r.counters)[i]);
    if (r.harmonics) {
        const rdacq::HarmonicView &view = *r.harmonics;
        Show(m_panel.fundamental, view.fundamentalText);
        for (int i = 0; i < 6; ++i)
            m_panel.scaleLabels[i]->setText(view.scaleLabels[i]);
        // An empty range would make the bar a busy indicator; scale 0 shows it empty.
        m_panel.fundamentalBar->setRange(0, view.barMaximum > 0 ? view.barMaximum : 1);
        m_panel.fundamentalBar->setValue(view.barMaximum > 0 ? view.barValue : 0);
        m_panel.chart->setRowValues(view.chart);
    }
    if (r.reading)
        emit readingTaken(*r.reading);

    if (lost) {
        // The device went away (unplugged adapter): polling stops first, so this
        // one message cannot repeat, and Run opens the port again.
        stopPolling();
        m_running = false;
        rdwidgets::SetCaption(m_panel.runStop, RunText());
        m_prompter.message(this, lostText + QCoreApplication::translate("MeterDlg", "\r\n轮询已停止，接好后请按\"运行\"。"));
    }
}

void CMeterDlg::showSilence(std::optional<uint8_t> address)
{
    const QString text = address ? QCoreApplication::translate("MeterDlg", "地址 %1 无应答").arg(*address) : QString();
    if (m_panel.silence->text() == text)
        return;
    m_panel.silence->setText(text);
    // Told to a screen reader as it changes, not only when it is reached.
    QAccessibleEvent changed(m_panel.silence, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void CMeterDlg::adopt(const MeterState &state, const QString &trace, bool portOpen)
{
    m_shown = state;
    m_portOpen = portOpen;
    // Both are the same from one tick to the next as a rule: set only on a
    // change, as a line edit lays its text out again and a tooltip is announced.
    if (m_panel.sentTrace->text() != trace)
        m_panel.sentTrace->setText(trace);
    // The poll takes a newly typed address only after a good reply from the one it
    // polls: say which one that is, where the mouse and a screen reader find it
    // (a tooltip is the success rate's accessible description).
    if (m_tooltipAddress != state.slaveAddress) {
        m_tooltipAddress = state.slaveAddress;
        m_panel.successRate->setToolTip(
            QCoreApplication::translate("MeterDlg", "正在轮询子机地址 %1。新输入的地址在收到应答后生效；仪表不应答时请先按“停止”，再按“运行”。")
                .arg(state.slaveAddress));
    }
}

void CMeterDlg::setBusy(bool busy)
{
    // While a command's writes or the hand-over of the port are under way, the
    // controls that would start another exchange wait, and the window says so.
    m_busy = busy;
    for (QPushButton *b : {m_panel.runStop, m_panel.search, m_panel.changeAddress, m_panel.commSettings,
                           m_panel.meterSettings, m_panel.moduleSettings})
        b->setEnabled(!busy);
    setPulseEditing(!m_panel.pulseWidth->isReadOnly());
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CMeterDlg::waitForLine()
{
    // Waits for what was posted before the call and for what its results post in
    // turn (the start of nolvex after the port closed), but not for ticks and
    // probes that fall due meanwhile: with the timers running they never end.
    const unsigned ticks = m_ticksPosted, probes = m_probesPosted;
    for (int round = 0; round < 64; ++round) {
        m_worker->drain();
        QCoreApplication::processEvents();
        if (m_ticksDone >= ticks && m_probesDone >= probes && !m_busy)
            break;
    }
}

void CMeterDlg::setStatusText(const QString &text)
{
    m_statusText = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_panel.status->setPlainText(shown);
}

void CMeterDlg::setPulseEditing(bool editing)
{
    m_panel.pulseWidth->setReadOnly(!editing);
    m_panel.pulseModify->setEnabled(!editing && !m_busy);
    m_panel.pulseWrite->setEnabled(editing && !m_busy);
}

int CMeterDlg::harmonicItem() const
{
    return m_panel.harmonicItem->findText(m_panel.harmonicItem->currentText(), Qt::MatchExactly);
}
