// Why a broker connection failed or ended, in the service's language: its own
// words first, the client library's English reason kept after them in
// parentheses so that it can still be looked up.
#pragma once

#include <QString>

namespace rdsvc {

// `code`: the library's failure code, or the broker's CONNACK return code (1..5);
// `libraryText`: the library's message (may be empty); `tlsText`: what the TLS
// layer said during the attempt (may be empty).
QString MqttFailureText(int code, const QString &libraryText, const QString &tlsText = QString());

// A connection that was up and ended; `cause` as the library gives it (may be empty).
QString MqttLostText(const QString &cause);

} // namespace rdsvc
