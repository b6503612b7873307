// Every window and dialog of RD5800 and nolvex, walked through its accessibility
// tree the way a screen reader walks it. A walk fails on a focusable control
// without a name, a box, list or label whose value cannot be read, a button whose
// name is not its visible text, and radio buttons reported as check boxes.
#include "FakeSerialPort.h"
#include "ModuleBench.h"
#include "RegisterBytes.h"
#include "meter/dialogs/CommSetDlg.h"
#include "ScriptedPrompter.h"
#include "meter/dialogs/AddrDlg.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/mainwnd/HelpDlg.h"
#include "meter/mainwnd/MeterDlg.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

QString Where(QAccessibleInterface *node)
{
    QObject *object = node->object();
    QObject *parent = object ? object->parent() : nullptr;
    return QStringLiteral("%1 \"%2\" in %3")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"),
             node->text(QAccessible::Name),
             parent ? QString::fromLatin1(parent->metaObject()->className()) : QStringLiteral("-"));
}

// What a screen reader on Linux announces as a list's name: its label relation
// (the bridge takes a combo box's own name from its current item).
QString LabelledBy(QAccessibleInterface *node)
{
    for (const auto &relation : node->relations(QAccessible::Label)) {
        const QString label = relation.first->text(QAccessible::Name);
        if (!label.trimmed().isEmpty())
            return label;
    }
    return QString();
}

bool TextReads(QAccessibleInterface *node, const QString &shown)
{
    QAccessibleTextInterface *text = node->textInterface();
    return node->text(QAccessible::Value) == shown ||
           (text && text->text(0, text->characterCount()) == shown);
}

void Walk(QAccessibleInterface *node, QStringList &faults)
{
    const QAccessible::State state = node->state();
    if (state.invisible)
        return;
    QObject *object = node->object();
    const QAccessible::Role role = node->role();
    const QString name = node->text(QAccessible::Name);

    if (state.focusable) {
        const QString heard = role == QAccessible::ComboBox ? LabelledBy(node) : name;
        if (heard.trimmed().isEmpty())
            faults << QStringLiteral("focusable without a name: ") + Where(node);
    }
    if (auto *edit = qobject_cast<QLineEdit *>(object)) {
        if (!TextReads(node, edit->text()))
            faults << QStringLiteral("box value not exposed: ") + Where(node);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(object)) {
        if (!TextReads(node, text->toPlainText()))
            faults << QStringLiteral("text value not exposed: ") + Where(node);
    } else if (auto *combo = qobject_cast<QComboBox *>(object)) {
        if (node->text(QAccessible::Value) != combo->currentText())
            faults << QStringLiteral("list value not exposed: ") + Where(node);
    } else if (auto *label = qobject_cast<QLabel *>(object)) {
        // A label is readable by its name when the name is its text; a label named
        // after a caption must give its text as its value.
        const QString shown = label->text();
        if (!shown.isEmpty() && name != shown && !TextReads(node, shown))
            faults << QStringLiteral("label value hidden: ") + Where(node) + QStringLiteral(" shows ") + shown;
    } else if (auto *button = qobject_cast<QAbstractButton *>(object)) {
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        if (name != text)
            faults << QStringLiteral("button named differently from its text: ") + Where(node) +
                          QStringLiteral(" shows ") + text;
        if (qobject_cast<QRadioButton *>(object) && role != QAccessible::RadioButton)
            faults << QStringLiteral("radio button reported as role %1: ").arg(int(role)) + Where(node);
    }
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface *child = node->child(i))
            Walk(child, faults);
}

void ExpectReadable(QWidget &window)
{
    window.show();
    QStringList faults;
    Walk(QAccessible::queryAccessibleInterface(&window), faults);
    EXPECT_TRUE(faults.isEmpty()) << window.windowTitle().toStdString() << ":\n  "
                                  << faults.join(QStringLiteral("\n  ")).toStdString();
}

TEST(WindowAccessibility, MainWindowWhilePolling)
{
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    rdtest::MeterRegisters meter;
    meter.address = 1;
    meter.regs[0x0000] = 2200;
    meter.regs[0x0300] = 1;
    meter.regs[0x0306] = 80;
    meter.regs[0x0307] = 1;
    meter.regs[0x0308] = 1;
    port.responder = [&](const QByteArray &request) {
        return std::vector<rdtest::Chunk>{{meter.Answer(request), 10}};
    };
    ScriptedPrompter prompter;
    CMeterDlg window(port, clock, prompter);
    window.setLineSettings(9600, rdlink::Parity::None, 1);
    window.OnInitDialog();
    window.waitForLine();
    ExpectReadable(window);   // stopped, before any reading

    window.panel().slaveAddress->setText(QStringLiteral("1"));
    window.panel().runStop->click();
    window.waitForLine();
    window.onPollTick();
    window.waitForLine();
    ASSERT_EQ(window.panel().successRate->text(), QStringLiteral("100.00"));
    ExpectReadable(window);   // "停止" shown, values in every box
    window.panel().pulseModify->click();
    ExpectReadable(window);   // the pulse width being edited
}

TEST(WindowAccessibility, MainProgramDialogs)
{
    ScriptedPrompter prompter;
    CCommSetDlg settings;
    settings.m_commPort = 1;
    settings.loadFields();
    ExpectReadable(settings);

    CMeterSetDlg meterSettings(prompter);
    meterSettings.m_ptRatio = 100;
    meterSettings.m_ctRatio = 5;
    meterSettings.m_wiringMode = 3;
    meterSettings.loadFields();
    ExpectReadable(meterSettings);

    CAddrDlg address(prompter);
    address.loadFields();
    ExpectReadable(address);

    CHelpDlg notes;
    ExpectReadable(notes);
}

TEST(WindowAccessibility, ModuleProgramWindows)
{
    rdtest::ModuleBench bench;
    auto &r = bench.instrument.regs;
    r[0x0100] = 0x15;   // relay module 1#, analog output module 1#, energy pulse module
    r[0x0307] = 1;
    r[0x0308] = 1;
    const uint16_t relay[12] = {1, 2400, 2200, 5, 3, 0, 33, 0xF63C, 0xFC18, 10, 10, 0};
    for (int k = 0; k < 12; ++k)
        r[uint16_t(0x0311 + k)] = relay[k];
    const uint16_t analog[6] = {0, 3000, 0, 27, 5500, 4500};
    for (int k = 0; k < 6; ++k)
        r[uint16_t(0x0337 + k)] = analog[k];
    r[0x0335] = 2;
    r[0x0336] = 5;

    rdmod::CModuleSetDlg main(bench.context);
    main.show();
    main.OnInitDialog();
    bench.Settle();
    ASSERT_NE(main.pulseWindow(), nullptr);
    ASSERT_NE(main.analogWindow(), nullptr);
    ExpectReadable(main);
    ExpectReadable(*main.analogWindow());
    ExpectReadable(*main.pulseWindow());
}

} // namespace
