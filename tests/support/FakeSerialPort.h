// A scripted serial port for tests. It records every frame written and answers
// from a script: given bytes at once or later, stray bytes, nothing, or more than
// a receive buffer holds. Bytes become "waiting" when the fake clock reaches
// their arrival time.
#pragma once

#include "FakeClock.h"
#include "link/SerialPort.h"

#include <deque>
#include <functional>
#include <vector>

namespace rdtest {

struct Chunk {
    QByteArray bytes;
    uint32_t delayMs = 0;   // after the write that triggers it
};

class FakeSerialPort : public rdlink::SerialPort {
public:
    explicit FakeSerialPort(FakeClock &clock) : m_clock(clock) {}

    // Script: each write takes the next queued answer (possibly empty = silence);
    // when the queue is empty the responder, if set, computes the answer.
    void queueReply(const QByteArray &bytes, uint32_t delayMs = 0) { m_queue.push_back({{bytes, delayMs}}); }
    void queueChunks(std::vector<Chunk> chunks) { m_queue.push_back(std::move(chunks)); }
    void queueSilence() { m_queue.push_back({}); }
    std::function<std::vector<Chunk>(const QByteArray &request)> responder;

    // Bytes that arrive on their own, delayMs after now.
    void inject(const QByteArray &bytes, uint32_t delayMs = 0);
    // The device disappears: the port reads closed and keeps the reason.
    void vanish(const QString &reason = QStringLiteral("device vanished"));

    bool failOpen = false;
    QString openFailure = QStringLiteral("Permission denied");
    rdlink::PortError openFailureKind = rdlink::PortError::AccessRefused;
    QString device = QStringLiteral("/dev/ttyFAKE0");

    std::vector<QByteArray> written;     // every write while open
    std::vector<uint32_t> writeTimes;    // clock tick of each write
    std::vector<QString> openedWith;     // settings text of each successful open
    int openCount = 0;
    int closeCount = 0;
    int discardCount = 0;
    int readCount = 0;

    // SerialPort
    void setPortNumber(int number) override { m_number = number; }
    int portNumber() const override { return m_number; }
    void setSettings(const rdlink::LineSettings &s) override { m_settings = s; }
    rdlink::LineSettings settings() const override { return m_settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void discardInput() override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    // Advances the fake clock to the next arrival, or by `ms` when none comes sooner.
    bool waitForReceived(uint32_t ms) override;
    // Not 0: the port stands for a gateway with this margin.
    uint32_t networkMargin = 0;
    uint32_t networkMarginMs() const override { return networkMargin; }
    void setNetworkMarginMs(uint32_t ms) override { networkMargin = ms; }
    // As a gateway whose meter kept silent: this long after each write it says
    // that no reply will come. -1: it never says so.
    int refuseAfterMs = -1;
    bool replyRefused() const override;
    QString deviceName() const override { return device; }
    QString errorString() const override { return m_error; }
    rdlink::PortError errorKind() const override { return m_errorKind; }
    // What a translating port (Modbus TCP) would report as the wire's bytes.
    WireTrace wire;
    WireTrace wireTrace() const override { return wire; }

    // Bytes scheduled and not yet arrived or read (for tests of late bytes).
    int pendingCount() const;

private:
    struct Timed {
        uint32_t at;
        QByteArray bytes;
    };
    void collect();

    FakeClock &m_clock;
    std::deque<std::vector<Chunk>> m_queue;
    std::vector<Timed> m_scheduled;
    QByteArray m_arrived;
    bool m_open = false;
    rdlink::PortError m_errorKind = rdlink::PortError::None;
    int m_number = 1;
    rdlink::LineSettings m_settings;
    QString m_error;
};

} // namespace rdtest
