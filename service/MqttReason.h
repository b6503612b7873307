// Why a broker connection failed or ended, in the service's language: its own
// words first, the English reason (the client library's, the system's or the
// TLS layer's) kept after them in parentheses so that it can still be looked up.
#pragma once

#include <QString>

namespace rdsvc {

// What went wrong with an attempt to connect, as the link found it out.
enum class MqttFailure {
    Refused,       // the broker answered CONNACK with a refusal: `code` 1..5 (MQTT 3.1.1)
    Unreachable,   // no connection came about: refused, no route, the name not found
    Timeout,       // no CONNACK within the connect timeout
    Tls,           // the TLS layer: handshake, the server's certificate, the files
    Other,         // anything else; `code` is shown when there are no words
};

QString MqttFailureText(MqttFailure kind, int code, const QString &reason = QString());

// A connection that was up and ended; `cause` as the library gives it (may be empty).
QString MqttLostText(const QString &cause);

} // namespace rdsvc
