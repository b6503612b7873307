// Read-only boxes take the dialog colour, writable boxes stay white: a box shows
// at a glance whether it can be typed into. A box that becomes writable (the
// pulse width after "修改") turns white while it is, and back when it is read-only
// again; the shade follows every change of the read-only state.
#pragma once

class QWidget;

namespace rdwidgets {

// Shades every line edit and plain text edit under `window` now and whenever its
// read-only state changes: read-only boxes take the window's background colour,
// writable ones the base colour of their parent (white in the dialogs).
void ShadeReadOnlyBoxes(QWidget *window);

} // namespace rdwidgets
