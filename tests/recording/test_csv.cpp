// The recording file: header, rows from known registers, time stamps, and what
// happens when the file cannot be opened or written.
#include "SyntheticReading.h"
#include "meter/acquisition/Measurements.h"
#include "meter/acquisition/Switching.h"
#include "meter/recording/CsvFormat.h"
#include "meter/recording/CsvRecorder.h"
#include "meter/recording/RecordingControls.h"
#include "../meter/RegisterBytes.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace rdrec;

namespace {

QList<QByteArray> Fields(QByteArray line)
{
    EXPECT_TRUE(line.endsWith("\r\n"));
    line.chop(2);
    return line.split(',');
}

// The field under `header` in `row`.
QByteArray Field(const QByteArray &row, const char *header)
{
    const QList<QByteArray> headers = Fields(CsvHeaderLine());
    const int column = int(headers.indexOf(QByteArray(header)));
    EXPECT_GE(column, 0) << header;
    return column < 0 ? QByteArray("?") : Fields(row).value(column, "?");
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// A device that takes `budget` bytes and then fails as a full disk does.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 budget) : m_budget(budget) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (size > m_budget) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_budget -= size;
        written.append(data, size);
        return size;
    }

private:
    qint64 m_budget;
};

rdacq::Reading SampleReading()
{
    return rdtest::SyntheticReading(rdtest::ChinaTime(2026, 12, 7, 17, 40, 1, 123), 0);
}

} // namespace

TEST(RecordingCsv, HeaderNamesEveryColumnWithItsUnit)
{
    const QList<QByteArray> headers = Fields(CsvHeaderLine());
    ASSERT_EQ(headers.size(), 53);
    const char *expected[][2] = {
        {"0", "时间"},
        {"1", "合相 相电压 (V)"},
        {"2", "A相 相电压 (V)"},
        {"6", "CA线 线电压 (V)"},
        {"8", "BC线 线电压 (V)"},
        {"12", "C相 相电流 (A)"},
        {"13", "合相 有功功率 (W)"},
        {"17", "合相 无功功率 (var)"},
        {"21", "合相 视在功率 (VA)"},
        {"25", "合相 功率因数"},
        {"29", "频率 (Hz)"},
        {"30", "正向有功电能 (kWh)"},
        {"31", "负向有功电能 (kWh)"},
        {"33", "负向无功电能 (kvarh)"},
        {"34", "DI1 (0/1)"},
        {"45", "DO6 (0/1)"},
        {"46", "DI1 计数"},
        {"52", "通讯成功率 (%)"},
    };
    for (const auto &e : expected)
        EXPECT_EQ(QString::fromUtf8(headers[QByteArray(e[0]).toInt()]), QString::fromUtf8(e[1]));
}

