// The monitor's rows: two per exchange, the bound of 10 000 rows with the oldest
// dropped at the front, the summary counts, and the trace file's content.
#include "FrameBytes.h"
#include "common/traffic/TraceFile.h"
#include "common/traffic/TrafficModel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rdtraffic;
using namespace traffictest;
using rdlink::BuildRead;
using rdlink::BuildWrite;
using rdlink::ExchangeRecord;

namespace {

const QDateTime kAt(QDate(2024, 1, 31), QTime(14, 25, 1, 7));

ExchangeRecord Record(const QByteArray &request, const QByteArray &received, int elapsedMs = -1,
                      bool replyRead = true)
{
    ExchangeRecord r;
    r.sentAt = kAt;
    r.request = request;
    r.received = received;
    r.replyRead = replyRead;
    r.replyElapsedMs = elapsedMs;
    return r;
}

} // namespace

TEST(TrafficModel, KeepsTheLastTenThousandRows)
{
    TrafficModel model;
    QSignalSpy removed(&model, &QAbstractItemModel::rowsAboutToBeRemoved);
    const int records = 5003;
    for (int i = 0; i < records; ++i)
        model.addRecord(Record(Bytes(BuildRead(1, uint16_t(i), 1)), ReadReply(1, 1), 20));
    ASSERT_EQ(model.rowCount(), 10000);
    // Three exchanges (six rows) went, always from the front.
    EXPECT_EQ(model.cellText(0, TrafficModel::MeaningColumn), QStringLiteral("读 0x0003 ×1"));
    EXPECT_EQ(model.cellText(9998, TrafficModel::MeaningColumn), QStringLiteral("读 0x138A ×1"));
    EXPECT_EQ(model.cellText(9999, TrafficModel::DirectionColumn), QStringLiteral("接收"));
    ASSERT_EQ(removed.count(), 3);
    for (const auto &args : removed)
        EXPECT_EQ(args.at(1).toInt(), 0);
    // The counts cover every exchange, also those whose rows have gone.
    EXPECT_EQ(model.summary().requests, records);
    EXPECT_EQ(model.summary().validReplies, records);
}

TEST(TrafficModel, SummaryCountsEachExchangeOnce)
{
    TrafficModel model;
    const QByteArray read = Bytes(BuildRead(1, 0x0100, 1));
    model.addRecord(Record(read, ReadReply(1, 1)));
    model.addRecord(Record(read, QByteArray::fromHex("FF") + ReadReply(1, 1)));
    model.addRecord(Record(read, {}));
    model.addRecord(Record(read, BadCrc(ReadReply(1, 1))));
    model.addRecord(Record(read, ExceptionReply(1, 3, 2)));
    model.addRecord(Record(read, ReadReply(1, 1).left(4)));
    model.addRecord(Record(Bytes(BuildWrite(1, 0x0306, 80)), {}, -1, false));
    const TrafficSummary &s = model.summary();
    EXPECT_EQ(s.requests, 7);
    EXPECT_EQ(s.validReplies, 2);
    EXPECT_EQ(s.noReply, 1);
    EXPECT_EQ(s.crcErrors, 1);
    EXPECT_EQ(s.otherFaults, 2);
    EXPECT_EQ(SummaryText(s), QStringLiteral("请求 7    有效应答 2    无应答 1    CRC 错误 1    其他故障 2"));
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.summary().requests, 0);
}

TEST(TrafficTrace, FileHoldsOneTabSeparatedLinePerRow)
{
    TrafficModel model;
    model.addRecord(Record(Bytes(BuildRead(1, 0x0100, 1)), QByteArray::fromHex("7E") + ReadReply(1, 1), 38));
    model.addRecord(Record(Bytes(BuildWrite(1, 0x0307, 100)), {}));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    QString error;
    ASSERT_TRUE(WriteTrace(path, model, &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString expected = QStringLiteral(
        "时间\t方向\t数据\t说明\t耗时(ms)\n"
        "14:25:01.007\t发送\t01 03 01 00 00 01 85 F6\t读 0x0100 ×1 (模块)\t\n"
        "14:25:01.045\t接收\t7E 01 03 02 01 00 B9 D4\t前有 1 个多余字节，应答 1 个寄存器\t38\n"
        "14:25:01.007\t发送\t01 06 03 07 00 64 39 A4\t写 0x0307 = 100 (PT)\t\n"
        "14:25:01.007\t接收\t\t无应答\t\n");
    EXPECT_EQ(QString::fromUtf8(file.readAll()), expected);
}

TEST(TrafficTrace, FailedWriteSaysWhyAndNamesAreOffered)
{
    TrafficModel model;
    model.addRecord(Record(Bytes(BuildRead(1, 0x0100, 1)), {}));
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(WriteTrace(dir.filePath(QStringLiteral("missing/t.txt")), model, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(SuggestedTraceName(QStringLiteral("rd5800"), kAt), QStringLiteral("rd5800-trace-20240131-142501.txt"));
    EXPECT_EQ(SuggestedTraceName(QStringLiteral("nolvex"), kAt), QStringLiteral("nolvex-trace-20240131-142501.txt"));
}
