#include "Lamp.h"

#include <QPainter>
#include <QCoreApplication>

CLamp::CLamp(const QString &caption, QWidget *parent)
    : QWidget(parent),
      m_onBitmap(QStringLiteral(":/meter/lamp_on.xpm")),
      m_offBitmap(QStringLiteral(":/meter/lamp_off.xpm"))
{
    setFixedSize(kSize, kSize);
    setAccessibleName(caption);
    setAccessibleDescription(QCoreApplication::translate("Lamp", "灭"));
}

void CLamp::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    setAccessibleDescription(on ? QCoreApplication::translate("Lamp", "亮") : QCoreApplication::translate("Lamp", "灭"));
    update();
}

void CLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // Only the bitmap's own pixels carry meaning; the rest of the block is the
    // window's background.
    painter.drawPixmap(0, 0, m_on ? m_onBitmap : m_offBitmap);
}
