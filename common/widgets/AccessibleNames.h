// How every window of RD5800 and nolvex names its controls, and the helpers that
// do it. The rule, for every window and dialog of both programs:
//
//  1. A control's accessible name comes from its visible label. The label is made
//     the control's buddy (LabelFor) and the name is the label's text with blanks
//     (the spacing of Chinese captions; a blank between Latin words stays one)
//     removed; where the same caption appears in several groups, the group's
//     caption comes first, one space between (CaptionName). A box labelled by a
//     row and a column caption is named "column row".
//  2. Where the visible text is itself the label (buttons, radio buttons), the name
//     is that text and changes with it: texts are set with SetCaption, never with
//     setText alone, so that a screen reader never announces a stale action.
//  3. The value comes from the control itself: the text of an edit, the current
//     item of a list, the checked state of a choice. A value never goes into a name.
//  4. A label that shows a value (a rate, a unit, a device) is a ValueLabel: its
//     name is its caption and its text stays readable as its value and through the
//     text interface.
//  5. Radio choices are exclusive radio buttons (RadioChoice), reported as radio
//     buttons; the stored choice follows the checked state however it changed:
//     mouse, keyboard, an accessibility action or the program itself.
//
// On Linux the accessibility bridge names a combo box by its current item and
// reaches the caption only through the label relation, so a combo box must have
// its label as buddy; an editable combo box's edit, which takes the focus, carries
// the name as well.
#pragma once

#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

namespace rdwidgets {

// "group caption" with the blanks of both removed; just the caption without a group.
QString CaptionName(const QString &group, const QString &caption);

// Makes `label` the buddy label of `control` and names the control (and the edit
// of an editable combo box) `name`, or the label's text without blanks when
// `name` is empty. Call it after the control is made editable or not.
void LabelFor(QLabel *label, QWidget *control, const QString &name = QString());

// Sets a button's visible text and its accessible name together.
void SetCaption(QAbstractButton *button, const QString &text);

} // namespace rdwidgets
