// InfluxDB's line protocol without sockets: one point per meter and poll, with
// the fields named and rounded as in the MQTT state JSON, and the parts of an
// answer to a write that the writer acts on.
#pragma once

#include "MeterBook.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace rdsvc {

// A measurement name: commas and spaces escaped.
QByteArray InfluxMeasurement(const QString &text);
// A tag key or value, or a field key: commas, '=' and spaces escaped; a line
// break or another control character becomes an escaped space, a backslash
// before one of those or at the end a '/' (the protocol cannot carry them).
QByteArray InfluxTag(const QString &text);

// "MEASUREMENT,meter=..,address=..,adapter=.. voltage_a=230.1,...,di1=1i TIME"
// without the line break: tags meter, address and adapter; every published
// quantity in the units of the MQTT state (DI, DO and the pulse counters as
// integers, values the meter did not give left out); the time of the reply in
// nanoseconds since the epoch. Empty before the first reading.
QByteArray InfluxPoint(const QString &measurement, const MeterEntry &meter);

// How many points an answer with status 400 says were not written: InfluxDB
// 1.x lists each line it could not parse ("unable to parse ...") and counts the
// ones it refused ("dropped=N"); when it says neither, all `sent` of them.
int InfluxRejectedCount(const QByteArray &body, int sent);
// The "error" of a JSON error answer, else the body's first line (at most 300
// characters): for the log.
QString InfluxErrorText(const QByteArray &body);

// The writer's state for /metrics and /healthz.
struct InfluxStats {
    quint64 written = 0;    // points InfluxDB accepted
    quint64 queued = 0;     // points waiting (memory and disk)
    quint64 dropped = 0;    // points given up: rejected as malformed, or pushed out of a full queue
    QString lastError;      // empty while none happened
    QDateTime lastErrorTime;
};

} // namespace rdsvc
