// The simulator at run time: one thread, one poll loop over the pseudo-terminal
// master (or, as a gateway, the TCP listener and its client) and a signal
// descriptor. Requests are cut into frames, answered by the device (through the
// fault injector) and the replies paced out at line speed.
#pragma once

#include "sim/Device.h"
#include "sim/FaultInjector.h"
#include "sim/LinePacing.h"
#include "sim/MbapFramer.h"
#include "sim/Options.h"
#include "sim/PtyLine.h"
#include "sim/RequestHandler.h"
#include "sim/RxFramer.h"
#include "sim/SimLog.h"
#include "sim/TcpLine.h"

#include <string>
#include <vector>
#include <sys/types.h>

namespace rdsim {

class Server {
public:
    explicit Server(const Options &options);

    // Opens the line, the link and the log; prints nothing.
    bool start(std::string *error);
    // The pseudo-terminal's path, or the gateway's URL.
    const std::string &devicePath() const { return tcp() ? m_tcp.url() : m_line.devicePath(); }

    // Starts the program of "-- PROGRAM ARGS" with RD5800_COM1 set to the device.
    bool spawnProgram(std::string *error);

    // Serves until a terminating signal or, with a program, until it exits.
    // Returns the process exit status.
    int run();

private:
    static uint64_t NowNs();
    uint64_t msSinceStart(uint64_t ns) const { return (ns - m_startNs) / 1000000u; }
    // The line runs at the first meter's settings; on a bus they all share them.
    const Device &lineDevice() const { return m_devices.front(); }
    uint64_t charNs() const { return CharTimeNs(lineDevice().baud(), lineDevice().parity() != 'N'); }
    // The meter a request's address names, or nullptr.
    Device *meterAt(uint8_t address, size_t *index);
    // A broadcast write on a bus: every meter carries it out, none answers.
    void broadcastWrite(const Request &request, uint64_t ms);

    bool tcp() const { return m_options.tcpPort >= 0; }
    // Where requests come from and replies go: the master or the TCP client; -1 none.
    int dataFd() const;
    void acceptClient();
    void clientLeft(const char *why);
    // Modbus TCP: the reply burst as ADUs of the request's transaction.
    void wrapMbap(Burst &burst, Fault fault, const std::vector<uint8_t> &reply);

    void readLine(uint64_t nowNs);
    void handleFrame(const std::vector<uint8_t> &frame, uint64_t nowNs);
    void pump(uint64_t nowNs);
    // --flood: as many garbage bytes as the client's connection takes now.
    void flood();
    void vanish(const char *why);
    // A vanished device comes back (a new pseudo-terminal, the link renewed).
    void reappear();
    bool handleSignals();  // false when the loop should end

    Options m_options;
    std::vector<Device> m_devices;   // one, or the meters of --addresses in their order
    FaultInjector m_faults;
    PtyLine m_line;
    TcpLine m_tcp;
    RxFramer m_framer;
    MbapFramer m_mbap;
    uint16_t m_transaction = 0;   // of the Modbus TCP request being answered
    LinePacing m_pacing;
    SimLog m_log;
    int m_signalFd = -1;
    pid_t m_child = -1;
    int m_exitStatus = 0;
    uint64_t m_startNs = 0;
    uint64_t m_vanishAtNs = 0;
    bool m_flooding = false;   // --flood: a request came from the present client
};

} // namespace rdsim
