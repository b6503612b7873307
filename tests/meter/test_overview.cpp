// The window "总览" against a scripted bus on the fake port and clock: the
// round-robin order and its reply-driven pacing, the scan, the hand-over with
// the main window, bad input, the CSV file and what a screen reader reads.
#include "FakeSerialPort.h"
#include "RegisterBytes.h"
#include "ScriptedPrompter.h"
#include "meter/acquisition/Formatting.h"
#include "meter/mainwnd/MeterDlg.h"
#include "link/LineTime.h"
#include "meter/overview/OverviewWindow.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using rdov::OverviewModel;
using rdtest::Chunk;
using rdtest::FakeClock;
using rdtest::FakeSerialPort;

namespace {

QByteArray Bytes(const rdlink::Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}
QByteArray InfoRead(uint8_t a) { return Bytes(rdlink::BuildRead(a, 0x0300, 17)); }
QByteArray MeasRead(uint8_t a) { return Bytes(rdlink::BuildRead(a, 0x0000, 41)); }

constexpr uint32_t kReplyDelayMs = 20;   // every meter answers after this

class Overview : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Three meters; each its own CT and phase currents (0.001 A).
        const std::map<uint8_t, std::array<uint16_t, 4>> bus = {
            {1, {10, 1000, 2000, 3000}}, {2, {1, 500, 500, 500}}, {5, {100, 100, 200, 300}}};
        for (const auto &[address, v] : bus) {
            rdtest::MeterRegisters &m = meters[address];
            m.address = address;
            m.regs[0x0300] = address;
            m.regs[0x0307] = 1;   // PT
            m.regs[0x0308] = v[0];   // CT
            m.regs[0x0002] = v[1];
            m.regs[0x000A] = v[2];
            m.regs[0x0012] = v[3];
            m.regs[0x001B] = 5000;   // 50.00 Hz
        }
        port.responder = [this](const QByteArray &request) {
            for (const auto &[address, m] : meters) {
                const QByteArray reply = m.Answer(request);
                if (!reply.isEmpty())
                    return std::vector<Chunk>{{reply, kReplyDelayMs}};
            }
            return std::vector<Chunk>{};
        };
        dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
        dlg->setLineSettings(9600, rdlink::Parity::None, 1);
        const QString ini = dir.filePath(QStringLiteral("overview.ini"));
        dlg->setSettingsMaker([ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); });
        dlg->OnInitDialog();
        dlg->waitForLine();
        dlg->openOverview();
        ov = dlg->overviewWindow();
        ASSERT_NE(ov, nullptr);
    }

    void TearDown() override { dlg.reset(); }

    // Runs the refresh until `rounds` rounds are done, then stops it.
    void RunRounds(int rounds)
    {
        int done = 0;
        const auto c = QObject::connect(ov, &OverviewWindow::roundDone, [&done] { ++done; });
        ov->startRefresh();
        while (done < rounds)
            QCoreApplication::processEvents();
        QObject::disconnect(c);
        ov->stopRefresh();
        ov->waitForLine();
    }

    QTemporaryDir dir;
    FakeClock clock;
    FakeSerialPort port{clock};
    ScriptedPrompter prompter;
    std::map<uint8_t, rdtest::MeterRegisters> meters;
    std::unique_ptr<CMeterDlg> dlg;
    OverviewWindow *ov = nullptr;
};

} // namespace

