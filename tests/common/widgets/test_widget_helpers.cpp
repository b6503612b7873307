// The control helpers as a screen reader meets them: names from labels and texts,
// values readable, radio choices stored however they were made, read-only shade;
// the caret that rests and the frames drawn from a cache, as a user sees them.
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/CaretRest.h"
#include "common/widgets/FrameCache.h"
#include "common/widgets/RadioChoice.h"
#include "common/widgets/ReadOnlyShade.h"
#include "common/widgets/ValueLabel.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleHints>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

QAccessibleInterface *Node(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

TEST(RadioChoice, StoresTheCheckedButtonHoweverItWasChecked)
{
    using Way = std::function<void(QRadioButton *)>;
    const std::pair<const char *, Way> ways[] = {
        {"click", [](QRadioButton *b) { b->click(); }},
        {"toggle action", [](QRadioButton *b) {
             Node(b)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
         }},
        {"code", [](QRadioButton *b) { b->setChecked(true); }},
    };
    for (const auto &[how, choose] : ways) {
        QWidget window;
        std::vector<int> stored;
        rdwidgets::RadioChoice choice(&window, [&](int id) { stored.push_back(id); });
        QRadioButton *buttons[3];
        for (int i = 0; i < 3; ++i) {
            buttons[i] = new QRadioButton(QStringLiteral("选项%1").arg(i), &window);
            choice.add(buttons[i], 10 + i);
        }
        choice.show(10);
        choose(buttons[2]);
        EXPECT_EQ(stored, (std::vector<int>{10, 12})) << how;
        EXPECT_EQ(choice.checkedId(), 12) << how;
        EXPECT_FALSE(buttons[0]->isChecked()) << how;
        for (QRadioButton *b : buttons)
            EXPECT_EQ(Node(b)->role(), QAccessible::RadioButton) << how;
    }
}

TEST(RadioChoice, AnUnknownValueLeavesAllClearAndStoresNothing)
{
    QWidget window;
    int stores = 0;
    rdwidgets::RadioChoice choice(&window, [&](int) { ++stores; });
    auto *a = new QRadioButton(QStringLiteral("a"), &window);
    auto *b = new QRadioButton(QStringLiteral("b"), &window);
    choice.add(a, 0);
    choice.add(b, 1);
    choice.show(1);
    choice.show(7);
    EXPECT_FALSE(a->isChecked());
    EXPECT_FALSE(b->isChecked());
    EXPECT_EQ(choice.checkedId(), -1);
    EXPECT_EQ(stores, 1);
    a->click();   // the group is exclusive again afterwards
    b->click();
    EXPECT_FALSE(a->isChecked());
}

TEST(ValueLabel, CaptionIsTheNameTheTextIsTheValue)
{
    QWidget window;
    rdwidgets::ValueLabel rate(QStringLiteral("通讯成功率"), &window, QStringLiteral("0"));
    rate.setText(QStringLiteral("54.55"));
    QAccessibleInterface *node = Node(&rate);
    EXPECT_EQ(node->role(), QAccessible::StaticText);
    EXPECT_EQ(node->text(QAccessible::Name), QStringLiteral("通讯成功率"));
    EXPECT_EQ(node->text(QAccessible::Value), QStringLiteral("54.55"));
    QAccessibleTextInterface *text = node->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 5);
    EXPECT_EQ(text->text(0, 5), QStringLiteral("54.55"));
    EXPECT_EQ(text->text(3, 5), QStringLiteral("55"));
    EXPECT_EQ(text->text(4, 2), QString());
}

TEST(AccessibleNames, LabelsNameTheirControlsAndButtonsFollowTheirText)
{
    QWidget window;
    auto *listLabel = new QLabel(QStringLiteral("控制 方式"), &window);
    auto *list = new QComboBox(&window);
    list->setEditable(true);
    list->addItems({QStringLiteral("遥控"), QStringLiteral("自控")});
    rdwidgets::LabelFor(listLabel, list);
    EXPECT_EQ(listLabel->buddy(), list);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("控制方式"));
    // The edit takes the focus, so it carries the name too.
    EXPECT_EQ(Node(list->lineEdit())->text(QAccessible::Name), QStringLiteral("控制方式"));

    auto *editLabel = new QLabel(QStringLiteral("COM："), &window);
    auto *edit = new QLineEdit(&window);
    rdwidgets::LabelFor(editLabel, edit, rdwidgets::CaptionName(QStringLiteral("串口 选择"), QStringLiteral("COM：")));
    EXPECT_EQ(Node(edit)->text(QAccessible::Name), QStringLiteral("串口选择 COM："));

    auto *button = new QPushButton(&window);
    rdwidgets::SetCaption(button, QStringLiteral("运行"));
    rdwidgets::SetCaption(button, QStringLiteral("停止"));
    EXPECT_EQ(Node(button)->text(QAccessible::Name), QStringLiteral("停止"));
    EXPECT_EQ(button->accessibleName(), button->text());
}

