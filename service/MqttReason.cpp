#include "MqttReason.h"

#include <QCoreApplication>

namespace rdsvc {

namespace {

// "own words (library's words)", or the own words alone.
QString WithOriginal(const QString &own, const QString &original)
{
    return original.isEmpty() ? own : QStringLiteral("%1 (%2)").arg(own, original);
}

} // namespace

QString MqttFailureText(int code, const QString &libraryText, const QString &tlsText)
{
    // The broker answered CONNECT with a refusal (MQTT 3.1.1 return codes).
    switch (code) {
    case 1:
        return QCoreApplication::translate("rd5800d", "服务器不支持 MQTT 3.1.1");
    case 2:
        return QCoreApplication::translate("rd5800d", "服务器拒绝了客户端标识 (mqtt-client-id)");
    case 3:
        return QCoreApplication::translate("rd5800d", "服务器暂不提供服务");
    case 4:
        return QCoreApplication::translate("rd5800d", "用户名或密码错误");
    case 5:
        return QCoreApplication::translate("rd5800d", "未获授权 (用户或客户端标识无权连接)");
    default:
        break;
    }
    if (!tlsText.isEmpty()) {
        const QString own = tlsText.contains(QLatin1String("certificate verify failed"))
                                || tlsText.contains(QLatin1String("verify"))
                                ? QCoreApplication::translate("rd5800d", "TLS 握手失败: 服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址")
                                : QCoreApplication::translate("rd5800d", "TLS 握手失败");
        return WithOriginal(own, tlsText.trimmed());
    }
    if (libraryText.contains(QLatin1String("timeout"), Qt::CaseInsensitive)
        || libraryText.contains(QLatin1String("timed out"), Qt::CaseInsensitive))
        return WithOriginal(QCoreApplication::translate("rd5800d", "连接超时"), libraryText);
    if (libraryText.contains(QLatin1String("TCP/TLS connect failure"))
        || libraryText.contains(QLatin1String("socket error")))
        return WithOriginal(QCoreApplication::translate("rd5800d", "无法建立连接 (服务器未运行, 地址或端口有误, 或被防火墙拦截)"), libraryText);
    if (libraryText.isEmpty())
        return code == 0 ? QCoreApplication::translate("rd5800d", "服务器未应答") : QCoreApplication::translate("rd5800d", "错误 %1").arg(code);
    return WithOriginal(QCoreApplication::translate("rd5800d", "连接失败"), libraryText);
}

QString MqttLostText(const QString &cause)
{
    return WithOriginal(QCoreApplication::translate("rd5800d", "连接中断"), cause);
}

} // namespace rdsvc
