// The service's CSV file: what it does with the file it finds, so that a
// continued recording never holds a cut row and never overwrites other content.
#include "service/RecordFile.h"
#include "meter/recording/CsvFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(RecordFile, ContinuesWholeRowsAndRefusesOtherContent)
{
    const QByteArray header = rdrec::Utf8Bom() + rdrec::CsvHeaderLine();
    const QByteArray row = "2026-12-08T10:00:00.000+08:00,1,2\r\n";
    const QByteArray next = "2026-12-08T10:00:01.000+08:00,3,4\r\n";
    struct Case {
        const char *what;
        QByteArray before;       // null: no file
        bool opens;
        QByteArray after;        // the file after one more row
    } cases[] = {
        {"no file", QByteArray(), true, header + next},
        {"empty file", QByteArray(""), true, header + next},
        {"a recording", header + row, true, header + row + next},
        {"a row cut by a crash", header + row + "2026-12-08T10:00:0", true, header + row + next},
        {"only a cut first row", header + "2026-12", true, header + next},
        {"someone else's file", "name,value\r\nx,1\r\n", false, "name,value\r\nx,1\r\n"},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("m.csv");
        if (!c.before.isNull()) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.before);
        }
        rdsvc::RecordFile file(path);
        QString error;
        EXPECT_EQ(file.open(&error), c.opens) << c.what << ": " << error.toStdString();
        if (c.opens) {
            EXPECT_EQ(file.append(next), rdsvc::RecordFile::Outcome::Written) << c.what;
        } else {
            EXPECT_TRUE(error.contains("m.csv")) << c.what;
            EXPECT_EQ(file.append(next), rdsvc::RecordFile::Outcome::Failed) << c.what;
            EXPECT_EQ(file.lostRows(), 1u);
        }
        file.close();
        EXPECT_EQ(ReadAll(path), c.after) << c.what;
    }
}
