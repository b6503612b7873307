#include "QtOptions.h"

#include <QCommandLineParser>

namespace rdcmdline {

void AddQtApplicationOptions(QCommandLineParser &parser)
{
    // QGuiApplication and QApplication, as their documentation lists them.
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "geometry", "title", "display",
                             "session", "style", "stylesheet"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("VALUE")));
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
}

} // namespace rdcmdline
