#include "ParserErrors.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace rdcmdline {

QString InOwnWords(const QString &parserError)
{
    // The four texts of QCommandLineParser (Qt 5 and 6); the parser leaves the
    // dashes off an unknown option's name, the user typed them.
    static const QRegularExpression unknown(QStringLiteral("^Unknown option '(.*)'\\.$"));
    static const QRegularExpression unknowns(QStringLiteral("^Unknown options: (.*)\\.$"));
    static const QRegularExpression missing(QStringLiteral("^Missing value after '(.*)'\\.$"));
    static const QRegularExpression unexpected(QStringLiteral("^Unexpected value after '(.*)'\\.$"));
    QRegularExpressionMatch m;
    if ((m = unknown.match(parserError)).hasMatch())
        return QCoreApplication::translate("ParserErrors", "未知选项 --%1").arg(m.captured(1));
    if ((m = unknowns.match(parserError)).hasMatch()) {
        QStringList names = m.captured(1).split(QStringLiteral(", "));
        for (QString &name : names)
            name.prepend(QStringLiteral("--"));
        return QCoreApplication::translate("ParserErrors", "未知选项 %1").arg(names.join(QStringLiteral(", ")));
    }
    if ((m = missing.match(parserError)).hasMatch())
        return QCoreApplication::translate("ParserErrors", "%1 后面缺少值").arg(m.captured(1));
    if ((m = unexpected.match(parserError)).hasMatch())
        return QCoreApplication::translate("ParserErrors", "%1 不带值").arg(m.captured(1));
    return parserError;
}

} // namespace rdcmdline