TEST_F(Overview, RefreshesTheListedMetersInTurnEachReadEndingWithItsReply)
{
    for (int a : {5, 1, 3, 2})
        ASSERT_TRUE(ov->model().addMeter(a).isEmpty());
    const size_t before = port.written.size();
    RunRounds(2);
    // Device information once per meter (for PT and CT), then the measurements;
    // the silent meter 3 is asked for its device information every round.
    const std::vector<QByteArray> expected = {
        InfoRead(1), MeasRead(1), InfoRead(2), MeasRead(2), InfoRead(3), InfoRead(5), MeasRead(5),
        MeasRead(1), MeasRead(2), InfoRead(3), MeasRead(5)};
    ASSERT_GE(port.written.size(), before + expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(port.written[before + i].toHex(), expected[i].toHex()) << "request " << i;
    // Each read ends when its reply is in; the silent address costs its timeout,
    // line time of request and reply plus the margin.
    const uint32_t silent = rdlink::ReplyTimeoutMs(9600, false, 8, 39);
    for (size_t i = 0; i + 1 < expected.size(); ++i) {
        const uint32_t gap = port.writeTimes[before + i + 1] - port.writeTimes[before + i];
        EXPECT_EQ(gap, expected[i] == InfoRead(3) ? silent : kReplyDelayMs) << "after request " << i;
    }

    OverviewModel &m = ov->model();
    ASSERT_EQ(m.count(), 4);
    EXPECT_EQ(m.cellText(0, OverviewModel::kStatus), QStringLiteral("正常"));
    EXPECT_EQ(m.cellText(2, OverviewModel::kStatus), QStringLiteral("无应答"));
    EXPECT_TRUE(m.cellText(2, OverviewModel::kCurrent).isEmpty());
    // Mean of the phases with each meter's own CT, as the main window formats it.
    EXPECT_EQ(m.cellText(0, OverviewModel::kCurrent), rdacq::FormatCurrent(20.0));
    EXPECT_EQ(m.cellText(1, OverviewModel::kCurrent), rdacq::FormatCurrent(0.5));
    EXPECT_EQ(m.cellText(3, OverviewModel::kCurrent), rdacq::FormatCurrent(20.0));
    EXPECT_EQ(m.cellText(3, OverviewModel::kFrequency), QStringLiteral("50.000 Hz"));
    EXPECT_EQ(m.cellText(0, OverviewModel::kSuccessRate), QStringLiteral("100.00%"));
    EXPECT_EQ(m.cellText(2, OverviewModel::kSuccessRate), QStringLiteral("0.00%"));
    EXPECT_FALSE(m.cellText(0, OverviewModel::kLastReply).isEmpty());
    EXPECT_FALSE(port.isOpen());   // "停止" closes the port, as the main window's does
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Overview, ARowKeepsItsLastReplyThroughAMissAndBack)
{
    ASSERT_TRUE(ov->model().addMeter(1).isEmpty());
    bool silent = false;
    auto answer = port.responder;
    port.responder = [&silent, answer](const QByteArray &request) {
        return silent ? std::vector<Chunk>{} : answer(request);
    };
    const auto cell = [this](int column) { return ov->model().cellText(0, column); };
    RunRounds(1);
    const QString firstReply = cell(OverviewModel::kLastReply);
    ASSERT_FALSE(firstReply.isEmpty());
    const struct {
        bool silent;
        const char *status;
    } rounds[] = {{true, "无应答"}, {true, "无应答"}, {false, "正常"}};
    for (const auto &r : rounds) {
        silent = r.silent;
        RunRounds(1);
        EXPECT_EQ(cell(OverviewModel::kStatus), QString::fromUtf8(r.status));
        // The time of the last good reading stays while the meter is silent.
        EXPECT_FALSE(cell(OverviewModel::kLastReply).isEmpty());
        if (r.silent)
            EXPECT_EQ(cell(OverviewModel::kLastReply), firstReply);
        EXPECT_EQ(cell(OverviewModel::kCurrent).isEmpty(), false);   // the last values stay too
    }
}

TEST_F(Overview, ScanFindsExactlyTheMetersThatAnswerInAddressOrder)
{
    ov->scanFrom()->setValue(1);
    ov->scanTo()->setValue(8);
    std::vector<int> added;
    QObject::connect(&ov->model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex &, int row) { added.push_back(ov->model().meter(row).address); });
    bool finished = false;
    QObject::connect(ov, &OverviewWindow::scanFinished, [&finished] { finished = true; });
    const size_t before = port.written.size();
    const uint32_t start = clock.tickMs();
    ov->startScan();
    while (!finished)
        QCoreApplication::processEvents();
    ov->waitForLine();
    EXPECT_EQ(added, (std::vector<int>{1, 2, 5}));
    ASSERT_EQ(port.written.size(), before + 8);
    for (uint8_t a = 1; a <= 8; ++a)
        EXPECT_EQ(port.written[before + a - 1], InfoRead(a));
    EXPECT_EQ(ov->scan().foundCount(), 3);
    EXPECT_EQ(ov->progress()->value(), 8);
    EXPECT_FALSE(ov->scanning());
    // Three answers after 20 ms, five timeouts.
    EXPECT_EQ(clock.tickMs() - start, 3 * kReplyDelayMs + 5 * rdlink::ReplyTimeoutMs(9600, false, 8, 39));
    // What the block reports comes with the meter: PT/CT need no second read.
    ASSERT_TRUE(ov->model().meter(0).info.has_value());
    EXPECT_EQ(ov->model().meter(0).info->ctRatio, 10);
}

