// The main window of RD5800. The line work (poll ticks, address probes, the
// commands' writes) runs as jobs on the program's link worker; the window posts
// them with what the user entered and shows what they hand back, so it never
// waits on the line. Dialogs, timers and messages stay here.
#pragma once

#include "ExtrasBar.h"
#include "MeterPanel.h"
#include "ProgramLauncher.h"
#include "link/LinkWorker.h"
#include "meter/acquisition/PollCycle.h"
#include "meter/commands/MeterCommands.h"
#include "meter/overview/OverviewHost.h"
#include "meter/overview/OverviewWindow.h"
#include "meter/profile/window/ProfileWindow.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class Prompter;
class QScrollArea;
class QSettings;

class CMeterDlg : public QDialog, public OverviewHost {
    Q_OBJECT
public:
    CMeterDlg(rdlink::SerialPort &port, rdlink::Clock &clock, Prompter &prompter,
              QWidget *parent = nullptr);
    // Waits for the job in progress (at most one tick or one command's writes),
    // then the port closes.
    ~CMeterDlg() override;

    // The line settings chosen at start-up, copied in before initialisation.
    void setLineSettings(int baudRate, rdlink::Parity parity, int commPort);
    // Window initialisation: poll period, opening the port, the
    // status text, the chart. Polling starts only with Run.
    void OnInitDialog();

    // Sizes the window for a screen's available area: exactly as designed where
    // the whole window fits, else the page in a scroll area cut to the area
    // (every control is reached by scrolling, and the keyboard scrolls to the
    // control it reaches); the window is moved wholly onto the area. Done at
    // every show and when the window goes to another screen.
    void fitToScreen(const QRect &available);
    // The page that holds the panel and the strip.
    QWidget *content() const { return m_content; }
    QScrollArea *scrollArea() const { return m_scroll; }

    // Puts an address into "子机地址", as if typed (the command line's --address).
    void setEnteredAddress(int address);

    // Handlers.
    void OnRunStop();
    void OnModuleSettings();
    void OnHelp();
    void onPollTick();     // the poll timer
    void onSearchTick();   // the address search timer
    void OnCommSettings();
    void OnMeterSettings();
    void OnChangeAddress();
    void OnStartSearch();
    void OnPulseModify();
    void OnPulseWrite();

    // Blocks until every job posted so far has run and its results are shown,
    // including the jobs those results post. For tests and measuring tools.
    void waitForLine();

    bool pollingActive() const { return m_pollTimer.isActive() || m_pollResting; }
    // False while the timer rests with a tick running and one queued behind it.
    bool pollTimerRunning() const { return m_pollTimer.isActive(); }
    bool searchActive() const { return m_searchTimer.isActive(); }
    int timerInterval() const { return m_pollTimer.interval(); }
    bool busy() const { return m_busy; }
    bool running() const { return m_running; }
    int nextSearchAddress() const { return m_searchAddress; }
    const MeterPanel &panel() const { return m_panel; }
    // The line monitor, recording and trends below the panel.
    ExtrasBar &extras() { return *m_extras; }
    QString statusText() const { return m_statusText; }
    // The instrument state as the last job handed it back.
    const MeterState &state() const { return m_shown; }
    rdlink::LinkWorker &worker() { return *m_worker; }
    // The poll's request and reply counts. They belong to the worker: read them
    // only from a job or after waitForLine() (measuring tools).
    const rdacq::LinkStats &linkStats() const;

    // The window "总览" (the strip's button, --overview): opened once, then raised.
    void openOverview();
    OverviewWindow *overviewWindow() const { return m_overview; }
    // The window "配置文件" (the strip's button, --profile FILE) for the meter at
    // the address in force; a file is loaded into it when given.
    void openProfile(const QString &file = QString());
    ProfileWindow *profileWindow() const { return m_profile; }
    // Where the window remembers "快速刷新" and the overview its list; set before
    // OnInitDialog. Without it nothing is remembered (tests give a file of their own).
    void setSettingsMaker(std::function<std::unique_ptr<QSettings>()> make) { m_settingsMaker = std::move(make); }
    // "快速刷新": reply-driven reads and ticks back to back instead of the fixed
    // waits and the poll period.
    void setFastRefresh(bool on);
    bool fastRefresh() const { return m_fastRefresh; }