TEST(AccessibleNames, BlanksGoInChineseAndStayBetweenLatinWords)
{
    const struct { const char *group; const char *caption; const char *name; } cases[] = {
        {"", "相 电 压", "相电压"},
        {"", "退    出", "退出"},
        {"", "Slave address", "Slave address"},
        {"", "Change  slave address", "Change slave address"},
        {"继电器OUT1", "启动值", "继电器OUT1 启动值"},
        {"Relay OUT1", "Operate value", "Relay OUT1 Operate value"},
        {"串口 选择", "COM：", "串口选择 COM："},
        {"", "计数 DI1", "计数DI1"},
        {"", " Total ", "Total"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rdwidgets::CaptionName(QString::fromUtf8(c.group), QString::fromUtf8(c.caption)),
                  QString::fromUtf8(c.name)) << c.caption;
}

TEST(ReadOnlyShade, FollowsTheReadOnlyStateOfEveryBox)
{
    QWidget window;
    QPalette palette = window.palette();
    const QColor shade(181, 240, 249);
    palette.setColor(QPalette::Window, shade);
    palette.setColor(QPalette::Base, Qt::white);
    window.setPalette(palette);
    auto *edit = new QLineEdit(&window);
    edit->setReadOnly(true);
    auto *status = new QPlainTextEdit(&window);
    status->setReadOnly(true);
    auto *typed = new QLineEdit(&window);
    auto *list = new QComboBox(&window);
    list->setEditable(true);
    rdwidgets::ShadeReadOnlyBoxes(&window);

    EXPECT_EQ(edit->palette().color(QPalette::Base), shade);
    EXPECT_EQ(status->palette().color(QPalette::Base), shade);
    EXPECT_EQ(typed->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(list->lineEdit()->palette().color(QPalette::Base), QColor(Qt::white));
    edit->setReadOnly(false);
    status->setReadOnly(false);
    typed->setReadOnly(true);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(status->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(typed->palette().color(QPalette::Base), shade);
    edit->setReadOnly(true);
    EXPECT_EQ(edit->palette().color(QPalette::Base), shade);
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(Qt::black));
}

// The caret stops blinking as a desktop's does, and blinks again at the next key,
// click or change of focus; what is not input leaves it still. Gone, it leaves the
// desktop's blink as it found it.
TEST(CaretRest, BlinksAgainAtInputOnly)
{
    QStyleHints *hints = QGuiApplication::styleHints();
    const int desktop = hints->cursorFlashTime();
    ASSERT_GT(desktop, 0);
    QWidget window;
    auto *box = new QLineEdit(&window);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    window.show();
    const std::pair<const char *, std::function<void()>> inputs[] = {
        {"key", [&] { QTest::keyClick(box, Qt::Key_A); }},
        {"click", [&] { QTest::mouseClick(box, Qt::LeftButton); }},
        {"focus", [&] {
             QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
             QCoreApplication::sendEvent(other, &in);
         }},
    };
    const std::pair<const char *, std::function<void()>> others[] = {
        {"repaint", [&] { box->repaint(); }},
        {"text set by the program", [&] { box->setText(QStringLiteral("230.15 V")); }},
        {"mouse moving over", [&] {
             QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
             QCoreApplication::sendEvent(box, &move);
         }},
    };
    {
        rdwidgets::CaretRest caret(nullptr, std::chrono::hours(1));
        for (const auto &[what, send] : inputs) {
            caret.rest();
            ASSERT_EQ(hints->cursorFlashTime(), 0) << what;
            send();
            EXPECT_EQ(hints->cursorFlashTime(), desktop) << what;
            EXPECT_FALSE(caret.resting()) << what;
        }
        for (const auto &[what, send] : others) {
            caret.rest();
            send();
            EXPECT_EQ(hints->cursorFlashTime(), 0) << what;
        }
    }
    EXPECT_EQ(hints->cursorFlashTime(), desktop);
}

// A frame from the cache is the style's own drawing in every look a box takes
// (read-only shade, writable, focused, disabled) and in none it had before: a
// box drawn by the style beside one drawn from the cache, in the same state.
TEST(FrameCache, FramesAreTheStylesOwnInEveryState)
{
    ASSERT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    QWidget window;
    window.resize(300, 100);
    auto *drawn = new QLineEdit(&window);
    drawn->setGeometry(10, 10, 110, 22);
    auto *holder = new QWidget(&window);
    holder->setGeometry(150, 10, 130, 40);
    auto *cached = new QLineEdit(holder);
    cached->setGeometry(0, 0, 110, 22);
    auto *button = new QPushButton(QStringLiteral("确定"), &window);
    button->move(10, 60);
    rdwidgets::ShadeReadOnlyBoxes(&window);
    rdwidgets::CacheLineEditFrames(holder);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button->setFocus();

    // The largest difference of a colour channel between the two boxes' pixels.
    const auto apart = [](const QImage &a, const QImage &b) {
        int most = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                 std::abs(qBlue(p) - qBlue(q))});
            }
        return most;
    };
    const std::pair<const char *, std::function<void(QLineEdit *)>> states[] = {
        {"writable", [](QLineEdit *b) { b->setReadOnly(false); }},
        {"focused", [](QLineEdit *b) { b->setFocus(); }},
        {"read-only", [button](QLineEdit *b) { button->setFocus(); b->setReadOnly(true); }},
        {"disabled", [](QLineEdit *b) { b->setEnabled(false); }},
        {"enabled and focused again", [](QLineEdit *b) { b->setEnabled(true); b->setReadOnly(false); b->setFocus(); }},
        {"unfocused again", [button](QLineEdit *) { button->setFocus(); }},
    };
    std::map<std::string, QImage> seen;
    for (const auto &[what, apply] : states) {
        apply(drawn);
        const QImage expected = drawn->grab().toImage();
        apply(cached);
        const QImage got = cached->grab().toImage();
        ASSERT_EQ(got.size(), expected.size()) << what;
        // Antialiased edges composed in two steps: within 2 levels in 255.
        EXPECT_LE(apart(got, expected), 2) << what;
        seen[what] = got;
    }
    // The focus outline is there and goes again: the cache kept the two apart.
    EXPECT_GT(apart(seen["focused"], seen["writable"]), 2);
    EXPECT_LE(apart(seen["unfocused again"], seen["writable"]), 2);
}

} // namespace
