#include "InfluxOptions.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace rdsvc {

bool IsInfluxOption(const QString &name)
{
    return name.startsWith(QLatin1String("influx")) || name == QLatin1String("state-dir");
}

QString ApplyInfluxSetting(const QString &name, const QString &value, InfluxConfig &c)
{
    const QString v = value.trimmed();
    if (name == QLatin1String("influx")) {
        const QUrl url(v, QUrl::StrictMode);
        const QString scheme = url.scheme();
        if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            || url.hasQuery() || url.hasFragment())
            return QCoreApplication::translate("rd5800d", "--influx 应为 http://主机:端口 或 https://主机:端口, 例如 http://127.0.0.1:8086");
        c.url = url;
    } else if (name == QLatin1String("influx-db")) {
        if (v.isEmpty())
            return QCoreApplication::translate("rd5800d", "--influx-db 需要数据库 (或 bucket) 的名称");
        c.database = v;
    } else if (name == QLatin1String("influx-user")) {
        c.user = v;
    } else if (name == QLatin1String("influx-password-file") || name == QLatin1String("influx-token-file")) {
        if (v.isEmpty())
            return QCoreApplication::translate("rd5800d", "--%1 需要一个文件名").arg(name);
        (name == QLatin1String("influx-token-file") ? c.tokenFile : c.passwordFile) = v;
    } else if (name == QLatin1String("influx-measurement")) {
        bool control = false;
        for (const QChar ch : v)
            control = control || ch.unicode() < 0x20;
        if (v.isEmpty() || control)
            return QCoreApplication::translate("rd5800d", "--influx-measurement 不能为空");
        c.measurement = v;
    } else if (name == QLatin1String("influx-queue-size")) {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok, 10);
        if (!ok || n < 1 || n > 1000000000)
            return QCoreApplication::translate("rd5800d", "--influx-queue-size 只接受 1 到 1000000000 之间的点数");
        c.queueSize = n;
    } else if (name == QLatin1String("state-dir")) {
        if (v.isEmpty())
            return QCoreApplication::translate("rd5800d", "--state-dir 需要一个文件夹");
        c.stateDir = v;
    } else {
        return QCoreApplication::translate("rd5800d", "未知的选项: --%1").arg(name);
    }
    return QString();
}

QString CheckInflux(const InfluxConfig &c)
{
    if (c.url.isEmpty()) {
        if (!c.database.isEmpty() || !c.user.isEmpty() || !c.passwordFile.isEmpty() || !c.tokenFile.isEmpty()
            || c.queueSize != 0)
            return QCoreApplication::translate("rd5800d", "--influx-db, --influx-user, --influx-password-file, --influx-token-file 和 --influx-queue-size 需要 --influx");
        return QString();
    }
    if (c.database.isEmpty())
        return QCoreApplication::translate("rd5800d", "--influx 需要 --influx-db");
    if (!c.tokenFile.isEmpty() && (!c.user.isEmpty() || !c.passwordFile.isEmpty()))
        return QCoreApplication::translate("rd5800d", "--influx-token-file 与 --influx-user/--influx-password-file 只能选一种");
    if (!c.passwordFile.isEmpty() && c.user.isEmpty())
        return QCoreApplication::translate("rd5800d", "--influx-password-file 需要 --influx-user");
    return QString();
}

qint64 DefaultQueueSize(int meters, double intervalSeconds)
{
    const double perMeter = std::ceil(86400.0 / std::max(1.0, intervalSeconds));
    return std::max<qint64>(1, qint64(perMeter) * std::max(1, meters));
}

} // namespace rdsvc
