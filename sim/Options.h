// The simulator's command line.
#pragma once

#include "sim/Device.h"
#include "sim/FaultInjector.h"

#include <string>
#include <vector>

namespace rdsim {

struct Options {
    DeviceConfig device;
    // --addresses: the meters of a simulated bus, one per address, in this order;
    // empty: the one meter of `device`.
    // Meters that share an address wait behind each other: only the first of them
    // that still has it answers, as meters wired in one after another.
    std::vector<uint8_t> addresses;
    // --refuse-write REG[@N]: meter N (1 = the first) refuses every write to REG.
    int refuseRegister = -1;
    size_t refuseMeter = 0;
    FaultRates faults;
    std::string linkPath;           // --link: symlink to the pseudo-terminal
    std::string logPath;            // --log: request log, "-" for standard output
    int turnaroundMs = 10;          // --turnaround
    int lateMs = 2000;              // --late-ms: how late a late reply comes
    long vanishAfterMs = -1;        // --vanish-after: device vanishes after this
    std::vector<std::string> program;  // after "--": run with RD5800_COM1 set
    // --tcp / --modbus-tcp: serve as a gateway on 127.0.0.1 instead of a
    // pseudo-terminal (-1: not; 0: a free port the system chooses).
    int tcpPort = -1;
    bool modbusTcp = false;            // MBAP framing instead of RTU frames over TCP
    int replyDelayMs = 0;              // --reply-delay: the gateway's network delay
    bool flood = false;                // --flood: a gateway that answers with endless garbage
    bool help = false;
};

// Parses argv[1..]. Returns false and a message for the user on a bad option.
bool ParseOptions(int argc, const char *const *argv, Options *out, std::string *error);

const char *UsageText();

} // namespace rdsim