TEST_F(Overview, EveryScanProbesExactlyItsRangeAndEnds)
{
    // One window, scan after scan: each starts at its first address, ends at its
    // last, and says where to look when nothing answered.
    const struct {
        int from, to;
        int found;
    } cases[] = {{100, 120, 0}, {2, 5, 2}, {100, 120, 0}, {247, 247, 0}, {5, 5, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << ".." << c.to);
        ov->scanFrom()->setValue(c.from);
        ov->scanTo()->setValue(c.to);
        const size_t before = port.written.size();
        ov->startScan();
        ov->waitForLine();
        EXPECT_FALSE(ov->scanning());
        ASSERT_EQ(port.written.size(), before + size_t(c.to - c.from + 1));
        EXPECT_EQ(port.written[before], InfoRead(uint8_t(c.from)));
        EXPECT_EQ(port.written.back(), InfoRead(uint8_t(c.to)));
        EXPECT_EQ(ov->scan().foundCount(), c.found);
        const QString found = ov->foundLabel()->text();
        EXPECT_TRUE(found.startsWith(QStringLiteral("找到 %1 台仪表").arg(c.found))) << found.toStdString();
        EXPECT_EQ(found.contains(QStringLiteral("A/B")), c.found == 0) << found.toStdString();
        if (c.found == 0)
            EXPECT_TRUE(found.contains(QStringLiteral("%1-%2").arg(c.from).arg(c.to))) << found.toStdString();
    }
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Overview, HandsTheLineOverInBothDirections)
{
    for (int a : {1, 5})
        ov->model().addMeter(a);
    ov->startRefresh();
    EXPECT_TRUE(ov->refreshing());
    // Enter on the row of meter 5: the overview stops, the main window polls 5.
    ov->table()->setCurrentIndex(ov->model().index(1, 0));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(ov->table(), &enter);
    EXPECT_FALSE(ov->refreshing());
    EXPECT_TRUE(dlg->running());
    EXPECT_EQ(dlg->panel().slaveAddress->text(), QStringLiteral("5"));
    dlg->stopMainPolling();
    dlg->waitForLine();
    ov->waitForLine();

    // The overview's "运行" stops the main window's polling ...
    dlg->OnRunStop();
    EXPECT_TRUE(dlg->running());
    ov->startRefresh();
    EXPECT_FALSE(dlg->running());
    EXPECT_FALSE(dlg->pollingActive());
    // ... and the main window's "运行" (or its address search) stops the overview.
    dlg->OnRunStop();
    EXPECT_FALSE(ov->refreshing());
    ov->startScan();
    EXPECT_TRUE(ov->scanning());
    dlg->OnStartSearch();
    EXPECT_FALSE(ov->scanning());
    dlg->stopMainPolling();
    dlg->waitForLine();
    ov->waitForLine();
    // A double click does what Enter does.
    emit ov->table()->doubleClicked(ov->model().index(0, 0));
    EXPECT_EQ(dlg->panel().slaveAddress->text(), QStringLiteral("1"));
    EXPECT_TRUE(dlg->running());
}

