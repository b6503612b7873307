// The time of a reading: now, as the local clock reads it, with the zone's
// offset carried in the value.
#pragma once

#include <QDateTime>

namespace rdacq {

// The same instant and the same local date and time as
// QDateTime::currentDateTime(), but with the offset from UTC fixed in the
// value (Qt::OffsetFromUTC). A local-time QDateTime works its offset out again,
// through the system's zone rules, each time it is formatted with its offset or
// turned into a count since the epoch; a reading is formatted and counted that
// way several times (CSV, MQTT, the trend, InfluxDB), 6 readings a second in the
// service. This takes the zone once, at the reading. It follows a change of the
// system's zone from the next reading on, as currentDateTime() does.
QDateTime LocalNow();

} // namespace rdacq
