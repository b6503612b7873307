#include "MqttReason.h"

#include <QCoreApplication>

namespace rdsvc {

namespace {

// "own words (original words)", or the own words alone.
QString WithOriginal(const QString &own, const QString &original)
{
    return original.isEmpty() ? own : QStringLiteral("%1 (%2)").arg(own, original);
}

QString RefusalText(int code)
{
    // The broker's CONNACK return codes of MQTT 3.1.1.
    switch (code) {
    case 1: return QCoreApplication::translate("rd5800d", "服务器不支持 MQTT 3.1.1");
    case 2: return QCoreApplication::translate("rd5800d", "服务器拒绝了客户端标识 (mqtt-client-id)");
    case 3: return QCoreApplication::translate("rd5800d", "服务器暂不提供服务");
    case 4: return QCoreApplication::translate("rd5800d", "用户名或密码错误");
    case 5: return QCoreApplication::translate("rd5800d", "未获授权 (用户或客户端标识无权连接)");
    default: return QCoreApplication::translate("rd5800d", "错误 %1").arg(code);
    }
}

} // namespace

QString MqttFailureText(MqttFailure kind, int code, const QString &reason)
{
    const QString original = reason.trimmed();
    switch (kind) {
    case MqttFailure::Refused:
        return RefusalText(code);
    case MqttFailure::Unreachable:
        return WithOriginal(QCoreApplication::translate("rd5800d", "无法建立连接 (服务器未运行, 地址或端口有误, 或被防火墙拦截)"), original);
    case MqttFailure::Timeout:
        return WithOriginal(QCoreApplication::translate("rd5800d", "连接超时"), original);
    case MqttFailure::Tls: {
        const QString own = original.contains(QLatin1String("verif"))
                                ? QCoreApplication::translate("rd5800d", "TLS 握手失败: 服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址")
                                : QCoreApplication::translate("rd5800d", "TLS 握手失败");
        return WithOriginal(own, original);
    }
    case MqttFailure::Other:
        break;
    }
    if (original.isEmpty())
        return code == 0 ? QCoreApplication::translate("rd5800d", "服务器未应答") : QCoreApplication::translate("rd5800d", "错误 %1").arg(code);
    return WithOriginal(QCoreApplication::translate("rd5800d", "连接失败"), original);
}

QString MqttLostText(const QString &cause)
{
    return WithOriginal(QCoreApplication::translate("rd5800d", "连接中断"), cause);
}

} // namespace rdsvc
