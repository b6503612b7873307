#include "LocalNow.h"

#include <QtGlobal>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <ctime>
#endif

namespace rdacq {

QDateTime LocalNow()
{
#ifdef Q_OS_UNIX
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    const time_t seconds = time_t(ms / 1000);
    // localtime_r() need not look at the zone again: tzset() does, so a zone
    // changed while the program runs is followed, as Qt's local time does.
    tzset();
    struct tm local {};
    if (ms >= 0 && localtime_r(&seconds, &local)) {
        const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        const QTime time(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), int(ms % 1000));
        const QDateTime now(date, time, Qt::OffsetFromUTC, int(local.tm_gmtoff));
        if (now.isValid())
            return now;
    }
#endif
    return QDateTime::currentDateTime();
}

} // namespace rdacq
