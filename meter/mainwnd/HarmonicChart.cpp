#include "HarmonicChart.h"

#include "meter/acquisition/Harmonics.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QValueAxis>
#include <algorithm>

CHarmonicChart::CHarmonicChart(QWidget *parent) : QChartView(parent)
{
    auto *chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setAnimationOptions(QChart::NoAnimation);

    m_set = new QBarSet(QStringLiteral("%"));
    m_set->setColor(QColor(0, 0, 160));
    for (int i = 0; i < rdacq::kChartRows; ++i)
        m_set->append(0.0);
    auto *series = new QBarSeries;
    series->append(m_set);
    series->setBarWidth(0.6);
    chart->addSeries(series);

    m_rows = new QBarCategoryAxis;
    m_rows->append(rdacq::ChartRowLabels());
    chart->addAxis(m_rows, Qt::AlignBottom);
    series->attachAxis(m_rows);
    m_values = new QValueAxis;
    m_values->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(m_values, Qt::AlignLeft);
    series->attachAxis(m_values);

    QFont small = font();
    small.setPointSize(8);
    m_rows->setLabelsFont(small);
    m_values->setLabelsFont(small);
    // Cosmetic (width 0) axis and grid pens draw the same one-pixel lines here,
    // where nothing is scaled or antialiased. A line item with a wider pen works
    // out its bounds by stroking its outline, each time the view asks which
    // items a changed bar touches: that was a third of repainting the chart.
    for (QAbstractAxis *axis : {static_cast<QAbstractAxis *>(m_rows), static_cast<QAbstractAxis *>(m_values)}) {
        QPen grid = axis->gridLinePen();
        grid.setWidth(0);
        axis->setGridLinePen(grid);
        QPen line = axis->linePen();
        line.setWidth(0);
        axis->setLinePen(line);
    }

    setChart(chart);
    setBackgroundBrush(Qt::white);
    setRenderHint(QPainter::Antialiasing, false);
    setRowValues(rdacq::ChartStartValues());
}

void CHarmonicChart::setRowValues(const std::array<double, 18> &values)
{
    // Each replaced value lays its bar out again; a bar that keeps its height is left alone.
    for (int i = 0; i < rdacq::kChartRows; ++i)
        if (m_set->at(i) != values[i])
            m_set->replace(i, values[i]);
    // The value axis follows the tallest bar, as an auto-scaled chart does, but is
    // rescaled only when the bars outgrow it or shrink well below it: laying out
    // the axis labels again is most of what a poll tick costs.
    const double top = *std::max_element(values.begin(), values.end());
    const double wanted = top > 0 ? top * 1.1 : 1.0;
    if (top > m_values->max() || wanted < m_values->max() / 2.5) {
        m_values->setRange(0, wanted);
        m_values->applyNiceNumbers();
    }
}

double CHarmonicChart::rowValue(int row) const
{
    return m_set->at(row);
}

double CHarmonicChart::axisTop() const
{
    return m_values->max();
}

QStringList CHarmonicChart::rowLabels() const
{
    return m_rows->categories();
}
