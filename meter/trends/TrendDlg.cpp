// The trend window: controls, chart, and its update on each reading.
#include "TrendDlg.h"

#include "meter/recording/CsvFormat.h"
#include "meter/recording/Quantities.h"
#include "meter/recording/ReadingHistory.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <QCoreApplication>

namespace {

const qint64 kRangeMs[3] = {10 * 60 * 1000, 3600 * 1000, 8 * 3600 * 1000};

// The load over a shift is what most people open the window for: the first curve
// starts on the combined active power.
int DefaultQuantity()
{
    const auto &quantities = rdrec::RecordedQuantities();
    for (size_t q = 0; q < quantities.size(); ++q) {
        if (quantities[q].kind == rdrec::QuantityKind::ActivePower && quantities[q].index == 0)
            return int(q);
    }
    return -1;
}

} // namespace

TrendDlg::TrendDlg(const rdrec::ReadingHistory &history, QWidget *parent)
    : QDialog(parent), m_history(history)
{
    setWindowTitle(QCoreApplication::translate("TrendDlg", "趋势图"));
    setModal(false);
    setSizeGripEnabled(true);
    const auto &quantities = rdrec::RecordedQuantities();

    auto *choices = new QGridLayout;
    for (int i = 0; i < kCurves; ++i) {
        Curve &c = m_curves[size_t(i)];
        auto *label = new QLabel(QCoreApplication::translate("TrendDlg", "曲线%1").arg(i + 1), this);
        c.combo = new QComboBox(this);
        c.combo->addItem(QCoreApplication::translate("TrendDlg", "(无)"), -1);
        for (size_t q = 0; q < quantities.size(); ++q)
            c.combo->addItem(rdrec::DisplayHeader(quantities[q]), int(q));
        c.combo->setMaxVisibleItems(20);
        label->setBuddy(c.combo);
        c.combo->setAccessibleName(label->text());
        choices->addWidget(label, i / 2, (i % 2) * 2);
        choices->addWidget(c.combo, i / 2, (i % 2) * 2 + 1);
        choices->setColumnStretch((i % 2) * 2 + 1, 1);
    }
    m_curves[0].quantity = DefaultQuantity();
    m_curves[0].combo->setCurrentIndex(m_curves[0].combo->findData(m_curves[0].quantity));

    auto *rangeRow = new QHBoxLayout;
    auto *rangeLabel = new QLabel(QCoreApplication::translate("TrendDlg", "时间范围:"), this);
    rangeRow->addWidget(rangeLabel);
    m_ranges = new QButtonGroup(this);
    const char *rangeTexts[3] = {QT_TRANSLATE_NOOP("TrendDlg", "10 分钟"), QT_TRANSLATE_NOOP("TrendDlg", "1 小时"), QT_TRANSLATE_NOOP("TrendDlg", "8 小时")};
    for (int r = 0; r < 3; ++r) {
        auto *button = new QRadioButton(QCoreApplication::translate("TrendDlg", rangeTexts[r]), this);
        m_ranges->addButton(button, r);
        rangeRow->addWidget(button);
    }
    m_ranges->button(kTenMinutes)->setChecked(true);
    rangeRow->addStretch(1);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_timeAxis = new QDateTimeAxis(m_chart);
    m_timeAxis->setTitleText(QCoreApplication::translate("TrendDlg", "时间"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    for (int i = 0; i < kCurves; ++i) {
        Curve &c = m_curves[size_t(i)];
        c.settled = new QLineSeries(m_chart);
        c.live = new QLineSeries(m_chart);
        m_chart->addSeries(c.settled);
        m_chart->addSeries(c.live);
        c.live->setPen(c.settled->pen());
        for (QLineSeries *s : {c.settled, c.live}) {
            s->attachAxis(m_timeAxis);
            connect(s, &QLineSeries::hovered, this,
                    [this, i](const QPointF &point, bool state) { showPointTip(i, point, state); });
        }
        connect(c.combo, &QComboBox::currentIndexChanged, this, [this, i] {
            m_curves[size_t(i)].quantity = m_curves[size_t(i)].combo->currentData().toInt();
            rebuild();
        });
    }
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing, false);
    m_view->setAccessibleName(QCoreApplication::translate("TrendDlg", "趋势曲线"));
    m_view->setMinimumSize(600, 340);
    connect(m_ranges, &QButtonGroup::idClicked, this, [this] { rebuild(); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(rangeRow);
    layout->addWidget(m_view, 1);
    resize(900, 600);
    rebuild();
}

qint64 TrendDlg::rangeMs() const
{
    const int id = m_ranges->checkedId();
    return kRangeMs[id < 0 ? 0 : id];
}

void TrendDlg::setCurve(int slot, int quantity)
{
    // Changing the combo box rebuilds through its signal.
    QComboBox *combo = m_curves[size_t(slot)].combo;
    combo->setCurrentIndex(std::max(0, combo->findData(quantity)));
}

void TrendDlg::setRange(Range range)
{
    m_ranges->button(range)->setChecked(true);
    rebuild();
}

QList<QPointF> TrendDlg::curvePoints(int slot) const
{
    const Curve &c = m_curves[size_t(slot)];
    QList<QPointF> points = c.settled->points();
    const QList<QPointF> live = c.live->points();
    // The live tail starts on the last settled point.
    points.append(live.mid(points.isEmpty() ? 0 : 1));
    return points;
}

void TrendDlg::rebuild()
{
    const qint64 span = rangeMs();
    m_lastMs = m_history.size() > 0 ? m_history.timeAt(m_history.size() - 1)
                                    : QDateTime::currentMSecsSinceEpoch();
    const int first = m_history.firstIndexSince(m_lastMs - span);
    const auto &quantities = rdrec::RecordedQuantities();
    for (Curve &c : m_curves) {
        c.points.reset(span);
        c.settled->setVisible(c.quantity >= 0);
        c.live->setVisible(c.quantity >= 0);
        // The tail is part of the curve's line, not a line of its own. (The legend
        // shows a marker again whenever its series becomes visible.)
        for (QLegendMarker *marker : m_chart->legend()->markers(c.live))
            marker->setVisible(false);
        if (c.quantity < 0)
            continue;
        for (int i = first; i < m_history.size(); ++i)
            c.points.add(m_history.timeAt(i), m_history.valueAt(c.quantity, i));
        c.settled->setName(rdrec::DisplayHeader(quantities[size_t(c.quantity)]));
    }
    rebuildAxes();
    moveTimeAxis(m_lastMs);
}

void TrendDlg::rebuildAxes()
{
    for (Curve &c : m_curves) {
        if (c.axis >= 0) {
            c.settled->detachAxis(m_valueAxes[size_t(c.axis)]);
            c.live->detachAxis(m_valueAxes[size_t(c.axis)]);
        }
        c.axis = -1;
    }
    for (QValueAxis *axis : m_valueAxes) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_valueAxes.clear();
    m_scales.clear();

    // One axis per unit, left and right in turn, the unit in its title; curves of
    // one unit share it so they can be compared.
    const auto &quantities = rdrec::RecordedQuantities();
    std::vector<QString> keys;
    for (Curve &c : m_curves) {
        if (c.quantity < 0)
            continue;
        const QString &key = quantities[size_t(c.quantity)].axis;
        auto it = std::find(keys.begin(), keys.end(), key);
        if (it == keys.end()) {
            auto *axis = new QValueAxis(m_chart);
            axis->setTitleText(rdrec::DisplayWords(key));
            axis->setLabelFormat(QStringLiteral("%.6g"));
            m_chart->addAxis(axis, keys.size() % 2 == 0 ? Qt::AlignLeft : Qt::AlignRight);
            keys.push_back(key);
            m_valueAxes.push_back(axis);
            m_scales.push_back({});
            it = keys.end() - 1;
        }
        c.axis = int(it - keys.begin());
        c.settled->attachAxis(m_valueAxes[size_t(c.axis)]);
        c.live->attachAxis(m_valueAxes[size_t(c.axis)]);
    }
}

void TrendDlg::addReading(const rdacq::Reading &reading)
{
    const qint64 t = reading.time.toMSecsSinceEpoch();
    if (t < m_lastMs) {
        // The clock was set back: the history dropped its "future" readings.
        rebuild();
        return;
    }
    m_lastMs = t;
    const auto &quantities = rdrec::RecordedQuantities();
    for (Curve &c : m_curves) {
        if (c.quantity >= 0) {
            // Through float, as the history holds it, so a rebuild draws the same line.
            c.points.add(t, float(rdrec::QuantityValue(quantities[size_t(c.quantity)], reading)));
        }
    }
    if (t > m_axisEndMs) {
        moveTimeAxis(t);
        return;
    }
    // Between moves of the time axis only the short live tails change.
    for (Curve &c : m_curves) {
        if (c.quantity >= 0)
            c.live->replace(c.points.livePoints());
    }
    updateValueAxes();
}

void TrendDlg::moveTimeAxis(qint64 newestMs)
{
    // Moving the axis redraws every line, so it moves in steps of a hundredth of
    // the range (6 s of ten minutes, under 5 min of eight hours), leaving that
    // much room on the right, and the settled parts are replaced at the same time.
    const qint64 span = rangeMs();
    m_axisEndMs = newestMs + span / 100;
    for (Curve &c : m_curves) {
        // Emptied first, so the axis change below does not redraw the old lines.
        c.settled->clear();
        c.live->clear();
        c.points.trimBefore(m_axisEndMs - span);
        c.points.settle();
    }
    m_timeAxis->setFormat(span > kRangeMs[kOneHour] ? QStringLiteral("HH:mm")
                                                    : QStringLiteral("HH:mm:ss"));
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_axisEndMs - span),
                         QDateTime::fromMSecsSinceEpoch(m_axisEndMs));
    std::fill(m_scales.begin(), m_scales.end(), rdrec::AxisScale{0, 0, 0});   // may shrink now
    updateValueAxes();
    for (Curve &c : m_curves) {
        if (c.quantity < 0)
            continue;
        c.settled->replace(c.points.settledPoints());
        c.live->replace(c.points.livePoints());
    }
}

void TrendDlg::updateValueAxes()
{
    for (size_t a = 0; a < m_valueAxes.size(); ++a) {
        bool any = false;
        double lo = 0, hi = 0;
        for (const Curve &c : m_curves) {
            double l, h;
            if (c.axis != int(a) || !c.points.valueRange(&l, &h))
                continue;
            lo = any ? std::min(lo, l) : l;
            hi = any ? std::max(hi, h) : h;
            any = true;
        }
        // A little room, so a line does not run along the frame.
        const double pad = (hi - lo) * 0.02;
        const rdrec::AxisScale scale = any ? rdrec::NiceAxisScale(lo - pad, hi + pad) : rdrec::AxisScale{};
        // Only a change of the rounded limits touches the axis (and redraws its lines).
        if (scale != m_scales[a]) {
            m_scales[a] = scale;
            m_valueAxes[a]->setRange(scale.min, scale.max);
            m_valueAxes[a]->setTickCount(scale.ticks);
        }
    }
}

void TrendDlg::showPointTip(int slot, const QPointF &point, bool state)
{
    if (!state) {
        QToolTip::hideText();
        return;
    }
    const Curve &c = m_curves[size_t(slot)];
    const QList<QPointF> points = curvePoints(slot);
    if (points.isEmpty() || c.quantity < 0)
        return;
    // The reading nearest to the pointer along the time axis.
    auto it = std::lower_bound(points.begin(), points.end(), point.x(),
                               [](const QPointF &p, double x) { return p.x() < x; });
    if (it == points.end()
        || (it != points.begin() && point.x() - (it - 1)->x() < it->x() - point.x()))
        --it;
    const rdrec::Quantity &q = rdrec::RecordedQuantities()[size_t(c.quantity)];
    const QString time = QDateTime::fromMSecsSinceEpoch(qint64(it->x()))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QString value = QString::fromLatin1(rdrec::CsvNumber(it->y(), q.decimals));
    if (!q.unit.isEmpty())
        value += QLatin1Char(' ') + q.unit;
    QToolTip::showText(QCursor::pos(), QStringLiteral("%1\n%2\n%3").arg(rdrec::DisplayHeader(q), value, time), m_view);
}
