// Register names of the instrument, as the panel and the module program call them.
#include "RegisterNames.h"
#include <QCoreApplication>

namespace rdtraffic {

namespace {

constexpr uint16_t kHarmonicFirst = 0x020C;  // I1, I2, I3, U1, U2, U3 follow each other
constexpr uint16_t kHarmonicCount = 18;
constexpr uint16_t kRelayFirst = 0x0311;     // relay modules 1# to 3#, 12 registers each
constexpr uint16_t kRelayBlock = 12;
constexpr uint16_t kAnalogFirst = 0x0337;    // analog output modules 1# and 2#, 6 each
constexpr uint16_t kAnalogBlock = 6;

struct Block {
    uint16_t reg;
    uint16_t count;
    const char *name;
};

constexpr Block kBlocks[] = {
    {0x0000, 41, QT_TRANSLATE_NOOP("RegisterNames", "测量数据")},
    {0x0100, 1, QT_TRANSLATE_NOOP("RegisterNames", "模块")},
    {0x0300, 17, QT_TRANSLATE_NOOP("RegisterNames", "设备信息")},
    {0x0300, 1, QT_TRANSLATE_NOOP("RegisterNames", "子机地址")},      // the address probe
    {0x0760, 12, QT_TRANSLATE_NOOP("RegisterNames", "计数")},
    {0x0307, 2, "PT/CT"},
    {0x0335, 2, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲参数")},
};

struct Single {
    uint16_t reg;
    const char *name;
};

constexpr Single kWrites[] = {
    {0x0300, QT_TRANSLATE_NOOP("RegisterNames", "子机地址")},
    {0x0301, QT_TRANSLATE_NOOP("RegisterNames", "接线方式")},
    {0x0303, QT_TRANSLATE_NOOP("RegisterNames", "校验方式")},
    {0x0304, QT_TRANSLATE_NOOP("RegisterNames", "波特率")},
    {0x0306, QT_TRANSLATE_NOOP("RegisterNames", "脉冲宽度")},
    {0x0307, "PT"},
    {0x0308, "CT"},
    {0x0335, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲值")},
    {0x0336, QT_TRANSLATE_NOOP("RegisterNames", "电能脉冲宽度")},
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
