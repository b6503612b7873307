#include "ProfileApply.h"

#include "MeterRead.h"
#include "meter/commands/CommandRules.h"

#include <QCoreApplication>

namespace rdprof {

namespace {

// The module program's waits: relay and 4-20 mA blocks 200 ms, energy pulse 100 ms.
constexpr uint32_t kModuleBlockWaitMs = 200;
constexpr uint32_t kEnergyPulseWaitMs = 100;


// One write as its existing command sends it. True when the echo came (or, for
// the pulse width whose echo is never read, when it was sent); the exception
// code of a refusal goes to *exception.
bool Write(rdlink::Link &link, uint8_t address, const Setting &s, uint8_t *exception)
{
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    switch (s.shape) {
    case WriteShape::Setting:
        options.wait = rdlink::WaitKind::BusyWait;
        options.waitMs = rdcmd::kSettingsWaitMs;
        break;
    case WriteShape::PulseWidth:
        options.wait = rdlink::WaitKind::Sleep;
        options.waitMs = rdcmd::kPulseWaitMs;
        options.read = rdlink::ReadMode::None;
        break;
    case WriteShape::Address:
        options.wait = rdlink::WaitKind::Sleep;
        options.waitMs = rdcmd::kAddressWaitMs;
        break;
    case WriteShape::RelayOrAnalog:
        options.wait = rdlink::WaitKind::Sleep;
        options.waitMs = kModuleBlockWaitMs;
        break;
    case WriteShape::EnergyPulse:
        options.wait = rdlink::WaitKind::Sleep;
        options.waitMs = kEnergyPulseWaitMs;
        break;
    }
    const rdlink::ExchangeResult r = link.Exchange(rdlink::BuildWrite(address, s.reg, s.value), options);
    *exception = r.exception;
    // The fixed waits leave the search for an exception frame to the caller.
    if (!r.ok() && !*exception && link.rxCount() >= 5) {
        const int at = rdlink::FindReplyFrame(link.rxBuffer(), link.rxCount(), 0x86, address, 5);
        if (at >= 0)
            *exception = link.rxBuffer()[at + 2];
    }
    return r.ok() || (s.shape == WriteShape::PulseWidth && r.status == rdlink::ExchangeStatus::NotRead);
}

} // namespace

QString PlaceText(const Place &place)
{
    return QCoreApplication::translate("Profile", "地址 %1, %2").arg(place.address).arg(rdlink::SettingsText(place.line));
}

ApplyReport ApplyProfile(rdlink::Link &link, const std::vector<Setting> &profile, const MeterRegisters &meter,
                         const Place &at)
{
    ApplyReport report;
    report.now = at;
    const std::vector<DiffRow> rows = Compare(profile, meter);

    // A module the meter does not have: nothing is sent at all.
    QStringList missing;
    for (const DiffRow &row : rows)
        if (row.meterText == NoModuleText()) {
            const QString module = row.name.section(QLatin1Char(' '), 0, 0);
            if (!missing.contains(module))
                missing << module;
        }
    if (!missing.isEmpty()) {
        report.result = ApplyResult::NotStarted;
        report.failure = QCoreApplication::translate("Profile", "仪表没有配置文件中的模块 %1。").arg(missing.join(QStringLiteral(", ")));
        for (size_t i = 0; i < rows.size(); ++i)
            if (!rows[i].same)
                report.notWritten << rows[i].name;
        return report;
    }
    if (DifferenceCount(rows) == 0) {
        report.result = ApplyResult::NothingToDo;
        return report;
    }

    Place place = at;
    rdlink::SerialPort &port = link.port();
    for (size_t i = 0; i < profile.size(); ++i) {
        if (rows[i].same)
            continue;
        const Setting &s = profile[i];
        const Place before = place;
        uint8_t exception = 0;
        QString failure;
        const bool echoed = Write(link, place.address, s, &exception);
        if (exception) {
            failure = QCoreApplication::translate("Profile", "仪表以异常码 %1 拒绝了写入。").arg(exception);
        } else {
            // A missing echo is not the end: the meter may have taken the value and
            // the echo been lost or late. The read-back decides. The meter takes an
            // address or line setting after its echo: the read-back follows it.
            if (s.stage == Stage::Address)
                place.address = uint8_t(s.value & 0xFF);
            else if (s.stage == Stage::Parity)
                place.line.parity = ParityFromCode(s.value);
            else if (s.stage == Stage::Baud)
                place.line.baudRate = BaudFromCode(s.value);
            if (place.line != before.line && !ReopenPort(port, place.line))
                failure = QCoreApplication::translate("Profile", "端口无法以 %1 重新打开: %2").arg(rdlink::SettingsText(place.line), port.errorString());
            if (failure.isEmpty()) {
                auto back = ReadRegisters(link, place.address, s.reg, 1);
                if (!back && port.isOpen())
                    back = ReadRegisters(link, place.address, s.reg, 1);   // one lost reply is not a failure
                const QString echo = echoed ? QString() : QCoreApplication::translate("Profile", "写入没有回应; ");
                if (!back)
                    failure = echo + QCoreApplication::translate("Profile", "写入后在%1读回没有回答。").arg(PlaceText(place));
                else if (((*back)[0] & s.mask) != (s.value & s.mask))
                    failure = echo + QCoreApplication::translate("Profile", "读回的值是 %1, 不是写入的 %2。").arg((*back)[0] & s.mask).arg(s.value & s.mask);
            }
        }
        if (failure.isEmpty()) {
            report.written << s.name;
            continue;
        }
        report.result = ApplyResult::Failed;
        report.failedSetting = s.name;
        report.failure = failure;
        for (size_t k = i + 1; k < profile.size(); ++k)
            if (!rows[k].same)
                report.notWritten << rows[k].name;
        report.portLost = !port.isOpen() && port.errorString().size() > 0;
        // Where is it now? Where it should be, else where it was before this write.
        report.answers = false;
        std::vector<Place> candidates = {place};
        if (before.address != place.address || before.line != place.line)
            candidates.push_back(before);
        for (const Place &candidate : candidates) {
            if (port.settings() != candidate.line || !port.isOpen())
                ReopenPort(port, candidate.line);
            if (port.isOpen() && Answers(link, candidate.address)) {
                report.now = candidate;
                report.answers = true;
                break;
            }
        }
        if (!report.answers) {
            report.now = place;
            if (port.settings() != place.line)
                ReopenPort(port, place.line);
        }
        return report;
    }
    report.result = ApplyResult::Verified;
    report.now = place;
    return report;
}

QString ReportText(const ApplyReport &r)
{
    QStringList lines;
    switch (r.result) {
    case ApplyResult::NothingToDo:
        lines << QCoreApplication::translate("Profile", "仪表的设置与配置文件相同, 没有写入任何设置。");
        break;
    case ApplyResult::NotStarted:
        lines << r.failure << QCoreApplication::translate("Profile", "没有写入任何设置。");
        break;
    case ApplyResult::Verified:
        lines << QCoreApplication::translate("Profile", "已写入并读回核对 %1 项设置: %2").arg(r.written.size()).arg(r.written.join(QStringLiteral(", ")));
        break;
    case ApplyResult::Failed:
        lines << QCoreApplication::translate("Profile", "写入“%1”失败: %2").arg(r.failedSetting, r.failure);
        lines << (r.written.isEmpty() ? QCoreApplication::translate("Profile", "已写入并核对的设置: 无")
                                      : QCoreApplication::translate("Profile", "已写入并核对的设置: %1").arg(r.written.join(QStringLiteral(", "))));
        lines << (r.notWritten.isEmpty() ? QCoreApplication::translate("Profile", "未写入的设置: 无")
                                         : QCoreApplication::translate("Profile", "未写入的设置: %1").arg(r.notWritten.join(QStringLiteral(", "))));
        break;
    }
    if (r.result != ApplyResult::NotStarted)
        lines << (r.answers ? QCoreApplication::translate("Profile", "仪表现在在%1回答。").arg(PlaceText(r.now))
                            : QCoreApplication::translate("Profile", "仪表在%1没有回答。").arg(PlaceText(r.now)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace rdprof
