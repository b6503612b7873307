// The log writer never blocks its caller: a reader that stops reading costs
// lines (counted, and said once the reader is back), never the poll.
#include "service/LogWriter.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

TEST(LogWriter, AStalledReaderCostsLinesNotTheCaller)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    QByteArray text;
    std::thread reader;
    quint64 dropped = 0;
    {
        rdsvc::LogWriter writer(fds[1]);
        // Far more than the pipe and the queue hold, with nobody reading: each
        // call returns (were one to block, the test would never end).
        for (int i = 0; i < 2000; ++i)
            writer.write(QByteArray::number(i).rightJustified(8, '0') + QByteArray(391, 'x') + '\n');
        dropped = writer.dropped();
        EXPECT_GT(dropped, 0u);
        reader = std::thread([&text, fd = fds[0]] {
            char buffer[65536];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                text.append(buffer, n);
        });
        ASSERT_TRUE(writer.flush(30000));
        writer.write("last\n");
        ASSERT_TRUE(writer.flush(30000));
        dropped = writer.dropped();
    }
    ::close(fds[1]);
    reader.join();
    ::close(fds[0]);

    // Whole lines in order; the notices between them account for every dropped one.
    QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.takeLast(), QByteArray());
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeLast(), "last");
    static const QRegularExpression notice(QString::fromUtf8("^\\(日志输出阻塞, (\\d+) 行未写出\\)$"));
    quint64 said = 0, written = 0;
    int previous = -1;
    for (const QByteArray &line : lines) {
        const QRegularExpressionMatch m = notice.match(QString::fromUtf8(line));
        if (m.hasMatch()) {
            said += m.captured(1).toULongLong();
            continue;
        }
        ASSERT_EQ(line.size(), 399);
        const int n = line.left(8).toInt();
        EXPECT_GT(n, previous);
        previous = n;
        ++written;
    }
    EXPECT_EQ(said, dropped);
    EXPECT_EQ(written + dropped, 2000u);
}
