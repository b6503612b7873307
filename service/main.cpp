// rd5800d: the monitoring service. Reads the options, then runs the Service
// until SIGTERM or SIGINT (or the end of --once); SIGHUP reads the options
// again and applies them.
#include "HttpApi.h"
#include "LogWriter.h"
#include "Service.h"
#include "ServiceOptions.h"
#include "SystemText.h"

#include "common/i18n/Language.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int number)
{
    const char c = char(number);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

void Print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

// The MQTT password: the file the configuration names, else the credential
// systemd passes (LoadCredential=mqtt-password:...) in $CREDENTIALS_DIRECTORY.
// A file that other users may read works, with a warning line.
bool ReadPassword(const rdsvc::ServiceConfig &config, QString *password, QString *error)
{
    password->clear();
    QString path = config.mqttPasswordFile;
    const QByteArray credentials = qgetenv("CREDENTIALS_DIRECTORY");
    const bool credential = path.isEmpty() && !credentials.isEmpty()
                            && QFile::exists(QString::fromLocal8Bit(credentials) + QStringLiteral("/mqtt-password"));
    if (credential)
        path = QString::fromLocal8Bit(credentials) + QStringLiteral("/mqtt-password");
    if (path.isEmpty())
        return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = QCoreApplication::translate("rd5800d", "无法读取密码文件 %1: %2").arg(path, rdsvc::SystemReason(errno));
        return false;
    }
    QFile file;
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && (info.st_mode & (S_IROTH | S_IWOTH)) != 0 && !credential)
        rdsvc::LogLine(QCoreApplication::translate("rd5800d", "警告: 密码文件 %1 其他用户也能读写 (权限 %2); 请用 chmod 640 或 600, 或用 systemd 的 LoadCredential= 传递密码")
                           .arg(path, QString::number(info.st_mode & 0777, 8)));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = QCoreApplication::translate("rd5800d", "无法读取密码文件 %1: %2").arg(path, file.errorString());
        return false;
    }
    *password = QString::fromUtf8(file.readLine()).trimmed();
    if (credential)
        rdsvc::LogLine(QCoreApplication::translate("rd5800d", "MQTT 密码取自 systemd 凭据 %1").arg(path));
    return true;
}

// Descriptors: the soft limit is raised to the hard one, and a warning says
// when even that leaves too few for the adapters, the files, the broker and a
// full HTTP connection cap (which then could starve a reconnecting adapter).
void BudgetDescriptors(const rdsvc::ServiceConfig &config)
{
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    const rlim_t http = config.httpPort != 0 ? rlim_t(rdsvc::kMaxConnections + 3) : 0;
    const rlim_t needed = 32 + http + rlim_t(config.adapters.size()) * 4 + rlim_t(config.meters.size());
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed)
        rdsvc::LogLine(QCoreApplication::translate("rd5800d", "警告: 可打开的文件数上限 %1 低于所需的 %2 (LimitNOFILE=)")
                           .arg(qulonglong(limit.rlim_cur)).arg(qulonglong(needed)));
}

// The system's time zone, read once. With TZ unset, the C library looks at
// /etc/localtime again (a stat() of the file) for every local time the service
// makes, two or three per reading: about 5 % of its CPU. Naming the file in TZ
// has it read once. The times written carry their offset either way; a change
// of the system's time zone takes a restart. Done before any thread starts, as
// the environment may only be changed then.
void ReadTimeZoneOnce()
{
    if (qEnvironmentVariableIsSet("TZ") || ::access("/etc/localtime", R_OK) != 0)
        return;
    ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

} // namespace

int main(int argc, char *argv[])
{
    ReadTimeZoneOnce();
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
    QString password, passwordError;
    if (!ReadPassword(config, &password, &passwordError)) {
        rdsvc::StderrLog().flush(1000);   // a warning before the mistake comes first
        Print(stderr, rdsvc::ServiceErrorText(passwordError));
        return 2;
    }
    if (!config.once)
        BudgetDescriptors(config);

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return 1;
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    rdsvc::Service service(config, password);
    QObject::connect(&notifier, &QSocketNotifier::activated, &service, [&service, &notifier] {
        char c = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        if (c == SIGHUP) {
            // The same command line again: its --config file is read anew. A
            // mistake is one line and changes nothing.
            const rdsvc::ServiceConfig next = rdsvc::ParseServiceConfig(QCoreApplication::arguments());
            QString nextPassword, error = next.error;
            if (error.isEmpty())
                ReadPassword(next, &nextPassword, &error);
            if (!error.isEmpty()) {
                rdsvc::LogLine(QCoreApplication::translate("rd5800d", "重新读取配置失败, 继续使用原来的配置: %1").arg(error));
                return;
            }
            service.reload(next, nextPassword);
            return;
        }
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
