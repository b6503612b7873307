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

} // namespace

ExtrasBar::ExtrasBar(rdlink::LinkWorker &worker, Prompter &prompter, QWidget *window)
    : QWidget(window), m_worker(worker), m_prompter(prompter)
{
    // Six buttons, the "快速刷新" check box and the recording status share the
    // strip's 760 px.
    m_monitor = StripButton(QCoreApplication::translate("ExtrasBar", "通讯监视"), this, 8, 92);
    m_record = StripButton(m_recording.buttonText(), this, 104, 100);
    m_trend = StripButton(QCoreApplication::translate("ExtrasBar", "趋势图"), this, 208, 80);
    m_overview = StripButton(QCoreApplication::translate("ExtrasBar", "总览"), this, 292, 80);
    connect(m_overview, &QPushButton::clicked, this, &ExtrasBar::overviewRequested);
    m_status = new rdwidgets::ValueLabel(QCoreApplication::translate("ExtrasBar", "记录"), this);
    // Two lines beside the check box, so that more of a long file name shows; the
    // whole text is the tooltip.
    m_status->setGeometry(654, 2, 102, 36);
    m_status->setWordWrap(true);
    // The wiring check "接线检查" (Ctrl+W).
    m_wiring = StripButton(QCoreApplication::translate("ExtrasBar", "接线检查"), this, 376, 88);
    m_wiring->setToolTip(QStringLiteral("Ctrl+W"));
    auto *wiringKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+W")), window);
    connect(wiringKey, &QShortcut::activated, this, &ExtrasBar::openWiring);
    connect(m_wiring, &QPushButton::clicked, this, &ExtrasBar::openWiring);
    // The settings profiles "配置文件", beside the wiring check.
    m_profile = StripButton(QCoreApplication::translate("ExtrasBar", "配置文件"), this, 468, 80);
    connect(m_profile, &QPushButton::clicked, this, &ExtrasBar::profileRequested);
    // The main window's poll: fixed waits (the instrument's pacing) unless checked.
    m_fastRefresh = new QCheckBox(QCoreApplication::translate("ExtrasBar", "快速刷新"), this);
    m_fastRefresh->setGeometry(552, 7, 100, 26);
    rdwidgets::SetCaption(m_fastRefresh, m_fastRefresh->text());
    m_monitor->setToolTip(QStringLiteral("Ctrl+T"));
    auto *shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+T")), window);
    connect(shortcut, &QShortcut::activated, this, &ExtrasBar::openMonitor);

    connect(m_monitor, &QPushButton::clicked, this, &ExtrasBar::openMonitor);
    connect(m_record, &QPushButton::clicked, this, &ExtrasBar::toggleRecording);
    connect(m_trend, &QPushButton::clicked, this, &ExtrasBar::openTrends);
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