TEST_F(Overview, BadInputIsRefusedWithAMessageAndChangesNothing)
{
    // "运行" over an empty list says what to do and stays "运行".
    ov->startRefresh();
    ov->waitForLine();
    EXPECT_FALSE(ov->refreshing());
    EXPECT_EQ(ov->runButton()->text(), QStringLiteral("运行"));
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(prompter.messages[0], QStringLiteral("列表为空，请先扫描或添加"));
    EXPECT_TRUE(port.written.empty());
    ASSERT_TRUE(ov->model().addMeter(2).isEmpty());
    const struct {
        const char *typed;
    } cases[] = {{"0"}, {"248"}, {"abc"}, {"2"}, {"-1"}, {"1.5"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        const size_t messages = prompter.messages.size();
        ov->setAddressAsker([&c](QWidget *) { return QString::fromUtf8(c.typed); });
        ov->addMeter();
        EXPECT_EQ(prompter.messages.size(), messages + 1);
        EXPECT_EQ(ov->model().count(), 1);
    }
    ov->setAddressAsker([](QWidget *) { return QStringLiteral("9"); });
    ov->addMeter();
    EXPECT_EQ(ov->model().count(), 2);

    // Names: a line break is refused; a good name is kept for the next start.
    OverviewModel &m = ov->model();
    const QModelIndex name = m.index(0, OverviewModel::kName);
    const size_t messages = prompter.messages.size();
    EXPECT_FALSE(m.setData(name, QStringLiteral("进线\n柜"), Qt::EditRole));
    EXPECT_EQ(prompter.messages.size(), messages + 1);
    EXPECT_TRUE(m.meter(0).name.isEmpty());
    EXPECT_TRUE(m.setData(name, QStringLiteral("进线柜"), Qt::EditRole));
    QSettings saved(dir.filePath(QStringLiteral("overview.ini")), QSettings::IniFormat);
    OverviewModel reloaded;
    reloaded.load(saved);
    ASSERT_EQ(reloaded.count(), 2);
    EXPECT_EQ(reloaded.meter(0).address, 2);
    EXPECT_EQ(reloaded.meter(0).name, QStringLiteral("进线柜"));
    EXPECT_EQ(reloaded.meter(1).address, 9);
    // The scan range: start above end is refused.
    ov->scanFrom()->setValue(10);
    ov->scanTo()->setValue(3);
    ov->startScan();
    EXPECT_FALSE(ov->scanning());
    EXPECT_EQ(prompter.messages.size(), messages + 2);
}

// What the table shows (not what its model holds): the rows the view knows,
// each as the texts of its address and name cells, read at their places.
std::vector<std::pair<QString, QString>> ShownRows(QTableView *table)
{
    std::vector<std::pair<QString, QString>> rows;
    const auto at = [table](int row, int column) {
        const QPoint p(table->columnViewportPosition(column) + 2, table->rowViewportPosition(row) + 2);
        return table->indexAt(p).data(Qt::DisplayRole).toString();
    };
    for (int r = 0; r < table->verticalHeader()->count(); ++r)
        rows.emplace_back(at(r, OverviewModel::kAddress), at(r, OverviewModel::kName));
    return rows;
}

TEST_F(Overview, TableShowsTheSavedListAfterARestartAndWhatIsAddedToIt)
{
    for (int a : {5, 1, 2})
        ASSERT_TRUE(ov->model().addMeter(a).isEmpty());
    ASSERT_TRUE(ov->model().rename(0, QStringLiteral("进线柜")).isEmpty());
    dlg.reset();   // quit

    dlg = std::make_unique<CMeterDlg>(port, clock, prompter);
    const QString ini = dir.filePath(QStringLiteral("overview.ini"));
    dlg->setSettingsMaker([ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); });
    dlg->OnInitDialog();
    dlg->waitForLine();
    dlg->openOverview();
    ov = dlg->overviewWindow();
    ov->resize(1060, 440);
    ov->show();
    using Rows = std::vector<std::pair<QString, QString>>;
    const QString none;
    EXPECT_EQ(ShownRows(ov->table()), (Rows{{"1", "进线柜"}, {"2", none}, {"5", none}}));

    // Added to the loaded list, and found again by a scan: every row shows.
    ov->setAddressAsker([](QWidget *) { return QStringLiteral("9"); });
    ov->addMeter();
    EXPECT_EQ(ShownRows(ov->table()), (Rows{{"1", "进线柜"}, {"2", none}, {"5", none}, {"9", none}}));
    ov->model().removeMeter(3);
    ov->model().removeMeter(1);
    bool finished = false;
    QObject::connect(ov, &OverviewWindow::scanFinished, [&finished] { finished = true; });
    ov->scanFrom()->setValue(1);
    ov->scanTo()->setValue(6);
    ov->startScan();
    while (!finished)
        QCoreApplication::processEvents();
    ov->waitForLine();
    EXPECT_EQ(ShownRows(ov->table()), (Rows{{"1", "进线柜"}, {"2", none}, {"5", none}}));
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(Overview, RecordsAllMetersIntoOneFileWithTheirAddresses)
{
    for (int a : {1, 2})
        ov->model().addMeter(a);
    const QString path = dir.filePath(QStringLiteral("bus.csv"));
    ASSERT_TRUE(ov->startRecording(path));
    RunRounds(2);
    ov->toggleRecording();   // stops
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF" + QStringLiteral("时间,地址,").toUtf8())) << lines[0].toStdString();
    // A row per good reply in refresh order (1, 2, 1, 2, ...), the address
    // after the time, then the main window's columns.
    const int columns = int(lines[0].count(',')) + 1;
    const int rows = int(lines.size()) - 2;   // header and the empty piece after the last CRLF
    EXPECT_GE(rows, 4);
    EXPECT_EQ(ov->recorder().rowCount(), rows);
    for (int i = 1; i <= rows; ++i) {
        const QList<QByteArray> cells = lines[i].trimmed().split(',');
        ASSERT_EQ(cells.size(), columns) << lines[i].toStdString();
        EXPECT_EQ(cells[1], i % 2 ? QByteArray("1") : QByteArray("2"));
    }
}

TEST_F(Overview, ScreenReaderReadsEveryCellWithItsColumnAndTheControlsByTheirLabels)
{
    ov->model().addMeter(1);
    RunRounds(1);
    ov->show();
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(ov->table());
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    QAccessibleInterface *cell = table->tableInterface()->cellAt(0, OverviewModel::kStatus);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("正常"));   // the lamp's text
    const QList<QAccessibleInterface *> headers = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(headers.size(), 1);
    EXPECT_EQ(headers[0]->text(QAccessible::Name), QStringLiteral("状态"));
    // Qt hands the header cell over unregistered: registered, the cache deletes it.
    QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(headers[0]));
    QAccessibleInterface *current = table->tableInterface()->cellAt(0, OverviewModel::kCurrent);
    EXPECT_EQ(current->text(QAccessible::Name), rdacq::FormatCurrent(20.0));

    for (QPushButton *b : {ov->runButton(), ov->scanButton(), ov->addButton(), ov->removeButton(),
                           ov->recordButton()})
        EXPECT_EQ(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name), b->text());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ov->scanFrom())->text(QAccessible::Name),
              QStringLiteral("起始地址"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ov->foundLabel())->text(QAccessible::Name),
              QStringLiteral("找到"));
}

