#include "ExtrasBar.h"

#include "common/traffic/TrafficWindow.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/ValueLabel.h"
#include "common/widgets/Prompter.h"
#include "meter/recording/CsvFormat.h"
#include "meter/trends/TrendDlg.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QCoreApplication>

namespace {

QPushButton *StripButton(const QString &text, QWidget *parent, int x)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(x, 7, 110, 26);
    rdwidgets::SetCaption(button, text);
    return button;
}

} // namespace

ExtrasBar::ExtrasBar(rdlink::LinkWorker &worker, Prompter &prompter, QWidget *window)
    : QWidget(window), m_worker(worker), m_prompter(prompter)
{
    m_monitor = StripButton(QCoreApplication::translate("ExtrasBar", "通讯监视"), this, 10);
    m_record = StripButton(m_recording.buttonText(), this, 130);
    m_trend = StripButton(QCoreApplication::translate("ExtrasBar", "趋势图"), this, 250);
    m_overview = StripButton(QCoreApplication::translate("ExtrasBar", "总览"), this, 370);
    connect(m_overview, &QPushButton::clicked, this, &ExtrasBar::overviewRequested);
    m_status = new rdwidgets::ValueLabel(QCoreApplication::translate("ExtrasBar", "记录"), this);
    m_status->setGeometry(600, 10, 150, 20);
    // The main window's poll: fixed waits (the instrument's pacing) unless checked.
    m_fastRefresh = new QCheckBox(QCoreApplication::translate("ExtrasBar", "快速刷新"), this);
    m_fastRefresh->setGeometry(490, 7, 105, 26);
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
                                            QStringLiteral("CSV (*.csv)"));
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

ExtrasBar::~ExtrasBar()
{
    // The windows it opened go first: a closing monitor switches the link's
    // observer off, and the worker is still there to take that.
    delete m_traffic;
    delete m_trendDlg;
}

void ExtrasBar::onReading(const rdacq::Reading &reading)
{
    m_recording.onReading(reading);
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
    if (!path.isEmpty())
        m_recording.start(path);
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
        m_traffic->move(window()->frameGeometry().topRight() + QPoint(12, 0));
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
        m_trendDlg->move(window()->frameGeometry().topLeft() + QPoint(40, 40));
    }
    m_trendDlg->show();
    m_trendDlg->raise();
    m_trendDlg->activateWindow();
}
