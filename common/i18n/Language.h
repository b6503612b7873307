// The language of both programs' windows and messages: chosen once at start,
// before any window exists, from --lang or the system's locale.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace rdi18n {

enum class Language { Chinese, English };

// "zh" or "en" as given to --lang; nothing for any other text.
std::optional<Language> ParseLanguage(const QString &code);

// The choice without --lang. `localeVariable` is the first set one of LC_ALL,
// LC_MESSAGES and LANG (empty when none is set); `firstUiLanguage` the system's
// first UI language (e.g. "zh-CN", "en-US"). An unset or C/POSIX locale stays
// Chinese, so that scripts and today's users see nothing change.
Language SystemLanguage(const QString &localeVariable, const QString &firstUiLanguage);

// The same, read from this process's environment and QLocale::system().
Language SystemLanguage();

// --lang's choice when it names a language, otherwise the system's.
Language ChosenLanguage(const QString &langArgument);

// The value of "--lang X" or "--lang=X" in a raw argument list; empty when absent.
QString LangArgument(const QStringList &arguments);

// Installs the translators for `language` into the running QCoreApplication: the
// programs' own English texts (embedded), and Qt's own dialogs and buttons in the
// same language. Chinese needs no translation of the programs' texts, which are
// written in Chinese. Returns false when the embedded English file is missing.
bool InstallLanguage(Language language);

} // namespace rdi18n
