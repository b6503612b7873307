// RD5800: the settings dialog, then the main window until it closes.
#include "meter/app/MeterApp.h"
#include "meter/app/Prompter.h"
#include "meter/mainwnd/MeterDlg.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RD5800"));

    QtPrompter prompter(QStringLiteral("RD5800"));
    rdlink::QtSerialPort port;
    CMeterApp meterApp(prompter, [&](const StartSettings &settings) {
        CMeterDlg window(port, rdlink::SystemClock(), prompter);
        window.setLineSettings(settings.baudRate, settings.parity, settings.commPort);
        window.OnInitDialog();
        prompter.exec(window);
    });
    meterApp.InitInstance();
    return 0;
}
