// RD5800: the settings dialog, then the main window until it closes.
#include "meter/app/MeterApp.h"
#include "meter/app/MeterOptions.h"
#include "common/i18n/Language.h"
#include "common/widgets/CaretRest.h"
#include "common/widgets/Prompter.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/recording/CsvRecorder.h"
#include "link/Clock.h"
#include "link/LinePort.h"
#include "link/LineTime.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    // --help and mistakes are answered before Qt looks for a display, so they
    // work in a terminal.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const MeterOptions options = ParseMeterOptions(rawArguments);
    if (options.help || !options.error.isEmpty()) {
        QCoreApplication core(argc, argv);
        rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(rawArguments)));
        if (options.help) {
            std::fputs(MeterHelpText().toLocal8Bit().constData(), stdout);
            return 0;
        }
        // Parsed again now that the language is installed: the mistake in it too.
        const QString error = ParseMeterOptions(rawArguments).error;
        std::fputs(MeterOptionErrorText(error).toLocal8Bit().constData(), stderr);
        return 2;
    }
    // --port names COM1's device exactly as the environment variable does, so the
    // settings dialog and every later open see the same device.
    if (!options.port.isEmpty())
        qputenv("RD5800_COM1", options.port.toLocal8Bit());
    if (options.timeoutMs)
        rdlink::SetDefaultNetworkMarginMs(*options.timeoutMs);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("RD5800"));
    const rdwidgets::CaretRest caretRest;
    // Before any text is made: every window and message takes this language.
    const rdi18n::Language language = rdi18n::ChosenLanguage(options.language);
    rdi18n::InstallLanguage(language);
    // A recording that cannot be started is said before any window opens: an
    // unattended start must not sit behind a message box.
    if (!options.recordPath.isEmpty()) {
        rdrec::CsvRecorder probe;
        QString error;
        if (!probe.open(options.recordPath, &error)) {
            std::fprintf(stderr, "RD5800: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
    }

    QtPrompter prompter(QStringLiteral("RD5800"));
    rdlink::LinePort port;
    CMeterApp meterApp(prompter, [&](const StartSettings &settings) {
        CMeterDlg window(port, rdlink::SystemClock(), prompter);
        window.setLineSettings(settings.baudRate, settings.parity, settings.commPort);
        // nolvex opens in the language this program runs in.
        window.setModuleProgramArguments({QStringLiteral("--lang"), language == rdi18n::Language::English
                                                                        ? QStringLiteral("en")
                                                                        : QStringLiteral("zh")});
        // "快速刷新" and the overview's list of meters are kept for the next start.
        window.setSettingsMaker([] {
            return std::make_unique<QSettings>(QStringLiteral("RD5800"), QStringLiteral("RD5800"));
        });
        window.OnInitDialog();
        if (options.address)
            window.setEnteredAddress(*options.address);
        // Unattended logging: recording is on from the start; a file that cannot
        // be opened is said, and the window runs without it.
        if (!options.recordPath.isEmpty())
            window.extras().startRecording(options.recordPath);
        if (options.run)
            window.OnRunStop();
        if (options.overview)
            QTimer::singleShot(0, &window, [&window] { window.openOverview(); });
        if (!options.profile.isEmpty())
            QTimer::singleShot(0, &window, [&window, file = options.profile] { window.openProfile(file); });
        prompter.exec(window);
    });
    StartSettings preset;
    preset.baudRate = options.baudRate.value_or(preset.baudRate);
    preset.parity = options.parity.value_or(preset.parity);
    meterApp.setStartSettings(preset, options.run);
    meterApp.InitInstance();
    return 0;
}
