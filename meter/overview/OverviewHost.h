// What the overview needs from the main window: the program's link worker and
// port settings (one port, one user at a time), and the hand-over of the line in
// both directions. The main window implements it.
#pragma once

#include "link/LineSettings.h"
#include "link/LinkWorker.h"

#include <cstdint>

class OverviewHost {
public:
    virtual ~OverviewHost() = default;
    virtual rdlink::LinkWorker &linkWorker() = 0;
    // The port number and line settings in force ("通讯设置").
    virtual int commPort() const = 0;
    virtual rdlink::LineSettings lineSettings() const = 0;
    // The overview is about to use the line: the main window stops its polling
    // and its address search, as its own "停止" does.
    virtual void stopMainPolling() = 0;
    // A row was chosen (double click, Enter): the main window takes the address
    // into "子机地址" and polls it.
    virtual void pollMeter(uint8_t address) = 0;
    // The overview opened or closed the shared port (the main window's search
    // probes only an open port).
    virtual void portStateSeen(bool open) = 0;
};
