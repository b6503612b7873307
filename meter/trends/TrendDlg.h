// The modeless "趋势图" window: up to four quantities over the last ten minutes,
// hour or eight hours, drawn from the reading history and moved on with every
// reading. One value axis per unit; hovering a line shows its value and time.
#pragma once

#include "meter/acquisition/Reading.h"
#include "meter/recording/AxisScale.h"
#include "meter/recording/TrendSeries.h"

#include <QDialog>
#include <array>
#include <vector>

class QButtonGroup;
class QComboBox;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
class QChart;
class QChartView;

namespace rdrec { class ReadingHistory; }

class TrendDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCurves = 4;
    enum Range { kTenMinutes, kOneHour, kEightHours };

    // `history` must outlive the window; the window reads it when a choice changes
    // and follows addReading() in between.
    explicit TrendDlg(const rdrec::ReadingHistory &history, QWidget *parent = nullptr);

    // Call after the history holds `reading` (RecordingControls::readingAdded).
    void addReading(const rdacq::Reading &reading);

    // The same choices the controls make: a quantity index into
    // RecordedQuantities() or -1 for "(无)", and the range.
    void setCurve(int slot, int quantity);
    void setRange(Range range);

    // The series that carries a curve's name and its older part.
    QLineSeries *series(int slot) const { return m_curves[size_t(slot)].settled; }
    // Every point a curve draws, oldest first.
    QList<QPointF> curvePoints(int slot) const;
    QChartView *chartView() const { return m_view; }

private:
    struct Curve {
        QComboBox *combo = nullptr;
        // The line is drawn as two series of one colour: the settled part, which
        // changes only when the time axis moves on, and the live tail.
        QLineSeries *settled = nullptr;
        QLineSeries *live = nullptr;
        int quantity = -1;
        rdrec::TrendSeries points;
        int axis = -1;                  // index into m_valueAxes
    };

    void rebuild();
    void rebuildAxes();
    void moveTimeAxis(qint64 newestMs);
    void updateValueAxes();
    void showPointTip(int slot, const QPointF &point, bool state);
    qint64 rangeMs() const;

    const rdrec::ReadingHistory &m_history;
    std::array<Curve, kCurves> m_curves;
    QButtonGroup *m_ranges = nullptr;
    QChart *m_chart = nullptr;
    QChartView *m_view = nullptr;
    QDateTimeAxis *m_timeAxis = nullptr;
    std::vector<QValueAxis *> m_valueAxes;
    std::vector<rdrec::AxisScale> m_scales;   // what each value axis shows
    qint64 m_lastMs = 0;                      // newest reading drawn
    qint64 m_axisEndMs = 0;                   // right end of the time axis
};
