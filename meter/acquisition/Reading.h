// What one tick with a good measurement reply gives to recording and trends: the
// decoded values (not the window's texts), with the time they were read.
#pragma once

#include "Measurements.h"

#include <QDateTime>
#include <QMetaType>
#include <array>
#include <cstdint>
#include <optional>

namespace rdacq {

struct Reading {
    QDateTime time;            // local time of the measurement reply
    Measurements values;       // decoded with the PT and CT ratios in force
    // The six input counters of the latest counter reply, if one has come yet.
    std::optional<std::array<uint32_t, 6>> counters;
    double successRate = 0;    // percent, the value "通讯成功率" shows after this tick
    // The wiring mode (register 0x0301) the values were taken under, as the tick
    // knew it: the wiring check reads the values by it.
    uint8_t wiringMode = 0;
    // The PT and CT ratios the values were decoded with: the wiring check judges
    // whether a voltage or current is measurable on the meter's own input.
    uint32_t ptRatio = 1;
    uint32_t ctRatio = 1;
};

} // namespace rdacq

Q_DECLARE_METATYPE(rdacq::Reading)
