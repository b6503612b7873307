#include "Commissioning.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <set>

namespace rdprof {

std::variant<std::vector<Target>, QString> ParseTargets(const QString &text)
{
    std::vector<Target> out;
    std::set<int> seen;
    static const QRegularExpression split(QStringLiteral("[,\\n;，]"));
    static const QRegularExpression range(QStringLiteral("^(\\d{1,3})\\s*-\\s*(\\d{1,3})$"));
    static const QRegularExpression named(QStringLiteral("^(\\d{1,3})(?:\\s+(.+))?$"));
    auto add = [&](int address, const QString &name) -> bool {
        if (address < 1 || address > 247 || !seen.insert(address).second)
            return false;
        out.push_back(Target{uint8_t(address), name});
        return true;
    };
    for (const QString &raw : text.split(split)) {
        const QString part = raw.trimmed();
        if (part.isEmpty())
            continue;
        const auto r = range.match(part);
        const auto m = named.match(part);
        bool ok = false;
        if (r.hasMatch()) {
            const int from = r.captured(1).toInt(), to = r.captured(2).toInt();
            ok = from <= to;
            for (int a = from; ok && a <= to; ++a)
                ok = add(a, QString());
        } else if (m.hasMatch()) {
            ok = add(m.captured(1).toInt(), m.captured(2).trimmed());
        }
        if (!ok)
            return QCoreApplication::translate("Profile", "目标地址 “%1” 无法识别: 每项是 1 至 247 的地址 (可带名称, 如 “2 进线柜”) 或范围 (如 “2-21”), 每个地址只能出现一次。").arg(part);
    }
    if (out.empty())
        return QCoreApplication::translate("Profile", "请给出至少一个目标地址 (例如 2-21)。");
    return out;
}

QString StepResultText(StepResult result)
{
    switch (result) {
    case StepResult::Commissioned: return QCoreApplication::translate("Profile", "已设置");
    case StepResult::AlreadyRight: return QCoreApplication::translate("Profile", "已相同, 未写入");
    case StepResult::NotFound: return QCoreApplication::translate("Profile", "未找到仪表");
    case StepResult::Failed: return QCoreApplication::translate("Profile", "失败");
    }
    return QString();
}

StepOutcome CommissionOne(rdlink::Link &link, const Profile &base, const Target &target, const Place &factory)
{
    StepOutcome step;
    Profile profile = base;
    profile.address = target.address;
    const auto encoded = EncodeProfile(profile);
    const auto &settings = std::get<std::vector<Setting>>(encoded);
    const rdlink::LineSettings profileLine{profile.baudRate, profile.parity};

    std::vector<Place> places = {{target.address, profileLine}, factory, {target.address, factory.line},
                                 {factory.address, profileLine}};
    rdlink::SerialPort &port = link.port();
    std::optional<Place> found;
    for (size_t i = 0; i < places.size() && !found; ++i) {
        bool tried = false;
        for (size_t k = 0; k < i; ++k)
            tried = tried || (places[k].address == places[i].address && places[k].line == places[i].line);
        if (tried)
            continue;
        if ((port.settings() != places[i].line || !port.isOpen()) && !ReopenPort(port, places[i].line))
            continue;
        if (Answers(link, places[i].address))
            found = places[i];
    }
    step.time = QDateTime::currentDateTime();
    if (!found) {
        step.result = StepResult::NotFound;
        step.message = QCoreApplication::translate("Profile", "在 %1 和出厂设置 %2 都没有找到仪表。")
                           .arg(PlaceText(places[0]), PlaceText(factory));
        return step;
    }
    step.foundAt = *found;
    const MeterRead meter = ReadMeter(link, found->address);
    if (!meter.profile) {
        step.result = StepResult::Failed;
        step.message = meter.failure;
        step.report.result = ApplyResult::NotStarted;
        step.report.now = *found;
        return step;
    }
    step.info = meter.profile->info;
    step.differences = Compare(settings, meter.registers);
    step.report = ApplyProfile(link, settings, meter.registers, *found);
    step.time = QDateTime::currentDateTime();
    switch (step.report.result) {
    case ApplyResult::NothingToDo: step.result = StepResult::AlreadyRight; break;
    case ApplyResult::Verified: step.result = StepResult::Commissioned; break;
    case ApplyResult::Failed:
    case ApplyResult::NotStarted: step.result = StepResult::Failed; break;
    }
    step.message = ReportText(step.report);
    return step;
}

QString CsvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::optional<QString> CommissioningRecord::open(const QString &path, const std::vector<Setting> &settings)
{
    m_file.close();
    m_file.setFileName(path);
    m_settings = settings;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QCoreApplication::translate("Profile", "无法打开调试记录 %1: %2").arg(path, m_file.errorString());
    if (m_file.size() == 0) {
        QStringList header = {QCoreApplication::translate("Profile", "时间"), QCoreApplication::translate("Profile", "名称"), QCoreApplication::translate("Profile", "地址")};
        for (const Setting &s : settings)
            if (s.stage != Stage::Address)
                header << s.name;
        header << QCoreApplication::translate("Profile", "结果") << QCoreApplication::translate("Profile", "精度等级") << QCoreApplication::translate("Profile", "模块");
        QStringList fields;
        for (const QString &h : header)
            fields << CsvField(h);
        // A byte order mark, so that spreadsheet programs read the Chinese as UTF-8.
        m_file.write("\xEF\xBB\xBF");
        m_file.write((fields.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8());
        m_file.flush();
    }
    return std::nullopt;
}

std::optional<QString> CommissioningRecord::append(const Target &target, const StepOutcome &step)
{
    if (!m_file.isOpen())
        return QCoreApplication::translate("Profile", "调试记录没有打开。");
    QStringList fields = {step.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), target.name,
                          QString::number(target.address)};
    // What the meter holds now: the profile's value where it was written or
    // already right, the meter's own where it was not.
    for (const Setting &s : m_settings) {
        if (s.stage == Stage::Address)
            continue;
        QString value;
        for (const DiffRow &row : step.differences) {
            if (row.name != s.name)
                continue;
            const bool holds = row.same || step.report.written.contains(s.name);
            value = holds ? row.profileText : row.meterText;
        }
        fields << value;
    }
    QString result = StepResultText(step.result);
    if (step.result == StepResult::Failed || step.result == StepResult::NotFound)
        result += QStringLiteral(": ") + step.message.section(QLatin1Char('\n'), 0, 0);
    fields << result << step.info.accuracy << step.info.modules.join(QLatin1Char(' '));
    QStringList quoted;
    for (const QString &f : fields)
        quoted << CsvField(f);
    if (m_file.write((quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8()) < 0 || !m_file.flush())
        return QCoreApplication::translate("Profile", "无法写入调试记录 %1: %2").arg(m_file.fileName(), m_file.errorString());
    return std::nullopt;
}

} // namespace rdprof
