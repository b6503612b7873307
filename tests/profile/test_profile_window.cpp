// The window "配置文件" on the main window's worker against rd5800-sim: read and
// save, compare, apply only after the confirmation, commissioning two meters into
// a record, every control named from its label.
#include "../meter/WindowOnSim.h"
#include "meter/profile/ProfileFile.h"
#include "meter/overview/OverviewWindow.h"

#include <QTableView>

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

QString AccessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

int RowOf(QTableWidget *t, const QString &name)
{
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0)->text() == name)
            return r;
    return -1;
}

} // namespace

TEST(ProfileWindow, ReadCompareApplyAndCommission)
{
    WindowOnSim w({"--freeze", "--addresses", "1,1,1"});
    ASSERT_TRUE(w.started()) << w.said();
    simtest::SimProcess &sim = w.sim;
    QTemporaryDir &dir = w.dir;
    ScriptedPrompter &prompter = w.prompter;
    CMeterDlg &dlg = w.dlg;
    dlg.setEnteredAddress(1);
    dlg.waitForLine();
    dlg.extras().profileButton()->click();
    ProfileWindow *win = dlg.profileWindow();
    ASSERT_NE(win, nullptr);
    EXPECT_EQ(win->addressBox()->value(), 1);

    // Named from their labels, as a screen reader finds them.
    for (const char *name : {"子机地址", "读取", "比较", "应用", "打开…", "保存…", "目标地址", "新仪表地址", "新仪表波特率",
                             "新仪表校验位", "查找第一台", "开始调试…", "继续", "比较结果", "调试结果", "配置文件", "调试步骤"}) {
        bool found = false;
        for (QWidget *w : win->findChildren<QWidget *>())
            found = found || AccessibleName(w) == QString::fromUtf8(name);
        EXPECT_TRUE(found) << name;
    }

    // 读取: the meter into a profile, saved where the user says.
    const QString file = dir.filePath(QStringLiteral("panel.json"));
    win->setSaveAsker([file](QWidget *, const QString &) { return file; });
    win->readMeter();
    win->waitForLine();
    ASSERT_TRUE(QFile::exists(file)) << (prompter.messages.empty() ? "" : prompter.messages.back().toStdString());
    ASSERT_GT(win->table()->rowCount(), 10);
    EXPECT_EQ(win->table()->item(0, 3)->text(), QStringLiteral("相同"));

    // A profile with PT 100: 比较 marks the row, 应用 writes nothing until confirmed.
    auto loaded = rdprof::LoadProfile(file);
    rdprof::Profile p = std::get<rdprof::Profile>(loaded);
    p.pt = 100;
    const QString changed = dir.filePath(QStringLiteral("pt100.json"));
    ASSERT_FALSE(rdprof::SaveProfile(p, changed).has_value());
    ASSERT_TRUE(win->loadProfile(changed));
    win->compare();
    win->waitForLine();
    const int pt = RowOf(win->table(), QStringLiteral("PT"));
    ASSERT_GE(pt, 0) << (prompter.messages.empty() ? "" : prompter.messages.back().toStdString());
    EXPECT_EQ(win->table()->item(pt, 3)->text(), QStringLiteral("不同"));
    EXPECT_EQ(win->table()->item(pt, 2)->text(), QStringLiteral("1"));
    const QString shot = qEnvironmentVariable("RD_PROFILE_SCREENSHOT");
    if (!shot.isEmpty())
        win->grab().save(shot);

    QString shown;
    prompter.answer = [&shown](QDialog &d) {
        shown = d.findChild<QPlainTextEdit *>()->toPlainText();
        return int(QDialog::Rejected);
    };
    const size_t before = sim.logLines("rx").size();
    win->apply();
    win->waitForLine();
    EXPECT_TRUE(shown.contains(QStringLiteral("PT: 1 -> 100"))) << shown.toStdString() << (prompter.messages.empty() ? "" : prompter.messages.back().toStdString());
    const auto rx = sim.logLines("rx");
    for (size_t i = before; i < rx.size(); ++i)
        EXPECT_NE(rx[i].bytes.at(1), 6) << "written without confirmation: " << rx[i].meaning;
    prompter.answer = [](QDialog &) { return int(QDialog::Accepted); };
    prompter.messages.clear();
    win->apply();
    win->waitForLine();
    ASSERT_FALSE(prompter.messages.empty());
    QStringList said(prompter.messages.begin(), prompter.messages.end());
    EXPECT_TRUE(prompter.messages.back().startsWith(QStringLiteral("已写入并读回核对"))) << said.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(win->table()->item(pt, 3)->text(), QStringLiteral("相同"));

    // "查找第一台": a new meter at 1 is found at 9600 baud, whatever the box said.
    win->factoryBaudBox()->setCurrentIndex(win->factoryBaudBox()->findData(2400));
    win->findFirstMeter();
    win->waitForLine();
    EXPECT_EQ(win->factoryBaudBox()->currentData().toInt(), 9600);

    // 逐台调试: the next two meters at the factory address become 5 and 6.
    const QString csv = dir.filePath(QStringLiteral("record.csv"));
    win->setSaveAsker([csv](QWidget *, const QString &) { return csv; });
    win->targetsEdit()->setPlainText(QStringLiteral("5 进线柜\n6"));
    win->startCommissioning();
    EXPECT_TRUE(win->stepLabel()->text().startsWith(QStringLiteral("接好下一台仪表后按 继续")));
    ASSERT_TRUE(win->continueButton()->isEnabled());
    for (int i = 0; i < 2; ++i) {
        win->continueButton()->click();
        win->waitForLine();
    }
    EXPECT_EQ(win->results()->count(), 2);
    EXPECT_EQ(win->nextTarget(), 2);
    EXPECT_FALSE(win->continueButton()->isEnabled());
    QFile record(csv);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll().count("\r\n"), 3);

    // The overview's audit against the profile in the window: 5 and 6 hold it
    // (their own addresses aside), the third meter still at the factory address 1
    // does not, nobody answers at 9; with another CT in the profile 5 differs too,
    // and a double click on its 配置 cell compares it in the window.
    dlg.openOverview();
    OverviewWindow &ov = *dlg.overviewWindow();
    for (int a : {1, 5, 6, 9})
        ASSERT_TRUE(ov.model().addMeter(a).isEmpty());
    ov.audit();
    ov.waitForLine();
    const auto column = [&ov](int row) { return ov.model().cellText(row, rdov::OverviewModel::kProfile); };
    EXPECT_EQ(column(0), QStringLiteral("2 项不同"));   // PT and the U1 output it scales
    EXPECT_EQ(column(1), QStringLiteral("相同"));
    EXPECT_EQ(column(2), QStringLiteral("相同"));
    EXPECT_EQ(column(3), QStringLiteral("无应答"));
    p.ct = 7;
    ASSERT_FALSE(rdprof::SaveProfile(p, changed).has_value());
    ASSERT_TRUE(win->loadProfile(changed));
    ov.audit();
    ov.waitForLine();
    EXPECT_TRUE(column(1).endsWith(QStringLiteral("项不同"))) << column(1).toStdString();
    emit ov.table()->doubleClicked(ov.model().index(1, rdov::OverviewModel::kProfile));
    win->waitForLine();
    EXPECT_EQ(win->addressBox()->value(), 5);
    const int ct = RowOf(win->table(), QStringLiteral("CT"));
    ASSERT_GE(ct, 0);
    EXPECT_EQ(win->table()->item(ct, 3)->text(), QStringLiteral("不同"));
}
