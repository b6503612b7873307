#include "SerialPort.h"

#include "PortName.h"

#include <QCoreApplication>

namespace rdlink {

bool OpenPort(SerialPort &port, int portNumber, const LineSettings &settings)
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

} // namespace rdlink

namespace rdlink {

QString PortOpenFailureText(int portNumber, const QString &device, const QString &reason, PortError kind)
{
    // A gateway: the URL names HOST:PORT, the reason is the connection's.
    if (IsNetworkPortName(device))
        return QCoreApplication::translate("SerialPort", "无法连接 COM%1 (%2)：%3").arg(portNumber).arg(device, reason);
    QString text = device.isEmpty()
        ? QCoreApplication::translate("SerialPort", "无法打开串口 COM%1：没有对应的串口设备。").arg(portNumber)
        : QCoreApplication::translate("SerialPort", "无法打开串口 COM%1 (%2)：%3").arg(portNumber).arg(device, reason);
    if (kind == PortError::AccessRefused)
        text += QCoreApplication::translate("SerialPort", "\r\n请确认串口未被其他程序占用，并将当前用户加入 dialout 组。");
    else if (kind == PortError::Busy)
        text += QCoreApplication::translate("SerialPort", "\r\n请先关闭正在使用该串口的程序 (例如 rd5800d 或另一个 RD5800)，再试一次。");
    return text;
}

QString PortLostText(int portNumber, const QString &device, const QString &reason)
{
    if (IsNetworkPortName(device))
        return QCoreApplication::translate("SerialPort", "COM%1 (%2) 的连接中断：%3").arg(portNumber).arg(device, reason);
    return QCoreApplication::translate("SerialPort", "串口 COM%1 (%2) 已断开：%3")
        .arg(portNumber)
        .arg(device.isEmpty() ? QCoreApplication::translate("SerialPort", "无对应设备") : device, reason);
}

} // namespace rdlink
