// The QSerialPort adapter over a real pseudo-terminal, with no event loop running:
// writes must be on the line when write() returns, and bytes the peer sent must
// be counted after a plain sleep.
#include "link/LinePort.h"
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
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
    ASSERT_TRUE(OpenPort(port, 7, LineSettings{})) << port.errorString().toStdString();
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

    // Bytes still in the system's buffer are read (and so discarded) too.
    ASSERT_EQ(::write(pty.master, reply.constData(), size_t(reply.size())), reply.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(port.readAll(), reply);
}

TEST_F(PtyPort, LineSettingsReachTheDevice)
{
    const struct {
        LineSettings settings;
        speed_t speed;
        bool odd;
        bool twoStopBits;
    } cases[] = {{{1200, Parity::None, 8, 1}, B1200, false, false},
                 {{19200, Parity::Even, 8, 1}, B19200, false, false},
                 {{2400, Parity::Odd, 8, 2}, B2400, true, true}};
    for (const auto &c : cases) {
        const std::string name = SettingsText(c.settings).toStdString();
        QtSerialPort port;
        ASSERT_TRUE(OpenPort(port, 7, c.settings)) << name;
        termios t{};
        ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed) << name;
        // A pseudo-terminal always clears PARENB; PARODD and CSTOPB stay as set.
        EXPECT_EQ((t.c_cflag & PARODD) != 0, c.odd) << name;
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStopBits) << name;
        port.close();
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(PtyPort, SecondOpenOfTheSameDeviceFails)
{
    QtSerialPort first;
    QtSerialPort second;
    ASSERT_TRUE(OpenPort(first, 7, LineSettings{}));
    EXPECT_FALSE(OpenPort(second, 7, LineSettings{}));
    // Qt calls the lock of the first a permission error; the user may read and
    // write the device, so it is held by another program, and the message says
    // so without the dialout advice, which would not help.
    EXPECT_EQ(second.errorKind(), PortError::Busy);
    EXPECT_EQ(second.errorString(), QStringLiteral("串口已被其他程序占用"));
    const QString text = PortOpenFailureText(7, pty.path, second.errorString(), second.errorKind());
    EXPECT_TRUE(text.contains(QStringLiteral("串口已被其他程序占用"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("dialout"))) << text.toStdString();
    LinePort named;   // the port the programs use passes the kind on
    EXPECT_FALSE(OpenPort(named, 7, LineSettings{}));
    EXPECT_EQ(named.errorKind(), PortError::Busy);
    // A device the user may not open is a permission problem: the hint names the group.
    EXPECT_TRUE(PortOpenFailureText(7, pty.path, QStringLiteral("权限被拒绝"), PortError::AccessRefused)
                    .contains(QStringLiteral("dialout")));
    first.close();
    EXPECT_TRUE(OpenPort(second, 7, LineSettings{})) << second.errorString().toStdString();
    second.close();
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(pty.path.toLocal8Bit().constData(), 0), 0);
        EXPECT_EQ(RefusedOpenKind(pty.path), PortError::AccessRefused);
    }
}

// Bytes QSerialPort takes in while the thread runs its event loop come before
// the bytes the port reads from the device afterwards.
TEST_F(PtyPort, BytesTakenInByTheEventLoopKeepTheirPlace)
{
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 7, LineSettings{}));
    ASSERT_EQ(::write(pty.master, "AB", 2), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    QCoreApplication::processEvents();   // QSerialPort's notifier reads "AB"
    ASSERT_EQ(::write(pty.master, "CD", 2), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(port.readAll(), QByteArray("ABCD"));
}

TEST_F(PtyPort, VanishedDeviceReadsClosedAndKeepsTheReason)
{
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 7, LineSettings{}));
    pty.closeAll();   // the adapter is pulled
    port.write(QByteArray::fromHex("010300000001840A"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(port.bytesWaiting(), 0);
        EXPECT_TRUE(port.readAll().isEmpty());
    }
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
}

// The discard before a request looks at the device before it reads: a pulled
// adapter must still be found there, not first by the next write.
TEST_F(PtyPort, VanishedDeviceIsFoundByTheDiscardBeforeARequest)
{
    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 7, LineSettings{}));
    port.discardInput();
    EXPECT_TRUE(port.isOpen());   // nothing waiting, nothing wrong
    pty.closeAll();
    port.discardInput();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
}

TEST(QtSerialPortOpen, FailuresAreReportedNotThrown)
{
    qputenv("RD5800_COM8", "/nonexistent/ttyUSB9");
    QtSerialPort port;
    EXPECT_FALSE(OpenPort(port, 8, LineSettings{}));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.errorString().isEmpty());
    EXPECT_EQ(port.bytesWaiting(), 0);
    EXPECT_TRUE(port.readAll().isEmpty());
    port.write("x");   // nothing happens, nothing crashes
    EXPECT_EQ(port.errorKind(), PortError::Other);
    const QString text = PortOpenFailureText(8, port.deviceName(), port.errorString(), port.errorKind());
    EXPECT_TRUE(text.contains(QStringLiteral("COM8")));
    EXPECT_TRUE(text.contains(QStringLiteral("/nonexistent/ttyUSB9")));
    EXPECT_FALSE(text.contains(QStringLiteral("dialout")));   // no such device: no group hint
    qunsetenv("RD5800_COM8");

    QtSerialPort none;
    none.setPortNumber(0);
    EXPECT_FALSE(none.open());
    EXPECT_TRUE(none.deviceName().isEmpty());
    EXPECT_TRUE(PortOpenFailureText(0, QString(), none.errorString(), none.errorKind()).contains(QStringLiteral("COM0")));
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

TEST(Settings, TextAndValidity)
{
    EXPECT_EQ(SettingsText({9600, Parity::None}), QStringLiteral("9600,N,8,1"));
    EXPECT_EQ(SettingsText({1200, Parity::Odd}), QStringLiteral("1200,O,8,1"));
    EXPECT_EQ(SettingsText({19200, Parity::Even, 7, 2}), QStringLiteral("19200,E,7,2"));
    // The radio buttons' order: 无校验, 奇校验, 偶校验.
    EXPECT_EQ(ParityFromIndex(1), Parity::Odd);
    EXPECT_EQ(ParityFromIndex(2), Parity::Even);
    EXPECT_EQ(ParityFromIndex(7), Parity::None);
    EXPECT_TRUE(IsValid(LineSettings{}));
    for (const LineSettings bad : {LineSettings{0}, LineSettings{-5}, LineSettings{9600, Parity::None, 9},
                                   LineSettings{9600, Parity::None, 8, 3}})
        EXPECT_FALSE(IsValid(bad)) << SettingsText(bad).toStdString();

    // A port refuses settings no line has, and says why.
    qputenv("RD5800_COM8", "/dev/null");
    QtSerialPort port;
    EXPECT_FALSE(OpenPort(port, 8, {9600, Parity::None, 9, 1}));
    EXPECT_TRUE(port.errorString().contains(QStringLiteral("9600,N,9,1"))) << port.errorString().toStdString();
    qunsetenv("RD5800_COM8");
}
