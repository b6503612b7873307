// "通讯设置": baud rate, parity and port number. Used at start-up and by the
// communication settings command of the main window.
#pragma once

#include "link/LineSettings.h"

#include <QDialog>

class Prompter;
class QLabel;
class QLineEdit;
class QRadioButton;
namespace rdwidgets { class RadioChoice; }

class CCommSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCommSetDlg(QWidget *parent = nullptr);

    // Fields: set by the caller before showing, read after Accepted.
    rdlink::Parity m_parity = rdlink::Parity::None;
    int m_baudRate = 9600;     // 1200, 2400, 4800, 9600 or 19200
    int m_commPort = 0;        // 1 = COM1; the constructor sets 0

    // Puts the fields into the controls; exec() calls it too.
    void loadFields();

    QLineEdit *portEdit() const { return m_portEdit; }
    QRadioButton *baudButton(int index) const { return m_baud[index]; }      // 0..4
    QRadioButton *parityButton(int index) const { return m_parityBtn[index]; } // 0..2
    QLabel *deviceLabel() const { return m_deviceLabel; }

    // Where the validation message of OK goes (a plain message box when unset).
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

public slots:
    void accept() override;
    int exec() override;

private:
    void updateDeviceLabel();

    QRadioButton *m_baud[5] = {};
    QRadioButton *m_parityBtn[3] = {};
    rdwidgets::RadioChoice *m_baudChoice = nullptr;
    rdwidgets::RadioChoice *m_parityChoice = nullptr;
    QLineEdit *m_portEdit = nullptr;
    QLabel *m_deviceLabel = nullptr;
    Prompter *m_prompter = nullptr;
};
