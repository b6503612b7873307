// The jobs of the window "配置文件" on the main window's link worker, and what
// their results do in the window: read, compare, apply, one commissioning step.
#include "ProfileWindow.h"

#include "common/widgets/Prompter.h"
#include "link/LinkWorker.h"
#include "meter/overview/OverviewHost.h"
#include "meter/profile/MeterRead.h"
#include "meter/profile/ProfileApply.h"
#include "meter/profile/ProfileFile.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace rdprof;

template <class Result>
void ProfileWindow::post(const Place &at, std::function<Result(rdlink::Link &)> work,
                         std::function<void(const Result &)> done)
{
    // The poll pauses while the profile's exchanges run, as for the commands.
    m_host.stopMainPolling();
    setBusy(true);
    ++m_posted;
    const int number = m_host.commPort();
    const rdlink::LineSettings mainLine = m_host.lineSettings();
    const QPointer<QObject> guard(this);
    m_host.linkWorker().post([guard, this, number, at, mainLine, work, done](rdlink::Link &link) {
        rdlink::SerialPort &port = link.port();
        QString failure;
        if (!port.isOpen() || port.settings() != at.line) {
            rdlink::ClosePortIfOpen(port);
            if (!rdlink::OpenPort(port, number, at.line))
                failure = rdlink::PortOpenFailureText(number, port.deviceName(), port.errorString(), port.errorKind());
        }
        std::optional<Result> result;
        if (failure.isEmpty())
            result = work(link);
        // Left at other line settings than the main window's, the port is closed:
        // the main window opens it again with its own.
        if (port.isOpen() && port.settings() != mainLine)
            rdlink::ClosePortIfOpen(port);
        const bool open = port.isOpen();
        rdlink::LinkWorker::deliver(guard, [this, failure, result, open, done] {
            ++m_done;
            setBusy(false);
            m_host.portStateSeen(open);
            if (!failure.isEmpty())
                m_prompter.message(this, failure);
            else
                done(*result);
        });
    });
}

