#include "DeviceInfo.h"

#include "Registers.h"
#include <QCoreApplication>

namespace rdacq {

DeviceInfo DecodeDeviceInfo(const uint8_t *data)
{
    DeviceInfo d;
    d.slaveAddress = LowByte(data, 0x00);
    d.wiringMode = LowByte(data, 0x01);
    d.pulseWidth = LowByte(data, 0x06);
    d.ptRatio = U16(data, 0x07);
    d.ctRatio = U16(data, 0x08);
    d.accuracyFlag = LowByte(data, 0x0A);
    return d;
}

QString PulseWidthText(uint8_t pulseWidth)
{
    return QString::asprintf("%d", pulseWidth);
}

QString AccuracyText(uint8_t accuracyFlag)
{
    return accuracyFlag == 0 ? QCoreApplication::translate("DeviceInfo", "0.5级") : QCoreApplication::translate("DeviceInfo", "0.2级");
}

} // namespace rdacq
