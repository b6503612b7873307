// The strip below the main window's panel with what the program offers beyond the
// instrument's own controls: the line monitor "通讯监视", recording
// ("记录数据" / "停止记录"), the trend chart "趋势图", the overview "总览", the
// wiring check "接线检查", the settings profiles "配置文件" and "快速刷新", each with a keyboard shortcut
// (StripKeys), with a line that says
// whether it records, into which file and how many rows. The panel above keeps
// its controls, texts and order; this strip only adds.
#pragma once

#include "link/LinkWorker.h"
#include "meter/acquisition/Reading.h"
#include "meter/recording/RecordingControls.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class Prompter;
class QCheckBox;
class QLabel;
class QPushButton;
class TrendDlg;
class WiringDlg;
namespace rdtraffic {
class TrafficWindow;
}

// The strip's keyboard shortcuts, in the order of its controls.
namespace StripKeys {
constexpr const char *kMonitor = "Ctrl+T";
constexpr const char *kRecord = "Ctrl+R";
constexpr const char *kTrend = "Ctrl+G";
constexpr const char *kOverview = "Ctrl+L";
constexpr const char *kWiring = "Ctrl+W";
constexpr const char *kProfile = "Ctrl+P";
constexpr const char *kFastRefresh = "Ctrl+F";
} // namespace StripKeys

class ExtrasBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 40;

    // The worker must outlive the bar: the window deletes the bar first.
    ExtrasBar(rdlink::LinkWorker &worker, Prompter &prompter, QWidget *window);
    ~ExtrasBar() override;

    // Starts recording into `path` (the command line's --record); false with a
    // message when the file cannot be opened.
    bool startRecording(const QString &path);
    // Where "记录数据" records: asks the user (a file dialog); tests replace it.
    void setPathAsker(std::function<QString(QWidget *parent, const QString &suggested)> ask)
    {
        m_askPath = std::move(ask);
    }

    rdrec::RecordingControls &recording() { return m_recording; }
    QPushButton *monitorButton() const { return m_monitor; }
    QPushButton *recordButton() const { return m_record; }
    QPushButton *trendButton() const { return m_trend; }
    QPushButton *overviewButton() const { return m_overview; }
    QCheckBox *fastRefreshBox() const { return m_fastRefresh; }
    QLabel *recordStatus() const { return m_status; }
    rdtraffic::TrafficWindow *trafficWindow() const;
    TrendDlg *trendWindow() const;
    QPushButton *wiringButton() const { return m_wiring; }
    QPushButton *profileButton() const { return m_profile; }
    WiringDlg *wiringWindow() const;

signals:
    // "总览": the main window opens the overview.
    void overviewRequested();
    // "配置文件": the main window opens the profile window.
    void profileRequested();

public slots:
    void onReading(const rdacq::Reading &reading);
    void openMonitor();
    void toggleRecording();
    void openTrends();
    void openWiring();

private:
    void showState();

    rdlink::LinkWorker &m_worker;
    Prompter &m_prompter;
    rdrec::RecordingControls m_recording;
    QPushButton *m_monitor = nullptr;
    QPushButton *m_record = nullptr;
    QPushButton *m_trend = nullptr;
    QPushButton *m_wiring = nullptr;
    QPushButton *m_overview = nullptr;
    QPushButton *m_profile = nullptr;
    QCheckBox *m_fastRefresh = nullptr;
    QLabel *m_status = nullptr;
    QPointer<rdtraffic::TrafficWindow> m_traffic;
    QPointer<TrendDlg> m_trendDlg;
    QPointer<WiringDlg> m_wiringDlg;
    std::function<QString(QWidget *, const QString &)> m_askPath;
    std::optional<rdacq::Reading> m_lastReading;   // for the wiring check when it opens
};
