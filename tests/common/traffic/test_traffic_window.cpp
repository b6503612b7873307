// The "通讯监视" window as a user (and a screen reader) meets it: cells readable
// through the accessibility interface, following the newest row, pause, clear,
// and save through the file seam, including a failed write.
#include "FrameBytes.h"
#include "common/traffic/TrafficModel.h"
#include "common/traffic/TrafficWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace rdtraffic;
using namespace traffictest;

namespace {

rdlink::ExchangeRecord MeasurementRead(int elapsedMs = 60)
{
    rdlink::ExchangeRecord r;
    r.sentAt = QDateTime::currentDateTime();
    r.request = Bytes(rdlink::BuildRead(1, 0x0000, 41));
    r.received = ReadReply(1, 41);
    r.replyElapsedMs = elapsedMs;
    return r;
}

QString AccessibleName(QObject *o)
{
    QAccessibleInterface *i = QAccessible::queryAccessibleInterface(o);
    return i ? i->text(QAccessible::Name) : QString();
}

} // namespace

TEST(TrafficWindow, ScreenReaderReadsTheTableCellsAndControls)
{
    TrafficWindow w;
    w.show();
    w.addRecord(MeasurementRead(57));
    EXPECT_EQ(w.model().rowCount(), 0);   // until the next update
    w.flush();
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(w.view());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->role(), QAccessible::Table);
    QAccessibleTableInterface *cells = table->tableInterface();
    ASSERT_TRUE(cells);
    EXPECT_EQ(cells->rowCount(), 2);
    EXPECT_EQ(cells->columnCount(), 5);
    const QStringList sent = {QStringLiteral("发送"), QStringLiteral("01 03 00 00 00 29 84 14"),
                              QStringLiteral("读 0x0000 ×41 (测量数据)")};
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(cells->cellAt(0, c + 1)->text(QAccessible::Name), sent[c]);
    EXPECT_EQ(cells->cellAt(1, 3)->text(QAccessible::Name), QStringLiteral("应答 41 个寄存器"));
    EXPECT_EQ(cells->cellAt(1, 4)->text(QAccessible::Name), QStringLiteral("57"));
    EXPECT_EQ(cells->columnDescription(4), QStringLiteral("耗时(ms)"));

    EXPECT_EQ(w.windowTitle(), QStringLiteral("通讯监视"));
    EXPECT_EQ(AccessibleName(w.pauseButton()), QStringLiteral("暂停"));
    EXPECT_EQ(AccessibleName(w.clearButton()), QStringLiteral("清除"));
    EXPECT_EQ(AccessibleName(w.saveButton()), QStringLiteral("保存"));
    EXPECT_TRUE(AccessibleName(w.summaryLabel()).startsWith(QStringLiteral("请求 1 ")));
    w.pauseButton()->click();
    EXPECT_EQ(AccessibleName(w.pauseButton()), QStringLiteral("继续"));
}

TEST(TrafficWindow, FollowsTheNewestUnlessScrolledUpOrPaused)
{
    TrafficWindow w;
    w.show();
    QScrollBar *bar = w.view()->verticalScrollBar();
    for (int i = 0; i < 100; ++i) {
        w.addRecord(MeasurementRead());
        w.flush();
    }
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Scrolled up: new rows come in below, the view stays.
    bar->setValue(10);
    w.addRecord(MeasurementRead());
    w.flush();
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(w.model().rowCount(), 202);
    // Back at the bottom: following again.
    w.view()->scrollToBottom();
    w.addRecord(MeasurementRead());
    w.flush();
    EXPECT_EQ(bar->value(), bar->maximum());

    // Paused at the bottom: rows and counts still grow, the view holds still.
    w.pauseButton()->click();
    const int held = bar->value();
    for (int i = 0; i < 5; ++i) {
        w.addRecord(MeasurementRead());
        w.flush();
        QApplication::processEvents();   // the view lays the new rows out
    }
    EXPECT_EQ(w.model().rowCount(), 214);
    EXPECT_EQ(w.model().summary().requests, 107);
    EXPECT_EQ(bar->value(), held);
    EXPECT_LT(bar->value(), bar->maximum());
    w.pauseButton()->click();
    EXPECT_EQ(w.pauseButton()->text(), QStringLiteral("暂停"));
    EXPECT_EQ(bar->value(), bar->maximum());

    w.clearButton()->click();
    EXPECT_EQ(w.model().rowCount(), 0);
    EXPECT_TRUE(w.summaryLabel()->text().startsWith(QStringLiteral("请求 0 ")));
}

TEST(TrafficWindow, SaveOffersTheProgramsNameAndReportsAFailure)
{
    QTemporaryDir dir;
    const struct {
        const char *program;
        QString chosen;       // what the user picks; empty: cancelled
        bool written;
        bool reported;
    } cases[] = {
        {"rd5800", dir.filePath(QStringLiteral("trace.txt")), true, false},
        {"nolvex", dir.filePath(QStringLiteral("no-such-folder/trace.txt")), false, true},
        {"rd5800", QString(), false, false},
    };
    for (const auto &c : cases) {
        TrafficWindow w(QString::fromLatin1(c.program));
        w.addRecord(MeasurementRead());
        QString offered;
        QStringList reports;
        w.setPathAsker([&](QWidget *, const QString &suggested) {
            offered = suggested;
            return c.chosen;
        });
        w.setErrorReporter([&](QWidget *, const QString &, const QString &text) { reports << text; });
        w.saveButton()->click();
        const QRegularExpression name(QStringLiteral("/%1-trace-\\d{8}-\\d{6}\\.txt$").arg(c.program));
        EXPECT_TRUE(name.match(offered).hasMatch()) << offered.toStdString();
        QFile file(c.chosen);
        EXPECT_EQ(file.exists(), c.written) << c.program;
        if (c.written) {
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll().count('\n'), 3);   // header and two rows
        }
        ASSERT_EQ(reports.size(), c.reported ? 1 : 0);
        if (c.reported) {
            EXPECT_TRUE(reports[0].contains(QStringLiteral("no-such-folder")));
        }
    }
}

// "保存" offers the documents folder when it exists, else the home folder, never
// the current folder of the program.
TEST(TrafficWindow, SaveOffersTheDocumentsFolderOrElseHome)
{
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral(".config"))));
    for (const bool documents : {false, true}) {
        if (documents) {
            ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("Documents")));
        }
        TrafficWindow w(QStringLiteral("rd5800"));
        QString offered;
        w.setPathAsker([&](QWidget *, const QString &suggested) {
            offered = suggested;
            return QString();
        });
        w.saveButton()->click();
        const QString folder = documents ? home.filePath(QStringLiteral("Documents")) : home.path();
        EXPECT_EQ(QFileInfo(offered).absolutePath(), folder) << offered.toStdString();
    }
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}
