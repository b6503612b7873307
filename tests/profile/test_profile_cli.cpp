// rd5800-profile's exit codes against rd5800-sim: read, diff (0 same, 1 differs,
// 3 no meter), apply (0 applied and verified, 1 failed or declined, 2 bad input),
// and nothing on the line for a bad profile or a declined apply.
#include "ProfileRig.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int code = -1;
    QString out, err;
};

CliRun Profile(const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    p.start(QStringLiteral(RD_PROFILE_PROGRAM), args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void Edit(const QString &path, const char *key, const QJsonValue &value)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    root.insert(QLatin1String(key), value);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(root).toJson());
}

} // namespace

TEST(ProfileCli, ExitCodesTellScriptsWhatHappened)
{
    simtest::SimProcess sim({"--freeze", "--addresses", "1,2", "--refuse-write", "0x0308@2"});
    ASSERT_TRUE(sim.started());
    const QString port = QString::fromStdString(sim.device());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("panel.json"));
    const QStringList at1 = {QStringLiteral("--port"), port, QStringLiteral("--address"), QStringLiteral("1")};

    CliRun r = Profile(QStringList{QStringLiteral("read")} + at1 + QStringList{QStringLiteral("-o"), file});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = Profile(QStringList{QStringLiteral("diff"), file} + at1);
    EXPECT_EQ(r.code, 0) << r.err.toStdString();

    Edit(file, "ct", 50);
    r = Profile(QStringList{QStringLiteral("diff"), file} + at1);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("CT\t50\t1\t不同"))) << r.out.toStdString();
    r = Profile({QStringLiteral("diff"), file, QStringLiteral("--port"), port, QStringLiteral("--address"), QStringLiteral("9")});
    EXPECT_EQ(r.code, 3);

    // Declined on the terminal: nothing written.
    const size_t before = sim.logLines("rx").size();
    r = Profile(QStringList{QStringLiteral("apply"), file} + at1, "n\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("CT: 1 -> 50"))) << r.out.toStdString();
    const auto rx = sim.logLines("rx");
    for (size_t i = before; i < rx.size(); ++i)
        EXPECT_NE(rx[i].bytes.at(1), 6) << rx[i].meaning;

    r = Profile(QStringList{QStringLiteral("apply"), file} + at1 + QStringList{QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    r = Profile(QStringList{QStringLiteral("diff"), file} + at1);
    EXPECT_EQ(r.code, 0);

    // Meter 2 refuses CT: applied with --new-address it fails and stays at 2.
    r = Profile({QStringLiteral("apply"), file, QStringLiteral("--port"), port, QStringLiteral("--address"),
                 QStringLiteral("2"), QStringLiteral("--new-address"), QStringLiteral("3"), QStringLiteral("--yes")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("地址 2, 9600,N,8,1"))) << r.err.toStdString();

    // Bad input: a bad value in the file (nothing sent), a bad option, no command.
    Edit(file, "pt", 0);
    const size_t quiet = sim.logLines("rx").size();
    r = Profile(QStringList{QStringLiteral("apply"), file, QStringLiteral("--yes")} + at1);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("PT: "))) << r.err.toStdString();
    EXPECT_EQ(sim.logLines("rx").size(), quiet);
    EXPECT_EQ(Profile(QStringList{QStringLiteral("read"), QStringLiteral("--baud"), QStringLiteral("9601")} + at1).code, 2);
    EXPECT_EQ(Profile(at1).code, 2);
}
