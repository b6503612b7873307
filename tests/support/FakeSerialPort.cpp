#include "FakeSerialPort.h"

#include <algorithm>

namespace rdtest {

bool FakeSerialPort::open()
{
    if (failOpen) {
        m_error = openFailure;
        m_errorKind = openFailureKind;
        return false;
    }
    m_open = true;
    m_error.clear();
    m_errorKind = rdlink::PortError::None;
    ++openCount;
    openedWith.push_back(rdlink::SettingsText(m_settings));
    return true;
}

void FakeSerialPort::close()
{
    if (m_open)
        ++closeCount;
    m_open = false;
}

void FakeSerialPort::collect()
{
    const uint32_t now = m_clock.tickMs();
    auto due = [now](const Timed &t) { return int32_t(now - t.at) >= 0; };
    // Keep arrival order: scheduled chunks are stored in time order of scheduling.
    std::stable_sort(m_scheduled.begin(), m_scheduled.end(),
                     [](const Timed &a, const Timed &b) { return int32_t(a.at - b.at) < 0; });
    auto it = m_scheduled.begin();
    while (it != m_scheduled.end() && due(*it)) {
        m_arrived += it->bytes;
        ++it;
    }
    m_scheduled.erase(m_scheduled.begin(), it);
}

void FakeSerialPort::inject(const QByteArray &bytes, uint32_t delayMs)
{
    m_scheduled.push_back({m_clock.tickMs() + delayMs, bytes});
}

void FakeSerialPort::vanish(const QString &reason)
{
    m_error = reason;
    m_errorKind = rdlink::PortError::Other;
    m_open = false;
    m_scheduled.clear();
    m_arrived.clear();
}

void FakeSerialPort::discardInput()
{
    ++discardCount;
    if (!m_open)
        return;
    collect();
    m_arrived.clear();
}

int FakeSerialPort::bytesWaiting()
{
    if (!m_open)
        return 0;
    collect();
    return int(m_arrived.size());
}

QByteArray FakeSerialPort::readAll()
{
    ++readCount;
    if (!m_open)
        return {};
    collect();
    QByteArray out;
    out.swap(m_arrived);
    return out;
}

void FakeSerialPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return;
    written.push_back(bytes);
    writeTimes.push_back(m_clock.tickMs());
    std::vector<Chunk> answer;
    if (!m_queue.empty()) {
        answer = std::move(m_queue.front());
        m_queue.pop_front();
    } else if (responder) {
        answer = responder(bytes);
    }
    for (const Chunk &c : answer)
        m_scheduled.push_back({m_clock.tickMs() + c.delayMs, c.bytes});
}

bool FakeSerialPort::replyRefused() const
{
    return refuseAfterMs >= 0 && !writeTimes.empty() && m_clock.tickMs() - writeTimes.back() >= uint32_t(refuseAfterMs);
}

bool FakeSerialPort::waitForReceived(uint32_t ms)
{
    uint32_t step = ms;
    if (m_open) {
        const uint32_t now = m_clock.tickMs();
        for (const Timed &t : m_scheduled)
            step = std::min(step, uint32_t(std::max<int32_t>(int32_t(t.at - now), 0)));
        if (refuseAfterMs >= 0 && !writeTimes.empty())
            step = std::min(step, uint32_t(std::max<int32_t>(int32_t(writeTimes.back() + uint32_t(refuseAfterMs) - now), 0)));
    }
    if (step > 0)
        m_clock.sleepMs(step);
    return true;
}

int FakeSerialPort::pendingCount() const
{
    int n = int(m_arrived.size());
    for (const Timed &t : m_scheduled)
        n += int(t.bytes.size());
    return n;
}

} // namespace rdtest
