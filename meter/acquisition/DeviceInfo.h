// The device information block, registers 0x0300 to 0x0310. Only the address,
// wiring mode, pulse width, PT and CT ratios and the accuracy flag are used.
#pragma once

#include "RegisterValues.h"
#include "common/registers/RegisterMap.h"

#include <QString>
#include <cstdint>

namespace rdacq {

constexpr uint16_t kDeviceInfoRegister = rdreg::kDeviceInfo;
constexpr uint16_t kDeviceInfoCount = rdreg::kDeviceInfoCount;

struct DeviceInfo {
    uint8_t slaveAddress = 0;   // 0x0300, low byte
    uint8_t wiringMode = 0;     // 0x0301, low byte
    uint8_t pulseWidth = 0;     // 0x0306, low byte, ms
    uint16_t ptRatio = 0;       // 0x0307
    uint16_t ctRatio = 0;       // 0x0308
    uint8_t accuracyFlag = 0;   // 0x030A, low byte: 0 = class 0.5, otherwise 0.2
};

DeviceInfo DecodeDeviceInfo(const Registers &data);

QString PulseWidthText(uint8_t pulseWidth);   // "%d"
QString AccuracyText(uint8_t accuracyFlag);   // "0.5级" / "0.2级"

} // namespace rdacq
