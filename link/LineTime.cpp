#include "LineTime.h"

#include <algorithm>
#include <atomic>

namespace rdlink {

uint32_t LineTimeMs(int bytes, int baudRate, bool parity)
{
    if (bytes <= 0 || baudRate <= 0)
        return 0;
    const uint64_t bits = static_cast<uint64_t>(bytes) * (parity ? 11u : 10u);
    return static_cast<uint32_t>((bits * 1000u + static_cast<uint64_t>(baudRate) - 1) / baudRate);
}

uint32_t EffectiveWaitMs(uint32_t fixedMs, int baudRate, bool parity, int requestBytes,
                         int replyBytes)
{
    const uint32_t onLine =
        LineTimeMs(requestBytes + std::max(replyBytes, 0), baudRate, parity) + kTurnaroundMs;
    return std::max(fixedMs, onLine);
}

uint32_t ReplyTimeoutMs(int baudRate, bool parity, int requestBytes, int replyBytes, uint32_t networkMarginMs)
{
    return LineTimeMs(requestBytes + std::max(replyBytes, 0), baudRate, parity)
           + (networkMarginMs > 0 ? networkMarginMs : kReplyMarginMs);
}

namespace {
std::atomic<uint32_t> g_networkMarginMs{kNetworkMarginMs};
}

void SetDefaultNetworkMarginMs(uint32_t ms)
{
    g_networkMarginMs.store(ms > 0 ? ms : kNetworkMarginMs);
}

std::optional<uint32_t> ParseNetworkMarginMs(const QString &text)
{
    bool ok = false;
    const qlonglong ms = text.trimmed().toLongLong(&ok, 10);
    if (!ok || ms < kMinNetworkMarginMs || ms > kMaxNetworkMarginMs)
        return std::nullopt;
    return uint32_t(ms);
}

uint32_t DefaultNetworkMarginMs()
{
    return g_networkMarginMs.load();
}

} // namespace rdlink
