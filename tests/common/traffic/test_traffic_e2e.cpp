// End to end: our link over the real serial adapter against rd5800-sim with faults
// on, reading as a poll tick does, with the monitor's observer set. The
// simulator's log is the oracle: every request it heard is a 发送 row with the same
// bytes, in order; the 接收 rows hold exactly the bytes it put on the line; and
// each injected fault shows with its 说明.
#include "../../sim/SimProcess.h"
#include "common/traffic/TrafficModel.h"
#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/LinePort.h"
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

using namespace rdlink;
using rdtraffic::TrafficModel;

namespace {

QString Hex(const std::vector<uint8_t> &bytes)
{
    QStringList pairs;
    for (uint8_t b : bytes)
        pairs << QString::asprintf("%02X", b);
    return pairs.join(QLatin1Char(' '));
}

QByteArray Raw(const std::vector<uint8_t> &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

struct Step {
    uint16_t reg;
    uint16_t count;
    uint32_t waitMs;   // the poll tick's wait for this read
};

} // namespace

TEST(TrafficEndToEnd, RowsMatchTheSimulatorsLogWithFaultsOn)
{
    simtest::SimProcess sim({"--freeze", "--baud", "19200", "--seed", "11", "--drop", "0.12", "--bad-crc", "0.12",
                             "--stray", "0.12", "--late", "0.12", "--late-ms", "700", "--exception", "0.12"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 1, {19200, rdlink::Parity::None})) << port.errorString().toStdString();
    Link link(port, SystemClock());
    TrafficModel model;
    link.setObserver([&](const ExchangeRecord &r) { model.addRecord(r); });

    const Step tick[] = {{0x0100, 1, 100}, {0x0300, 17, 300}, {0x0000, 41, 500}, {0x0760, 12, 300},
                         {0x020C, 18, 300}};
    const int ticks = 4;
    for (int t = 0; t < ticks; ++t)
        for (const Step &s : tick) {
            ExchangeOptions o;
            o.wait = WaitKind::Sleep;
            o.waitMs = s.waitMs;
            link.Exchange(BuildRead(1, s.reg, s.count), o);
        }
    const size_t requests = size_t(ticks) * std::size(tick);
    // Whatever is still on its way (a late reply) is read here, outside the monitor.
    ASSERT_TRUE(sim.waitForLines("tx", requests, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port.bytesWaiting();
    const QByteArray leftover = port.readAll();

    const auto rx = sim.logLines("rx");
    const auto tx = sim.logLines("tx");
    ASSERT_EQ(rx.size(), requests);
    ASSERT_EQ(tx.size(), requests);
    ASSERT_EQ(model.rowCount(), int(2 * requests));
    EXPECT_EQ(model.summary().requests, qint64(requests));

    // Every request gets one burst. A burst on time starts before the next request
    // (every wait is longer than the turnaround); late bursts come later, in the
    // order of their requests.
    std::vector<int> burstOf(requests, -1);
    std::vector<int> late;
    for (size_t k = 0; k < tx.size(); ++k) {
        if (tx[k].meaning == "late") {
            late.push_back(int(k));
            continue;
        }
        for (size_t i = 0; i < requests; ++i)
            if (tx[k].ms >= rx[i].ms && (i + 1 == requests || tx[k].ms < rx[i + 1].ms))
                burstOf[i] = int(k);
    }
    for (size_t i = 0, next = 0; i < requests; ++i)
        if (burstOf[i] < 0 && next < late.size())
            burstOf[i] = late[next++];

    QByteArray onLine, shown;
    for (const auto &line : tx)   // the log's order is the line's order: bursts never overlap
        if (line.meaning != "dropped")
            onLine += Raw(line.bytes);
    std::map<std::string, int> checked;
    for (size_t i = 0; i < requests; ++i) {
        const int sent = int(2 * i), reply = sent + 1;
        EXPECT_EQ(model.cellText(sent, TrafficModel::DirectionColumn), QStringLiteral("发送"));
        EXPECT_EQ(model.cellText(sent, TrafficModel::DataColumn), Hex(rx[i].bytes)) << i;
        const QByteArray received = QByteArray::fromHex(model.cellText(reply, TrafficModel::DataColumn).toLatin1());
        shown += received;
        ASSERT_GE(burstOf[i], 0) << i;
        const int k = burstOf[i];
        const std::string &fault = tx[size_t(k)].meaning;
        const QByteArray own = Raw(tx[size_t(k)].bytes);
        const QString meaning = model.cellText(reply, TrafficModel::MeaningColumn);
        const Step &step = tick[i % std::size(tick)];
        const QString answer = QStringLiteral("应答 %1 个寄存器").arg(step.count);

        // Where the reply row holds exactly the request's own burst (or nothing,
        // when it was dropped or late), the fault is named.
        if (received.isEmpty()) {
            EXPECT_TRUE(fault == "dropped" || fault == "late") << i << ' ' << fault;
            EXPECT_EQ(meaning, QStringLiteral("无应答")) << i;
            EXPECT_EQ(model.cellText(reply, TrafficModel::ElapsedColumn), QString()) << i;
            ++checked[fault];
        } else if (received == own) {
            if (fault == "reply")
                EXPECT_EQ(meaning, answer) << i;
            else if (fault == "bad-crc")
                EXPECT_EQ(meaning, QStringLiteral("CRC 错误")) << i;
            else if (fault == "stray")
                EXPECT_EQ(meaning, QStringLiteral("前有 %1 个多余字节，").arg(own.size() - 2 * step.count - 5) + answer)
                    << i;
            else if (fault == "exception 4")
                EXPECT_EQ(meaning, QStringLiteral("异常 04 (从站设备故障)")) << i;
            else
                ADD_FAILURE() << i << " unexpected " << fault;
            EXPECT_FALSE(model.cellText(reply, TrafficModel::ElapsedColumn).isEmpty()) << i;
            ++checked[fault];
        } else if (fault == "reply" && size_t(k + 1) < tx.size() && tx[size_t(k + 1)].meaning == "late"
                   && received == own + Raw(tx[size_t(k + 1)].bytes)) {
            // An earlier request's late reply, right behind this one's.
            EXPECT_EQ(meaning, answer + QStringLiteral("，后有 %1 个多余字节 (迟到的应答)").arg(tx[size_t(k + 1)].bytes.size()))
                << i;
            ++checked["late arriving"];
        }
    }
    // Exactly the bytes the simulator put on the line, none lost or added.
    EXPECT_EQ(shown + leftover, onLine);
    // The seed gives every kind of fault at least once.
    for (const char *kind : {"reply", "dropped", "bad-crc", "stray", "exception 4", "late", "late arriving"})
        EXPECT_GT(checked[kind], 0) << kind;
}

// Through a Modbus TCP gateway the monitor shows the ADUs that crossed the wire,
// their headers decoded; a stray ADU (another transaction) is shown as dropped
// and the reply still counts as valid.
TEST(TrafficEndToEnd, ModbusTcpRowsShowTheAdusWithTheirHeaders)
{
    simtest::SimProcess sim({"--freeze", "--modbus-tcp", "0", "--seed", "5", "--stray", "0.5"});
    ASSERT_TRUE(sim.started());
    qputenv("RD5800_COM1", QByteArray::fromStdString(sim.device()));
    LinePort port;
    ASSERT_TRUE(OpenPort(port, 1, LineSettings{})) << port.errorString().toStdString();
    Link link(port, SystemClock());
    TrafficModel model;
    link.setObserver([&](const ExchangeRecord &r) { model.addRecord(r); });
    const int requests = 12;
    for (int i = 0; i < requests; ++i) {
        ExchangeOptions o;
        o.waitMs = 150;
        ASSERT_TRUE(link.Exchange(BuildRead(1, 0x0300, 17), o).ok()) << i;
    }
    const auto rx = sim.logLines("rx");
    const auto tx = sim.logLines("tx");
    ASSERT_EQ(rx.size(), size_t(requests));
    ASSERT_EQ(tx.size(), size_t(requests));
    ASSERT_EQ(model.rowCount(), 2 * requests);
    EXPECT_EQ(model.summary().validReplies, requests);
    int strays = 0;
    for (int i = 0; i < requests; ++i) {
        const int tid = i + 1;
        // Header (transaction, protocol 0, length 6, unit 1), then the request's PDU.
        std::vector<uint8_t> adu = {uint8_t(tid >> 8), uint8_t(tid), 0, 0, 0, 6, 1};
        adu.insert(adu.end(), rx[size_t(i)].bytes.begin() + 1, rx[size_t(i)].bytes.end() - 2);
        EXPECT_EQ(model.cellText(2 * i, TrafficModel::DataColumn), Hex(adu)) << i;
        const QString header = QStringLiteral("事务 %1，单元 1").arg(tid);
        EXPECT_EQ(model.cellText(2 * i, TrafficModel::MeaningColumn),
                  header + QStringLiteral("，读 0x0300 ×17 (设备信息)")) << i;
        const QString reply = model.cellText(2 * i + 1, TrafficModel::MeaningColumn);
        const bool stray = tx[size_t(i)].meaning.rfind("stray", 0) == 0;
        strays += stray;
        const QString expected = (stray ? QStringLiteral("事务 %1，单元 1 (不符，已丢弃)；").arg(tid - 1) : QString())
                                 + header + QStringLiteral("，应答 17 个寄存器");
        EXPECT_EQ(reply, expected) << i << ' ' << tx[size_t(i)].meaning;
        // Wire bytes: 9 + 34 for the reply's ADU, twice with a stray in front.
        const QByteArray received = QByteArray::fromHex(model.cellText(2 * i + 1, TrafficModel::DataColumn).toLatin1());
        EXPECT_EQ(received.size(), stray ? 86 : 43) << i;
    }
    EXPECT_GT(strays, 0);   // the seed gives some strays and some clean replies
    EXPECT_LT(strays, requests);
    qunsetenv("RD5800_COM1");
}
