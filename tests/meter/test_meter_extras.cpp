// The strip below the main panel: recording follows the window's readings, the
// line monitor sees the window's exchanges while it is open, the trend window opens.
// The instrument answers at address 0, the window's address before Run, so the
// ticks come from the test alone and no poll timer runs.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "ScriptedPrompter.h"
#include "common/traffic/TrafficModel.h"
#include "common/traffic/TrafficWindow.h"
#include "meter/acquisition/Measurements.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/trends/TrendDlg.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

namespace {

class MeterExtras : public ::testing::Test {
protected:
    void SetUp() override
    {
        meter.regs[0x0000] = 2200;   // phase A 220.0 V at PT 1
        meter.address = 0;
        meter.regs[0x0300] = 0;
        meter.regs[0x0307] = 1;
        meter.regs[0x0308] = 1;
        port.responder = [this](const QByteArray &request) {
            const QByteArray reply = meter.Answer(request);
            return reply.isEmpty() ? std::vector<rdtest::Chunk>{} : std::vector<rdtest::Chunk>{{reply, 20}};
        };
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        dlg->OnInitDialog();
        dlg->waitForLine();
    }

    void Tick()
    {
        dlg->onPollTick();
        dlg->waitForLine();
    }

    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    rdtest::MeterRegisters meter;
    std::unique_ptr<CMeterDlg> dlg;
};

TEST_F(MeterExtras, RecordingWritesARowPerReadingAndSaysWhere)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("load.csv"));
    ExtrasBar &extras = dlg->extras();
    extras.setPathAsker([&](QWidget *, const QString &suggested) {
        EXPECT_TRUE(suggested.contains(QStringLiteral("rd5800-")));
        return path;
    });
    extras.recordButton()->click();
    EXPECT_EQ(extras.recordButton()->text(), QStringLiteral("停止记录"));
    Tick();
    Tick();
    EXPECT_TRUE(extras.recordStatus()->text().contains(QStringLiteral("load.csv")));
    EXPECT_TRUE(extras.recordStatus()->text().contains(QStringLiteral("2 行")));
    extras.recordButton()->click();
    EXPECT_EQ(extras.recordButton()->text(), QStringLiteral("记录数据"));
    EXPECT_EQ(extras.recordStatus()->text(), QStringLiteral("已记录 2 行：load.csv"));   // kept after the stop
    EXPECT_EQ(prompter.dialogsShown, 0);   // a new file needs no question

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF"));   // UTF-8 with a byte order mark
    EXPECT_TRUE(lines[1].contains(",220.0,"));          // the decoded value, not "220.00 V"
    EXPECT_TRUE(prompter.messages.empty());
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "记录数据" on a file that holds something: the question offers what can really
// happen, and the file ends as the answer says. A file with other content offers
// no continuing, and keeps its content unless "覆盖" is chosen.
TEST_F(MeterExtras, AnExistingFileIsContinuedOverwrittenOrLeftAsTheUserChooses)
{
    QTemporaryDir dir;
    ExtrasBar &extras = dlg->extras();
    QString path;
    extras.setPathAsker([&](QWidget *, const QString &) { return path; });
    QStringList offered;
    QString question;
    QString choice;
    prompter.answer = [&](QDialog &dialog) {
        auto *box = qobject_cast<QMessageBox *>(&dialog);
        if (!box)
            return int(QDialog::Rejected);
        question = box->text();
        offered.clear();
        QAbstractButton *pick = nullptr;
        for (QAbstractButton *button : box->buttons()) {
            offered << button->text();
            if (button->text() == choice)
                pick = button;
        }
        offered.sort();   // the order of the buttons is the platform's
        if (pick)
            pick->click();
        return int(QDialog::Accepted);
    };
    const auto record = [&](int ticks) {
        extras.recordButton()->click();
        for (int i = 0; i < ticks; ++i)
            Tick();
        if (extras.recording().isRecording())
            extras.recordButton()->click();
    };

    path = dir.filePath(QStringLiteral("load.csv"));
    record(2);   // a recording of two rows to start from
    const QByteArray twoRows = ReadAll(path);
    const int headerLines = 1;
    ASSERT_EQ(twoRows.count('\n'), headerLines + 2);

    struct Case {
        const char *choice;
        int lines;   // after one more tick
        const char *status;
    };
    const Case sameColumns[] = {
        {"取消", headerLines + 2, "已记录 2 行：load.csv"},
        {"继续记录到文件末尾", headerLines + 3, "已记录 1 行：load.csv"},
        {"覆盖", headerLines + 1, "已记录 1 行：load.csv"},
    };
    for (const Case &c : sameColumns) {
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(twoRows);
        }
        choice = QString::fromUtf8(c.choice);
        record(1);
        EXPECT_EQ(offered, (QStringList{QStringLiteral("取消"), QStringLiteral("继续记录到文件末尾"), QStringLiteral("覆盖")}))
            << c.choice;
        EXPECT_TRUE(question.contains(QStringLiteral("load.csv"))) << question.toStdString();
        const QByteArray now = ReadAll(path);
        EXPECT_EQ(now.count('\n'), c.lines) << c.choice;
        EXPECT_TRUE(now.startsWith(twoRows.left(twoRows.indexOf('\n')))) << c.choice;   // one header, first
        EXPECT_EQ(extras.recordStatus()->text(), QString::fromUtf8(c.status)) << c.choice;
    }

    const QByteArray notes = "Zähler, Notizen\n1,2\n";
    const char *otherChoices[] = {"取消", "继续记录到文件末尾", "覆盖"};
    for (const char *answer : otherChoices) {
        path = dir.filePath(QStringLiteral("notes-%1.csv").arg(QString::fromUtf8(answer)));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(notes);
        file.close();
        choice = QString::fromUtf8(answer);
        record(1);
        EXPECT_EQ(offered, (QStringList{QStringLiteral("取消"), QStringLiteral("覆盖")}));
        const bool overwritten = choice == QStringLiteral("覆盖");
        EXPECT_EQ(ReadAll(path) == notes, !overwritten) << answer;
        EXPECT_EQ(ReadAll(path).count('\n'), overwritten ? headerLines + 1 : 2) << answer;
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(MeterExtras, AFileThatCannotBeOpenedIsSaidAndPollingGoesOn)
{
    EXPECT_FALSE(dlg->extras().startRecording(QStringLiteral("/nonexistent-folder/x.csv")));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("x.csv")));
    Tick();   // the readings go on
    EXPECT_EQ(dlg->panel().grid[0][1]->text(), QStringLiteral("220.00 V"));
}

