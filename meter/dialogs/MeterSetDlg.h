// "仪表设置": PT and CT ratios (1..64000) and the wiring mode (six radio buttons).
// The caller sets the three fields, shows the dialog and reads them after OK.
#pragma once

#include <QDialog>
#include <cstdint>

class Prompter;
class QLineEdit;
class QRadioButton;
namespace rdwidgets { class RadioChoice; }

class CMeterSetDlg : public QDialog {
    Q_OBJECT
public:
    // prompter shows the validation messages of OK.
    CMeterSetDlg(Prompter &prompter, QWidget *parent = nullptr);

    uint8_t m_wiringMode = 0;   // code 0..5
    uint32_t m_ptRatio = 0;
    uint32_t m_ctRatio = 0;

    // Puts the fields into the controls; exec() calls it too.
    void loadFields();

    QLineEdit *ptEdit() const { return m_ptEdit; }
    QLineEdit *ctEdit() const { return m_ctEdit; }
    QRadioButton *wiringButton(int code) const { return m_wiring[code]; }   // 0..5

    // The radio texts in code order.
    static QString WiringText(int code);

public slots:
    void accept() override;
    int exec() override;

private:
    Prompter &m_prompter;
    QLineEdit *m_ptEdit = nullptr;
    QLineEdit *m_ctEdit = nullptr;
    QRadioButton *m_wiring[6] = {};
    rdwidgets::RadioChoice *m_wiringChoice = nullptr;
};
