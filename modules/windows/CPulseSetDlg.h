// The energy pulse window: pulse value and pulse width, read on initialisation and
// written by "确认". The instrument's echoes are not examined, as on the panel.
#pragma once

#include "ModuleLink.h"

#include <QDialog>

#include <memory>

class QLineEdit;

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
    std::unique_ptr<rdlink::SerialPort> m_port;
    ModuleLink m_link;

    QLineEdit *m_value = nullptr;
    QLineEdit *m_width = nullptr;
};

} // namespace rdmod
