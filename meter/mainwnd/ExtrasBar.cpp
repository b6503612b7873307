#include "ExtrasBar.h"

#include "RecordFileQuestion.h"
#include "common/traffic/TrafficWindow.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/ValueLabel.h"
#include "common/widgets/WindowPlacement.h"
#include "common/widgets/Prompter.h"
#include "meter/recording/CsvFormat.h"
#include "meter/trends/TrendDlg.h"
#include "meter/wiring/WiringDlg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QCoreApplication>

namespace {

QPushButton *StripButton(const QString &text, QWidget *parent, int x, int width)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(x, 7, width, 26);
    rdwidgets::SetCaption(button, text);
    return button;
}

// A window-wide shortcut for a control of the strip, shown as its tooltip.
template <class Action>
void AddShortcut(QWidget *control, const char *key, QWidget *window, Action action)
{
    const QKeySequence sequence(QString::fromLatin1(key));
    control->setToolTip(sequence.toString(QKeySequence::NativeText));
    auto *shortcut = new QShortcut(sequence, window);
    QObject::connect(shortcut, &QShortcut::activated, control, action);
}

} // namespace

ExtrasBar::ExtrasBar(rdlink::LinkWorker &worker, Prompter &prompter, QWidget *window)
    : QWidget(window), m_worker(worker), m_prompter(prompter)
{
    // The strip's buttons left to right, each with its width, its keyboard
    // shortcut (also its tooltip, and listed in the usage notes) and its action;
    // the "快速刷新" check box and the recording status follow the last one. A new
    // button is one more row.
    const struct {
        QPushButton **button;
        QString text;
        int width;
        const char *key;
        void (ExtrasBar::*action)();
    } buttons[] = {
        {&m_monitor, QCoreApplication::translate("ExtrasBar", "通讯监视"), 92, StripKeys::kMonitor, &ExtrasBar::openMonitor},
        {&m_record, m_recording.buttonText(), 100, StripKeys::kRecord, &ExtrasBar::toggleRecording},
        {&m_trend, QCoreApplication::translate("ExtrasBar", "趋势图"), 80, StripKeys::kTrend, &ExtrasBar::openTrends},
        {&m_overview, QCoreApplication::translate("ExtrasBar", "总览"), 80, StripKeys::kOverview, &ExtrasBar::overviewRequested},
        {&m_wiring, QCoreApplication::translate("ExtrasBar", "接线检查"), 88, StripKeys::kWiring, &ExtrasBar::openWiring},
        {&m_profile, QCoreApplication::translate("ExtrasBar", "配置文件"), 80, StripKeys::kProfile, &ExtrasBar::profileRequested},
    };
    constexpr int kGap = 4;
    int x = 8;
    for (const auto &b : buttons) {
        QPushButton *button = StripButton(b.text, this, x, b.width);
        *b.button = button;
        x += b.width + kGap;
        const auto action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        // The shortcut presses the button: nothing happens while it is disabled.
        AddShortcut(button, b.key, window, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
    // The main window's poll: fixed waits (the instrument's pacing) unless checked.
    m_fastRefresh = new QCheckBox(QCoreApplication::translate("ExtrasBar", "快速刷新"), this);
    m_fastRefresh->setGeometry(x, 7, 100, 26);
    rdwidgets::SetCaption(m_fastRefresh, m_fastRefresh->text());
    AddShortcut(m_fastRefresh, StripKeys::kFastRefresh, window, [this] { m_fastRefresh->click(); });
    m_status = new rdwidgets::ValueLabel(QCoreApplication::translate("ExtrasBar", "记录"), this);
    // Two lines beside the check box, so that more of a long file name shows; the
    // whole text is the tooltip.
    m_status->setGeometry(x + 100 + 2, 2, 102, 36);
    m_status->setWordWrap(true);

    connect(&m_recording, &rdrec::RecordingControls::stateChanged, this, &ExtrasBar::showState);
    // A file that cannot be written stops the recording, never the polling.
    connect(&m_recording, &rdrec::RecordingControls::failed, this,
            [this](const QString &text) { m_prompter.message(this->window(), text); });
    m_askPath = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, QCoreApplication::translate("ExtrasBar", "记录数据"), suggested,
                                            QStringLiteral("CSV (*.csv)"), nullptr, QFileDialog::DontConfirmOverwrite);
    };
    showState();
}

