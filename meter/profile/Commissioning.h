// Commissioning one meter after another: the list of target addresses (each with
// an optional name), finding the meter just connected, applying the profile with
// the target's address, and one row of the commissioning record per meter.
// Widget-free; a step runs on the link worker.
#pragma once

#include "MeterRead.h"
#include "ProfileApply.h"

#include <QDateTime>
#include <QFile>

#include <variant>
#include <vector>

namespace rdprof {

struct Target {
    uint8_t address = 0;
    QString name;
};

// "2-21" (a range), "2 进线柜" (an address and a name), several separated by
// commas or new lines; addresses 1..247, each once. The message names the part
// that cannot be read.
std::variant<std::vector<Target>, QString> ParseTargets(const QString &text);

enum class StepResult {
    Commissioned,   // written and read back
    AlreadyRight,   // it held the target settings: nothing written
    NotFound,       // nothing answered at any place tried
    Failed,         // read, write or read-back failed: see the report
};

struct StepOutcome {
    StepResult result = StepResult::NotFound;
    Place foundAt;                      // where the meter answered before
    ApplyReport report;
    std::vector<DiffRow> differences;   // before writing
    MeterInfo info;                     // what the meter said about itself
    QString message;                    // the step in plain words
    QDateTime time;
};

// Finds the meter for `target` and applies `profile` with the target's address.
// Places tried, in this order: the target address with the profile's line
// settings (a meter already commissioned, or a step being repeated after the
// address was written), the factory place, the target address at the factory line
// settings, the factory address at the profile's line settings. `profile` must
// have passed EncodeProfile.
StepOutcome CommissionOne(rdlink::Link &link, const Profile &profile, const Target &target, const Place &factory);

QString StepResultText(StepResult result);

// The commissioning record: a CSV file (UTF-8), one row per meter: time, target
// name, address, each setting of the profile, result, the meter's own information.
class CommissioningRecord {
public:
    // Opens `path` for appending; a new or empty file gets the header first.
    std::optional<QString> open(const QString &path, const std::vector<Setting> &settings);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }
    std::optional<QString> append(const Target &target, const StepOutcome &step);

private:
    QFile m_file;
    std::vector<Setting> m_settings;
};

// A field of a CSV row, quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString &text);

} // namespace rdprof
