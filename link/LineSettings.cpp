#include "LineSettings.h"

namespace rdlink {

char ParityLetter(Parity parity)
{
    switch (parity) {
    case Parity::Odd: return 'O';
    case Parity::Even: return 'E';
    case Parity::None: break;
    }
    return 'N';
}

Parity ParityFromIndex(int index)
{
    switch (index) {
    case 1: return Parity::Odd;
    case 2: return Parity::Even;
    default: return Parity::None;
    }
}

QString SettingsText(const LineSettings &s)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(s.baudRate)
        .arg(QLatin1Char(ParityLetter(s.parity)))
        .arg(s.dataBits)
        .arg(s.stopBits);
}

bool IsValid(const LineSettings &s)
{
    return s.baudRate > 0 && s.dataBits >= 5 && s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2);
}

} // namespace rdlink
