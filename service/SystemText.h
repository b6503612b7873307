// The system's reason for a failed file operation (an errno value) in the
// language the service speaks, for log lines and command-line mistakes; and in
// English for the machine-read answers (/healthz).
#pragma once

#include <QString>

namespace rdsvc {

QString SystemReason(int error);
QString SystemReasonEnglish(int error);

} // namespace rdsvc
