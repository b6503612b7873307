// libmodbus as an independent peer: a libmodbus RTU server accepts the frames our
// link builds, and our reply search finds the frames it answers with. The two
// ends are joined by a socat pseudo-terminal pair.
#include "link/Exchange.h"
#include "link/QtSerialPort.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>

using namespace rdlink;

namespace {

class ModbusServer {
public:
    ModbusServer(const QString &device, int baud, int slave) : m_device(device.toLocal8Bit())
    {
        m_ctx = modbus_new_rtu(m_device.constData(), baud, 'N', 8, 1);
        modbus_set_slave(m_ctx, slave);
        m_map = modbus_mapping_new(0, 0, 0x800, 0);
        for (int r = 0; r < 0x800; ++r)
            m_map->tab_registers[r] = uint16_t(r * 7 + 0x8001);   // high bytes >= 0x80 too
    }
    ~ModbusServer()
    {
        stop();
        modbus_mapping_free(m_map);
        modbus_free(m_ctx);
    }
    bool start()
    {
        if (modbus_connect(m_ctx) != 0)
            return false;
        modbus_set_indication_timeout(m_ctx, 0, 100000);
        m_thread = std::thread([this] {
            uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!m_stop) {
                const int rc = modbus_receive(m_ctx, query);
                if (rc > 0) {
                    modbus_reply(m_ctx, query, rc, m_map);
                    ++m_served;
                }
            }
        });
        return true;
    }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        modbus_close(m_ctx);
    }
    uint16_t reg(int r) const { return m_map->tab_registers[r]; }
    int served() const { return m_served; }

private:
    QByteArray m_device;
    modbus_t *m_ctx = nullptr;
    modbus_mapping_t *m_map = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_served{0};
};

class LibmodbusOracle : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        a = dir.filePath(QStringLiteral("a"));
        b = dir.filePath(QStringLiteral("b"));
        socat.start(QStringLiteral("socat"),
                    {QStringLiteral("pty,raw,echo=0,link=") + a, QStringLiteral("pty,raw,echo=0,link=") + b});
        ASSERT_TRUE(socat.waitForStarted(5000)) << "socat is needed (scripts/deps.sh installs it)";
        for (int k = 0; k < 100 && !(QFileInfo::exists(a) && QFileInfo::exists(b)); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(QFileInfo::exists(a) && QFileInfo::exists(b));
        qputenv("RD5800_COM5", a.toLocal8Bit());
    }
    void TearDown() override
    {
        qunsetenv("RD5800_COM5");
        socat.kill();
        socat.waitForFinished(3000);
    }
    QTemporaryDir dir;
    QString a, b;
    QProcess socat;
};

} // namespace

TEST_P(LibmodbusOracle, ReadsAndWritesRoundTrip)
{
    const int baud = GetParam();
    ModbusServer server(b, baud, 0x11);
    ASSERT_TRUE(server.start());

    QtSerialPort port;
    ASSERT_TRUE(OpenPort(port, 5, LineSettings{baud})) << port.errorString().toStdString();
    Link link(port, SystemClock());

    struct Read {
        uint16_t reg;
        uint16_t count;
        uint32_t wait;
    };
    // The reads of one poll tick and of the module program.
    const Read reads[] = {{0x0100, 1, 100}, {0x0300, 17, 300}, {0x0000, 41, 500},
                          {0x0760, 12, 300}, {0x0266, 18, 300}, {0x0311, 12, 200}};
    for (const Read &r : reads) {
        ExchangeOptions o;
        o.waitMs = r.wait;
        const ExchangeResult reply = link.Exchange(BuildRead(0x11, r.reg, r.count), o);
        ASSERT_TRUE(reply.ok()) << "read at " << r.reg;
        for (int n = 0; n < r.count; ++n)
            ASSERT_EQ(reply.reg(n), server.reg(r.reg + n));
    }

    ExchangeOptions write;
    write.discardFirst = true;
    write.wait = WaitKind::BusyWait;
    write.waitMs = 300;
    const ExchangeResult echo = link.Exchange(BuildWrite(0x11, 0x0307, 64000), write);
    EXPECT_TRUE(echo.ok());
    EXPECT_EQ(echo.frame, link.rxBuffer());
    EXPECT_EQ(server.reg(0x0307), 64000);

    // Another slave address: libmodbus stays silent, nothing is found.
    ExchangeOptions other;
    other.waitMs = 100;
    EXPECT_EQ(link.Exchange(BuildRead(0x12, 0x0100, 1), other).status, ExchangeStatus::NothingReceived);
    EXPECT_EQ(server.served(), int(std::size(reads)) + 1);
}

INSTANTIATE_TEST_SUITE_P(Bauds, LibmodbusOracle, ::testing::Values(9600, 19200));
