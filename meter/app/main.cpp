// RD5800: the settings dialog, then the main window until it closes.
#include "meter/app/MeterApp.h"
#include "meter/app/MeterOptions.h"
#include "common/i18n/Language.h"
#include "common/widgets/Prompter.h"
#include "meter/mainwnd/MeterDlg.h"
#include "link/Clock.h"
#include "link/QtSerialPort.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    // --help is answered before Qt looks for a display, so it works in a terminal.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    if (ParseMeterOptions(rawArguments).help) {
        QCoreApplication core(argc, argv);
        rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(rawArguments)));
        std::fputs(MeterHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RD5800"));
    // Before any text is made: every window and message takes this language.
    rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(QApplication::arguments())));
    // Parsed again without the options Qt itself took (-platform and the like).
    const MeterOptions options = ParseMeterOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "RD5800: %s\n%s", options.error.toLocal8Bit().constData(),
                     MeterHelpText().toLocal8Bit().constData());
        return 2;
    }

    QtPrompter prompter(QStringLiteral("RD5800"));
    rdlink::QtSerialPort port;
    CMeterApp meterApp(prompter, [&](const StartSettings &settings) {
        CMeterDlg window(port, rdlink::SystemClock(), prompter);
        window.setLineSettings(settings.baudRate, settings.parity, settings.commPort);
        // "快速刷新" and the overview's list of meters are kept for the next start.
        window.setSettingsMaker([] {
            return std::make_unique<QSettings>(QStringLiteral("RD5800"), QStringLiteral("RD5800"));
        });
        window.OnInitDialog();
        // Unattended logging: recording is on from the start; a file that cannot
        // be opened is said, and the window runs without it.
        if (!options.recordPath.isEmpty())
            window.extras().startRecording(options.recordPath);
        if (options.overview)
            QTimer::singleShot(0, &window, [&window] { window.openOverview(); });
        prompter.exec(window);
    });
    meterApp.InitInstance();
    return 0;
}
