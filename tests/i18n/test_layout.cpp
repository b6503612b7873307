// Every visible text fits its widget, in Chinese and in English: for the main window,
// its settings dialogs, the usage notes, the line monitor, the trend window, the
// wiring check and the three nolvex windows, each label's,
// button's and group title's size hint is compared with the widget's geometry.
// Buttons are named by their translated captions; in English no text is left in Chinese.
// With I18N_SHOTS_DIR set, the windows are also saved as PNG (docs/ screenshots).
#include "ModuleBench.h"
#include "common/traffic/TrafficWindow.h"
#include "common/widgets/AccessibleNames.h"
#include "meter/dialogs/CommSetDlg.h"
#include "meter/app/MeterApp.h"
#include "meter/dialogs/AddrDlg.h"
#include "meter/dialogs/MeterSetDlg.h"
#include "meter/mainwnd/HelpDlg.h"
#include "meter/mainwnd/MeterDlg.h"
#include "meter/recording/ReadingHistory.h"
#include "meter/trends/TrendDlg.h"
#include "meter/wiring/WiringDlg.h"
#include "modules/windows/CModuleSetDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTranslator>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// The texts of `window` that do not fit, as "class 'text': needs WxH, has WxH".
QStringList Clipped(QWidget *window)
{
    QStringList out;
    const auto report = [&](QWidget *w, const QString &text, QSize need) {
        if (need.width() > w->width() || need.height() > w->height())
            out << QStringLiteral("%1 '%2': needs %3x%4, has %5x%6")
                       .arg(QString::fromLatin1(w->metaObject()->className()), text)
                       .arg(need.width()).arg(need.height()).arg(w->width()).arg(w->height());
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull())
                continue;
            report(w, label->text(), label->minimumSizeHint().expandedTo(
                                          label->fontMetrics().size(Qt::TextSingleLine, label->text())));
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (!button->text().isEmpty())
                report(w, button->text(), button->sizeHint().boundedTo(QSize(100000, w->height())));
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            // The title is drawn from a small indent on: its advance must fit the frame.
            const int need = group->fontMetrics().horizontalAdvance(group->title()) + 12;
            report(w, group->title(), QSize(need, 0));
        }
    }
    return out;
}

// The texts of `window` still in Chinese: its title, labels, buttons, group titles,
// list items and accessible names.
QStringList Chinese(QWidget *window)
{
    const auto chinese = [](const QString &t) {
        return std::any_of(t.begin(), t.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
    };
    QStringList texts{window->windowTitle()};
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        texts << w->accessibleName();
        if (auto *label = qobject_cast<QLabel *>(w))
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            texts << button->text();
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            texts << group->title();
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
    }
    QStringList out;
    for (const QString &t : texts)
        if (chinese(t))
            out << t;
    return out;
}

void Shot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("I18N_SHOTS_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png"))));
    }
}

class Layout : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        CMeterApp::ApplyDialogFont(*qApp);
        m_lang = QString::fromLatin1(GetParam());
        if (m_lang == QLatin1String("en")) {
            m_translator = std::make_unique<QTranslator>();
            ASSERT_TRUE(m_translator->load(QStringLiteral(":/i18n/rd5800_en.qm")));
            QCoreApplication::installTranslator(m_translator.get());
        }
    }
    void TearDown() override
    {
        if (m_translator)
            QCoreApplication::removeTranslator(m_translator.get());
    }
    // Checks `w` shown, and saves it as "<name>-<lang>.png" when asked.
    void Check(QWidget *w, const char *name)
    {
        w->show();
        QApplication::processEvents();
        const QStringList clipped = Clipped(w);
        EXPECT_TRUE(clipped.isEmpty()) << name << " (" << m_lang.toStdString() << "):\n  "
                                       << clipped.join(QStringLiteral("\n  ")).toStdString();
        if (m_lang == QLatin1String("en")) {
            const QStringList left = Chinese(w);
            EXPECT_TRUE(left.isEmpty()) << name << ": untranslated: " << left.join(QStringLiteral(" | ")).toStdString();
        }
        // Names follow the visible, translated texts: a button is named by its caption
        // (as shown or without blanks), or has no name of its own and is read by its text.
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (!b->isVisibleTo(w) || b->text().isEmpty())
                continue;
            const QString n = b->accessibleName();
            EXPECT_TRUE(n.isEmpty() || n == b->text() || n == rdwidgets::CaptionName(QString(), b->text()))
                << name << " (" << m_lang.toStdString() << "): '" << n.toStdString() << "' for '"
                << b->text().toStdString() << "'";
        }
        Shot(w, QString::fromLatin1(name) + QLatin1Char('-') + m_lang);
    }
    QString m_lang;
    std::unique_ptr<QTranslator> m_translator;
};

TEST_P(Layout, MainWindowAndDialogs)
{
    rdtest::FakeClock clock;
    rdtest::FakeSerialPort port(clock);
    ScriptedPrompter prompter;
    CMeterDlg window(port, clock, prompter);
    window.setLineSettings(9600, rdlink::Parity::None, 1);
    window.OnInitDialog();
    Check(&window, "meter-window");
    window.openOverview();
    window.overviewWindow()->model().addMeter(1);
    window.overviewWindow()->model().addMeter(2);
    Check(window.overviewWindow(), "overview");
    window.openProfile();
    Check(window.profileWindow(), "profile");

    CCommSetDlg settings;
    settings.m_commPort = 1;
    settings.loadFields();
    Check(&settings, "comm-settings");
    // A gateway URL is longer than the device label: it is shortened to fit.
    qputenv("RD5800_COM2", "modbus-tcp://192.168.100.200:502");
    CCommSetDlg gateway;
    gateway.m_commPort = 2;
    gateway.loadFields();
    Check(&gateway, "comm-settings-gateway");
    qunsetenv("RD5800_COM2");
    CMeterSetDlg meterSettings(prompter);
    Check(&meterSettings, "meter-settings");
    CAddrDlg address(prompter);
    Check(&address, "address");
    CHelpDlg notes;
    Check(&notes, "usage-notes");
    rdtraffic::TrafficWindow traffic;
    Check(&traffic, "traffic");
    rdrec::ReadingHistory history;
    TrendDlg trends(history);
    Check(&trends, "trends");
    WiringDlg wiring;
    Check(&wiring, "wiring");
}

TEST_P(Layout, ModuleWindows)
{
    rdtest::ModuleBench bench;
    bench.instrument.regs[0x0100] = 0x15;
    rdmod::CModuleSetDlg dialog(bench.context);
    dialog.show();
    dialog.OnInitDialog();
    bench.Settle();
    Check(&dialog, "nolvex-relay");
    ASSERT_NE(dialog.analogWindow(), nullptr);
    ASSERT_NE(dialog.pulseWindow(), nullptr);
    Check(dialog.analogWindow(), "nolvex-analog");
    Check(dialog.pulseWindow(), "nolvex-pulse");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, Layout, ::testing::Values("zh", "en"));

} // namespace
