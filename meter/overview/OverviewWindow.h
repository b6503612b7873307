// The window "总览": every listed meter of the bus in one table, refreshed in
// turn at the line's speed, found by a bus scan, recorded into one CSV file.
// It shares the main window's link worker and port: all its line work is jobs
// (OverviewLine.h), and starting its refresh or scan stops the main window's
// polling, as the main window's "运行" stops the overview.
#pragma once

#include "meter/overview/BusScan.h"
#include "meter/overview/OverviewModel.h"
#include "meter/profile/Profile.h"
#include "meter/recording/CsvRecorder.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class OverviewHost;
class Prompter;
class QLabel;
class QProgressBar;
class QPushButton;
class QSettings;
class QSpinBox;
class QTableView;

class OverviewWindow : public QWidget {
    Q_OBJECT
public:
    // `settings` keeps the list and the names; the host must outlive the window.
    OverviewWindow(OverviewHost &host, Prompter &prompter, std::unique_ptr<QSettings> settings,
                   QWidget *parent = nullptr);
    ~OverviewWindow() override;

    // "运行" / "停止".
    void startRefresh();
    void stopRefresh();
    // "扫描总线" / "停止扫描" over the range in the two boxes.
    void startScan();
    void stopScan();
    // Stops the refresh and the scan without touching the port (the main window
    // is taking the line).
    void yieldLine();
    // "添加…": asks for an address; "删除": the current row.
    void addMeter();
    void removeCurrent();
    // Double click or Enter on a row: the main window polls that meter.
    void handOver(int row);
    // "与配置文件比较": every listed meter read once and compared with the profile
    // the hook gives; the column 配置 shows 相同 or how many settings differ. A
    // double click on that column asks the other hook to show the comparison.
    void audit();
    void setAuditHooks(std::function<std::optional<rdprof::Profile>()> profile, std::function<void(uint8_t)> compare)
    {
        m_auditProfile = std::move(profile);
        m_showComparison = std::move(compare);
    }
    QPushButton *auditButton() const { return m_auditButton; }
    // "记录数据" / "停止记录".
    void toggleRecording();
    bool startRecording(const QString &path);

    bool refreshing() const { return m_refreshing; }
    bool scanning() const { return m_scan.active(); }
    const rdov::BusScan &scan() const { return m_scan; }
    rdov::OverviewModel &model() { return m_model; }
    QTableView *table() const { return m_table; }
    QPushButton *scanButton() const { return m_scanButton; }
    QPushButton *runButton() const { return m_runButton; }
    QPushButton *addButton() const { return m_addButton; }
    QPushButton *removeButton() const { return m_removeButton; }
    QPushButton *recordButton() const { return m_recordButton; }
    QSpinBox *scanFrom() const { return m_from; }
    QSpinBox *scanTo() const { return m_to; }
    QProgressBar *progress() const { return m_progress; }
    QLabel *foundLabel() const { return m_found; }
    const rdrec::CsvRecorder &recorder() const { return m_recorder; }

    // How "添加…" asks for an address and "记录数据" for a file (tests replace them).
    void setAddressAsker(std::function<QString(QWidget *)> ask) { m_askAddress = std::move(ask); }
    void setPathAsker(std::function<QString(QWidget *, const QString &)> ask) { m_askPath = std::move(ask); }

    // Blocks until the jobs posted so far have run and their results are shown,
    // including those they post. For tests and measuring tools.
    void waitForLine();

signals:
    // A refresh round ended (every listed meter read once since the last).
    void roundDone();
    void scanFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Two jobs in flight keep the line busy: while one exchange runs, the next is
    // already queued, so no meter waits for the window thread between two reads.
    static constexpr int kInFlight = 2;

    void postOpen(std::shared_ptr<std::atomic<unsigned>> generation);
    void postClose();
    void postRefresh();
    void postProbe();
    // One read of the refresh or the scan as a job (defined beside its callers).
    template <class Result, class Read>
    void postRead(std::shared_ptr<std::atomic<unsigned>> generation, int OverviewWindow::*inFlight, Read read,
                  void (OverviewWindow::*apply)(const Result &));
    void applyRefresh(const rdov::RefreshResult &result);
    void applyProbe(const rdov::ProbeResult &result);
    struct AuditResult {
        uint8_t address = 0;
        QString text;
        bool portLost = false;
    };
    void applyAudit(const AuditResult &result);
    void lineLost(const QString &text);
    void showScanState();
    void showRunState();
    void showRecordState();
    void save();
    void fitColumns();

    OverviewHost &m_host;
    Prompter &m_prompter;
    std::unique_ptr<QSettings> m_settings;
    rdov::OverviewModel m_model;
    rdov::BusScan m_scan;
    rdrec::CsvRecorder m_recorder{true};

    QTableView *m_table = nullptr;
    QPushButton *m_scanButton = nullptr;
    QPushButton *m_runButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QPushButton *m_recordButton = nullptr;
    QPushButton *m_auditButton = nullptr;
    std::function<std::optional<rdprof::Profile>()> m_auditProfile;
    std::function<void(uint8_t)> m_showComparison;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_found = nullptr;
    QLabel *m_recordStatus = nullptr;

    // Jobs posted under an older generation send nothing (stop withdraws them).
    std::shared_ptr<std::atomic<unsigned>> m_refreshGeneration = std::make_shared<std::atomic<unsigned>>(0);
    std::shared_ptr<std::atomic<unsigned>> m_scanGeneration = std::make_shared<std::atomic<unsigned>>(0);
    bool m_refreshing = false;
    int m_refreshesInFlight = 0;
    int m_probesInFlight = 0;
    int m_turnsThisRound = 0;
    unsigned m_posted = 0, m_done = 0;   // for waitForLine()
    std::function<QString(QWidget *)> m_askAddress;
    std::function<QString(QWidget *, const QString &)> m_askPath;
};
