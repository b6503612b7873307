// Small helpers for the fixed layouts of the module windows: controls placed at
// fixed positions with their accessible names (caption, blanks removed, group
// caption first and one space between).
#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace rdmod {

QString AccessibleName(const QString &group, const QString &caption);

QLabel *PlaceLabel(QWidget *parent, const QString &text, int x, int y, int w, int h = 20);
QLineEdit *PlaceEdit(QWidget *parent, const QString &name, int x, int y, int w, int h = 22);
QComboBox *PlaceCombo(QWidget *parent, const QString &name, int x, int y, int w, bool editable, int h = 24);
QPushButton *PlaceButton(QWidget *parent, const QString &text, int x, int y, int w = 80, int h = 26);

} // namespace rdmod
