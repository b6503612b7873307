// The QSerialPort adapter over a real pseudo-terminal, with no event loop running:
// writes must be on the line when write() returns, and bytes the peer sent must
// be counted after a plain sleep.
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace rdlink;

namespace {

struct Pty {
    int master = -1;
    int slave = -1;
    QString path;
    Pty()
    {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        path = QString::fromLocal8Bit(name);
    }
    ~Pty() { closeAll(); }
    void closeAll()
    {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
        master = slave = -1;
    }
    // Bytes readable on the master right now, without waiting.
    QByteArray drainNow() const
    {
        QByteArray out;
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            out.append(buf, int(n));
        }
        return out;
    }
};

class PtyPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pty.path.isEmpty());
        qputenv("RD5800_COM7", pty.path.toLocal8Bit());
    }
    void TearDown() override { qunsetenv("RD5800_COM7"); }
    Pty pty;
};

} // namespace

TEST_F(PtyPort, WriteIsOnTheLineAndRepliesAreCountedWithoutEventLoop)
{
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 7, QStringLiteral("9600,N,8,1"))) << port.errorString().toStdString();
    EXPECT_EQ(port.deviceName(), pty.path);

    const QByteArray request = QByteArray::fromHex("010300000001840A");
    port.write(request);
    EXPECT_EQ(pty.drainNow(), request);   // no waiting: it left before write() returned

    const QByteArray reply = QByteArray::fromHex("01030200057843");
    ASSERT_EQ(::write(pty.master, reply.constData(), size_t(reply.size())), reply.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(port.bytesWaiting(), reply.size());
    EXPECT_EQ(port.readAll(), reply);
    EXPECT_EQ(port.bytesWaiting(), 0);

    ASSERT_EQ(::write(pty.master, reply.constData(), size_t(reply.size())), reply.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    port.discardInput();
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().isEmpty());
}

TEST_F(PtyPort, LineSettingsReachTheDevice)
{
    const struct {
        const char *settings;
        speed_t speed;
    } cases[] = {{"1200,N,8,1", B1200}, {"19200,N,8,1", B19200}, {"2400,N,8,2", B2400}};
    for (const auto &c : cases) {
        QtSerialPort port;
        ASSERT_TRUE(OpenPort(port, 7, QString::fromLatin1(c.settings))) << c.settings;
        termios t{};
        ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed) << c.settings;
        port.close();
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(PtyPort, SecondOpenOfTheSameDeviceFails)
{
    QtSerialPort first;
    QtSerialPort second;
    ASSERT_TRUE(OpenPort(first, 7, QStringLiteral("9600,N,8,1")));
    EXPECT_FALSE(OpenPort(second, 7, QStringLiteral("9600,N,8,1")));
    EXPECT_FALSE(second.errorString().isEmpty());
    first.close();
    EXPECT_TRUE(OpenPort(second, 7, QStringLiteral("9600,N,8,1"))) << second.errorString().toStdString();
}

TEST_F(PtyPort, VanishedDeviceReadsClosedAndKeepsTheReason)
{
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 7, QStringLiteral("9600,N,8,1")));
    pty.closeAll();   // the adapter is pulled
    port.write(QByteArray::fromHex("010300000001840A"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(port.bytesWaiting(), 0);
        EXPECT_TRUE(port.readAll().isEmpty());
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
}

TEST(QtSerialPortOpen, FailuresAreReportedNotThrown)
{
    qputenv("RD5800_COM8", "/nonexistent/ttyUSB9");
    QtSerialPort port;
    EXPECT_FALSE(OpenPort(port, 8, QStringLiteral("9600,N,8,1")));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().isEmpty());
    port.write("x");   // nothing happens, nothing crashes
    const QString text = PortOpenFailureText(8, port.deviceName(), port.errorString());
    EXPECT_TRUE(text.contains(QStringLiteral("COM8")));
    EXPECT_TRUE(text.contains(QStringLiteral("/nonexistent/ttyUSB9")));
    qunsetenv("RD5800_COM8");

    QtSerialPort none;
    none.setPortNumber(0);
    EXPECT_FALSE(none.open());
    EXPECT_TRUE(none.deviceName().isEmpty());
    EXPECT_TRUE(PortOpenFailureText(0, QString(), none.errorString()).contains(QStringLiteral("COM0")));
}

TEST(PortNaming, AdaptersFirstThenByName)
{
    const QStringList listed = {"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyACM0",
                                "/dev/ttyUSB2", "/dev/ttyS10", "/dev/ttyS2"};
    const QStringList expected = {"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS0",
                                  "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"};
    EXPECT_EQ(OrderSerialDevices(listed), expected);
    EXPECT_TRUE(ResolvePortDevice(0).isEmpty());
    EXPECT_TRUE(ResolvePortDevice(-3).isEmpty());
    qputenv("RD5800_COM3", "/tmp/some-link");
    EXPECT_EQ(ResolvePortDevice(3), QStringLiteral("/tmp/some-link"));
    qunsetenv("RD5800_COM3");
}

TEST(Settings, ParseAndBuild)
{
    EXPECT_EQ(SettingsText(9600, 0), QStringLiteral("9600,N,8,1"));
    EXPECT_EQ(SettingsText(1200, 1), QStringLiteral("1200,O,8,1"));
    EXPECT_EQ(SettingsText(19200, 2), QStringLiteral("19200,E,8,1"));
    LineSettings s;
    ASSERT_TRUE(ParseSettings(QStringLiteral("19200,E,8,1"), &s));
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_EQ(s.parity, 'E');
    for (const char *bad : {"", "9600", "9600,X,8,1", "abc,N,8,1", "9600,N,9,1", "9600,N,8,3", "-5,N,8,1"})
        EXPECT_FALSE(ParseSettings(QString::fromLatin1(bad), &s)) << bad;
}
