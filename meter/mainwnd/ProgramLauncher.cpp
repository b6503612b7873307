#include "ProgramLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString ExecutableIn(const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return QString();
#ifdef Q_OS_WIN
    const QFileInfo info(QDir(dir).filePath(name + QStringLiteral(".exe")));
#else
    const QFileInfo info(QDir(dir).filePath(name));
#endif
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

} // namespace

QString LocateProgram(const QString &name, const QString &appDir, const QString &currentDir)
{
    for (const QString &dir : {appDir, currentDir}) {
        const QString path = ExecutableIn(dir, name);
        if (!path.isEmpty())
            return path;
    }
    return QStandardPaths::findExecutable(name);
}

bool StartDetached(const QString &path, const QStringList &arguments)
{
    return QProcess::startDetached(path, arguments);
}
