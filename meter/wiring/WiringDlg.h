// The modeless "接线检查" window: the phasor diagram and the findings of the
// wiring check for the latest reading. It asks the meter nothing: the main
// window hands it every reading its poll takes (ExtrasBar), so the line carries
// exactly what it carries without the window.
#pragma once

#include "PhasorDiagram.h"
#include "meter/acquisition/Reading.h"
#include "meter/diagnosis/WiringDiagnosis.h"

#include <QDialog>
#include <optional>

class QLabel;
class QListWidget;

class WiringDlg : public QDialog {
    Q_OBJECT
public:
    explicit WiringDlg(QWidget *parent = nullptr);

    // Diagnoses `reading` under its wiring mode and shows the result.
    void addReading(const rdacq::Reading &reading);

    const std::optional<rddiag::Diagnosis> &diagnosis() const { return m_diagnosis; }
    PhasorDiagram *diagram() const { return m_diagram; }
    QListWidget *findings() const { return m_findings; }
    QLabel *modeLabel() const { return m_mode; }
    // How the diagram is drawn; a 3-wire panel's note says its angles are the elements' own.
    QLabel *noteLabel() const { return m_note; }

private:
    PhasorDiagram *m_diagram = nullptr;
    QListWidget *m_findings = nullptr;
    QLabel *m_mode = nullptr;
    QLabel *m_note = nullptr;
    std::optional<rddiag::Diagnosis> m_diagnosis;
};
