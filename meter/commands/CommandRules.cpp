#include "CommandRules.h"
#include <QCoreApplication>

namespace rdcmd {

int BaudRateCode(int baudRate)
{
    switch (baudRate) {
    case 1200: return 0;
    case 2400: return 1;
    case 4800: return 2;
    case 9600: return 3;
    case 19200: return 4;
    default: return -1;
    }
}

int InstrumentParityCode(rdlink::Parity parity)
{
    switch (parity) {
    case rdlink::Parity::Odd: return 2;
    case rdlink::Parity::Even: return 1;
    case rdlink::Parity::None: break;
    }
    return 0;
}

QString LinkStatusText(int commPort, int baudRate, rdlink::Parity parity, bool spaced)
{
    QString text = spaced
        ? QCoreApplication::translate("CommandRules", "串行口: %1 \r\n\r\n波特率: %2 \r\n\r\n").arg(commPort).arg(baudRate)
        : QCoreApplication::translate("CommandRules", "串行口:%1\r\n\r\n波特率:%2\r\n\r\n").arg(commPort).arg(baudRate);
    switch (parity) {
    case rdlink::Parity::None: text += QCoreApplication::translate("CommandRules", "校验位:无校验"); break;
    case rdlink::Parity::Odd: text += QCoreApplication::translate("CommandRules", "校验位:奇校验"); break;
    case rdlink::Parity::Even: text += QCoreApplication::translate("CommandRules", "校验位:偶校验"); break;
    }
    return text;
}

NumberCheck CheckWholeNumber(const QString &text, uint32_t min, uint32_t max)
{
    NumberCheck result;
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i == t.size()) {
        result.notANumber = true;
        return result;
    }
    uint64_t value = 0;
    bool huge = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            result.notANumber = true;
            return result;
        }
        if (!huge) {
            value = value * 10 + static_cast<uint64_t>(c.unicode() - '0');
            if (value > 0xFFFFFFFFull)
                huge = true;
        }
    }
    if (huge || (negative && value != 0) || value < min || value > max)
        return result;   // a number, but out of range
    result.ok = true;
    result.value = static_cast<uint32_t>(value);
    return result;
}

QString NotANumberMessage()
{
    return QCoreApplication::translate("CommandRules", "请输入一个整数。");
}

QString OutOfRangeMessage(uint32_t min, uint32_t max)
{
    return QCoreApplication::translate("CommandRules", "请输入一个在 %1 和 %2 之间的整数。").arg(min).arg(max);
}

QString PulseWidthRefusedMessage()
{
    return QCoreApplication::translate("CommandRules", "脉冲宽度请输入 0 到 255 之间的整数 (ms)。");
}

} // namespace rdcmd
