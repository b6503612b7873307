// The command line of nolvex: the same rules as RD5800's (one line and exit
// status 2 for a mistake, --help in the chosen language). No widgets, so --help
// and the mistakes work without a display.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

struct NolvexOptions {
    bool help = false;   // --help: print the usage and end
    QString error;       // a bad command line: print NolvexOptionErrorText and end with 2
    QString language;    // --lang zh|en; empty: the system's
    QString port;        // --port NAME: the device of COM1, as RD5800_COM1=NAME
    std::optional<uint32_t> timeoutMs;   // --timeout MS: the reply margin over a gateway
};

// `arguments` as QCoreApplication::arguments() gives them, program name first.
NolvexOptions ParseNolvexOptions(const QStringList &arguments);

QString NolvexHelpText();
QString NolvexOptionErrorText(const QString &error);
