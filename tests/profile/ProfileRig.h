// A link to rd5800-sim for the profile tests: the real serial adapter on the
// simulator's pseudo-terminal, in real time, and the simulator's log as the
// record of what went on the line.
#pragma once

#include "../sim/SimProcess.h"
#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/QtSerialPort.h"

#include <memory>

struct SimLink {
    explicit SimLink(const std::vector<std::string> &args) : sim(args)
    {
        port.setDevice(QString::fromStdString(sim.device()));
        opened = sim.started() && rdlink::OpenPort(port, 1, rdlink::LineSettings{});
    }

    // The writes (function 6) in the log from line `from` on: register, value.
    std::vector<std::pair<uint16_t, uint16_t>> writes(size_t from = 0) const
    {
        std::vector<std::pair<uint16_t, uint16_t>> out;
        const auto rx = sim.logLines("rx");
        for (size_t i = from; i < rx.size(); ++i)
            if (rx[i].bytes.size() == 8 && rx[i].bytes[1] == 6)
                out.emplace_back(uint16_t(rx[i].bytes[2] << 8 | rx[i].bytes[3]), uint16_t(rx[i].bytes[4] << 8 | rx[i].bytes[5]));
        return out;
    }

    simtest::SimProcess sim;
    rdlink::QtSerialPort port;
    rdlink::SteadyClock clock;
    rdlink::Link link{port, clock};
    bool opened = false;
};
