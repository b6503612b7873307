// The command line of RD5800: what to do before the window opens.
#pragma once

#include <QString>
#include <QStringList>

struct MeterOptions {
    bool help = false;          // --help: print helpText and end
    QString error;              // a bad command line: print it with helpText and end
    QString language;           // --lang zh|en: the interface language; empty: the system's
    QString recordPath;         // --record FILE: record from the first reading on
    bool overview = false;      // --overview: the window "总览" opens with the main window
};

// `arguments` as QCoreApplication::arguments() gives them, program name first.
MeterOptions ParseMeterOptions(const QStringList &arguments);

// The usage text that --help prints.
QString MeterHelpText();