    // OverviewHost: the overview shares this window's worker and port.
    rdlink::LinkWorker &linkWorker() override { return *m_worker; }
    int commPort() const override { return m_shown.commPort; }
    rdlink::LineSettings lineSettings() const override { return m_shown.lineSettings(); }
    void stopMainPolling() override;
    void pollMeter(uint8_t address) override;
    void portStateSeen(bool open) override { m_portOpen = open; }

    // How the module parameter program is found and started (tests replace them).
    void setProgramLocator(std::function<QString()> locate) { m_locate = std::move(locate); }
    void setProgramStarter(DetachedStarter start) { m_start = std::move(start); }
    void setProgramStarter(std::function<bool(const QString &path)> start)
    {
        m_start = [start](const QString &path, const QStringList &) { return start(path); };
    }
    // What the module parameter program is started with (the language: "--lang en").
    void setModuleProgramArguments(const QStringList &arguments) { m_moduleArguments = arguments; }

protected:
    void showEvent(QShowEvent *event) override;

signals:
    // Every reading of a tick with a good measurement reply (recording, trends).
    void readingTaken(const rdacq::Reading &reading);

private:
    // The worker-side half: touched only by jobs, on the worker thread.
    struct Line;

    void startPolling();
    void stopPolling();
    void startSearch();
    void stopSearch();
    void stopLineWork();   // polling and the address search, before a command
    void postTick();
    void publishTickInput();
    void postProbe();
    void applyTick(const rdacq::TickResult &result, const MeterState &state, const QString &trace,
                   bool lost, const QString &lostText);
    // A command's writes as one job; `done` runs on the window thread afterwards.
    void postCommand(std::function<void(rdlink::Link &, MeterState &)> work, std::function<void()> done);
    void setBusy(bool busy);
    // The address box's whole number 0..255; a user action gets the refusal message.
    std::optional<uint8_t> enteredAddress(bool userAction);
    void postAddress(std::optional<uint8_t> address);
    // `done` learns whether the port is open afterwards.
    void postOpen(std::function<void(bool open)> done = {});
    void postClose(std::function<void()> done = {});
    QString portOpenNextStep(const QString &device) const;
    void adopt(const MeterState &state, const QString &trace, bool portOpen);
    void setStatusText(const QString &text);
    // Scrolls the page to the control the keyboard reaches (MeterDlgScreen.cpp).
    void followFocus();
    // "地址 N 无应答" for a silent address, nothing otherwise.
    void showSilence(std::optional<uint8_t> address);
    void setPulseEditing(bool editing);
    int harmonicItem() const;
    void showMessages(const QStringList &messages);

    Prompter &m_prompter;
    std::shared_ptr<Line> m_line;
    std::unique_ptr<rdlink::LinkWorker> m_worker;
    QWidget *m_content = nullptr;
    QScrollArea *m_scroll = nullptr;   // only while the screen is too small
    QMetaObject::Connection m_focusFollower;   // followFocus()
    bool m_screenWatched = false;
    MeterPanel m_panel;
    ExtrasBar *m_extras = nullptr;
    QTimer m_pollTimer;
    QTimer m_searchTimer;

    MeterState m_shown;           // the state as the last job handed it back
    int m_tooltipAddress = -1;   // the address the success rate's tooltip names
    int m_pollPeriodMs = 800;     // chosen once from the start-up baud rate
    bool m_running = false;
    bool m_portOpen = false;      // as the last job saw it
    int m_searchAddress = 1;      // next address the search probes
    int m_ticksPending = 0;       // ticks posted whose result is not yet shown (at most 2)
    bool m_pollResting = false;   // polling, the timer stopped until the running tick ends
    bool m_probeInFlight = false;
    unsigned m_opensPosted = 0;   // only the last open posted tells its failure
    bool m_probeDue = false;
    bool m_busy = false;          // a command's writes are under way
    unsigned m_ticksPosted = 0, m_ticksDone = 0;     // for waitForLine()
    unsigned m_probesPosted = 0, m_probesDone = 0;
    QString m_statusText;
    std::function<QString()> m_locate;
    DetachedStarter m_start;
    QStringList m_moduleArguments;
    QPointer<OverviewWindow> m_overview;
    QPointer<ProfileWindow> m_profile;
    std::function<std::unique_ptr<QSettings>()> m_settingsMaker;
    bool m_fastRefresh = false;
};
