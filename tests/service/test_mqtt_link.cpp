// MqttLink against real sockets on loopback: a listener that accepts and never
// answers CONNECT (stopping and destroying the link while the connect hangs,
// many times in a row, ends cleanly and reports nothing after the stop), a port
// nobody listens on, a mosquitto reached by its name and one that refuses the
// user.
#include "ServiceRig.h"
#include "service/MqttLink.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using rdsvc::MqttLink;
using rdsvc::MqttSettings;

namespace {

MqttSettings Silent(quint16 port)
{
    MqttSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.clientId = QStringLiteral("rd5800d-test");
    s.statusTopic = QStringLiteral("t/status");
    s.connectTimeoutSeconds = 1;
    return s;
}

} // namespace

TEST(MqttLink, StopAndDestroyWhileAConnectHangs)
{
    QTcpServer silent;   // connections complete in its backlog; it never reads or writes
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    for (int i = 0; i < 8; ++i) {
        auto link = std::make_unique<MqttLink>(Silent(silent.serverPort()));
        bool stopped = false;
        int afterStop = 0;
        QObject::connect(link.get(), &MqttLink::disconnected, [&] { afterStop += stopped; });
        QObject::connect(link.get(), &MqttLink::connected, [&] { ADD_FAILURE() << "connected to a silent listener"; });
        link->start();
        // Stopped at different points of the attempt: at once, or after the
        // library's threads had time to send CONNECT.
        for (int k = 0; k < i % 4; ++k)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
        stopped = true;
        if (i % 3 != 2)
            link->stop();
        EXPECT_FALSE(link->isConnected());
        link.reset();   // the destructor stops when stop() was not called
        QCoreApplication::processEvents();
        EXPECT_EQ(afterStop, 0) << "round " << i;
    }
}

TEST(MqttLink, AFailedConnectIsReportedInTheServicesWords)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const struct {
        const char *what;
        quint16 port;
        const char *starts;
    } cases[] = {
        {"a listener that never answers", silent.serverPort(), "连接超时"},
        {"a port nobody listens on", svctest::FreePort(), "无法建立连接 (服务器未运行, 地址或端口有误, 或被防火墙拦截) ("},
    };
    for (const auto &c : cases) {
        MqttLink link(Silent(c.port));
        QSignalSpy down(&link, &MqttLink::disconnected);
        link.start();
        ASSERT_TRUE(down.count() > 0 || down.wait(15000)) << c.what;
        const QString reason = down.first().at(0).toString();
        EXPECT_TRUE(reason.startsWith(QString::fromUtf8(c.starts))) << c.what << ": " << reason.toStdString();
        EXPECT_EQ(down.first().at(1).toInt(), 1) << c.what;
        link.stop();
    }
}

// The broker by its name (looked up off the main thread): the status goes
// "online", a message sent is received by a subscriber and one subscribed to
// comes back; stop() says "offline" before it disconnects.
TEST(MqttLink, PublishesAndReceivesThroughABrokerReachedByName)
{
    if (QStandardPaths::findExecutable("mosquitto").isEmpty() && !QFile::exists("/usr/sbin/mosquitto"))
        GTEST_SKIP() << "mosquitto not installed";
    QTemporaryDir dir;
    const quint16 port = svctest::FreePort();
    svctest::Broker broker(port, dir.path());
    ASSERT_TRUE(broker.started());
    svctest::Subscriber sub(port, {"t/#"});

    MqttSettings s = Silent(port);
    s.host = QStringLiteral("localhost");
    MqttLink link(s);
    QSignalSpy up(&link, &MqttLink::connected);
    QSignalSpy received(&link, &MqttLink::message);
    link.subscribe(QStringLiteral("t/in"));
    link.start();
    ASSERT_TRUE(up.wait(10000));
    EXPECT_TRUE(link.isConnected());
    EXPECT_EQ(sub.waitFor("t/status", 5000), "online");
    // More than the library keeps unacknowledged at once (20): all of them arrive.
    for (int i = 0; i < 30; ++i)
        link.publish(QStringLiteral("t/n%1").arg(i), QByteArray::number(i), false);
    EXPECT_EQ(sub.waitFor("t/n29", 5000), "29");
    EXPECT_EQ(sub.waitFor("t/n0", 100), "0");

    svctest::Run("mosquitto_pub", {"-h", "127.0.0.1", "-p", QString::number(port), "-t", "t/in", "-m", "hello"},
                 nullptr, nullptr, 5000);
    ASSERT_TRUE(received.count() > 0 || received.wait(5000));
    EXPECT_EQ(received.first().at(0).toString(), "t/in");
    EXPECT_EQ(received.first().at(1).toByteArray(), "hello");

    link.stop();
    EXPECT_FALSE(link.isConnected());
    EXPECT_EQ(sub.waitFor("t/status", 5000, 2), "offline");
}

// A broker that refuses the user: the refusal in the service's words, not the
// connection that ended with it.
TEST(MqttLink, ABrokersRefusalIsSaidInItsOwnWords)
{
    if (QStandardPaths::findExecutable("mosquitto_passwd").isEmpty())
        GTEST_SKIP() << "mosquitto not installed";
    QTemporaryDir dir;
    const QString passwords = dir.filePath("passwords");
    ASSERT_EQ(svctest::Run("mosquitto_passwd", {"-c", "-b", passwords, "u", "right"}, nullptr, nullptr, 10000), 0);
    // Started as root, mosquitto reads the file as its own user.
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(passwords, QFile::permissions(passwords) | QFile::ReadOther);
    const quint16 port = svctest::FreePort();
    svctest::Broker broker(port, dir.path(), "password_file " + passwords);
    ASSERT_TRUE(broker.started());
    MqttSettings s = Silent(port);
    s.user = QStringLiteral("u");
    s.password = QStringLiteral("wrong");
    MqttLink link(s);
    QSignalSpy down(&link, &MqttLink::disconnected);
    link.start();
    ASSERT_TRUE(down.wait(10000));
    const QString reason = down.first().at(0).toString();
    EXPECT_TRUE(reason == QString::fromUtf8("用户名或密码错误") || reason == QString::fromUtf8("未获授权 (用户或客户端标识无权连接)"))
        << reason.toStdString();
    link.stop();
}
