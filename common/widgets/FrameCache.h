// Line edits whose text changes at every reading repaint their frame each time,
// and Fusion strokes a frame's rounded outline and shadow line with
// antialiasing: three fifths of the cost of repainting a value box. The frames
// under a window are drawn once per size and colour into a pixmap, and copied
// from it after: 30 us a box change become 11 us. The pixels are those of the
// style's own drawing, within 2 levels in 255 where an antialiased edge meets
// the background.
#pragma once

class QWidget;

namespace rdwidgets {

// Every line edit under `window` (not the edit inside a combo box) takes its
// frame from the cache. Does nothing unless the application's style is Fusion,
// whose frame depends only on what the cache is keyed on: the frame's size, the
// pixel ratio, the focus, and the palette's window and highlight colours.
void CacheLineEditFrames(QWidget *window);

} // namespace rdwidgets
