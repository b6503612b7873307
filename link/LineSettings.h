// The settings of a serial line: baud rate, parity, data and stop bits. The one
// form every layer passes around; the text "9600,N,8,1" is only what a person
// reads (status lines, logs, the tests' records of each open).
#pragma once

#include <QString>

namespace rdlink {

// In the order of the "通讯设置" radio buttons (无校验, 奇校验, 偶校验), so that a
// button's index converts both ways.
enum class Parity { None, Odd, Even };

struct LineSettings {
    int baudRate = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    bool operator==(const LineSettings &o) const
    {
        return baudRate == o.baudRate && parity == o.parity && dataBits == o.dataBits && stopBits == o.stopBits;
    }
    bool operator!=(const LineSettings &o) const { return !(*this == o); }
};

// 'N', 'O' or 'E'.
char ParityLetter(Parity parity);
// The parity of a radio button index; an index out of range is no parity.
Parity ParityFromIndex(int index);

// "9600,N,8,1".
QString SettingsText(const LineSettings &settings);
// A positive baud rate, 5 to 8 data bits, 1 or 2 stop bits.
bool IsValid(const LineSettings &settings);

} // namespace rdlink
