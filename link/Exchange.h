// The request/reply sequence every caller repeats: optionally discard pending
// input, send the 8-byte request (with its trace), wait, read the count and then
// the bytes into a 200-byte receive buffer, and search for the reply frame.
#pragma once

#include "Clock.h"
#include "Framing.h"
#include "SerialPort.h"

#include <QString>
#include <array>

namespace rdlink {

enum class WaitKind { Sleep, BusyWait };

struct ExchangeOptions {
    bool discardFirst = false;   // drop pending input before sending
    WaitKind wait = WaitKind::Sleep;
    uint32_t waitMs = 0;         // the caller's fixed wait
    bool searchReply = true;     // false: stop after reading the bytes (no search)
    bool readReply = true;       // false: stop after the wait (no read, no search)
};

// Owns the request buffer, the receive buffer and the sent-frame trace of one
// window, as the window that owns the port does.
class Link {
public:
    static constexpr int kRxCapacity = 200;

    Link(SerialPort &port, Clock &clock) : m_port(port), m_clock(clock) {}

    SerialPort &port() { return m_port; }
    Clock &clock() { return m_clock; }

    // Writes the frame when the port is open and rebuilds the trace text either way.
    void SendFrame(const Frame &frame);

    // Runs the whole sequence. Returns the position of the reply frame in
    // rxBuffer() or -1. The expected function and length follow the request
    // (function 3: 2 x count + 5; function 6: 8).
    int Exchange(const Frame &request, const ExchangeOptions &options);

    // Reads count and bytes into the receive buffer (keeping at most 200).
    int ReadIntoBuffer();

    // The wait the sequence uses for a request: the fixed wait, never shorter than
    // the line time at the port's current baud rate (LineTime.h).
    uint32_t WaitFor(const Frame &request, uint32_t fixedMs, bool readsReply) const;

    const Frame &txFrame() const { return m_txFrame; }
    const uint8_t *rxBuffer() const { return m_rxBuffer.data(); }
    int rxCount() const { return m_rxCount; }
    const QString &sentTrace() const { return m_sentTrace; }

private:
    SerialPort &m_port;
    Clock &m_clock;
    Frame m_txFrame{};
    std::array<uint8_t, kRxCapacity> m_rxBuffer{};
    int m_rxCount = 0;
    QString m_sentTrace;
};

} // namespace rdlink
