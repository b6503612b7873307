#include "CModuleSetApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nolvex"));
    return rdmod::CModuleSetApp().Run();
}
