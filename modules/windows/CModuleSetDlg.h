// The main window of nolvex: start-up (ratios and module presence, opening the
// other module windows), the relay module list and both relays' settings with their
// read and write sequences.
#pragma once

#include "CAnalogOutDlg.h"
#include "CPulseSetDlg.h"
#include "ModuleLink.h"
#include "modules/vocabulary/Conversions.h"
#include "modules/vocabulary/RelayBlock.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class QComboBox;
class QPushButton;
class QLabel;
class QLineEdit;

namespace rdmod {

class CModuleSetDlg : public QDialog {
    Q_OBJECT
public:
    explicit CModuleSetDlg(ModuleContext &context, QWidget *parent = nullptr);
    ~CModuleSetDlg() override;

    // The window's initialisation: reads PT/CT and the presence register, opens the
    // pulse and analog output windows of the modules found, selects the relay
    // module (the highest relay bit wins) and reads its settings.
    void OnInitDialog();

    void ReadModuleSettings(int moduleIndex);
    void WriteModuleSettings();

    int moduleIndex() const { return m_moduleIndex; }
    Ratios ratios() const { return {m_ptRatio, m_ctRatio}; }
    CPulseSetDlg *pulseWindow() const { return m_pulseDlg; }
    CAnalogOutDlg *analogWindow() const { return m_analogDlg; }
    QLabel *lineStatus() const { return m_lineStatus; }
    // "通讯监视": the line monitor over the program's link worker.
    void OpenMonitor();

private:
    struct RelayControls {
        QComboBox *mode = nullptr;
        QLineEdit *operate = nullptr;
        QLabel *operateUnit = nullptr;
        QLineEdit *reset = nullptr;
        QLabel *resetUnit = nullptr;
        QLineEdit *operateDelay = nullptr;
        QLineEdit *resetDelay = nullptr;
        QLineEdit *pulseWidth = nullptr;
    };

    void BuildLayout();
    RelayControls BuildRelayGroup(const QString &caption, int x, int y);
    void OnModuleSelected(int index);
    void UpdateUnitLabels(RelayControls &relay, int position);
    void ShowRelay(RelayControls &relay, const RelayView &view);
    RelayTexts TakeRelay(const RelayControls &relay) const;

    void ShowBlock(const std::vector<uint16_t> &regs);
    // The line under the buttons: empty after a read the meter answered, else
    // what was asked where, so that a silent meter is not a silent window.
    void ShowAnswered(bool answered, const QString &device);
    // Opens the pulse and analog output windows of the modules found and selects
    // the relay module, after the presence register has been read.
    void AdoptPresence(uint8_t presence);
    // The controls that start an exchange; they wait while one runs.
    std::vector<QPointer<QWidget>> exchangeControls() const;

    ModuleContext &m_context;
    QPushButton *m_ok = nullptr;

    uint16_t m_ptRatio = 1;
    uint16_t m_ctRatio = 1;
    int m_moduleIndex = 0;

    QComboBox *m_moduleList = nullptr;
    QLabel *m_lineStatus = nullptr;
    RelayControls m_relays[2];
    QPointer<CPulseSetDlg> m_pulseDlg;
    QPointer<CAnalogOutDlg> m_analogDlg;
    QPointer<QDialog> m_monitor;
};

} // namespace rdmod
