// Readings made up for the recording tests, the trend window shot and the benchmark.
#pragma once

#include "meter/acquisition/Reading.h"

#include <QDateTime>
#include <QTimeZone>
#include <cmath>

namespace rdtest {

// A plausible reading at `time`: values drift slowly with `seconds`.
inline rdacq::Reading SyntheticReading(const QDateTime &time, double seconds)
{
    rdacq::Reading r;
    r.time = time;
    auto &m = r.values;
    const double wave = std::sin(seconds / 900.0);
    for (int c = 0; c < 4; ++c) {
        m.phaseVoltage[c] = 220.0 + 3.0 * wave + c * 0.3;
        m.lineVoltage[c] = m.phaseVoltage[c] * 1.732;
        m.current[c] = 40.0 + 15.0 * std::sin(seconds / 1800.0 + c) + 2.0 * std::sin(seconds / 7.0);
        m.activePower[c] = m.phaseVoltage[c] * m.current[c] * 0.95 * (c == 0 ? 3 : 1);
        m.reactivePower[c] = m.activePower[c] * 0.3;
        m.apparentPower[c] = m.activePower[c] * 1.05;
        m.powerFactor[c] = 0.95 + 0.02 * wave;
    }
    m.frequency = 50.0 + 0.05 * std::sin(seconds / 300.0);
    m.ioWord = uint16_t((int(seconds / 600) & 0x3F) | 0x0100);
    m.energy = {uint32_t(23000 + seconds / 100), 12, uint32_t(5000 + seconds / 400), 3};
    r.counters = std::array<uint32_t, 6>{uint32_t(seconds / 60), 0, 0, 0, 0, 0};
    r.successRate = 99.5;
    return r;
}

inline QDateTime ChinaTime(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), QTimeZone(8 * 3600));
}

} // namespace rdtest