rdtraffic::TrafficWindow *ExtrasBar::trafficWindow() const
{
    return m_traffic;
}

TrendDlg *ExtrasBar::trendWindow() const
{
    return m_trendDlg;
}

WiringDlg *ExtrasBar::wiringWindow() const
{
    return m_wiringDlg;
}

ExtrasBar::~ExtrasBar()
{
    // The windows it opened go first: a closing monitor switches the link's
    // observer off, and the worker is still there to take that.
    delete m_traffic;
    delete m_trendDlg;
    delete m_wiringDlg;
}

void ExtrasBar::onReading(const rdacq::Reading &reading)
{
    m_recording.onReading(reading);
    // The wiring check follows only while it is open; it diagnoses the latest reading.
    if (m_wiringDlg && m_wiringDlg->isVisible())
        m_wiringDlg->addReading(reading);
    m_lastReading = reading;
}

bool ExtrasBar::startRecording(const QString &path)
{
    return m_recording.start(path);
}

void ExtrasBar::toggleRecording()
{
    if (m_recording.isRecording()) {
        m_recording.stop();
        return;
    }
    const QString path = m_askPath(window(), rdrec::DefaultRecordPath(QDateTime::currentDateTime()));
    if (path.isEmpty())
        return;
    // The file dialog does not ask about an existing file; this question says
    // what recording will do with it.
    const std::optional<rdrec::IfExisting> how =
        AskHowToRecord(m_prompter, window(), path, rdrec::InspectRecordFile(path));
    if (how)
        m_recording.start(path, *how);
}

void ExtrasBar::showState()
{
    rdwidgets::SetCaption(m_record, m_recording.buttonText());
    m_status->setText(m_recording.statusText());
    m_status->setToolTip(m_recording.statusText());   // the whole path where the strip cuts it
}

void ExtrasBar::openMonitor()
{
    if (!m_traffic) {
        m_traffic = new rdtraffic::TrafficWindow(QStringLiteral("rd5800"), window());
        m_traffic->setAttribute(Qt::WA_DeleteOnClose, false);
        // The link reports exchanges only while the window is open: closed, the
        // monitor costs nothing.
        m_traffic->watch(m_worker);
        rdwidgets::OpenBeside(m_traffic, window());
    } else if (!m_traffic->isVisible()) {
        rdwidgets::ReopenBeside(m_traffic, window());
    }
    m_traffic->show();
    m_traffic->raise();
    m_traffic->activateWindow();
}

void ExtrasBar::openTrends()
{
    if (!m_trendDlg) {
        m_trendDlg = new TrendDlg(m_recording.history(), window());
        connect(&m_recording, &rdrec::RecordingControls::readingAdded, m_trendDlg, &TrendDlg::addReading);
        rdwidgets::OpenBeside(m_trendDlg, window());
    } else if (!m_trendDlg->isVisible()) {
        rdwidgets::ReopenBeside(m_trendDlg, window());
    }
    m_trendDlg->show();
    m_trendDlg->raise();
    m_trendDlg->activateWindow();
}

void ExtrasBar::openWiring()
{
    if (!m_wiringDlg) {
        m_wiringDlg = new WiringDlg(window());
        rdwidgets::OpenBeside(m_wiringDlg, window());
    } else if (!m_wiringDlg->isVisible()) {
        rdwidgets::ReopenBeside(m_wiringDlg, window());
    }
    // The latest reading at once, not only from the next tick on.
    if (m_lastReading)
        m_wiringDlg->addReading(*m_lastReading);
    m_wiringDlg->show();
    m_wiringDlg->raise();
    m_wiringDlg->activateWindow();
}