void ProfileWindow::waitForLine()
{
    while (m_done < m_posted) {
        m_host.linkWorker().drain();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void ProfileWindow::readMeter()
{
    const Place at = place();
    post<MeterRead>(at, [at](rdlink::Link &link) { return ReadMeter(link, at.address); },
                    [this](const MeterRead &read) {
                        if (!read.profile) {
                            m_prompter.message(this, read.failure);
                            return;
                        }
                        m_profile = read.profile;
                        m_path.clear();
                        showFile();
                        const auto encoded = EncodeProfile(*m_profile);
                        if (const auto *settings = std::get_if<std::vector<Setting>>(&encoded))
                            showRows(Compare(*settings, read.registers));
                        else
                            m_prompter.message(this, rdmod::FieldErrorMessage(std::get<rdmod::FieldError>(encoded)));
                        saveFile();
                    });
}

void ProfileWindow::compare()
{
    const auto planned = settings();
    if (!planned)
        return;
    const Place at = place();
    post<MeterRead>(at, [at](rdlink::Link &link) { return ReadMeter(link, at.address); },
                    [this, planned](const MeterRead &read) {
                        if (!read.profile) {
                            m_prompter.message(this, read.failure);
                            return;
                        }
                        showRows(Compare(*planned, read.registers));
                    });
}

void ProfileWindow::apply()
{
    const auto planned = settings();
    if (!planned)
        return;
    const Place at = place();
    // First what differs, then, once the user has confirmed it, exactly that.
    post<MeterRead>(at, [at](rdlink::Link &link) { return ReadMeter(link, at.address); },
                    [this, planned, at](const MeterRead &read) {
                        if (!read.profile) {
                            m_prompter.message(this, read.failure);
                            return;
                        }
                        std::vector<DiffRow> rows = Compare(*planned, read.registers);
                        showRows(rows);
                        if (DifferenceCount(rows) == 0) {
                            m_prompter.message(this, QCoreApplication::translate("ProfileWindow", "仪表的设置与配置文件相同, 没有需要写入的设置。"));
                            return;
                        }
                        if (!confirm(rows))
                            return;
                        const MeterRegisters registers = read.registers;
                        post<ApplyReport>(
                            at,
                            [planned, registers, at](rdlink::Link &link) {
                                return ApplyProfile(link, *planned, registers, at);
                            },
                            [this, rows](const ApplyReport &report) {
                                std::vector<DiffRow> shown = rows;
                                for (DiffRow &row : shown)
                                    if (report.written.contains(row.name)) {
                                        row.same = true;
                                        row.meterText = row.profileText;
                                    }
                                showRows(shown);
                                if (report.answers)
                                    adoptPlace(report.now);
                                m_prompter.message(this, ReportText(report));
                            });
                    });
}

void ProfileWindow::showStep()
{
    if (m_nextTarget < 0) {
        m_step->setText(QCoreApplication::translate("ProfileWindow", "给出配置文件、目标地址和新仪表的通讯设置后按 开始调试。"));
        return;
    }
    if (m_nextTarget >= int(m_targetList.size())) {
        m_step->setText(QCoreApplication::translate("ProfileWindow", "全部 %1 台仪表已调试, 记录在 %2。").arg(m_targetList.size()).arg(m_record.path()));
        return;
    }
    const Target &t = m_targetList[size_t(m_nextTarget)];
    m_step->setText(QCoreApplication::translate("ProfileWindow", "接好下一台仪表后按 继续") + QCoreApplication::translate("ProfileWindow", " (第 %1/%2 台: 地址 %3 %4)")
                                                      .arg(m_nextTarget + 1)
                                                      .arg(m_targetList.size())
                                                      .arg(t.address)
                                                      .arg(t.name)
                                                      .trimmed());
}

void ProfileWindow::startCommissioning()
{
    const auto planned = settings();
    if (!planned)
        return;
    const auto targets = ParseTargets(m_targets->toPlainText());
    if (const QString *error = std::get_if<QString>(&targets)) {
        m_prompter.message(this, *error);
        return;
    }
    const QString path = m_askSave ? m_askSave(this, QStringLiteral("commissioning.csv")) : QString();
    if (path.isEmpty())
        return;
    if (const auto error = m_record.open(path, *planned)) {
        m_prompter.message(this, *error);
        return;
    }
    m_targetList = std::get<std::vector<Target>>(targets);
    m_nextTarget = 0;
    m_results->clear();
    m_continue->setEnabled(true);
    showStep();
}

void ProfileWindow::continueCommissioning()
{
    if (!m_profile || m_nextTarget < 0 || m_nextTarget >= int(m_targetList.size()))
        return;
    const Target target = m_targetList[size_t(m_nextTarget)];
    const Profile profile = *m_profile;
    const Place factory{uint8_t(m_factoryAddress->value()),
                        rdlink::LineSettings{m_factoryBaud->currentData().toInt(),
                                             rdlink::Parity(m_factoryParity->currentData().toInt())}};
    post<StepOutcome>(factory,
                      [profile, target, factory](rdlink::Link &link) {
                          return CommissionOne(link, profile, target, factory);
                      },
                      [this, target](const StepOutcome &step) {
                          if (const auto error = m_record.append(target, step))
                              m_prompter.message(this, *error);
                          m_results->addItem(QCoreApplication::translate("ProfileWindow", "地址 %1 %2").arg(target.address).arg(target.name).trimmed() + QStringLiteral(": ")
                                            + StepResultText(step.result));
                          m_results->scrollToBottom();
                          // A failed step stays where it is, to be repeated.
                          if (step.result == StepResult::Commissioned || step.result == StepResult::AlreadyRight)
                              ++m_nextTarget;
                          else
                              m_prompter.message(this, step.message);
                          if (m_nextTarget >= int(m_targetList.size()))
                              m_continue->setEnabled(false);
                          showStep();
                      });
}

void ProfileWindow::findFirstMeter()
{
    const uint8_t address = uint8_t(m_factoryAddress->value());
    const Place current{address, rdlink::LineSettings{m_factoryBaud->currentData().toInt(),
                                                      rdlink::Parity(m_factoryParity->currentData().toInt())}};
    // The settings in the boxes first, then the common ones, then the rest.
    std::vector<rdlink::LineSettings> tries = {current.line};
    for (int rate : {9600, 19200, 4800, 2400, 1200})
        for (rdlink::Parity parity : {rdlink::Parity::None, rdlink::Parity::Even, rdlink::Parity::Odd})
            if (rdlink::LineSettings{rate, parity} != current.line)
                tries.push_back({rate, parity});
    post<std::optional<Place>>(current,
                               [address, tries](rdlink::Link &link) -> std::optional<Place> {
                                   for (const rdlink::LineSettings &line : tries) {
                                       if (!ReopenPort(link.port(), line))
                                           return std::nullopt;
                                       if (Answers(link, address))
                                           return Place{address, line};
                                   }
                                   return std::nullopt;
                               },
                               [this, address](const std::optional<Place> &found) {
                                   if (!found) {
                                       m_prompter.message(this, QCoreApplication::translate("ProfileWindow", "地址 %1 在任何波特率和校验位下都没有回答。").arg(address));
                                       return;
                                   }
                                   m_factoryBaud->setCurrentIndex(m_factoryBaud->findData(found->line.baudRate));
                                   m_factoryParity->setCurrentIndex(m_factoryParity->findData(int(found->line.parity)));
                               });
}
