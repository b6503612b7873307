// The interface language: the choice from --lang and the locale, the --lang option of
// RD5800, and the embedded English translation taking over the programs' texts.
#include "common/i18n/Language.h"
#include "meter/app/MeterOptions.h"

#include <QCoreApplication>
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
