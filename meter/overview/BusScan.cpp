#include "BusScan.h"

#include <QCoreApplication>

namespace rdov {

QString BusScan::start(int from, int to)
{
    if (from < 1 || from > 247 || to < 1 || to > 247)
        return QCoreApplication::translate("Overview", "扫描范围必须在 1 到 247 之间。");
    if (from > to)
        return QCoreApplication::translate("Overview", "扫描范围的起始地址不能大于结束地址。");
    m_from = from;
    m_to = to;
    m_next = from;
    m_probed = 0;
    m_found = 0;
    m_active = true;
    return QString();
}

std::optional<uint8_t> BusScan::next()
{
    if (!m_active || m_next > m_to)
        return std::nullopt;
    return uint8_t(m_next++);
}

void BusScan::probed(bool found)
{
    ++m_probed;
    if (found)
        ++m_found;
    if (m_probed >= total())
        m_active = false;
}

} // namespace rdov
