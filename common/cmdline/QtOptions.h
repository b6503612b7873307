// The options Qt's application object takes from a command line (-platform,
// -style, ...). Both programs check their command line before the application
// object exists, so that --help and mistakes work without a display: the
// parser must know these too, or "-platform offscreen" would read as a mistake.
#pragma once

class QCommandLineParser;

namespace rdcmdline {

void AddQtApplicationOptions(QCommandLineParser &parser);

} // namespace rdcmdline
