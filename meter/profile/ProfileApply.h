// Applying a profile to a meter: only the settings that differ, in the order of
// the profile's settings (everything that leaves the meter where it is reached,
// then the address, then parity, then the baud rate), each write with the wire
// shape of its existing command and each read back and compared at once; after a
// change of address or line settings the read-back goes to the new ones. The
// first write or read-back that fails ends it, and the report says what was
// written, what was not, and where the meter answers now. Runs on the link worker.
#pragma once

#include "ProfileDiff.h"
#include "link/Exchange.h"

#include <QStringList>

namespace rdprof {

// Where a meter is reached: its address and the line settings of the port.
struct Place {
    uint8_t address = 1;
    rdlink::LineSettings line;
};
QString PlaceText(const Place &place);   // "地址 3, 9600,N,8,1"

enum class ApplyResult {
    Verified,      // every differing setting written and read back
    NothingToDo,   // the meter already holds the profile
    Failed,        // a write or a read-back failed: see the report
    NotStarted,    // nothing was sent (a module the meter does not have)
};

struct ApplyReport {
    ApplyResult result = ApplyResult::NotStarted;
    QStringList written;       // written and read back, in the order written
    QString failedSetting;     // whose write or read-back failed
    QString failure;           // what happened to it
    QStringList notWritten;    // differing settings never sent
    Place now;                 // where the meter answers (or was last reached)
    bool answers = true;       // false: it answers at none of the places tried
    bool portLost = false;
};

// `meter` is what ReadMeter found at `at`; the port is open with `at.line`.
// The port is left open at the line settings of `report.now`.
ApplyReport ApplyProfile(rdlink::Link &link, const std::vector<Setting> &profile, const MeterRegisters &meter,
                         const Place &at);

// The report in plain words, for a message box or the terminal.
QString ReportText(const ApplyReport &report);

} // namespace rdprof
