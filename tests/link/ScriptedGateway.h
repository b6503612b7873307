// Loopback stand-ins for an Ethernet gateway, for the TCP port's tests: a server
// that answers each request from a script (RTU over TCP or Modbus TCP), a
// listener that never accepts, and a port where nothing listens. Plain POSIX
// sockets on 127.0.0.1, bounded in time; independent of link/ (own CRC).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace gwtest {

// Bitwise CRC-16/MODBUS appended low byte first, as on the wire.
void AppendCrc(std::vector<uint8_t> &frame);
// An RTU reply to a read of `count` registers: register i holds first + i.
std::vector<uint8_t> RtuReadReply(uint8_t address, int count, uint16_t first);
// A Modbus TCP ADU: header, unit id, PDU.
std::vector<uint8_t> Adu(uint16_t transaction, uint8_t unit, const std::vector<uint8_t> &pdu);
// The PDU of a read reply of `count` registers holding first, first + 1, ...
std::vector<uint8_t> ReadReplyPdu(int count, uint16_t first);

// A port on 127.0.0.1 that nothing listens on (bound, then closed).
int ClosedLoopbackPort();

class ScriptedGateway {
public:
    struct Piece {
        std::vector<uint8_t> bytes;
        int delayMs = 0;     // before these bytes leave
        bool close = false;  // then the connection is closed
        bool reset = false;  // ... with a reset instead of an orderly close
    };
    // The request as received (an 8-byte RTU frame or a whole ADU) and its
    // number since the start, 0 first.
    using Responder = std::function<std::vector<Piece>(const std::vector<uint8_t> &request, int index)>;

    ScriptedGateway(bool mbap, Responder responder);
    ~ScriptedGateway();
    int port() const { return m_port; }
    int requests() const { return m_requests; }

private:
    void serve();
    bool m_mbap;
    Responder m_responder;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Listens with the smallest backlog and never accepts; connections made here
// fill the backlog, so that the next connect gets no answer at all (a slow or
// overloaded gateway).
class SilentListener {
public:
    explicit SilentListener(int fillers);
    ~SilentListener();
    int port() const { return m_port; }

private:
    int m_listen = -1;
    int m_port = 0;
    std::vector<int> m_fillers;
};

} // namespace gwtest
