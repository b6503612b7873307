#include "Exchange.h"

#include "LineTime.h"

#include <algorithm>
#include <cstring>

namespace rdlink {

void Link::SendFrame(const Frame &frame)
{
    m_txFrame = frame;
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
    const int n = std::clamp(std::min(count, int(data.size())), 0, kRxCapacity);
    if (n > 0)
        std::memcpy(m_rxBuffer.data(), data.constData(), size_t(n));
    m_rxCount = n;
    return n;
}

uint32_t Link::WaitFor(const Frame &request, uint32_t fixedMs, bool readsReply) const
{
    LineSettings line;
    if (!ParseSettings(m_port.settings(), &line))
        return fixedMs;
    const int reply = readsReply ? ExpectedReplyLength(request) : 0;
    return EffectiveWaitMs(fixedMs, line.baudRate, line.parity != 'N', int(request.size()), reply);
}

int Link::Exchange(const Frame &request, const ExchangeOptions &options)
{
    if (options.discardFirst)
        m_port.readAll();
    SendFrame(request);
    const uint32_t wait = WaitFor(request, options.waitMs, options.readReply);
    if (options.wait == WaitKind::BusyWait)
        m_clock.busyWaitMs(wait);
    else
        m_clock.sleepMs(wait);
    if (!options.readReply)
        return -1;
    const int received = ReadIntoBuffer();
    if (!options.searchReply)
        return -1;
    return FindReplyFrame(m_rxBuffer.data(), received, request[1], request[0],
                          ExpectedReplyLength(request));
}

} // namespace rdlink
