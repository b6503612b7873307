// rd5800d: the monitoring service. Reads the options, then runs the Service
// until SIGTERM or SIGINT (or the end of --once).
#include "LogWriter.h"
#include "Service.h"
#include "ServiceOptions.h"

#include "common/i18n/Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

void Print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rd5800d"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RD_VERSION));
    // The language first, so that help and mistakes come out in it: --lang
    // (command line only), else the system's.
    rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(QCoreApplication::arguments())));

    const rdsvc::ServiceConfig config = rdsvc::ParseServiceConfig(QCoreApplication::arguments());
    if (config.help) {
        Print(stdout, rdsvc::ServiceHelpText());
        return 0;
    }
    if (config.version) {
        Print(stdout, QStringLiteral("rd5800d %1\n").arg(QStringLiteral(RD_VERSION)));
        return 0;
    }
    if (!config.error.isEmpty()) {
        Print(stderr, rdsvc::ServiceErrorText(config.error));
        return 2;
    }
    QString password;
    if (!config.mqttPasswordFile.isEmpty()) {
        QFile file(config.mqttPasswordFile);
        if (!file.open(QIODevice::ReadOnly)) {
            Print(stderr, rdsvc::ServiceErrorText(QCoreApplication::translate("rd5800d", "无法读取密码文件 %1: %2")
                                                      .arg(config.mqttPasswordFile, file.errorString())));
            return 2;
        }
        password = QString::fromUtf8(file.readLine()).trimmed();
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return 1;
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    rdsvc::Service service(config, password);
    QObject::connect(&notifier, &QSocketNotifier::activated, &service, [&service, &notifier] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        notifier.setEnabled(false);
        service.shutdown();
    });
    QObject::connect(&service, &rdsvc::Service::finished, &app, [](int status) { QCoreApplication::exit(status); },
                     Qt::QueuedConnection);
    QString error;
    if (!service.start(&error)) {
        rdsvc::StderrLog().flush(1000);   // the log lines before the mistake come first
        Print(stderr, QStringLiteral("rd5800d: %1\n").arg(error));
        return 1;
    }
    return app.exec();
}
