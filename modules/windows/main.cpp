// nolvex: the module parameter program.
#include "CModuleSetApp.h"

#include "common/cmdline/ParserErrors.h"
#include "common/i18n/Language.h"
#include "common/widgets/CaretRest.h"
#include "modules/options/NolvexOptions.h"
#include "link/LineTime.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // --help and mistakes are answered before Qt looks for a display, so they
    // work in a terminal.
    const NolvexOptions options = ParseNolvexOptions(arguments);
    if (options.help || !options.error.isEmpty()) {
        QCoreApplication core(argc, argv);
        rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(arguments)));
        if (options.help) {
            std::fputs(NolvexHelpText().toLocal8Bit().constData(), stdout);
            return 0;
        }
        // Parsed again now that the language is installed, so that the mistake is
        // worded in it too; Qt's parser words its own in English only.
        const QString error = rdcmdline::InOwnWords(ParseNolvexOptions(arguments).error);
        std::fputs(NolvexOptionErrorText(error).toLocal8Bit().constData(), stderr);
        return 2;
    }
    if (!options.port.isEmpty())
        qputenv("RD5800_COM1", options.port.toLocal8Bit());
    if (options.timeoutMs)
        rdlink::SetDefaultNetworkMarginMs(*options.timeoutMs);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nolvex"));
    const rdwidgets::CaretRest caretRest;
    // Before any window: every window and message takes this language.
    rdi18n::InstallLanguage(rdi18n::ChosenLanguage(options.language));
    return rdmod::CModuleSetApp().Run();
}
