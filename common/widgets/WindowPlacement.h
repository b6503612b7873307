// Where a window that a program opens next to another one (the line monitor, the
// trend chart, the usage notes, nolvex's pulse and analog windows) appears: wholly
// inside the available area of the screen its parent is on, beside the parent
// where there is room. One rule for both programs, so that no window opens with
// its columns or buttons off the screen on a small laptop screen.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace rdwidgets {

// The gap between a window and the parent it opens beside.
constexpr int kBesideGap = 12;

// The frame rectangle for a window whose frame is `frameSize`, opened next to the
// parent frame `parent` on a screen whose available area is `available`:
//  - right of the parent when it fits there, else left of it; its top
//    `belowTop` pixels under the parent's top (a second window stacks under a
//    first one), moved up as far as needed to end above the bottom of the area;
//  - when it fits on neither side, against the edge of the area on the side with
//    more room, so that as much of the parent as possible stays in view;
//  - never larger than the area: a larger size is cut to it (the caller decides
//    whether the window can take the smaller size).
// The result always lies inside `available`.
QRect PlaceBeside(const QRect &parent, QSize frameSize, const QRect &available, int belowTop = 0);

// Moves `window` (a top-level window not yet shown) to where PlaceBeside puts it
// beside `parent` on the parent's screen, under the window `under` when one is
// given (a window opened beside the same parent before), and shrinks it, within
// its minimum size, where the screen is smaller than the window. Frames are taken
// to be as wide as the parent's: the system tells a window's frame only once it
// is on the screen.
void OpenBeside(QWidget *window, const QWidget *parent, const QWidget *under = nullptr);

// The parent's frame moved sideways, as little as needed, so that a window of
// frame `frameSize` fits beside it on `available` (right or left, whichever needs
// the shorter move); `parent` unchanged when the window fits already, or when
// the two cannot stand side by side on the area at all.
QRect RoomBeside(const QRect &parent, QSize frameSize, const QRect &available);

// Moves `parent` (shown) where RoomBeside puts it for `window` (not yet shown),
// so that the window can open beside it without covering it.
void MakeRoomBeside(QWidget *parent, const QWidget *window);

// For a window shown again after it was closed: keeps where it was (the user may
// have put it there) while that is still wholly on the parent's screen, else opens
// it beside the parent as above (the parent moved to another screen, or the screen
// became smaller).
void ReopenBeside(QWidget *window, const QWidget *parent);

// The inside size of a window of fixed content `content` with frame `frame` on a
// screen whose available area is `available`: the content's own size when the
// framed window fits the area; otherwise cut to the area, with room for the
// scroll bar of each direction that is cut (`scrollBar` pixels thick), so that the
// content can be scrolled to every control.
QSize FitContent(QSize content, const QMargins &frame, const QRect &available, int scrollBar);

// A frame for a window the system has not framed yet: a 1 px border and a 30 px
// title bar, as most desktops draw them.
constexpr QMargins kAssumedFrame{1, 30, 1, 1};

} // namespace rdwidgets