TEST(RecordingCsv, TimeIsLocalIsoWithMillisecondsAndOffset)
{
    const QDate day(2026, 12, 7);
    const struct { QDateTime time; const char *text; } cases[] = {
        {rdtest::ChinaTime(2026, 12, 7, 17, 40, 1, 123), "2026-12-07T17:40:01.123+08:00"},
        {QDateTime(day, QTime(9, 5, 0, 5), QTimeZone(-(3 * 3600 + 1800))), "2026-12-07T09:05:00.005-03:30"},
        {QDateTime(day, QTime(0, 0), QTimeZone::utc()), "2026-12-07T00:00:00.000+00:00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsoTime(c.time), QByteArray(c.text));
    // A local time carries the system's offset, whatever it is.
    const QDateTime local(day, QTime(12, 0));
    EXPECT_TRUE(IsoTime(local).startsWith("2026-12-07T12:00:00.000"));
    EXPECT_EQ(IsoTime(local).size(), 29);
}

TEST(RecordingCsv, RowHoldsTheDecodedValuesForKnownRegisters)
{
    // Measurement block registers: A group at 0x00, combined at 0x18.
    std::vector<uint16_t> regs(41, 0);
    regs[0x00] = 2200;                 // phase voltage A
    regs[0x01] = 3811;                 // line voltage CA
    regs[0x02] = 1234;                 // current A
    regs[0x04] = uint16_t(-1500);      // active power A
    regs[0x05] = uint16_t(-500);       // power factor A
    regs[0x06] = 0xFFFF;               // reactive power A: -1
    regs[0x07] = 0xFFFF;               // apparent power A: 65535
    regs[0x1B] = 4999;                 // frequency
    regs[0x20] = 0x2105;               // DI1, DI3; DO1, DO6
    regs[0x21] = 0x0001; regs[0x22] = 0x0002;   // positive active energy, low word first
    regs[0x23] = 0xFFFF; regs[0x24] = 0xFFFF;   // negative active energy
    const auto data = rdtest::DataBytes(regs);
    const auto counterBytes = rdtest::DataBytes({0x0001, 0x0002, 0xFFFF, 0xFFFF, 0, 7, 0, 0, 0, 0, 0, 0});

    struct Case { uint32_t pt, ct; std::vector<std::pair<const char *, const char *>> fields; };
    const Case cases[] = {
        {1, 1, {{"A相 相电压 (V)", "220.0"}, {"CA线 线电压 (V)", "381.1"}, {"A相 相电流 (A)", "1.234"},
                {"A相 有功功率 (W)", "-1500"}, {"A相 功率因数", "-0.500"},
                {"A相 无功功率 (var)", "-1"}, {"A相 视在功率 (VA)", "65535"}}},
        // 23.01 KV on screen is 23010 in the file; powers carry both ratios.
        {100, 50, {{"A相 相电压 (V)", "22000.0"}, {"A相 相电流 (A)", "61.700"},
                   {"A相 有功功率 (W)", "-7500000"}, {"A相 视在功率 (VA)", "327675000"},
                   {"A相 功率因数", "-0.500"}}},
        // Ratios never touch the frequency, the energies, the I/O or the counters.
        {64000, 64000, {{"频率 (Hz)", "49.99"}, {"正向有功电能 (kWh)", "131073"},
                        {"负向有功电能 (kWh)", "4294967295"}, {"正向无功电能 (kvarh)", "0"},
                        {"DI1 (0/1)", "1"}, {"DI2 (0/1)", "0"}, {"DI3 (0/1)", "1"}, {"DI6 (0/1)", "0"},
                        {"DO1 (0/1)", "1"}, {"DO2 (0/1)", "0"}, {"DO6 (0/1)", "1"},
                        {"DI1 计数", "65538"}, {"DI2 计数", "4294967295"}, {"DI3 计数", "7"},
                        {"通讯成功率 (%)", "54.55"}, {"A相 有功功率 (W)", "-6144000000000"}}},
    };
    // Numbers never follow the user's locale.
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const Case &c : cases) {
        rdacq::Reading r;
        r.time = rdtest::ChinaTime(2026, 12, 7, 17, 40, 1, 123);
        r.values = rdacq::DecodeMeasurements(data, c.pt, c.ct);
        r.counters = rdacq::DecodeCounters(counterBytes);
        r.successRate = 100.0 * 6 / 11;
        const QByteArray row = CsvRow(r);
        EXPECT_TRUE(row.startsWith("2026-12-07T17:40:01.123+08:00,"));
        EXPECT_EQ(Fields(row).size(), 53);
        for (const auto &[header, text] : c.fields)
            EXPECT_EQ(Field(row, header), QByteArray(text)) << header << " PT=" << c.pt << " CT=" << c.ct;
    }
    QLocale::setDefault(saved);
}

TEST(RecordingCsv, UnknownCountersAreEmptyAndNumbersArePlain)
{
    rdacq::Reading r = SampleReading();
    r.counters.reset();
    const QByteArray row = CsvRow(r);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(Field(row, QStringLiteral("DI%1 计数").arg(i).toUtf8().constData()), QByteArray());
    const struct { double value; int decimals; const char *text; } numbers[] = {
        {23010.5, 1, "23010.5"}, {1e9, 0, "1000000000"}, {-0.0001, 3, "0.000"},
        {0.1 + 0.2, 3, "0.300"}, {std::nan(""), 2, ""}, {-2.5e-7, 0, "0"},
    };
    for (const auto &n : numbers)
        EXPECT_EQ(CsvNumber(n.value, n.decimals), QByteArray(n.text)) << n.value;
}

TEST(CsvRecorder, WritesBomHeaderAndFlushesEachRow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec.csv"));
    CsvRecorder recorder;
    QString error;
    ASSERT_TRUE(recorder.open(path, &error)) << error.toStdString();
    ASSERT_TRUE(recorder.append(SampleReading(), &error));
    // On disk before the next reading comes, while the recorder still holds the file.
    EXPECT_EQ(ReadFile(path), Utf8Bom() + CsvHeaderLine() + CsvRow(SampleReading()));
    ASSERT_TRUE(recorder.append(SampleReading(), &error));
    EXPECT_EQ(recorder.rowCount(), 2);
}

TEST(CsvRecorder, ContinuesItsOwnFileAndRefusesOtherContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec.csv"));
    QString error;
    {
        CsvRecorder first;
        ASSERT_TRUE(first.open(path, &error));
        ASSERT_TRUE(first.append(SampleReading(), &error));
    }
    {
        // A row cut short when the program was killed.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("2026-12-07T17:40:01.5");
    }
    CsvRecorder second;
    ASSERT_TRUE(second.open(path, &error)) << error.toStdString();
    ASSERT_TRUE(second.append(SampleReading(), &error));
    EXPECT_EQ(ReadFile(path), Utf8Bom() + CsvHeaderLine() + CsvRow(SampleReading())
                                  + "2026-12-07T17:40:01.5\r\n" + CsvRow(SampleReading()));
    second.close();

    const QString other = dir.filePath(QStringLiteral("notes.csv"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a,b\n1,2\n");
    f.close();
    CsvRecorder third;
    EXPECT_FALSE(third.open(other, &error));
    EXPECT_TRUE(error.contains(other)) << error.toStdString();
    EXPECT_EQ(ReadFile(other), QByteArray("a,b\n1,2\n"));
}

TEST(CsvRecorder, InspectsWhatAFileHoldsAndOverwritesOnlyWhenTold)
{
    QTemporaryDir dir;
    const QByteArray header = Utf8Bom() + CsvHeaderLine();
    const struct {
        const char *name;
        QByteArray content;   // empty with `exists` false: no file
        bool exists;
        ExistingFile found;
    } files[] = {
        {"missing.csv", {}, false, ExistingFile::Absent},
        {"empty.csv", {}, true, ExistingFile::Absent},
        {"ours.csv", header + CsvRow(SampleReading()), true, ExistingFile::SameColumns},
        {"header-only.csv", header, true, ExistingFile::SameColumns},
        {"cut-header.csv", header.left(header.size() - 3), true, ExistingFile::OtherContent},
        {"other-columns.csv", Utf8Bom() + "时间,A相电压 (V)\r\n", true, ExistingFile::OtherContent},
        {"notes.csv", "a,b\n1,2\n", true, ExistingFile::OtherContent},
    };
    for (const auto &f : files) {
        const QString path = dir.filePath(QString::fromLatin1(f.name));
        if (f.exists) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(f.content);
        }
        EXPECT_EQ(InspectRecordFile(path), f.found) << f.name;

        CsvRecorder recorder;
        QString error;
        ASSERT_TRUE(recorder.open(path, &error, IfExisting::Overwrite)) << f.name << error.toStdString();
        ASSERT_TRUE(recorder.append(SampleReading(), &error));
        EXPECT_EQ(ReadFile(path), header + CsvRow(SampleReading())) << f.name;
    }
}

TEST(CsvRecorder, OpenFailureNamesTheFileAndTheReason)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    // The reason in the program's words, the system's own kept in parentheses.
    std::vector<std::pair<QString, QString>> cases = {
        {dir.filePath(QStringLiteral("missing/rec.csv")), QStringLiteral("文件夹不存在 (No such file or directory)")},
        {dir.filePath(QStringLiteral("plain/rec.csv")), QStringLiteral("路径中有一段不是文件夹 (Not a directory)")},
        {dir.path(), QStringLiteral("这是一个文件夹 (")},
        {QStringLiteral("/dev/full"), QStringLiteral("磁盘已满 (No space left on device)")},
    };
    // Permissions do not stop root, so that case runs only as a normal user.
    if (geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked"));
        EXPECT_TRUE(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        cases.emplace_back(locked + QStringLiteral("/rec.csv"), QStringLiteral("没有写入权限 (Permission denied)"));
    }
    for (const auto &[path, reason] : cases) {
        CsvRecorder recorder;
        QString error;
        EXPECT_FALSE(recorder.open(path, &error)) << path.toStdString();
        EXPECT_FALSE(recorder.isOpen());
        EXPECT_TRUE(error.startsWith(QStringLiteral("无法打开记录文件 ") + path + QStringLiteral("：") + reason))
            << error.toStdString();
    }
}

TEST(RecordingControls, FullDiskStopsRecordingWithOneMessageAndKeepsTheHistory)
{
    RecordingControls controls;
    QSignalSpy failed(&controls, &RecordingControls::failed);
    const QByteArray header = Utf8Bom() + CsvHeaderLine();
    const qint64 rowSize = CsvRow(SampleReading()).size();
    auto device = std::make_unique<FullDevice>(header.size() + 2 * rowSize);
    FullDevice *raw = device.get();
    ASSERT_TRUE(controls.start(std::move(device), QStringLiteral("/data/rd5800-1.csv")));
    EXPECT_EQ(controls.buttonText(), QStringLiteral("停止记录"));

    controls.onReading(SampleReading());
    controls.onReading(SampleReading());
    EXPECT_EQ(controls.statusText(), QStringLiteral("记录中: rd5800-1.csv (2 行)"));
    EXPECT_EQ(raw->written, header + CsvRow(SampleReading()) + CsvRow(SampleReading()));
    EXPECT_EQ(failed.count(), 0);

    for (int i = 0; i < 3; ++i)
        controls.onReading(SampleReading());
    ASSERT_EQ(failed.count(), 1);
    const QString message = failed.at(0).at(0).toString();
    EXPECT_TRUE(message.contains(QStringLiteral("/data/rd5800-1.csv"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("No space left on device"))) << message.toStdString();
    EXPECT_FALSE(controls.isRecording());
    EXPECT_EQ(controls.statusText(), QStringLiteral("已记录 2 行：rd5800-1.csv"));   // the rows the file holds
    EXPECT_EQ(controls.buttonText(), QStringLiteral("记录数据"));
    EXPECT_EQ(controls.history().size(), 5);
}

TEST(RecordingControls, StartFailureIsReportedAndStopEndsTheFile)
{
    RecordingControls controls;
    QSignalSpy failed(&controls, &RecordingControls::failed);
    EXPECT_FALSE(controls.start(QStringLiteral("/nonexistent-folder/rec.csv")));
    EXPECT_EQ(failed.count(), 1);
    EXPECT_FALSE(controls.isRecording());
    EXPECT_EQ(controls.statusText(), QString());   // nothing was recorded

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec.csv"));
    ASSERT_TRUE(controls.start(path));
    controls.onReading(SampleReading());
    controls.stop();
    controls.onReading(SampleReading());
    EXPECT_EQ(ReadFile(path), Utf8Bom() + CsvHeaderLine() + CsvRow(SampleReading()));
    EXPECT_EQ(controls.history().size(), 2);
    EXPECT_EQ(failed.count(), 1);
}

TEST(RecordingCsv, DefaultPathIsTimeStampedInDocumentsOrElseHome)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    const QDateTime when(QDate(2026, 12, 7), QTime(17, 40, 1));
    // No documents folder: the home folder, not the program's current folder.
    EXPECT_EQ(DefaultRecordPath(when), home.filePath(QStringLiteral("rd5800-20261207-174001.csv")));
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(DefaultRecordPath(when), home.filePath(QStringLiteral("Documents/rd5800-20261207-174001.csv")));
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}
