// The main window of RD5800. It owns the port's link, the instrument view and the
// poll state; the poll cycle and the configuration commands do the work, and the
// window applies their results to its controls. The timers only trigger the tick
// handlers, which tests call directly with the fake port and fake clock.
#pragma once

#include "MeterPanel.h"
#include "ProgramLauncher.h"
#include "meter/acquisition/PollCycle.h"
#include "meter/commands/CommandHost.h"
#include "meter/commands/MeterCommands.h"

#include <QDialog>
#include <QTimer>

class Prompter;

class CMeterDlg : public QDialog, public CommandHost, public rdacq::PollView {
    Q_OBJECT
public:
    CMeterDlg(rdlink::SerialPort &port, rdlink::Clock &clock, Prompter &prompter,
              QWidget *parent = nullptr);
    ~CMeterDlg() override;

    // The line settings chosen at start-up, copied in before initialisation.
    void setLineSettings(int baudRate, int parity, int commPort);
    // Window initialisation: poll period, settings text, opening the port, the
    // status text, the chart. Polling starts only with Run.
    void OnInitDialog();

    // Handlers.
    void OnRunStop();          // 1063
    void OnModuleSettings();   // 1094
    void OnHelp();             // 1095
    void OnTimer1();           // the poll tick
    void OnTimer2();           // the address search tick

    bool timer1Active() const { return m_timer1.isActive(); }
    bool timer2Active() const { return m_timer2.isActive(); }
    int timerInterval() const { return m_timer1.interval(); }
    const MeterPanel &panel() const { return m_panel; }
    const rdacq::PollCycle &poll() const { return m_poll; }
    QString statusText() const { return m_statusText; }

    // How the module parameter program is found and started (tests replace them).
    void setProgramLocator(std::function<QString()> locate) { m_locate = std::move(locate); }
    void setProgramStarter(DetachedStarter start) { m_start = std::move(start); }

    // CommandHost
    MeterState &state() override { return m_state; }
    rdlink::Link &link() override { return m_link; }
    Prompter &prompter() override { return m_prompter; }
    QWidget *dialogParent() override { return this; }
    void startTimer1() override;
    void stopTimer1() override;
    void startTimer2() override;
    void stopTimer2() override;
    void reloadFields(bool userAction) override;
    void setStatusText(const QString &text) override;
    void setAddressText(const QString &text) override;
    QString pulseWidthText() override;
    void setPulseEditing(bool editing) override;
    bool reopenPort() override;

    // PollView
    void reloadFieldsQuietly() override { reloadFields(false); }
    int harmonicItem() override;
    void showModules(const std::array<bool, 6> &lit) override;
    void showDeviceInfo(const QString &pulseWidth, const QString &accuracy) override;
    void showLinkStats(const rdacq::LinkStats::Texts &texts) override;
    void showMeasurements(const rdacq::MeasurementTexts &texts) override;
    void showCounters(const std::array<QString, 6> &texts) override;
    void showHarmonics(const rdacq::HarmonicView &view) override;

private:
    // Opens the port with the current number and settings; a failure is reported
    // (port number, device, the system's reason) and the port stays closed.
    bool OpenPortOrTell();
    // Runs a command and then shows the last frame sent in the hidden trace.
    void Command(const std::function<void()> &run);
    void ShowTrace();

    rdlink::Link m_link;
    Prompter &m_prompter;
    MeterState m_state;
    rdacq::PollCycle m_poll;
    MeterCommands m_commands;
    MeterPanel m_panel;
    QTimer m_timer1;
    QTimer m_timer2;

    bool m_portOpenedAtStart = true;
    QString m_statusText;
    std::function<QString()> m_locate;
    DetachedStarter m_start;
};
