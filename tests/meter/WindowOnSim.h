// The main window on rd5800-sim at 9600 8N1 as COM1, with a settings file of
// its own: the start shared by the tests that drive the window against the
// simulated bus. Check started() before using the window.
#pragma once

#include "../sim/SimProcess.h"
#include "ScriptedPrompter.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"
#include "meter/mainwnd/MeterDlg.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

struct WindowOnSim {
    explicit WindowOnSim(std::vector<std::string> simArgs) : sim(std::move(simArgs))
    {
        if (!sim.started())
            return;
        qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
        dlg.setLineSettings(9600, rdlink::Parity::None, 1);
        const QString ini = dir.filePath(QStringLiteral("rd5800.ini"));
        dlg.setSettingsMaker([ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); });
    }

    // The window opened on the line, as at the start of the program.
    bool started()
    {
        if (!sim.started() || !dir.isValid())
            return false;
        dlg.OnInitDialog();
        dlg.waitForLine();
        return port.isOpen();
    }

    // What the window said, for a failed check.
    std::string said() const { return prompter.messages.empty() ? std::string() : prompter.messages[0].toStdString(); }

    simtest::SimProcess sim;
    QTemporaryDir dir;
    rdlink::QtSerialPort port;
    ScriptedPrompter prompter;
    CMeterDlg dlg{port, rdlink::SystemClock(), prompter};
};
