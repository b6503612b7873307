// Choosing and installing the interface language; see Language.h.
#include "Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace rdi18n {

std::optional<Language> ParseLanguage(const QString &code)
{
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("zh"))
        return Language::Chinese;
    if (c == QLatin1String("en"))
        return Language::English;
    return std::nullopt;
}

Language SystemLanguage(const QString &localeVariable, const QString &firstUiLanguage)
{
    // "C", "POSIX", "C.UTF-8" and the like: no language was chosen.
    const QString name = localeVariable.section(QLatin1Char('.'), 0, 0);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return Language::Chinese;
    if (firstUiLanguage.startsWith(QLatin1String("zh"), Qt::CaseInsensitive))
        return Language::Chinese;
    return Language::English;
}

Language SystemLanguage()
{
    QString variable;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        variable = qEnvironmentVariable(name);
        if (!variable.isEmpty())
            break;
    }
    const QStringList ui = QLocale::system().uiLanguages();
    return SystemLanguage(variable, ui.isEmpty() ? QString() : ui.first());
}

Language ChosenLanguage(const QString &langArgument)
{
    return ParseLanguage(langArgument).value_or(SystemLanguage());
}

QString LangArgument(const QStringList &arguments)
{
    const QString option = QStringLiteral("--lang");
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == option)
            return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (arguments[i].startsWith(option + QLatin1Char('=')))
            return arguments[i].mid(option.size() + 1);
    }
    return {};
}

bool InstallLanguage(Language language)
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return false;
    // Qt's own buttons and dialogs (Cancel, Save, file dialogs) in the same language;
    // a missing Qt translation leaves them in English, which is only cosmetic.
    auto *qtbase = new QTranslator(app);
    const QString qtName = language == Language::Chinese ? QStringLiteral("qtbase_zh_CN")
                                                         : QStringLiteral("qtbase_en");
    if (qtbase->load(qtName, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtbase);
    else
        delete qtbase;
    if (language == Language::Chinese)
        return true;
    auto *own = new QTranslator(app);
    if (!own->load(QStringLiteral(":/i18n/rd5800_en.qm"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    return true;
}

} // namespace rdi18n
