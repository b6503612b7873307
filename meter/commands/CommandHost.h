// What the configuration commands need from the main window. CMeterDlg implements
// it; the command tests use a fake host. Keeps meter/commands free of the main
// window's widgets while the commands still drive its state, timers and texts.
#pragma once

#include "link/Exchange.h"

#include <QString>
#include <cstdint>

class Prompter;
class QWidget;

// The instrument view and line state the main window owns.
struct MeterState {
    uint8_t slaveAddress = 0;
    int baudRate = 9600;         // 1200, 2400, 4800, 9600 or 19200
    int parity = 0;              // dialog code: 0 none, 1 odd, 2 even
    int commPort = 1;            // 1 = COM1
    QString portSettings;        // "9600,N,8,1", used whenever Run reopens the port
    int pollPeriodMs = 800;      // chosen once from the start-up baud rate
    bool running = false;
    uint32_t ptRatio = 1;
    uint32_t ctRatio = 1;
    uint8_t wiringMode = 0;
    uint8_t pulseWidth = 1;
    int searchAddress = 1;       // next address timer 2 probes
};

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual MeterState &state() = 0;
    virtual rdlink::Link &link() = 0;
    virtual Prompter &prompter() = 0;
    virtual QWidget *dialogParent() = 0;

    virtual void startTimer1() = 0;   // poll timer, period state().pollPeriodMs
    virtual void stopTimer1() = 0;
    virtual void startTimer2() = 0;   // address search timer, same period
    virtual void stopTimer2() = 0;

    // Reloads the control-bound fields (slave address edit, pulse width text,
    // harmonic combo text) into the state, as Run does. userAction: a failed
    // validation may show a message (never from a timer tick).
    virtual void reloadFields(bool userAction) = 0;

    virtual void setStatusText(const QString &text) = 0;       // edit 1057
    virtual void setAddressText(const QString &text) = 0;      // edit 1061
    virtual QString pulseWidthText() = 0;                      // edit 1082
    // Editing state of the pulse width: edit writable, "修改" disabled, "写入" enabled.
    virtual void setPulseEditing(bool editing) = 0;

    // Re-opens the port with state().commPort and state().portSettings after a
    // close; on failure shows the same message as at start-up and leaves it closed.
    virtual bool reopenPort() = 0;
};
