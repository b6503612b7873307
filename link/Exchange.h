// The request/reply sequence every caller repeats: optionally discard pending
// input, send the 8-byte request (with its trace), wait, read the count and then
// the bytes into a 200-byte receive buffer, and search for the reply frame.
#pragma once

#include "AnswerTimes.h"
#include "Clock.h"
#include "ExchangeRecord.h"
#include "Framing.h"
#include "ReplyBuffer.h"
#include "SerialPort.h"

#include <QString>
#include <array>
#include <functional>

namespace rdlink {

enum class WaitKind { Sleep, BusyWait };

// How much of the reply the sequence takes in after the wait.
enum class ReadMode {
    None,    // nothing: the reply is left for the next read (a write whose echo is not checked)
    Bytes,   // the bytes only: any byte at all is the answer (the address search)
    Frame,   // the bytes, then the search for the reply frame
};

struct ExchangeOptions {
    bool discardFirst = false;   // drop pending input before sending
    WaitKind wait = WaitKind::Sleep;
    uint32_t waitMs = 0;         // the caller's fixed wait
    ReadMode read = ReadMode::Frame;
    // Reply-driven (ReadMode::Frame only): the wait ends as soon as the whole
    // expected reply or an exception frame is in; waitMs is then the timeout,
    // ReplyTimeoutMs() when 0. The fixed wait above is the instrument's
    // documented pacing and stays the default on a serial line. Over a network
    // port every exchange ends when its reply (or write echo) is whole, or at
    // ReplyTimeoutMs(): a gateway's delay is the network's, not the line's.
    bool endOnReply = false;
};

// What happened to one request.
enum class ExchangeStatus {
    Reply,            // the reply frame was found
    NothingReceived,  // the wait ended with no byte waiting
    NoValidFrame,     // bytes came, but no frame with the right address, function, length and CRC
    Received,         // ReadMode::Bytes: bytes came (not searched)
    NotRead,          // ReadMode::None: nothing was read
    PortLost,         // the port closed during the exchange (device gone) or was closed
};

struct ExchangeResult {
    ExchangeStatus status = ExchangeStatus::NotRead;
    int received = 0;                 // bytes taken into the receive buffer
    const uint8_t *frame = nullptr;   // the reply frame, inside the receive buffer
    int frameLength = 0;
    // The code of an exception frame (address, function | 0x80, code, CRC) that
    // came instead of the reply; 0 when none. The status is then NoValidFrame.
    uint8_t exception = 0;
    uint32_t elapsedMs = 0;           // from the request leaving to the end of the wait

    bool ok() const { return status == ExchangeStatus::Reply; }
    // Data bytes of a function-3 reply (after address, function and byte count),
    // and how many there are.
    const uint8_t *data() const { return frame ? frame + 3 : nullptr; }
    int dataLength() const { return frame ? frameLength - 5 : 0; }
    // Register n of a function-3 reply; n must be below dataLength() / 2.
    uint16_t reg(int n) const { return static_cast<uint16_t>(data()[2 * n] << 8 | data()[2 * n + 1]); }
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

    // Runs the whole sequence and says what came of it. The expected function and
    // length follow the request (function 3: 2 x count + 5; function 6: 8). The
    // result points into the receive buffer: valid until the next exchange.
    ExchangeResult Exchange(const Frame &request, const ExchangeOptions &options);

    // Reads count and bytes into the receive buffer (keeping at most 200).
    int ReadIntoBuffer();

    // The wait the sequence uses for a request: the fixed wait, never shorter than
    // the line time at the port's current baud rate (LineTime.h).
    uint32_t WaitFor(const Frame &request, uint32_t fixedMs, bool readsReply) const;

    // The timeout of a reply-driven read at the port's current line settings:
    // the line time of request and reply plus kReplyMarginMs, or plus the port's
    // network margin over a gateway (LineTime.h).
    uint32_t ReplyTimeoutMs(const Frame &request) const;

    // Called after every exchange with what went out and what came back. While an
    // observer is set a fixed wait watches the waiting count until as many bytes
    // as the reply holds have come, so that the arrival of its last byte can be
    // timed; the wait ends when it would anyway, and counting the waiting bytes
    // puts nothing on the line. (Stray bytes in front make the time a little early.)
    using Observer = std::function<void(const ExchangeRecord &)>;
    void setObserver(Observer observer) { m_observer = std::move(observer); }

    const uint8_t *rxBuffer() const { return m_rxBuffer.data(); }
    int rxCount() const { return m_rxCount; }
    const QString &sentTrace() const { return m_sentTrace; }

private:
    // The fixed wait with an observer: `ms` in all, noting when the waiting count
    // last grew (-1: never), until `expected` bytes are in (0: time every byte).
    int WaitObserved(WaitKind kind, uint32_t ms, int expected);
    // The reply-driven wait: takes what comes into `got` until the reply (or,
    // with `anyWhole`, as many bytes as it holds) or an exception frame is whole,
    // or `ms` have passed. Returns when the last byte came (-1: none). On a
    // serial line its first look is `first.lookMs` after the request (0: the
    // wait on the port), and `first` takes in what it saw of the reply's start.
    int WaitForReply(uint32_t ms, ReplyBuffer &got, bool anyWhole, ReplyStart &first);
    // Sleeps until the port has more bytes or `ms` pass (WaitKind: how to sleep
    // where the port cannot wait by itself).
    void WaitOnPort(WaitKind kind, uint32_t ms);
    // Sleeps while `bytes` more bytes cannot yet have crossed the serial line, at
    // most `ms`: nothing can complete sooner, so nothing is looked at meanwhile.
    void SleepForLineTime(WaitKind kind, int bytes, uint32_t ms);
    void Pause(WaitKind kind, uint32_t ms);
    // The exchange over a network port, or a reply-driven read: it ends when the
    // reply is whole or at its timeout.
    ExchangeResult ExchangeUntilReply(const Frame &request, const ExchangeOptions &options, ExchangeRecord &record);
    // Copies what was received into the receive buffer and searches the reply.
    void TakeReceived(const Frame &request, const ReplyBuffer &got, ExchangeResult &result);

    SerialPort &m_port;
    Clock &m_clock;
    std::array<uint8_t, kRxCapacity> m_rxBuffer{};
    int m_rxCount = 0;
    QString m_sentTrace;
    Observer m_observer;
    QByteArray m_lastRead;   // every byte of the last read, for the observer
    AnswerTimes m_answers;   // when each slave began to answer, for the first look
};

} // namespace rdlink
