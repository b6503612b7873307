// rd5800-profile: settings profiles from the command line. read writes a
// meter's settings into a profile, diff compares a profile with a meter, apply
// writes the differing settings in the safe order and reads each one back.
#include "ProfileCliOptions.h"

#include "common/i18n/Language.h"
#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/LinePort.h"
#include "meter/profile/MeterRead.h"
#include "meter/profile/ProfileApply.h"
#include "meter/profile/ProfileFile.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

void Print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}


QString Table(const std::vector<rdprof::DiffRow> &rows)
{
    QString out = QCoreApplication::translate("rd5800-profile", "设置\t配置文件\t仪表\t相同/不同\n");
    for (const rdprof::DiffRow &r : rows)
        out += QStringLiteral("%1\t%2\t%3\t%4\n")
                   .arg(r.name, r.profileText, r.meterText, r.same ? rdprof::SameText() : rdprof::DifferentText());
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    using namespace rdprof;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rd5800-profile"));
    rdi18n::InstallLanguage(rdi18n::ChosenLanguage(rdi18n::LangArgument(QCoreApplication::arguments())));

    const CliOptions o = ParseCliOptions(QCoreApplication::arguments());
    if (o.help) {
        Print(stdout, CliHelpText());
        return kExitOk;
    }
    if (!o.error.isEmpty()) {
        Print(stderr, QStringLiteral("rd5800-profile: %1\n\n%2").arg(o.error, CliHelpText()));
        return kExitBadInput;
    }
    const int cannotRead = o.command == CliCommand::Diff ? kExitNoMeter : kExitDiffers;

    // The profile first: a bad file is refused before the port is even opened.
    std::optional<Profile> profile;
    if (o.command != CliCommand::Read) {
        auto loaded = LoadProfile(o.file);
        if (const QString *error = std::get_if<QString>(&loaded)) {
            Print(stderr, QStringLiteral("%1: %2\n").arg(o.file, *error));
            return kExitBadInput;
        }
        profile = std::get<Profile>(loaded);
        if (o.newAddress)
            profile->address = *o.newAddress;
    }

    auto made = rdlink::MakePort(o.port);
    if (const QString *error = std::get_if<QString>(&made)) {
        Print(stderr, QStringLiteral("rd5800-profile: %1\n").arg(*error));
        return kExitBadInput;
    }
    std::unique_ptr<rdlink::SerialPort> port = std::move(std::get<std::unique_ptr<rdlink::SerialPort>>(made));
    if (!rdlink::OpenPort(*port, 1, o.line)) {
        Print(stderr, QCoreApplication::translate("rd5800-profile", "无法打开端口 %1: %2\n").arg(o.port, port->errorString()));
        return cannotRead;
    }
    rdlink::SteadyClock clock;
    rdlink::Link link(*port, clock);
    const uint8_t address = uint8_t(o.address);
    const MeterRead meter = ReadMeter(link, address);
    if (!meter.profile) {
        Print(stderr, meter.failure + QLatin1Char('\n'));
        return cannotRead;
    }

    if (o.command == CliCommand::Read) {
        if (o.output.isEmpty()) {
            Print(stdout, QString::fromUtf8(ProfileJson(*meter.profile)));
        } else if (const auto error = SaveProfile(*meter.profile, o.output)) {
            Print(stderr, *error + QLatin1Char('\n'));
            return kExitDiffers;
        }
        return kExitOk;
    }

    const auto settings = std::get<std::vector<Setting>>(EncodeProfile(*profile));
    const std::vector<DiffRow> rows = Compare(settings, meter.registers);
    const int differences = DifferenceCount(rows);
    if (o.command == CliCommand::Diff) {
        Print(stdout, Table(rows));
        Print(stdout, differences ? QCoreApplication::translate("rd5800-profile", "%1 项设置不同。\n").arg(differences) : QCoreApplication::translate("rd5800-profile", "仪表的设置与配置文件相同。\n"));
        return differences ? kExitDiffers : kExitOk;
    }

    if (differences && !o.yes) {
        Print(stdout, QCoreApplication::translate("rd5800-profile", "将写入以下 %1 项设置 (仪表 -> 配置文件):\n%2\n写入吗? [y/N] ")
                          .arg(differences)
                          .arg(DifferencesText(rows)));
        std::string answer;
        if (!std::getline(std::cin, answer) || (answer != "y" && answer != "Y" && answer != "yes")) {
            Print(stdout, QCoreApplication::translate("rd5800-profile", "没有写入任何设置。\n"));
            return kExitDiffers;
        }
    }
    const Place at{address, o.line};
    const ApplyReport report = ApplyProfile(link, settings, meter.registers, at);
    const bool ok = report.result == ApplyResult::Verified || report.result == ApplyResult::NothingToDo;
    Print(ok ? stdout : stderr, ReportText(report) + QLatin1Char('\n'));
    return ok ? kExitOk : kExitDiffers;
}
