// The interface language: the choice from --lang and the locale, the --lang option of
// RD5800, and the embedded English translation taking over the programs' texts.
#include "common/i18n/Language.h"
#include "meter/app/MeterOptions.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTranslator>
#include <gtest/gtest.h>

using rdi18n::Language;

TEST(Language, SystemChoice)
{
    const struct { const char *variable; const char *ui; Language expected; } cases[] = {
        {"", "en-US", Language::Chinese},          // nothing set: today's behaviour
        {"C", "en-US", Language::Chinese},
        {"C.UTF-8", "en-US", Language::Chinese},
        {"POSIX", "en-US", Language::Chinese},
        {"zh_CN.UTF-8", "zh-CN", Language::Chinese},
        {"zh_TW.UTF-8", "zh-TW", Language::Chinese},
        {"en_US.UTF-8", "en-US", Language::English},
        {"de_DE.UTF-8", "de-DE", Language::English},
        {"fr_FR", "fr", Language::English},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rdi18n::SystemLanguage(QString::fromLatin1(c.variable), QString::fromLatin1(c.ui)),
                  c.expected) << c.variable << " / " << c.ui;
}

TEST(Language, OptionDecidesOutright)
{
    EXPECT_EQ(rdi18n::ParseLanguage(QStringLiteral("zh")), Language::Chinese);
    EXPECT_EQ(rdi18n::ParseLanguage(QStringLiteral("en")), Language::English);
    EXPECT_FALSE(rdi18n::ParseLanguage(QStringLiteral("de")).has_value());
    EXPECT_FALSE(rdi18n::ParseLanguage(QString()).has_value());
    EXPECT_EQ(rdi18n::ChosenLanguage(QStringLiteral("en")), Language::English);
    EXPECT_EQ(rdi18n::ChosenLanguage(QStringLiteral("zh")), Language::Chinese);

    const struct { QStringList args; const char *value; } cases[] = {
        {{"prog"}, ""},
        {{"prog", "--lang", "en"}, "en"},
        {{"prog", "--record", "a.csv", "--lang=zh"}, "zh"},
        {{"prog", "--lang"}, ""},
        {{"--lang", "en"}, ""},   // the program's own name is never an option
    };
    for (const auto &c : cases)
        EXPECT_EQ(rdi18n::LangArgument(c.args), QString::fromLatin1(c.value)) << c.args.join(' ').toStdString();
}

TEST(Language, MeterOptionsTakeLang)
{
    const struct { QStringList args; const char *language; bool error; } cases[] = {
        {{"--lang", "en"}, "en", false},
        {{"--lang=zh", "--record", "x.csv"}, "zh", false},
        {{"--lang", "de"}, "de", true},
        {{"--lang"}, "", true},
    };
    for (const auto &c : cases) {
        const MeterOptions o = ParseMeterOptions(QStringList{QStringLiteral("RD5800")} + c.args);
        EXPECT_EQ(o.language, QString::fromLatin1(c.language)) << c.args.join(' ').toStdString();
        EXPECT_EQ(!o.error.isEmpty(), c.error) << c.args.join(' ').toStdString();
    }
    EXPECT_TRUE(MeterHelpText().contains(QStringLiteral("--lang zh|en")));
}

TEST(Language, CommandLineMistakesAreWordedInTheChosenLanguage)
{
    // Qt's parser says its mistakes in English; the program says them in its language.
    const struct {
        QStringList args;
        const char *chinese;
        const char *english;
    } cases[] = {
        {{"--adress", "1"}, "未知选项 --adress", "Unknown option --adress"},
        {{"--port"}, "--port 后面缺少值", "Missing value after --port"},
        {{"--run=1", "--address", "1"}, "--run 不带值", "--run takes no value"},
        {{"--baud", "7"}, "--baud 只接受 1200, 2400, 4800, 9600 或 19200", nullptr},
        {{"--port", "COM3"}, "--port COM3 是 Windows 的串口名; 这里请给设备名, 例如 --port /dev/ttyUSB0, 或用环境变量 RD5800_COM1=/dev/ttyUSB0 指定 1 号串口的设备", nullptr},
    };
    // Chinese first, before any translation is installed: Qt's parser speaks
    // English then, as when the system has no Qt translation of its own.
    const QRegularExpression chineseText(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    for (const Language language : {Language::Chinese, Language::English}) {
        if (language == Language::English)
            ASSERT_TRUE(rdi18n::InstallLanguage(language));
        for (const auto &c : cases) {
            SCOPED_TRACE(c.args.join(' ').toStdString());
            const QString error = ParseMeterOptions(QStringList{QStringLiteral("RD5800")} + c.args).error;
            if (language == Language::Chinese) {
                EXPECT_EQ(error, QString::fromUtf8(c.chinese));
                continue;
            }
            EXPECT_FALSE(error.contains(chineseText)) << error.toStdString();
            if (c.english)
                EXPECT_EQ(error, QString::fromUtf8(c.english));
        }
    }
    // The next tests start without a translation again.
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST(Language, EnglishIsEmbeddedAndChineseStaysSource)
{
    // Chinese installs no translation of the programs' own texts.
    ASSERT_TRUE(rdi18n::InstallLanguage(Language::Chinese));
    EXPECT_EQ(QCoreApplication::translate("MeterDlg", "运行"), QStringLiteral("运行"));

    ASSERT_TRUE(rdi18n::InstallLanguage(Language::English));
    const struct { const char *context; const char *source; const char *english; } cases[] = {
        {"MeterDlg", "运行", "Run"},
        {"MeterDlg", "停止", "Stop"},
        {"MeterPanel", "通讯设置", "Communication settings"},
        {"ExtrasBar", "通讯监视", "Line monitor"},
        {"RecordingControls", "停止记录", "Stop recording"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QCoreApplication::translate(c.context, c.source), QString::fromUtf8(c.english)) << c.source;
    EXPECT_TRUE(MeterHelpText().startsWith(QStringLiteral("Usage: RD5800")));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
