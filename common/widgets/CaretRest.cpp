#include "CaretRest.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

namespace rdwidgets {

CaretRest::CaretRest(QObject *parent, std::chrono::milliseconds idle)
    : QObject(parent), m_flashTime(QGuiApplication::styleHints()->cursorFlashTime())
{
    if (m_flashTime <= 0)
        return;
    m_idle.setSingleShot(true);
    m_idle.setInterval(idle);
    connect(&m_idle, &QTimer::timeout, this, &CaretRest::rest);
    QCoreApplication::instance()->installEventFilter(this);
    m_idle.start();
}

CaretRest::~CaretRest()
{
    if (m_flashTime > 0 && QCoreApplication::instance()) {
        QCoreApplication::instance()->removeEventFilter(this);
        wake();
        m_idle.stop();
    }
}

void CaretRest::rest()
{
    if (m_flashTime <= 0 || m_resting)
        return;
    m_resting = true;
    // Every line edit and text box follows this at once: its blink timer stops
    // and its caret stays drawn.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

void CaretRest::wake()
{
    if (m_resting) {
        m_resting = false;
        QGuiApplication::styleHints()->setCursorFlashTime(m_flashTime);
    }
    m_idle.start();
}

bool CaretRest::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
        // The same input reaches several objects on its way (window, widget):
        // the timer is started again each time, which costs nothing.
        wake();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rdwidgets
