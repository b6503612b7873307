// Start-up of RD5800: the dialog colours, the communication settings dialog, then
// the main window, run modally until it closes. Cancel in the settings dialog ends
// the program before any port is opened.
#pragma once

#include "link/LineSettings.h"

#include <functional>

class Prompter;
class QApplication;

// The line settings the user accepted, handed to the main window.
struct StartSettings {
    int baudRate = 9600;
    rdlink::Parity parity = rdlink::Parity::None;
    int commPort = 1;    // 1 = COM1
};

class CMeterApp {
public:
    // Runs the main window with the accepted settings; returns when it closes.
    using MainWindowRunner = std::function<void(const StartSettings &)>;

    CMeterApp(Prompter &prompter, MainWindowRunner runMainWindow)
        : m_prompter(prompter), m_runMainWindow(std::move(runMainWindow)) {}

    // What "通讯设置" shows at start; with `acceptAtOnce` the dialog is not shown
    // and these settings are taken as they are (unattended start, --run).
    void setStartSettings(const StartSettings &settings, bool acceptAtOnce)
    {
        m_preset = settings;
        m_acceptAtOnce = acceptAtOnce;
    }

    // The start-up sequence. Returns false in every case, as the program ends
    // once the modal windows are done; `mainWindowShown` tells which way it went.
    bool InitInstance();
    bool mainWindowShown() const { return m_mainWindowShown; }

    // Background RGB(181, 240, 249) with black text for every dialog and its controls.
    static void ApplyDialogColours(QApplication &app);
    // The dialog font: 宋体 where installed, otherwise a CJK font that is.
    static void ApplyDialogFont(QApplication &app);

private:
    Prompter &m_prompter;
    MainWindowRunner m_runMainWindow;
    bool m_mainWindowShown = false;
    StartSettings m_preset;
    bool m_acceptAtOnce = false;
};
