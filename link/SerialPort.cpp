#include "SerialPort.h"

#include <QStringList>
#include <QCoreApplication>

namespace rdlink {

bool OpenPort(SerialPort &port, int portNumber, const QString &settings)
{
    port.setPortNumber(portNumber);
    port.setSettings(settings);
    if (!port.open())
        return false;
    port.discardInput();
    return true;
}

void ClosePortIfOpen(SerialPort &port)
{
    if (port.isOpen())
        port.close();
}

QString SettingsText(int baudRate, int parityCode)
{
    static const char *const kParity[] = {"N", "O", "E"};
    const char *letter = (parityCode >= 0 && parityCode <= 2) ? kParity[parityCode] : "N";
    return QStringLiteral("%1,%2,8,1").arg(baudRate).arg(QLatin1String(letter));
}

bool ParseSettings(const QString &text, LineSettings *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    LineSettings s;
    s.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0)
        return false;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity != QLatin1String("N") && parity != QLatin1String("O") && parity != QLatin1String("E"))
        return false;
    s.parity = parity.at(0).toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return false;
    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return false;
    if (out)
        *out = s;
    return true;
}

} // namespace rdlink

namespace rdlink {

QString PortOpenFailureText(int portNumber, const QString &device, const QString &reason)
{
    QString text = device.isEmpty()
        ? QCoreApplication::translate("SerialPort", "无法打开串口 COM%1：没有对应的串口设备。").arg(portNumber)
        : QCoreApplication::translate("SerialPort", "无法打开串口 COM%1 (%2)：%3").arg(portNumber).arg(device, reason);
    if (reason.contains(QLatin1String("ermission")))
        text += QCoreApplication::translate("SerialPort", "\r\n请确认串口未被其他程序占用，并将当前用户加入 dialout 组。");
    return text;
}

QString PortLostText(int portNumber, const QString &device, const QString &reason)
{
    return QCoreApplication::translate("SerialPort", "串口 COM%1 (%2) 已断开：%3")
        .arg(portNumber)
        .arg(device.isEmpty() ? QCoreApplication::translate("SerialPort", "无对应设备") : device, reason);
}

} // namespace rdlink
