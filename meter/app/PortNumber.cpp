#include "PortNumber.h"

std::optional<int> ParsePortNumber(const QString &text)
{
    // Checked character by character first: the toolkit's conversion stops at an
    // embedded NUL and would take "1\0x" for 1.
    const QString t = text.trimmed();
    int i = (!t.isEmpty() && (t[0] == QLatin1Char('+') || t[0] == QLatin1Char('-'))) ? 1 : 0;
    if (i == t.size())
        return std::nullopt;
    for (; i < t.size(); ++i)
        if (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const int number = t.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}
