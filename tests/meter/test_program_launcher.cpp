// Where RD5800 finds the module program: its own folder first (after an install,
// nolvex lies beside it in bin/), then the current folder, then PATH. Files that
// are not executable do not count.
#include "meter/mainwnd/ProgramLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Place(const QString &dir, bool executable)
{
    QFile file(QDir(dir).filePath(QStringLiteral("nolvex")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        p |= QFile::ExeOwner;
    ASSERT_TRUE(file.setPermissions(p));
}

TEST(ProgramLauncher, OwnFolderThenCurrentFolderThenPath)
{
    // Which folders hold a program called nolvex (x = executable, r = plain file),
    // and which folder the search must name.
    const struct {
        const char *app, *current, *path;
        const char *found;   // "app", "current", "path" or "" for none
    } cases[] = {
        {"x", "x", "x", "app"},     {"", "x", "x", "current"}, {"", "", "x", "path"},
        {"r", "x", "", "current"},  {"r", "r", "x", "path"},   {"r", "r", "r", ""},
        {"", "", "", ""},
    };
    const QByteArray oldPath = qgetenv("PATH");
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.app) + "/" + c.current + "/" + c.path);
        QTemporaryDir app, current, path;
        ASSERT_TRUE(app.isValid() && current.isValid() && path.isValid());
        const std::pair<const char *, const QTemporaryDir *> places[] = {{c.app, &app}, {c.current, &current},
                                                                         {c.path, &path}};
        for (const auto &[what, dir] : places)
            if (*what)
                Place(dir->path(), what[0] == 'x');
        qputenv("PATH", path.path().toLocal8Bit());
        const QString found = LocateProgram(QStringLiteral("nolvex"), app.path(), current.path());
        const QString expected = std::string(c.found) == "app"       ? app.filePath(QStringLiteral("nolvex"))
                                 : std::string(c.found) == "current" ? current.filePath(QStringLiteral("nolvex"))
                                 : std::string(c.found) == "path"    ? path.filePath(QStringLiteral("nolvex"))
                                                                     : QString();
        EXPECT_EQ(QFileInfo(found).absoluteFilePath(), expected.isEmpty() ? QString() : QFileInfo(expected).absoluteFilePath());
        EXPECT_EQ(found.isEmpty(), expected.isEmpty());
    }
    qputenv("PATH", oldPath);
}

} // namespace
