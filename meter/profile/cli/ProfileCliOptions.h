// The command line of rd5800-profile: read | diff | apply, the port by name (a
// serial device, tcp://HOST:PORT or modbus-tcp://HOST:PORT), the address and the
// line settings at which the meter answers.
#pragma once

#include "link/LineSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace rdprof {

enum class CliCommand { Read, Diff, Apply };

struct CliOptions {
    CliCommand command = CliCommand::Read;
    QString file;             // diff, apply: the profile
    QString port;
    int address = 0;
    rdlink::LineSettings line;
    QString output;           // read: -o FILE; empty: standard output
    std::optional<int> newAddress;   // apply: --new-address
    bool yes = false;
    bool help = false;
    QString error;            // the mistake, for the user
};

CliOptions ParseCliOptions(const QStringList &arguments);
QString CliHelpText();

// Exit codes.
constexpr int kExitOk = 0;          // read, applied and verified, or the same
constexpr int kExitDiffers = 1;     // diff: differs; apply: failed or declined; read: failed
constexpr int kExitBadInput = 2;    // the command line or the profile refused
constexpr int kExitNoMeter = 3;     // diff: the meter could not be read

} // namespace rdprof
