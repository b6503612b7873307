// Qt's command-line parser words its mistakes in English only ("Unknown option
// 'adress'."). This puts them in the program's own words, in the language the
// program runs in; any other text is returned as it is.
#pragma once

#include <QString>

namespace rdcmdline {

QString InOwnWords(const QString &parserError);

} // namespace rdcmdline
