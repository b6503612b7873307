// "仪表设置" as a screen reader meets it: the wiring choices are radio buttons and
// the code the dialog hands on is the one checked, however it was checked; the
// ratio edits carry their labels' names.
#include "ScriptedPrompter.h"
#include "meter/dialogs/MeterSetDlg.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <functional>

TEST(MeterSettingsDialog, WiringChosenWithoutTheMouseIsTheWiringWritten)
{
    // "单相2线" checked without a click: by a screen reader's toggle action or by
    // code. (Its press action ends in a click, as the mouse does.)
    using Way = std::function<void(QRadioButton *)>;
    const std::pair<const char *, Way> ways[] = {
        {"toggle action", [](QRadioButton *b) {
             QAccessible::queryAccessibleInterface(b)->actionInterface()->doAction(
                 QAccessibleActionInterface::toggleAction());
         }},
        {"checked by code", [](QRadioButton *b) { b->setChecked(true); }},
    };
    for (const auto &[how, choose] : ways) {
        ScriptedPrompter prompter;
        CMeterSetDlg dlg(prompter);
        dlg.m_ptRatio = 1;
        dlg.m_ctRatio = 1;
        dlg.m_wiringMode = 0;
        dlg.loadFields();
        choose(dlg.wiringButton(1));
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(dlg.wiringButton(i)->isChecked(), i == 1) << how << i;
            EXPECT_EQ(QAccessible::queryAccessibleInterface(dlg.wiringButton(i))->role(), QAccessible::RadioButton)
                << how << i;
        }
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << how;
        EXPECT_EQ(dlg.m_wiringMode, 1) << how;
    }
}

TEST(MeterSettingsDialog, RatioEditsAreNamedByTheirLabels)
{
    ScriptedPrompter prompter;
    CMeterSetDlg dlg(prompter);
    const std::pair<QLineEdit *, QString> edits[] = {{dlg.ptEdit(), QStringLiteral("ＰＴ")},
                                                     {dlg.ctEdit(), QStringLiteral("ＣＴ")}};
    for (const auto &[edit, label] : edits)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), label);
}
