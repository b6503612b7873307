// The worker-side half of the main window (MeterDlg.cpp, MeterDlgCommands.cpp).
#pragma once

#include "MeterDlg.h"

#include <QMutex>

#include <atomic>

// The instrument state and the poll state, owned by the jobs. The generations
// let the window withdraw ticks and probes it posted but that have not started:
// a job whose generation is stale sends nothing.
struct CMeterDlg::Line {
    MeterState state;
    rdacq::PollCycle poll{state};
    std::atomic<unsigned> pollGeneration{0};
    std::atomic<unsigned> searchGeneration{0};
    // What the boxes held when the window last looked; a tick reads it when it starts.
    QMutex inputMutex;
    rdacq::TickInput input;
};