TEST_F(Overview, FastRefreshEndsEachReadOfTheMainPollWithItsReplyAndIsRemembered)
{
    dlg->panel().slaveAddress->setText(QStringLiteral("1"));
    const auto tickGaps = [this](bool fast) {
        dlg->extras().fastRefreshBox()->setChecked(fast);   // as the user ticks it
        const size_t before = port.written.size();
        dlg->OnRunStop();    // runs
        dlg->onPollTick();
        dlg->waitForLine();
        dlg->OnRunStop();    // stops
        dlg->waitForLine();
        std::vector<uint32_t> gaps;
        for (size_t i = before + 1; i < before + 5 && i < port.written.size(); ++i)
            gaps.push_back(port.writeTimes[i] - port.writeTimes[i - 1]);
        return gaps;
    };
    // Off: the fixed waits of modules, device information, measurements, counters.
    EXPECT_EQ(tickGaps(false), (std::vector<uint32_t>{100, 300, 500, 300}));
    // On: every read ends with its reply.
    EXPECT_EQ(tickGaps(true), (std::vector<uint32_t>(4, kReplyDelayMs)));
    EXPECT_LT(dlg->timerInterval(), 100);
    EXPECT_EQ(dlg->panel().successRate->text(), QStringLiteral("100.00"));

    // Kept for the next start.
    CMeterDlg again(port, clock, prompter);
    const QString ini = dir.filePath(QStringLiteral("overview.ini"));
    again.setSettingsMaker([ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); });
    again.setLineSettings(9600, rdlink::Parity::None, 1);
    again.OnInitDialog();
    again.waitForLine();
    EXPECT_TRUE(again.fastRefresh());
    EXPECT_TRUE(again.extras().fastRefreshBox()->isChecked());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(again.extras().fastRefreshBox())->text(QAccessible::Name),
              QStringLiteral("快速刷新"));
}

