// Small helpers for the fixed layouts of the module windows: controls placed at
// fixed positions and named by the rule in common/widgets/AccessibleNames.h
// (caption, blanks removed, group caption first and one space between). An edit
// or a list is given the label of its caption, placed beside it in the same
// parent, as its buddy label.
#pragma once

#include "common/widgets/AccessibleNames.h"

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace rdmod {

inline QString AccessibleName(const QString &group, const QString &caption)
{
    return rdwidgets::CaptionName(group, caption);
}

QLabel *PlaceLabel(QWidget *parent, const QString &text, int x, int y, int w, int h = 20);
// A label that shows a value (a unit): named `name`, its text read as its value.
QLabel *PlaceValueLabel(QWidget *parent, const QString &name, const QString &text, int x, int y, int w,
                        int h = 20);
QLineEdit *PlaceEdit(QWidget *parent, const QString &name, int x, int y, int w, int h = 22);
QComboBox *PlaceCombo(QWidget *parent, const QString &name, int x, int y, int w, bool editable, int h = 24);
QPushButton *PlaceButton(QWidget *parent, const QString &text, int x, int y, int w = 80, int h = 26);

} // namespace rdmod
