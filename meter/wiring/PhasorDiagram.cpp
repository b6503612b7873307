#include "PhasorDiagram.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QtMath>

namespace {

constexpr int kLegendLineHeight = 20;
constexpr double kCurrentScale = 0.72;   // currents end inside the voltages' circle

QPointF Tip(const QPointF &centre, double radius, double degrees)
{
    const double a = qDegreesToRadians(degrees);
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

void Arrow(QPainter &p, const QPointF &from, const QPointF &to, double head)
{
    p.drawLine(from, to);
    const QLineF line(to, from);
    if (line.length() < head)
        return;
    QLineF side = line;
    side.setLength(head);
    QPainterPath path;
    path.moveTo(to);
    side.setAngle(line.angle() + 25);
    path.lineTo(side.p2());
    side.setAngle(line.angle() - 25);
    path.lineTo(side.p2());
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

} // namespace

PhasorDiagram::PhasorDiagram(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(QCoreApplication::translate("PhasorDiagram", "相量图"));
    // Reachable with Tab, so that a screen reader reads the values in the description.
    setFocusPolicy(Qt::TabFocus);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QColor PhasorDiagram::PhaseColour(int phase)
{
    static const QColor kColours[3] = {QColor(0xC8, 0x9B, 0x00), QColor(0x00, 0x8A, 0x2E), QColor(0xD0, 0x1C, 0x1C)};
    return kColours[phase % 3];
}

void PhasorDiagram::setPhasors(const std::array<rddiag::Phasor, 3> &phasors)
{
    m_phasors = phasors;
    const QString text = valuesText();
    setAccessibleDescription(text);
    setToolTip(text);
    update();
}

QString PhasorDiagram::valuesText() const
{
    QStringList lines;
    for (int p = 0; p < 3; ++p)
        if (m_phasors[size_t(p)].shown)
            lines << rddiag::PhasorText(m_phasors[size_t(p)], p);
    return lines.join(QLatin1Char('\n'));
}

void PhasorDiagram::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The legend below the circle: one line per phase, wrapped where a line is
    // longer than the widget is wide (a 3-wire element's line is).
    const int legendFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    const QRect legendText(26, 0, std::max(40, width() - 30), 1000);
    std::array<int, 3> legendLines{};
    int legendHeight = 8;
    for (int ph = 0; ph < 3; ++ph) {
        if (!m_phasors[size_t(ph)].shown)
            continue;
        const int textHeight = fontMetrics().boundingRect(legendText, legendFlags, rddiag::PhasorText(m_phasors[size_t(ph)], ph)).height();
        legendLines[size_t(ph)] = std::max(kLegendLineHeight, textHeight + 4);
        legendHeight += legendLines[size_t(ph)];
    }
    legendHeight = std::max(legendHeight, 3 * kLegendLineHeight + 8);
    const QRectF area(0, 0, width(), height() - legendHeight);
    const QPointF centre = area.center();
    const double radius = std::max(20.0, std::min(area.width(), area.height()) / 2 - 30);

    // The scale: the circle of the largest voltage, the axes and every 30 degrees.
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    p.drawEllipse(centre, radius, radius);
    p.drawEllipse(centre, radius * kCurrentScale, radius * kCurrentScale);
    for (int deg = 0; deg < 360; deg += 30)
        p.drawLine(centre, Tip(centre, radius, deg));
    p.setPen(palette().color(QPalette::Text));
    // Below the 0 deg axis and left of the 90 deg axis: the phasors' names sit at their tips.
    p.drawText(QRectF(centre.x() + radius - 34, centre.y() + 2, 32, 16), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("0°"));
    p.drawText(QRectF(centre.x() - 42, centre.y() - radius + 2, 34, 16), Qt::AlignRight | Qt::AlignTop,
               QStringLiteral("90°"));

    for (int ph = 0; ph < 3; ++ph) {
        const rddiag::Phasor &v = m_phasors[size_t(ph)];
        if (!v.shown)
            continue;
        const QColor colour = PhaseColour(ph);
        const QString letter = rddiag::PhaseLetter(ph);
        // Voltage: a solid wide arrow.
        p.setPen(QPen(colour, 3));
        const QPointF uTip = Tip(centre, radius * v.voltageLength, v.voltageAngle);
        Arrow(p, centre, uTip, 12);
        // A 3-wire element's voltage is a line voltage: "UAB", "UCB".
        const QString uName = QStringLiteral("U") + letter + (v.lineTo >= 0 ? rddiag::PhaseLetter(v.lineTo) : QString());
        p.drawText(QRectF(Tip(centre, radius * v.voltageLength + 20, v.voltageAngle) - QPointF(20, 9), QSizeF(40, 18)),
                   Qt::AlignCenter, uName);
        // Current: a dashed narrow arrow, drawn only when phi is known.
        if (v.phi && v.currentLength > 0) {
            p.setPen(QPen(colour, 2, Qt::DashLine));
            const double length = radius * kCurrentScale * v.currentLength;
            Arrow(p, centre, Tip(centre, length, v.currentAngle), 10);
            p.setPen(QPen(colour.darker(130), 1));
            p.drawText(QRectF(Tip(centre, length + 14, v.currentAngle) - QPointF(16, 9), QSizeF(32, 18)),
                       Qt::AlignCenter, QStringLiteral("I") + letter);
        }
    }

    // The legend: a colour swatch and the values of each phase.
    p.setPen(palette().color(QPalette::Text));
    double y = area.bottom() + 6;
    for (int ph = 0; ph < 3; ++ph) {
        const rddiag::Phasor &v = m_phasors[size_t(ph)];
        if (!v.shown)
            continue;
        p.fillRect(QRectF(6, y + 5, 14, 10), PhaseColour(ph));
        p.drawText(QRectF(26, y, legendText.width(), legendLines[size_t(ph)]), legendFlags, rddiag::PhasorText(v, ph));
        y += legendLines[size_t(ph)];
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}
