// Register names of the instrument, as the panel and the module program call them.
#include "RegisterNames.h"
#include "common/registers/RegisterMap.h"

#include <QCoreApplication>

namespace rdtraffic {

namespace {

using namespace rdreg;

constexpr uint16_t kHarmonicFirst = kHarmonics;   // I1, I2, I3, U1, U2, U3 follow each other
constexpr uint16_t kHarmonicCount = kHarmonicsCount;
constexpr uint16_t kRelayFirst = kRelays;         // relay modules 1# to 3#
constexpr uint16_t kRelayBlock = kRelayBlockCount;
constexpr uint16_t kAnalogFirst = kAnalogOutputs; // analog output modules 1# and 2#
constexpr uint16_t kAnalogBlock = kAnalogBlockCount;

struct Block {
    uint16_t reg;
    uint16_t count;
    const char *name;
};

constexpr Block kBlocks[] = {
    {kMeasurements, kMeasurementsCount, QT_TRANSLATE_NOOP("RegisterNames", "测量数据")},
    {kModulePresence, 1, QT_TRANSLATE_NOOP("RegisterNames", "模块")},
    {kDeviceInfo, kDeviceInfoCount, QT_TRANSLATE_NOOP("RegisterNames", "设备信息")},
    {kSlaveAddress, 1, QT_TRANSLATE_NOOP("RegisterNames", "子机地址")},      // the address probe
    {kCounters, kCountersCount, QT_TRANSLATE_NOOP("RegisterNames", "计数")},
    {kPtRatio, 2, "PT/CT"},
    {kPulseValue, 2, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲参数")},
};

struct Single {
    uint16_t reg;
    const char *name;
};

constexpr Single kWrites[] = {
    {kSlaveAddress, QT_TRANSLATE_NOOP("RegisterNames", "子机地址")},
    {kWiringMode, QT_TRANSLATE_NOOP("RegisterNames", "接线方式")},
    {kParity, QT_TRANSLATE_NOOP("RegisterNames", "校验方式")},
    {kBaudRate, QT_TRANSLATE_NOOP("RegisterNames", "波特率")},
    {kPulseWidth, QT_TRANSLATE_NOOP("RegisterNames", "脉冲宽度")},
    {kPtRatio, "PT"},
    {kCtRatio, "CT"},
    {kPulseValue, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲值")},
    {kPulseModuleWidth, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲宽度")},
};

} // namespace

QString ReadBlockName(uint16_t reg, uint16_t count)
{
    for (const Block &b : kBlocks)
        if (b.reg == reg && b.count == count)
            return QCoreApplication::translate("RegisterNames", b.name);
    static const char *const harmonicItems[] = {"I1", "I2", "I3", "U1", "U2", "U3"};
    if (count == kHarmonicCount && reg >= kHarmonicFirst && (reg - kHarmonicFirst) % kHarmonicCount == 0) {
        const int item = (reg - kHarmonicFirst) / kHarmonicCount;
        if (item < 6)
            return QCoreApplication::translate("RegisterNames", "谐波 %1").arg(QLatin1String(harmonicItems[item]));
    }
    if (count == kRelayBlock && reg >= kRelayFirst && (reg - kRelayFirst) % kRelayBlock == 0) {
        const int module = (reg - kRelayFirst) / kRelayBlock + 1;
        if (module <= 3)
            return QCoreApplication::translate("RegisterNames", "继电器模块 %1#").arg(module);
    }
    if (count == kAnalogBlock && (reg == kAnalogFirst || reg == kAnalogFirst + kAnalogBlock))
        return QCoreApplication::translate("RegisterNames", "模拟量模块 %1#").arg((reg - kAnalogFirst) / kAnalogBlock + 1);
    return {};
}

QString WriteRegisterName(uint16_t reg)
{
    for (const Single &s : kWrites)
        if (s.reg == reg)
            return QCoreApplication::translate("RegisterNames", s.name);
    if (reg >= kRelayFirst && reg < kRelayFirst + 3 * kRelayBlock) {
        const int offset = reg - kRelayFirst;
        return QCoreApplication::translate("RegisterNames", "继电器模块 %1# 继电器 %2")
            .arg(offset / kRelayBlock + 1)
            .arg(offset % kRelayBlock / 6 + 1);
    }
    if (reg >= kAnalogFirst && reg < kAnalogFirst + 2 * kAnalogBlock) {
        const int offset = reg - kAnalogFirst;
        return QCoreApplication::translate("RegisterNames", "模拟量模块 %1# 输出 %2")
            .arg(offset / kAnalogBlock + 1)
            .arg(offset % kAnalogBlock / 3 + 1);
    }
    return {};
}

} // namespace rdtraffic
