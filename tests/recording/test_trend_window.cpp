// The trend window offscreen: its controls, one axis per unit, and a view that
// follows the readings without holding all of them.
#include "SyntheticReading.h"
#include "meter/recording/Quantities.h"
#include "meter/recording/ReadingHistory.h"
#include "meter/trends/TrendDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <gtest/gtest.h>

namespace {

int IndexOf(const char *header)
{
    const auto &list = rdrec::RecordedQuantities();
    for (size_t q = 0; q < list.size(); ++q) {
        if (list[q].header == QString::fromUtf8(header))
            return int(q);
    }
    ADD_FAILURE() << header;
    return -1;
}

QStringList AxisTitles(QLineSeries *series)
{
    QStringList titles;
    for (QAbstractAxis *axis : series->attachedAxes())
        titles << axis->titleText();
    return titles;
}

} // namespace

TEST(TrendWindow, ControlsAreNamedByTheirLabels)
{
    rdrec::ReadingHistory history;
    TrendDlg dlg(history);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("趋势图"));
    EXPECT_FALSE(dlg.isModal());
    const auto labels = dlg.findChildren<QLabel *>();
    for (int i = 1; i <= 4; ++i) {
        const QString text = QStringLiteral("曲线%1").arg(i);
        auto it = std::find_if(labels.begin(), labels.end(), [&](QLabel *l) { return l->text() == text; });
        ASSERT_NE(it, labels.end()) << i;
        auto *combo = qobject_cast<QComboBox *>((*it)->buddy());
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->accessibleName(), text);
        EXPECT_EQ(combo->itemText(0), QStringLiteral("(无)"));
        EXPECT_EQ(combo->count(), 1 + int(rdrec::RecordedQuantities().size()));
    }
    QStringList ranges;
    for (QRadioButton *b : dlg.findChildren<QRadioButton *>())
        ranges << b->text();
    EXPECT_EQ(ranges, (QStringList{QStringLiteral("10 分钟"), QStringLiteral("1 小时"), QStringLiteral("8 小时")}));
}

TEST(TrendWindow, OneAxisPerUnitAndThinnedEightHours)
{
    rdrec::ReadingHistory history;
    const QDateTime start = rdtest::ChinaTime(2026, 12, 7, 8, 0, 0);
    for (int i = 0; i < 72000; ++i)
        history.add(rdtest::SyntheticReading(start.addMSecs(qint64(i) * 400), i * 0.4));
    TrendDlg dlg(history);
    dlg.setCurve(0, IndexOf("A相 相电压 (V)"));
    dlg.setCurve(1, IndexOf("CA线 线电压 (V)"));
    dlg.setCurve(2, IndexOf("合相 功率因数"));
    dlg.setCurve(3, -1);
    dlg.setRange(TrendDlg::kEightHours);

    EXPECT_EQ(dlg.series(0)->name(), QStringLiteral("A相 相电压 (V)"));
    EXPECT_TRUE(AxisTitles(dlg.series(0)).contains(QStringLiteral("V")));
    EXPECT_EQ(AxisTitles(dlg.series(0)), AxisTitles(dlg.series(1)));
    EXPECT_TRUE(AxisTitles(dlg.series(2)).contains(QStringLiteral("功率因数")));
    EXPECT_FALSE(dlg.series(3)->isVisible());
    EXPECT_EQ(dlg.chartView()->chart()->axes(Qt::Vertical).size(), 2);
    EXPECT_LE(dlg.curvePoints(0).size(), 2 * rdrec::TrendSeries::kBuckets);
    EXPECT_GT(dlg.curvePoints(0).size(), rdrec::TrendSeries::kBuckets * 9 / 10);

    // A new reading moves the view on: its value is the newest point.
    rdacq::Reading next = rdtest::SyntheticReading(start.addMSecs(72000LL * 400), 72000 * 0.4);
    next.values.phaseVoltage[rdacq::kColA] = 250.0;
    history.add(next);
    dlg.addReading(next);
    const QPointF last = dlg.curvePoints(0).back();
    EXPECT_EQ(last, QPointF(double(next.time.toMSecsSinceEpoch()), 250.0));
    EXPECT_GE(dlg.curvePoints(0).front().x(), double(next.time.toMSecsSinceEpoch() - 8 * 3600 * 1000 - 28800));
    auto *axis = qobject_cast<QValueAxis *>(dlg.series(0)->attachedAxes().back());
    ASSERT_NE(axis, nullptr);
    EXPECT_GE(axis->max(), 250.0);

    // Ten minutes: every reading on the time axis, unthinned. The axis runs a
    // hundredth of the range (6 s) ahead of the newest reading.
    dlg.setRange(TrendDlg::kTenMinutes);
    const qint64 axisStart = next.time.toMSecsSinceEpoch() + 6000 - 600000;
    const auto readings = history.points(IndexOf("A相 相电压 (V)"), axisStart);
    const QList<QPointF> drawn = dlg.curvePoints(0);
    ASSERT_EQ(drawn.size(), qsizetype(readings.size()));
    EXPECT_EQ(drawn.size(), 1501 - 15);
    for (size_t i = 0; i < readings.size(); ++i)
        ASSERT_EQ(drawn[qsizetype(i)], QPointF(double(readings[i].timeMs), readings[i].value)) << i;
}
