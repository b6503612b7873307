// The question "记录数据" asks when the chosen file already holds something: it
// says what will really happen to the file. A recording with the same columns can
// be continued at its end or overwritten; a file with other content is overwritten
// only when the user chooses "覆盖". Asked through the Prompter, so tests answer it.
#pragma once

#include "meter/recording/CsvRecorder.h"

#include <QString>

#include <optional>

class Prompter;
class QWidget;

// How to record into `path`, which holds `found`; nothing when the user cancels.
// A file without content needs no question: Continue comes back at once.
std::optional<rdrec::IfExisting> AskHowToRecord(Prompter &prompter, QWidget *parent, const QString &path,
                                                rdrec::ExistingFile found);
