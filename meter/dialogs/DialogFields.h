// Reading a whole-number edit in the entry dialogs, the way the toolkit's data
// exchange does it: a bad entry gets its message once, the edit gets the focus
// with its text selected, and the dialog stays open.
#pragma once

#include <cstdint>

class Prompter;
class QLineEdit;
class QWidget;

// Returns true and sets *value when the edit holds a whole number in [min, max].
bool ReadNumberField(QLineEdit *edit, uint32_t min, uint32_t max, Prompter &prompter,
                     QWidget *parent, uint32_t *value);
