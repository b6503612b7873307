// The main window on screens smaller than it: every button is reached with the
// keyboard, shown wholly and can be pressed where it shows, the window itself
// wholly inside the available area; where the screen holds the whole window it
// keeps its designed layout, without a scroll area.
#include "FakeSerialPort.h"
#include "ScriptedPrompter.h"
#include "common/widgets/WindowPlacement.h"
#include "meter/mainwnd/HelpDlg.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/trends/TrendDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

namespace {

// The buttons and check boxes of the window that a user sees and can use now
// ("写入" waits for "修改").
std::vector<QAbstractButton *> ShownButtons(const CMeterDlg &dlg)
{
    std::vector<QAbstractButton *> shown;
    for (QAbstractButton *b : dlg.content()->findChildren<QAbstractButton *>())
        if (b->isVisibleTo(dlg.content()) && b->isEnabled())
            shown.push_back(b);
    return shown;
}

// Where `w` shows inside the window, cut to what the scroll area lets through.
QRect VisibleArea(const CMeterDlg &dlg)
{
    if (!dlg.scrollArea())
        return dlg.rect();
    const QWidget *viewport = dlg.scrollArea()->viewport();
    return QRect(viewport->mapTo(&dlg, QPoint(0, 0)), viewport->size());
}

TEST(MainWindowOnASmallScreen, EveryButtonIsReachedWithTheKeyboardAndCanBePressed)
{
    const struct {
        const char *what;
        QRect available;
        bool scrolls;
    } cases[] = {
        {"1366x768 under a top bar", QRect(0, 40, 1366, 728), true},
        {"1280x800 with a panel", QRect(0, 0, 1280, 760), true},
        {"1920x1080 at 150 % with a panel", QRect(0, 0, 1280, 680), true},
        {"desktop", QRect(0, 0, 1920, 1040), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        rdtest::FakeClock clock;
        rdtest::FakeSerialPort port(clock);
        ScriptedPrompter prompter;
        CMeterDlg dlg(port, clock, prompter);
        dlg.setLineSettings(9600, rdlink::Parity::None, 1);
        dlg.OnInitDialog();
        dlg.waitForLine();
        dlg.show();
        dlg.fitToScreen(c.available);   // the screen the test stands for
        QApplication::setActiveWindow(&dlg);
        QApplication::processEvents();

        // The framed window lies wholly inside the area.
        const QRect framed = dlg.frameGeometry();
        EXPECT_TRUE(c.available.contains(framed)) << framed.x() << "," << framed.y() << " " << framed.width()
                                                  << "x" << framed.height();
        EXPECT_EQ(dlg.scrollArea() != nullptr, c.scrolls);
        if (!c.scrolls) {
            EXPECT_EQ(dlg.size(), QSize(760, 800));
            EXPECT_EQ(dlg.content()->parentWidget(), &dlg);
            EXPECT_EQ(dlg.content()->pos(), QPoint(0, 0));
        }

        // Tab from the first control on: each button in turn gets the focus, shows
        // wholly and takes a press where it shows.
        const std::vector<QAbstractButton *> buttons = ShownButtons(dlg);
        ASSERT_GE(buttons.size(), 14u);
        std::set<QAbstractButton *> pressed;
        dlg.panel().slaveAddress->setFocus(Qt::TabFocusReason);
        for (int step = 0; step < 200 && pressed.size() < buttons.size(); ++step) {
            QWidget *focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            auto *button = qobject_cast<QAbstractButton *>(focus);
            if (button && !pressed.count(button)) {
                const QRect at(button->mapTo(&dlg, QPoint(0, 0)), button->size());
                EXPECT_TRUE(VisibleArea(dlg).contains(at)) << button->text().toStdString();
                QWidget *hit = dlg.childAt(at.center());
                EXPECT_EQ(hit, button) << button->text().toStdString();
                if (hit == button) {
                    QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
                    EXPECT_TRUE(button->isDown()) << button->text().toStdString();
                    // Released off the button: pressed, but nothing started.
                    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -20));
                }
                pressed.insert(button);
            }
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        for (QAbstractButton *b : buttons)
            EXPECT_TRUE(pressed.count(b)) << "not reached: " << b->text().toStdString();
        EXPECT_TRUE(prompter.messages.empty());

        // The usage notes fit the same area, whole where they can.
        CHelpDlg notes;
        notes.fitToScreen(c.available);
        const QSize framedNotes = notes.size().grownBy(rdwidgets::kAssumedFrame);
        EXPECT_LE(framedNotes.height(), c.available.height());
        EXPECT_LE(framedNotes.width(), c.available.width());
    }
}

TEST(MainWindowOnASmallScreen, StripShortcutsAreInTheTooltipsAndTheUsageNotes)
{
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    ScriptedPrompter prompter;
    CMeterDlg dlg(port, clock, prompter);
    ExtrasBar &strip = dlg.extras();
    const QString notes = CHelpDlg::Lines().join(QLatin1Char('\n'));
    std::set<QString> keys;
    for (QAbstractButton *b : strip.findChildren<QAbstractButton *>()) {
        SCOPED_TRACE(b->text().toStdString());
        const QString key = b->toolTip();
        ASSERT_FALSE(key.isEmpty());
        EXPECT_TRUE(notes.contains(QStringLiteral("\"%1\" %2").arg(b->text(), key))) << key.toStdString();
        keys.insert(key);
    }
    EXPECT_EQ(keys.size(), size_t(strip.findChildren<QAbstractButton *>().size()));   // no key twice

    // The key opens what its button opens.
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QTest::keyClick(&dlg, Qt::Key_G, Qt::ControlModifier);
    ASSERT_NE(strip.trendWindow(), nullptr);
    EXPECT_TRUE(strip.trendWindow()->isVisible());
    const bool fast = strip.fastRefreshBox()->isChecked();
    QTest::keyClick(&dlg, Qt::Key_F, Qt::ControlModifier);
    EXPECT_NE(strip.fastRefreshBox()->isChecked(), fast);
}

} // namespace
