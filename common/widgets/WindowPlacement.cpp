// The placement of windows opened beside another one: the geometry rule and its
// use on a real window and screen.
#include "WindowPlacement.h"

#include <QMargins>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace rdwidgets {

QRect PlaceBeside(const QRect &parent, QSize frameSize, const QRect &available, int belowTop)
{
    const QSize size = frameSize.boundedTo(available.size()).expandedTo(QSize(1, 1));
    const int w = size.width();
    const int h = size.height();
    // One past the last column and row of the area: a window fits while its
    // left edge plus its width stays at or before it.
    const int areaEnd = available.left() + available.width();
    const int areaFoot = available.top() + available.height();

    const int rightOf = parent.left() + parent.width() + kBesideGap;
    const int leftOf = parent.left() - kBesideGap - w;
    int x;
    if (rightOf >= available.left() && rightOf + w <= areaEnd) {
        x = rightOf;
    } else if (leftOf >= available.left() && leftOf + w <= areaEnd) {
        x = leftOf;
    } else {
        const int roomRight = areaEnd - (parent.left() + parent.width());
        const int roomLeft = parent.left() - available.left();
        x = roomRight >= roomLeft ? areaEnd - w : available.left();
    }
    x = std::clamp(x, available.left(), areaEnd - w);
    const int y = std::clamp(parent.top() + belowTop, available.top(), areaFoot - h);
    return QRect(QPoint(x, y), size);
}

QSize FitContent(QSize content, const QMargins &frame, const QRect &available, int scrollBar)
{
    const int roomW = available.width() - frame.left() - frame.right();
    const int roomH = available.height() - frame.top() - frame.bottom();
    if (content.width() <= roomW && content.height() <= roomH)
        return content;
    // A cut in one direction brings a scroll bar that takes room from the other.
    bool cutH = content.height() > roomH;
    const bool cutW = content.width() + (cutH ? scrollBar : 0) > roomW;
    cutH = content.height() + (cutW ? scrollBar : 0) > roomH;
    const int w = std::min(content.width() + (cutH ? scrollBar : 0), roomW);
    const int h = std::min(content.height() + (cutW ? scrollBar : 0), roomH);
    return QSize(std::max(w, 1), std::max(h, 1));
}

QRect RoomBeside(const QRect &parent, QSize frameSize, const QRect &available)
{
    const int areaEnd = available.left() + available.width();
    const int w = frameSize.width();
    const int rightEnd = parent.left() + parent.width() + kBesideGap + w;   // one past the window's right edge
    const int leftStart = parent.left() - kBesideGap - w;
    if (rightEnd <= areaEnd || leftStart >= available.left())
        return parent;
    if (parent.width() + kBesideGap + w > available.width())
        return parent;
    const int shiftLeft = rightEnd - areaEnd;
    const int shiftRight = available.left() - leftStart;
    return shiftLeft <= shiftRight ? parent.translated(-shiftLeft, 0) : parent.translated(shiftRight, 0);
}

void MakeRoomBeside(QWidget *parent, const QWidget *window)
{
    QScreen *screen = parent ? parent->screen() : nullptr;
    if (!window || !screen)
        return;
    const QRect parentFrame = parent->frameGeometry();
    const QSize frame = parentFrame.size() - parent->size();   // frames as wide as the parent's
    const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    const QRect moved = RoomBeside(parentFrame, size + frame, screen->availableGeometry());
    if (moved != parentFrame)
        parent->move(moved.topLeft());
}

void OpenBeside(QWidget *window, const QWidget *parent, const QWidget *under)
{
    QScreen *screen = parent ? parent->screen() : nullptr;
    if (!window || !screen)
        return;
    // A window gets its size at its first show unless it was given one; the
    // placement needs it now.
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();

    const QRect parentFrame = parent->frameGeometry();
    const QRect parentInside = parent->geometry();
    const QMargins frame(parentInside.left() - parentFrame.left(), parentInside.top() - parentFrame.top(),
                         parentFrame.right() - parentInside.right(), parentFrame.bottom() - parentInside.bottom());
    const QRect available = screen->availableGeometry();
    // pos() of a window is where its frame starts.
    const int belowTop = under ? under->pos().y() - parentFrame.top() + under->height() + frame.top() +
                                     frame.bottom() + kBesideGap
                               : 0;

    const QSize size = window->size();
    QRect spot = PlaceBeside(parentFrame, size.grownBy(frame), available, belowTop);
    const QSize fitting = spot.size().shrunkBy(frame);
    if (fitting != size) {
        // Smaller than it would like, never smaller than it can be.
        const QSize taken = fitting.expandedTo(window->minimumSize()).boundedTo(window->maximumSize());
        window->resize(taken);
        spot = PlaceBeside(parentFrame, taken.grownBy(frame), available, belowTop);
    }
    window->move(spot.topLeft());
}

void ReopenBeside(QWidget *window, const QWidget *parent)
{
    QScreen *screen = parent ? parent->screen() : nullptr;
    if (!window || !screen)
        return;
    if (!screen->availableGeometry().contains(window->frameGeometry()))
        OpenBeside(window, parent);
}

} // namespace rdwidgets
