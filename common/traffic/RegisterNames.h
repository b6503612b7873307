// The meter's names for the register blocks the programs read and the registers
// they write, so the line monitor can say "测量数据" instead of a bare address.
// The numbers are the instrument's register map; they are copied here because
// common/ must not depend on the meter program.
#pragma once

#include <QString>
#include <cstdint>

namespace rdtraffic {

// Name of a read of `count` registers from `reg` when it is one of the blocks the
// programs read ("测量数据", "谐波 I1", "继电器模块 2#" ...); empty otherwise.
QString ReadBlockName(uint16_t reg, uint16_t count);

// Name of a single register the programs write ("波特率", "PT", "继电器模块 1# 继电器 2"
// ...); empty for a register no program writes.
QString WriteRegisterName(uint16_t reg);

} // namespace rdtraffic
