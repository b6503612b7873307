// The main window on the screen it is on: the designed layout where the screen
// holds it, a scrolling page cut to the available area where it does not.
#include "MeterDlg.h"

#include "common/widgets/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>

#include <algorithm>

void CMeterDlg::followFocus()
{
    // Whatever the keyboard reaches on a scrolled page is scrolled into view. The
    // destructor ends the connection: QWidget's own destructor still moves the
    // focus, when this is no longer a CMeterDlg.
    m_focusFollower = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (m_scroll && now && m_content->isAncestorOf(now))
            m_scroll->ensureWidgetVisible(now);
    });
}

void CMeterDlg::fitToScreen(const QRect &available)
{
    // The frame as drawn once the window is on the screen; assumed before.
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins frame = isVisible() && outer != inner
        ? QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                   outer.bottom() - inner.bottom())
        : rdwidgets::kAssumedFrame;
    const QSize client = rdwidgets::FitContent(m_content->size(), frame, available,
                                               style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    if (client == m_content->size()) {
        // The whole window fits: the page as it always was, without a scroll area.
        if (m_scroll) {
            m_scroll->takeWidget();
            m_content->setParent(this);
            m_content->move(0, 0);
            m_content->show();
            delete m_scroll;
            m_scroll = nullptr;
        }
    } else {
        if (!m_scroll) {
            m_scroll = new QScrollArea(this);
            m_scroll->setFrameShape(QFrame::NoFrame);
            m_scroll->setAccessibleName(windowTitle());
            m_scroll->setWidget(m_content);
            m_scroll->show();
        }
        m_scroll->setGeometry(0, 0, client.width(), client.height());
    }
    setFixedSize(client);
    // Wholly on the area, title bar included.
    const QSize framed = client.grownBy(frame);
    const QPoint at(std::clamp(outer.left(), available.left(), std::max(available.left(), available.right() + 1 - framed.width())),
                    std::clamp(outer.top(), available.top(), std::max(available.top(), available.bottom() + 1 - framed.height())));
    if (at != outer.topLeft())
        move(at);
}

void CMeterDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_screenWatched && windowHandle()) {
        // A window taken to another screen fits that one.
        m_screenWatched = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this](QScreen *screen) {
            if (screen)
                fitToScreen(screen->availableGeometry());
        });
    }
    if (screen())
        fitToScreen(screen()->availableGeometry());
}
