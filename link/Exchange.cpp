#include "Exchange.h"

#include "LineTime.h"

#include <algorithm>
#include <cstring>

namespace rdlink {
namespace {

// How a wait sleeps where the port cannot wait for bytes by itself.
constexpr uint32_t kSliceMs = 2;

} // namespace

void Link::SendFrame(const Frame &frame)
{
    if (m_port.isOpen())
        m_port.write(QByteArray(reinterpret_cast<const char *>(frame.data()), int(frame.size())));
    m_sentTrace = TraceText(frame.data(), int(frame.size()));
}

int Link::ReadIntoBuffer()
{
    // The count first, then the bytes, as the control is used: bytes that arrive
    // between the two reads are read but not copied. Only the first 200 are kept.
    const int count = m_port.bytesWaiting();
    const QByteArray data = m_port.readAll();
    if (m_observer)
        m_lastRead = data.left(ReplyBuffer::kKeep);
    const int n = std::clamp(std::min(count, int(data.size())), 0, kRxCapacity);
    if (n > 0)
        std::memcpy(m_rxBuffer.data(), data.constData(), size_t(n));
    m_rxCount = n;
    return n;
}

uint32_t Link::WaitFor(const Frame &request, uint32_t fixedMs, bool readsReply) const
{
    const LineSettings line = m_port.settings();
    const int reply = readsReply ? ExpectedReplyLength(request) : 0;
    return EffectiveWaitMs(fixedMs, line.baudRate, line.parity != Parity::None, int(request.size()), reply);
}

uint32_t Link::ReplyTimeoutMs(const Frame &request) const
{
    const LineSettings line = m_port.settings();
    return rdlink::ReplyTimeoutMs(line.baudRate, line.parity != Parity::None, int(request.size()),
                                  ExpectedReplyLength(request), m_port.networkMarginMs());
}

void Link::Pause(WaitKind kind, uint32_t ms)
{
    if (kind == WaitKind::BusyWait)
        m_clock.busyWaitMs(ms);
    else
        m_clock.sleepMs(ms);
}

void Link::WaitOnPort(WaitKind kind, uint32_t ms)
{
    const uint32_t before = m_clock.tickMs();
    if (!m_port.waitForReceived(ms)) {
        Pause(kind, std::min(kSliceMs, ms));
        return;
    }
    // A port whose wait comes back at once with nothing to read (a failure it
    // reports at the next read, bytes it dropped as strays) must not turn the
    // wait into a spin.
    if (m_clock.tickMs() == before && m_port.isOpen() && m_port.bytesWaiting() == 0)
        Pause(kind, 1);
}

void Link::SleepForLineTime(WaitKind kind, int bytes, uint32_t ms)
{
    const LineSettings line = m_port.settings();
    const uint32_t onLine = LineTimeMs(bytes, line.baudRate, line.parity != Parity::None);
    if (onLine > 0)
        Pause(kind, std::min(onLine, ms));
}

int Link::WaitObserved(WaitKind kind, uint32_t ms, int expected)
{
    // Measured against the tick count, so the whole wait stays the wait the
    // request asks for. The thread sleeps on the port until bytes come; after
    // each piece it sleeps while the rest of the reply is still on the line;
    // once the whole reply is in, the rest of the wait goes in one piece.
    const uint32_t start = m_clock.tickMs();
    int seen = m_port.bytesWaiting();
    int lastGrowth = -1;
    bool grew = false;
    for (;;) {
        const uint32_t elapsed = m_clock.tickMs() - start;
        if (elapsed >= ms)
            return lastGrowth;
        const uint32_t left = ms - elapsed;
        if (expected > 0 && seen >= expected) {
            Pause(kind, left);
            continue;
        }
        if (grew && expected > 0)
            SleepForLineTime(kind, expected - seen, left);
        else
            WaitOnPort(kind, left);
        grew = false;
        const int now = m_port.bytesWaiting();
        if (now > seen) {
            seen = now;
            grew = true;
            lastGrowth = int(m_clock.tickMs() - start);
        }
    }
}

int Link::WaitForReply(uint32_t ms, ReplyBuffer &got, bool anyWhole, ReplyStart &first)
{
    // Every piece is taken in as it comes, so that the search sees the reply as
    // soon as it is whole. On a serial line the rest of a reply cannot come
    // sooner than its line time: the thread sleeps that long before it looks
    // again. Over a network the pieces come as the network brings them.
    const bool serial = m_port.networkMarginMs() == 0;
    const uint32_t start = m_clock.tickMs();
    int lastGrowth = -1;
    bool grew = false;
    // The moment the request has left, a serial line has brought nothing of the
    // reply yet: the first look is the wait on the port, which returns at once
    // for bytes that are there (an adapter's echo). Where the slave's answer
    // time is known, the first look is planned for when an exception frame
    // would be whole instead (AnswerTimes).
    bool look = !serial;
    bool planned = false;
    if (serial && first.lookMs > 0) {
        Pause(WaitKind::Sleep, std::min(first.lookMs, ms));
        look = planned = true;
    }
    for (;;) {
        // A read that finds nothing is as cheap as a count, so it reads straight away.
        QByteArray piece = look ? m_port.readAll() : QByteArray();
        if (planned)
            first.lookedBytes = int(piece.size());
        else if (!piece.isEmpty() && got.total() == 0) {
            first.firstPieceMs = int(m_clock.tickMs() - start);
            first.firstPieceBytes = int(piece.size());
        }
        planned = false;
        if (!piece.isEmpty()) {
            got.add(std::move(piece));
            lastGrowth = int(m_clock.tickMs() - start);
            if (got.complete() || (anyWhole && got.total() >= got.expectedLength()))
                return lastGrowth;
            grew = true;
        }
        const uint32_t elapsed = m_clock.tickMs() - start;
        if (elapsed >= ms || !m_port.isOpen() || m_port.replyRefused())
            return lastGrowth;
        if (grew && serial)
            SleepForLineTime(WaitKind::Sleep, got.fewestStillToCome(), ms - elapsed);
        else
            WaitOnPort(WaitKind::Sleep, ms - elapsed);
        grew = false;
        look = true;
    }
}

void Link::TakeReceived(const Frame &request, const ReplyBuffer &got, ExchangeResult &result)
{
    // The receive buffer holds 200 bytes: those around the frame found, else the newest.
    const QByteArray &bytes = got.bytes();
    const int size = int(bytes.size());
    const int found = got.frameAt() >= 0 ? got.frameAt() : got.exceptionAt();
    const int from = size <= kRxCapacity ? 0 : found >= 0 ? std::min(found, size - kRxCapacity) : size - kRxCapacity;
    const int n = std::min(size - from, kRxCapacity);
    if (n > 0)
        std::memcpy(m_rxBuffer.data(), bytes.constData() + from, size_t(n));
    m_rxCount = n;
    result.received = n;
    if (got.frameAt() >= 0) {
        result.status = ExchangeStatus::Reply;
        result.frame = m_rxBuffer.data() + (got.frameAt() - from);
        result.frameLength = ExpectedReplyLength(request);
        return;
    }
    result.status = n > 0 ? ExchangeStatus::NoValidFrame : ExchangeStatus::NothingReceived;
    if (got.exceptionAt() >= 0)
        result.exception = m_rxBuffer[size_t(got.exceptionAt() - from) + 2];
}

ExchangeResult Link::ExchangeUntilReply(const Frame &request, const ExchangeOptions &options, ExchangeRecord &record)
{
    uint32_t timeout = ReplyTimeoutMs(request);
    if (options.endOnReply && options.read == ReadMode::Frame && options.waitMs > 0)
        timeout = m_port.networkMarginMs() > 0 ? std::max(options.waitMs, timeout) : options.waitMs;
    ReplyBuffer got(request);
    const bool serial = m_port.networkMarginMs() == 0;
    ReplyStart first;
    if (serial)
        first.lookMs = m_answers.firstLookMs(request, m_port.settings());
    record.replyElapsedMs = WaitForReply(timeout, got, options.read != ReadMode::Frame, first);
    if (serial)
        m_answers.update(request, m_port.settings(), first);
    ExchangeResult result;
    switch (options.read) {
    case ReadMode::Frame:
        TakeReceived(request, got, result);
        break;
    case ReadMode::Bytes:
        TakeReceived(request, got, result);
        result.status = result.received > 0 ? ExchangeStatus::Received : ExchangeStatus::NothingReceived;
        result.frame = nullptr;
        result.frameLength = 0;
        result.exception = 0;
        break;
    case ReadMode::None:
        // The echo is taken in only to end the wait with it; the caller does not read it.
        record.replyRead = false;
        return result;
    }
    record.received = got.bytes();
    return result;
}

ExchangeResult Link::Exchange(const Frame &request, const ExchangeOptions &options)
{
    if (options.discardFirst)
        m_port.discardInput();
    ExchangeRecord record;
    const bool observed = bool(m_observer);
    const bool wasOpen = m_port.isOpen();
    if (observed)
        record.sentAt = QDateTime::currentDateTime();
    const uint32_t startTick = m_clock.tickMs();
    SendFrame(request);
    const int expected = ExpectedReplyLength(request);
    const bool reads = options.read != ReadMode::None;

    ExchangeResult result;
    if (m_port.networkMarginMs() > 0 || (options.endOnReply && options.read == ReadMode::Frame)) {
        result = ExchangeUntilReply(request, options, record);
    } else {
        const uint32_t wait = WaitFor(request, options.waitMs, reads);
        if (observed)
            record.replyElapsedMs = WaitObserved(options.wait, wait, reads ? expected : 0);
        else
            Pause(options.wait, wait);
        if (reads) {
            m_lastRead.clear();
            result.received = ReadIntoBuffer();
            if (options.read == ReadMode::Bytes) {
                result.status = result.received > 0 ? ExchangeStatus::Received : ExchangeStatus::NothingReceived;
            } else {
                const int position = FindReplyFrame(m_rxBuffer.data(), result.received, request[1],
                                                    request[0], expected);
                if (position >= 0) {
                    result.status = ExchangeStatus::Reply;
                    result.frame = m_rxBuffer.data() + position;
                    result.frameLength = expected;
                } else {
                    result.status = result.received > 0 ? ExchangeStatus::NoValidFrame
                                                        : ExchangeStatus::NothingReceived;
                }
            }
        }
        record.replyRead = reads;
        record.received = reads ? m_lastRead : QByteArray();
    }
    if (!m_port.isOpen() && result.status != ExchangeStatus::Reply)
        result.status = ExchangeStatus::PortLost;
    result.elapsedMs = m_clock.tickMs() - startTick;

    if (observed && wasOpen) {
        record.request = QByteArray(reinterpret_cast<const char *>(request.data()), int(request.size()));
        record.expectedLength = expected;
        record.portLost = !m_port.isOpen();
        const SerialPort::WireTrace wire = m_port.wireTrace();
        record.mbapSent = wire.sent;
        record.mbapReceived = record.replyRead ? wire.received : QByteArray();
        m_observer(record);
    }
    return result;
}

} // namespace rdlink
