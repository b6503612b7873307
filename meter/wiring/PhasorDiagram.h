// The phasor diagram of "接线检查": the phase voltages at 0, -120 and +120
// degrees (a 3-wire meter's two elements: U_AB at +30, U_CB at +90) and each
// phase's current at its voltage's angle minus phi, in the phase colours (A yellow, B green, C red), lengths scaled to the largest voltage
// and the largest current, and a legend with every phasor's values. The same
// values are the widget's accessible description, one line per phase, for a
// screen reader.
#pragma once

#include "meter/diagnosis/WiringDiagnosis.h"

#include <QWidget>
#include <array>

class PhasorDiagram : public QWidget {
    Q_OBJECT
public:
    explicit PhasorDiagram(QWidget *parent = nullptr);

    void setPhasors(const std::array<rddiag::Phasor, 3> &phasors);
    const std::array<rddiag::Phasor, 3> &phasors() const { return m_phasors; }

    // The text alternative: one line per phase shown; empty before the first reading.
    QString valuesText() const;

    // A yellow, B green, C red, dark enough to read on white.
    static QColor PhaseColour(int phase);

    QSize sizeHint() const override { return {420, 470}; }
    QSize minimumSizeHint() const override { return {340, 400}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::array<rddiag::Phasor, 3> m_phasors{};
};
