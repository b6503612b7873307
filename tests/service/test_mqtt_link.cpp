// MqttLink against a listener that accepts and never answers CONNECT: stopping
// and destroying the link while the connect hangs, many times in a row, ends
// cleanly (run under the sanitizers, a late callback into a destroyed link
// would show here), and nothing is reported by a link after its stop.
#include "service/MqttLink.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>
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

TEST(MqttLink, ASilentBrokerIsReportedInTheServicesWords)
{
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    MqttLink link(Silent(silent.serverPort()));
    QSignalSpy down(&link, &MqttLink::disconnected);
    link.start();
    ASSERT_TRUE(down.wait(15000));
    const QString reason = down.first().at(0).toString();
    EXPECT_FALSE(reason.isEmpty());
    // Own words first; the library's English, if any, only in parentheses.
    EXPECT_FALSE(reason.at(0).isLetter() && reason.at(0).unicode() < 128) << reason.toStdString();
    EXPECT_EQ(down.first().at(1).toInt(), 1);
    link.stop();
}
