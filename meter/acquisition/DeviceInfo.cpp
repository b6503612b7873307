#include "DeviceInfo.h"

#include "RegisterValues.h"
#include <QCoreApplication>

namespace rdacq {

DeviceInfo DecodeDeviceInfo(const Registers &data)
{
    DeviceInfo d;
    using namespace rdreg;
    d.slaveAddress = LowByte(data, InBlock(kSlaveAddress));
    d.wiringMode = LowByte(data, InBlock(kWiringMode));
    d.pulseWidth = LowByte(data, InBlock(kPulseWidth));
    d.ptRatio = U16(data, InBlock(kPtRatio));
    d.ctRatio = U16(data, InBlock(kCtRatio));
    d.accuracyFlag = LowByte(data, InBlock(kAccuracy));
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
