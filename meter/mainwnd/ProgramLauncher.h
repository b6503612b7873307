// Starting the module parameter program: found in the program's own directory
// first, then in the current directory, then on PATH, and started detached.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The path of `name` in appDir, else in currentDir, else on PATH; empty when none.
QString LocateProgram(const QString &name, const QString &appDir, const QString &currentDir);

// Starts a program with its arguments without waiting for it; returns false when
// it could not start.
using DetachedStarter = std::function<bool(const QString &path, const QStringList &arguments)>;
bool StartDetached(const QString &path, const QStringList &arguments = {});
