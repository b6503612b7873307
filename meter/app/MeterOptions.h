// The command line of RD5800: what to do before the window opens.
#pragma once

#include "link/LineSettings.h"

#include <QString>
#include <QStringList>

#include <optional>

struct MeterOptions {
    bool help = false;          // --help: print helpText and end
    QString error;              // a bad command line: print it in one line and end
    QString language;           // --lang zh|en: the interface language; empty: the system's
    QString recordPath;         // --record FILE: record from the first reading on
    QString port;               // --port NAME: the device COM1 opens, as RD5800_COM1=NAME
    std::optional<int> baudRate;               // --baud: preset in "通讯设置"
    std::optional<rdlink::Parity> parity;      // --parity N|E|O: preset in "通讯设置"
    std::optional<int> address;                // --address: the slave address box, 0..255
    bool run = false;           // --run: accept "通讯设置" as preset and start polling
    bool overview = false;      // --overview: the window "总览" opens with the main window
    QString profile;            // --profile FILE: the window "配置文件" opens with FILE
    std::optional<uint32_t> timeoutMs;         // --timeout MS: the reply margin over a gateway
};

// `arguments` as QCoreApplication::arguments() gives them, program name first.
MeterOptions ParseMeterOptions(const QStringList &arguments);

// The usage text that --help prints.
QString MeterHelpText();

// The line a bad command line prints on stderr before the program ends with 2.
QString MeterOptionErrorText(const QString &error);