TEST_F(Overview, AdapterPulledWhileRefreshingStopsWithTheReasonAndSendsNothingMore)
{
    for (int a : {1, 2})
        ov->model().addMeter(a);
    auto answer = port.responder;
    port.responder = [this, answer](const QByteArray &request) {
        if (request == MeasRead(2)) {
            port.vanish(QStringLiteral("No such device"));
            return std::vector<Chunk>{};
        }
        return answer(request);
    };
    ov->startRefresh();
    while (ov->refreshing())
        QCoreApplication::processEvents();
    ov->waitForLine();
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_TRUE(prompter.messages[0].contains(QStringLiteral("No such device"))) << prompter.messages[0].toStdString();
    EXPECT_EQ(port.written.back(), MeasRead(2));   // nothing after the lost exchange
    EXPECT_EQ(ov->runButton()->text(), QStringLiteral("运行"));
}

TEST(OverviewLine, StatusFollowsWhatCameBack)
{
    const auto framed = [](QByteArray body) {
        const uint16_t c = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(body.constData()),
                                              uint16_t(body.size()));
        return body + char(c >> 8) + char(c & 0xFF);
    };
    rdtest::MeterRegisters meter;
    meter.address = 4;
    meter.regs[0x0307] = 2;
    const QByteArray info = meter.Answer(InfoRead(4));
    const QByteArray values = meter.Answer(MeasRead(4));
    const QByteArray exception = framed(QByteArray::fromHex("048302"));
    QByteArray badCrc = values;
    badCrc[10] = char(badCrc[10] ^ 0x55);
    const struct {
        const char *name;
        std::vector<QByteArray> replies;   // to device information, then measurements
        rdov::MeterStatus status;
        bool info;
        bool values;
    } cases[] = {
        {"both answered", {info, values}, rdov::MeterStatus::Ok, true, true},
        {"silent", {QByteArray()}, rdov::MeterStatus::NoReply, false, false},
        {"exception", {exception}, rdov::MeterStatus::Fault, false, false},
        {"measurements silent", {info, QByteArray()}, rdov::MeterStatus::NoReply, true, false},
        {"measurements garbled", {info, badCrc}, rdov::MeterStatus::Fault, true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock;
        FakeSerialPort port(clock);
        rdlink::OpenPort(port, 1, rdlink::LineSettings{});
        for (const QByteArray &r : c.replies)
            r.isEmpty() ? port.queueSilence() : port.queueReply(r, kReplyDelayMs);
        rdlink::Link link(port, clock);
        const rdov::RefreshResult r = rdov::RefreshMeter(link, 4, std::nullopt);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.info.has_value(), c.info);
        EXPECT_EQ(r.values.has_value(), c.values);
        EXPECT_EQ(r.requests, int(c.replies.size()));
        EXPECT_EQ(port.written.size(), c.replies.size());   // no measurement read after a failed first read
    }
    // Means over the phases the wiring connects: single-phase two-wire has one.
    const std::array<double, 4> volts{0, 230, 0, 0};
    EXPECT_DOUBLE_EQ(rdov::PhaseMean(volts, 1), 230);
    EXPECT_DOUBLE_EQ(rdov::PhaseMean({0, 220, 230, 240}, 0), 230);
    EXPECT_DOUBLE_EQ(rdov::PhaseMean({0, 220, 240, 0}, 4), 230);
}
