// The energy pulse window: pulse value and pulse width, read on initialisation and
// written by "确认". The instrument's echoes are not examined, as on the panel.
#pragma once

#include "ModuleLink.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace rdmod {

class CPulseSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPulseSetDlg(ModuleContext &context, QWidget *parent = nullptr);
    ~CPulseSetDlg() override;

    void OnInitDialog();
    void WritePulseSettings();

private:
    ModuleContext &m_context;
    QPushButton *m_ok = nullptr;

    QLineEdit *m_value = nullptr;
    QLineEdit *m_width = nullptr;
};

} // namespace rdmod
