// The port number entered in the communication settings dialog. No widgets, so
// that the parse can be tested and fuzzed on its own.
#pragma once

#include <QString>
#include <optional>

// Any whole number that fits an int, blanks around it allowed. 0 and negative
// numbers are taken as they are: the dialog passes them on, and opening such a
// port then fails with its own message. Empty when the text is not a number.
std::optional<int> ParsePortNumber(const QString &text);
