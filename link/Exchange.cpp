#include "Exchange.h"

#include "LineTime.h"

#include <algorithm>
#include <cstring>

namespace rdlink {

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
        m_lastRead = data;
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

int Link::WaitObserved(WaitKind kind, uint32_t ms, int expected)
{
    // Short slices measured against the tick count, so the whole wait stays the
    // wait the request asks for, whatever each slice overshoots. Once the whole
    // reply is in, the rest of the wait goes in one piece: nothing more to time.
    constexpr uint32_t kSliceMs = 2;
    const uint32_t start = m_clock.tickMs();
    int seen = m_port.bytesWaiting();
    int lastGrowth = -1;
    for (;;) {
        const uint32_t elapsed = m_clock.tickMs() - start;
        if (elapsed >= ms)
            return lastGrowth;
        const bool complete = expected > 0 && seen >= expected;
        const uint32_t slice = complete ? ms - elapsed : std::min(kSliceMs, ms - elapsed);
        if (kind == WaitKind::BusyWait)
            m_clock.busyWaitMs(slice);
        else
            m_clock.sleepMs(slice);
        if (complete)
            continue;
        const int now = m_port.bytesWaiting();
        if (now > seen) {
            seen = now;
            lastGrowth = int(m_clock.tickMs() - start);
        }
    }
}

uint32_t Link::ReplyTimeoutMs(const Frame &request) const
{
    const LineSettings line = m_port.settings();
    return rdlink::ReplyTimeoutMs(line.baudRate, line.parity != Parity::None, int(request.size()),
                                  ExpectedReplyLength(request));
}

namespace {

// Whether `got` holds the whole reply to `request` or an exception frame for it.
bool ReplyComplete(const Frame &request, const QByteArray &got, uint8_t *exception)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(got.constData());
    const int n = int(got.size());
    if (FindReplyFrame(bytes, n, request[1], request[0], ExpectedReplyLength(request)) >= 0)
        return true;
    const int at = FindReplyFrame(bytes, n, uint8_t(request[1] | 0x80), request[0], 5);
    if (at < 0)
        return false;
    *exception = bytes[at + 2];
    return true;
}

} // namespace

int Link::WaitForReply(const Frame &request, uint32_t ms, QByteArray &got)
{
    // Short slices against the tick count, as WaitObserved; every slice takes in
    // what has come so that the frame search sees it as soon as it is whole.
    constexpr uint32_t kSliceMs = 2;
    const uint32_t start = m_clock.tickMs();
    int lastGrowth = -1;
    uint8_t exception = 0;
    for (;;) {
        if (m_port.bytesWaiting() > 0) {
            got += m_port.readAll();
            lastGrowth = int(m_clock.tickMs() - start);
            if (ReplyComplete(request, got, &exception))
                return lastGrowth;
        }
        const uint32_t elapsed = m_clock.tickMs() - start;
        if (elapsed >= ms || !m_port.isOpen())
            return lastGrowth;
        m_clock.sleepMs(std::min(kSliceMs, ms - elapsed));
    }
}

void Link::TakeReceived(const Frame &request, const QByteArray &got, ExchangeResult &result)
{
    const int n = std::min(int(got.size()), kRxCapacity);
    if (n > 0)
        std::memcpy(m_rxBuffer.data(), got.constData(), size_t(n));
    m_rxCount = n;
    result.received = n;
    const int expected = ExpectedReplyLength(request);
    const int position = FindReplyFrame(m_rxBuffer.data(), n, request[1], request[0], expected);
    if (position >= 0) {
        result.status = ExchangeStatus::Reply;
        result.frame = m_rxBuffer.data() + position;
        result.frameLength = expected;
        return;
    }
    result.status = n > 0 ? ExchangeStatus::NoValidFrame : ExchangeStatus::NothingReceived;
    const int at = FindReplyFrame(m_rxBuffer.data(), n, uint8_t(request[1] | 0x80), request[0], 5);
    if (at >= 0)
        result.exception = m_rxBuffer[size_t(at) + 2];
}

ExchangeResult Link::Exchange(const Frame &request, const ExchangeOptions &options)
{
    if (options.discardFirst)
        m_port.readAll();
    ExchangeRecord record;
    const bool observed = bool(m_observer);
    const bool wasOpen = m_port.isOpen();
    if (observed)
        record.sentAt = QDateTime::currentDateTime();
    const uint32_t startTick = m_clock.tickMs();
    SendFrame(request);
    if (options.endOnReply && options.read == ReadMode::Frame) {
        const uint32_t timeout = options.waitMs > 0 ? options.waitMs : ReplyTimeoutMs(request);
        QByteArray got;
        const int last = WaitForReply(request, timeout, got);
        ExchangeResult result;
        TakeReceived(request, got, result);
        result.elapsedMs = m_clock.tickMs() - startTick;
        if (!m_port.isOpen() && result.status != ExchangeStatus::Reply)
            result.status = ExchangeStatus::PortLost;
        if (observed && wasOpen) {
            record.request = QByteArray(reinterpret_cast<const char *>(request.data()), int(request.size()));
            record.received = got;
            record.replyElapsedMs = last;
            record.expectedLength = ExpectedReplyLength(request);
            record.portLost = !m_port.isOpen();
            const SerialPort::WireTrace wire = m_port.wireTrace();
            record.mbapSent = wire.sent;
            record.mbapReceived = wire.received;
            m_observer(record);
        }
        return result;
    }
    const bool reads = options.read != ReadMode::None;
    const uint32_t wait = WaitFor(request, options.waitMs, reads);
    if (observed)
        record.replyElapsedMs = WaitObserved(options.wait, wait, reads ? ExpectedReplyLength(request) : 0);
    else if (options.wait == WaitKind::BusyWait)
        m_clock.busyWaitMs(wait);
    else
        m_clock.sleepMs(wait);

    ExchangeResult result;
    const int expected = ExpectedReplyLength(request);
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
    if (!m_port.isOpen() && result.status != ExchangeStatus::Reply)
        result.status = ExchangeStatus::PortLost;
    result.elapsedMs = m_clock.tickMs() - startTick;

    if (observed && wasOpen) {
        record.request = QByteArray(reinterpret_cast<const char *>(request.data()), int(request.size()));
        record.replyRead = reads;
        record.received = reads ? m_lastRead : QByteArray();
        record.expectedLength = expected;
        record.portLost = !m_port.isOpen();
        const SerialPort::WireTrace wire = m_port.wireTrace();
        record.mbapSent = wire.sent;
        record.mbapReceived = reads ? wire.received : QByteArray();
        m_observer(record);
    }
    return result;
}

} // namespace rdlink
