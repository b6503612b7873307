// "更改子机地址": the new slave address, a whole number 0..255. The caller sets
// m_address, shows the dialog and reads it after OK.
#pragma once

#include <QDialog>
#include <cstdint>

class Prompter;
class QLineEdit;

class CAddrDlg : public QDialog {
    Q_OBJECT
public:
    // prompter shows the validation message of OK.
    CAddrDlg(Prompter &prompter, QWidget *parent = nullptr);

    uint8_t m_address = 0;

    // Puts the field into the edit; exec() calls it too.
    void loadFields();

    QLineEdit *addressEdit() const { return m_edit; }

public slots:
    void accept() override;
    int exec() override;

private:
    Prompter &m_prompter;
    QLineEdit *m_edit = nullptr;
};