TEST_F(MeterExtras, MonitorSeesTheExchangesOnlyWhileOpen)
{
    Tick();   // before the monitor: not seen
    dlg->extras().monitorButton()->click();
    rdtraffic::TrafficWindow *monitor = dlg->extras().trafficWindow();
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(monitor->windowTitle(), QStringLiteral("通讯监视"));
    dlg->waitForLine();   // the observer is switched on by a job too
    Tick();
    monitor->flush();
    EXPECT_EQ(monitor->model().rowCount(), 10);   // five requests, five replies
    monitor->close();
    dlg->waitForLine();
    Tick();
    monitor->flush();
    EXPECT_EQ(monitor->model().rowCount(), 10);
}

TEST_F(MeterExtras, MonitorDeletedWhileShownStopsTheCollection)
{
    std::atomic<int> reported{0};
    QObject::connect(&dlg->worker(), &rdlink::LinkWorker::exchanged, &dlg->worker(),
                     [&reported](const rdlink::ExchangeRecord &) { ++reported; }, Qt::DirectConnection);
    dlg->extras().monitorButton()->click();
    dlg->waitForLine();
    Tick();
    EXPECT_EQ(reported.load(), 5);
    delete dlg->extras().trafficWindow();   // no hideEvent reaches a window deleted while shown
    dlg->waitForLine();
    Tick();
    EXPECT_EQ(reported.load(), 5);
}

TEST_F(MeterExtras, TrendWindowOpensFromItsButton)
{
    dlg->extras().trendButton()->click();
    ASSERT_NE(dlg->extras().trendWindow(), nullptr);
    EXPECT_EQ(dlg->extras().trendWindow()->windowTitle(), QStringLiteral("趋势图"));
}

// A screen reader user reads a value with the caret in its box: a poll that
// brings the same value leaves the caret where the user put it; a new value
// takes it to the end, as a new text does.
TEST_F(MeterExtras, ThePollKeepsTheCaretInABoxWhoseValueStays)
{
    Tick();
    QLineEdit *voltage = dlg->panel().grid[rdacq::kRowPhaseVoltage][rdacq::kColA];
    const QString shown = voltage->text();
    ASSERT_GE(shown.size(), 3);
    voltage->setCursorPosition(2);
    Tick();   // the same reading again
    EXPECT_EQ(voltage->text(), shown);
    EXPECT_EQ(voltage->cursorPosition(), 2);

    meter.regs[0x0000] = 2210;   // phase A 221.0 V
    Tick();
    EXPECT_NE(voltage->text(), shown);
    EXPECT_EQ(voltage->cursorPosition(), voltage->text().size());
}

} // namespace
