// Saving the monitor's rows as a text file: the name offered and the writing.
#pragma once

#include <QDateTime>
#include <QString>

namespace rdtraffic {

class TrafficModel;

// "rd5800-trace-20240131-142501.txt" for program "rd5800" at that local time.
QString SuggestedTraceName(const QString &program, const QDateTime &at);

// Writes a header line and one line per row, the cells separated by tabs, UTF-8.
// The file is replaced only once everything is written; on failure the reason is
// put in *error and any earlier file of that name is left as it was.
bool WriteTrace(const QString &path, const TrafficModel &model, QString *error);

} // namespace rdtraffic
