#include "MqttRetry.h"

namespace rdsvc {

void MqttRetry::connected()
{
    m_up = true;
    m_upSince = m_clock.tickMs();
}

int MqttRetry::failed()
{
    if (m_up && m_clock.tickMs() - m_upSince >= kStableMs)
        m_next = 1;
    m_up = false;
    const int wait = m_next;
    m_next = NextBackoff(m_next);
    return wait;
}

} // namespace rdsvc
