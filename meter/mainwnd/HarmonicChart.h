// The harmonic bar chart: one series, 18 rows labelled "2" to "19", white
// background. Values are set per row, as the poll cycle delivers them.
#pragma once

#include <QChartView>
#include <QStringList>

class QBarSet;
class QBarCategoryAxis;
class QValueAxis;

class CHarmonicChart : public QChartView {
    Q_OBJECT
public:
    explicit CHarmonicChart(QWidget *parent);

    // Rows 0..17 stand for orders 2..19.
    void setRowValues(const std::array<double, 18> &values);
    double rowValue(int row) const;
    QStringList rowLabels() const;
    // Top of the value axis.
    double axisTop() const;

private:
    QBarSet *m_set = nullptr;
    QBarCategoryAxis *m_rows = nullptr;
    QValueAxis *m_values = nullptr;
};
