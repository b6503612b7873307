// The 4-20 mA analog output window: the module list and both outputs' quantity and
// range, read on initialisation and on a module choice, written by "确认".
#pragma once

#include "ModuleLink.h"
#include "modules/vocabulary/AnalogBlock.h"

#include <QDialog>
#include <QPointer>

#include <optional>
#include <vector>

class QComboBox;
class QPushButton;
class QLabel;
class QLineEdit;

namespace rdmod {

class CAnalogOutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAnalogOutDlg(ModuleContext &context, QWidget *parent = nullptr);
    ~CAnalogOutDlg() override;

    // Reads this window's own PT/CT and the presence register (module 2# wins over
    // 1#), then the selected module's settings.
    void OnInitDialog();
    void ReadOutputSettings();
    void WriteOutputSettings();

    int moduleIndex() const { return m_moduleIndex; }

private:
    struct OutputControls {
        QComboBox *quantity = nullptr;
        QLineEdit *at4mA = nullptr;
        QLineEdit *at20mA = nullptr;
        QLabel *unit = nullptr;
    };

    OutputControls BuildOutputGroup(const QString &caption, int x, int y);
    void OnModuleSelected(int index);
    // A choice in an output's quantity list sets that output's unit label.
    void UpdateUnitLabels(int output, int position);
    void ShowOutputs(const std::vector<uint16_t> &regs);
    void AdoptStartUp(const std::optional<std::vector<uint16_t>> &ratios, int module,
                      const std::optional<std::vector<uint16_t>> &block);

    // The controls that start an exchange; they wait while one runs.
    std::vector<QPointer<QWidget>> exchangeControls() const;

    ModuleContext &m_context;
    QPushButton *m_ok = nullptr;

    uint16_t m_ptRatio = 1;
    uint16_t m_ctRatio = 1;
    int m_moduleIndex;

    QComboBox *m_moduleList = nullptr;
    OutputControls m_outputs[2];
};

} // namespace rdmod
