// The gateway backends over real loopback sockets: port names, Modbus TCP framing
// against libmodbus as the independent peer, strays and split replies from a
// scripted gateway, and the ways a connection fails (refused, never answered,
// dropped). Real time, each wait bounded to a fraction of a second.
#include "ScriptedGateway.h"
#include "link/Exchange.h"
#include "link/LinePort.h"
#include "link/PortName.h"
#include "link/TcpPort.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>

using namespace rdlink;
using Piece = gwtest::ScriptedGateway::Piece;

namespace {

QString Url(const char *scheme, int port)
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(port);
}

TcpPort MakeTcp(const char *scheme, int port)
{
    const QString url = Url(scheme, port);
    return TcpPort(url, std::get<PortAddress>(ParsePortName(url)));
}

ExchangeOptions Wait(uint32_t ms)
{
    ExchangeOptions o;
    o.waitMs = ms;
    return o;
}

TEST(PortName, DevicesAndGatewayUrls)
{
    const struct {
        const char *name;
        PortKind kind;
        const char *host;   // nullptr: refused
        int port;
    } cases[] = {
        {"/dev/ttyUSB0", PortKind::Serial, "", 0},
        {"COM3", PortKind::Serial, "", 0},
        {"tcp://192.168.1.7:4196", PortKind::RtuOverTcp, "192.168.1.7", 4196},
        {"modbus-tcp://gw.local:502", PortKind::ModbusTcp, "gw.local", 502},
        {"MODBUS-TCP://gw-2_a:1", PortKind::ModbusTcp, "gw-2_a", 1},
        {"tcp://[::1]:65535", PortKind::RtuOverTcp, "::1", 65535},
        {"modbus-tcp://[fe80::1]:502", PortKind::ModbusTcp, "fe80::1", 502},
        {"tcp://[fd00::20]:4196", PortKind::RtuOverTcp, "fd00::20", 4196},
        {"tcp://[FD00:AB::C0A8:1]:502", PortKind::RtuOverTcp, "FD00:AB::C0A8:1", 502},
        {"tcp://[fe80::g]:502", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host:0", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host:65536", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host:99999999999", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://:502", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host:50a", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://host:502/x", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://ho st:502", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://[::1:502", PortKind::RtuOverTcp, nullptr, 0},
        {"udp://host:502", PortKind::RtuOverTcp, nullptr, 0},
        {"tcp://", PortKind::RtuOverTcp, nullptr, 0},
    };
    for (const auto &c : cases) {
        const auto parsed = ParsePortName(QString::fromLatin1(c.name));
        if (!c.host) {
            ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << c.name;
            EXPECT_TRUE(std::get<QString>(parsed).contains(QString::fromLatin1(c.name))) << c.name;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<PortAddress>(parsed)) << c.name;
        const PortAddress &a = std::get<PortAddress>(parsed);
        EXPECT_EQ(a.kind, c.kind) << c.name;
        EXPECT_EQ(a.host, QString::fromLatin1(c.host)) << c.name;
        EXPECT_EQ(a.port, c.port) << c.name;
        if (a.kind == PortKind::Serial) {
            EXPECT_EQ(a.device, QString::fromLatin1(c.name));
        }
    }
    EXPECT_EQ(std::get<PortAddress>(ParsePortName(QStringLiteral("tcp://[::1]:502"))).endpoint(),
              QStringLiteral("[::1]:502"));
}

// libmodbus as a Modbus TCP server on a loopback port.
class LibmodbusTcpServer {
public:
    LibmodbusTcpServer()
    {
        m_port = gwtest::ClosedLoopbackPort();
        m_ctx = modbus_new_tcp("127.0.0.1", m_port);
        m_map = modbus_mapping_new(0, 0, 0x800, 0);
        for (int r = 0; r < 0x800; ++r)
            m_map->tab_registers[r] = uint16_t(r * 7 + 0x8001);
        m_listen = modbus_tcp_listen(m_ctx, 1);
        m_thread = std::thread([this] {
            if (modbus_tcp_accept(m_ctx, &m_listen) < 0)
                return;
            uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
            for (;;) {
                const int rc = modbus_receive(m_ctx, query);
                if (rc < 0)
                    break;   // the client closed
                if (rc > 0)
                    modbus_reply(m_ctx, query, rc, m_map);
            }
        });
    }
    ~LibmodbusTcpServer()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listen);
        modbus_close(m_ctx);
        modbus_mapping_free(m_map);
        modbus_free(m_ctx);
    }
    int port() const { return m_port; }
    bool listening() const { return m_listen >= 0; }
    uint16_t reg(int r) const { return m_map->tab_registers[r]; }

private:
    modbus_t *m_ctx = nullptr;
    modbus_mapping_t *m_map = nullptr;
    int m_port = 0;
    int m_listen = -1;
    std::thread m_thread;
};

TEST(ModbusTcpPort, LibmodbusServerAnswersTheTranslatedRequests)
{
    LibmodbusTcpServer server;
    ASSERT_TRUE(server.listening());
    std::vector<uint16_t> transactions;
    {
        TcpPort port = MakeTcp("modbus-tcp", server.port());
        ASSERT_TRUE(OpenPort(port, 1, LineSettings{})) << port.errorString().toStdString();
        Link link(port, SystemClock());
        const struct {
            uint16_t reg, count;
        } reads[] = {{0x0100, 1}, {0x0300, 17}, {0x0000, 41}, {0x0760, 12}};
        for (const auto &r : reads) {
            const ExchangeResult reply = link.Exchange(BuildRead(0x11, r.reg, r.count), Wait(100));
            ASSERT_TRUE(reply.ok()) << "read at " << r.reg;
            ASSERT_EQ(reply.dataLength(), 2 * r.count);
            for (int n = 0; n < r.count; ++n)
                ASSERT_EQ(reply.reg(n), server.reg(r.reg + n));
            const SerialPort::WireTrace wire = port.wireTrace();
            ASSERT_EQ(wire.sent.size(), 12);   // header, function, register, count
            EXPECT_EQ(uint8_t(wire.sent[6]), 0x11);   // unit id = slave address
            EXPECT_EQ(wire.received.size(), 9 + 2 * r.count);
            transactions.push_back(uint16_t(uint8_t(wire.sent[0]) << 8 | uint8_t(wire.sent[1])));
        }
        const Frame write = BuildWrite(0x11, 0x0307, 64000);
        const ExchangeResult echo = link.Exchange(write, Wait(100));
        ASSERT_TRUE(echo.ok());
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(echo.frame), echo.frameLength),
                  QByteArray(reinterpret_cast<const char *>(write.data()), 8));
        EXPECT_EQ(server.reg(0x0307), 64000);
        // Past the map: libmodbus answers exception 2, handed up as an RTU frame.
        const ExchangeResult refused = link.Exchange(BuildRead(0x11, 0x0900, 1), Wait(100));
        EXPECT_EQ(refused.status, ExchangeStatus::NoValidFrame);
        std::vector<uint8_t> exception = {0x11, 0x83, 0x02};
        gwtest::AppendCrc(exception);
        EXPECT_EQ(std::vector<uint8_t>(link.rxBuffer(), link.rxBuffer() + link.rxCount()), exception);
        EXPECT_EQ(port.straysDropped(), 0);
    }
    // A transaction id of its own for every request.
    for (size_t i = 1; i < transactions.size(); ++i)
        EXPECT_EQ(transactions[i], uint16_t(transactions[i - 1] + 1));
}

TEST(ModbusTcpPort, StraysAreDroppedAndSplitRepliesJoined)
{
    using Script = std::function<std::vector<Piece>(uint16_t tid, uint8_t unit)>;
    const std::vector<uint8_t> pdu = gwtest::ReadReplyPdu(2, 0x1234);
    const struct {
        const char *name;
        Script script;
        bool reply;
        int strays;
    } cases[] = {
        {"earlier transaction first",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{gwtest::Adu(t - 1, u, pdu)}, {gwtest::Adu(t, u, pdu)}}; },
         true, 1},
        {"another unit first",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{gwtest::Adu(t, u + 1, pdu)}, {gwtest::Adu(t, u, pdu)}}; },
         true, 1},
        {"split in three",
         [&](uint16_t t, uint8_t u) {
             const auto a = gwtest::Adu(t, u, pdu);
             return std::vector<Piece>{{{a.begin(), a.begin() + 3}},
                                       {{a.begin() + 3, a.begin() + 8}, 10},
                                       {{a.begin() + 8, a.end()}, 10}};
         },
         true, 0},
        {"gateway: target failed to respond",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{gwtest::Adu(t, u, {0x83, 0x0B})}}; }, false, 0},
        {"meter's own exception",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{gwtest::Adu(t, u, {0x83, 0x02})}}; }, false, 0},
        {"stray only",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{gwtest::Adu(t + 5, u, pdu)}}; }, false, 1},
        {"not Modbus TCP",
         [&](uint16_t t, uint8_t u) {
             auto a = gwtest::Adu(t, u, pdu);
             a[2] = 1;   // protocol id
             return std::vector<Piece>{{a}};
         },
         false, 1},
        {"MBAP length 0",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{{uint8_t(t >> 8), uint8_t(t), 0, 0, 0, 0, u}}}; },
         false, 1},
        {"MBAP length 1",
         [&](uint16_t t, uint8_t u) { return std::vector<Piece>{{{uint8_t(t >> 8), uint8_t(t), 0, 0, 0, 1, u}}}; },
         false, 1},
    };
    for (const auto &c : cases) {
        gwtest::ScriptedGateway gateway(true, [&](const std::vector<uint8_t> &request, int) {
            return c.script(uint16_t(request[0] << 8 | request[1]), request[6]);
        });
        TcpPort port = MakeTcp("modbus-tcp", gateway.port());
        ASSERT_TRUE(OpenPort(port, 1, LineSettings{})) << c.name;
        port.setNetworkMarginMs(150);
        Link link(port, SystemClock());
        const ExchangeResult result = link.Exchange(BuildRead(7, 0x0100, 2), Wait(150));
        EXPECT_EQ(result.ok(), c.reply) << c.name;
        EXPECT_EQ(port.straysDropped(), c.strays) << c.name;
        // Only the gateway's own word ends the wait before the margin.
        EXPECT_EQ(port.replyRefused(), std::string(c.name) == "gateway: target failed to respond") << c.name;
        if (c.reply) {
            EXPECT_EQ(result.reg(0), 0x1234) << c.name;
            EXPECT_EQ(link.rxCount(), 9) << c.name;   // one RTU frame, nothing else
        } else if (std::string(c.name) == "meter's own exception") {
            EXPECT_EQ(result.status, ExchangeStatus::NoValidFrame);   // handed up, as over a cable
            EXPECT_EQ(link.rxCount(), 5);
        } else if (QByteArray(c.name).startsWith("MBAP") || std::string(c.name) == "not Modbus TCP") {
            // What came back is no Modbus TCP: a bad reply, not silence.
            EXPECT_EQ(result.status, ExchangeStatus::NoValidFrame) << c.name;
        } else {
            EXPECT_EQ(result.status, ExchangeStatus::NothingReceived) << c.name;
        }
        EXPECT_TRUE(port.isOpen()) << c.name;
    }
}

TEST(RtuOverTcpPort, FramesPassAsTheyAre)
{
    gwtest::ScriptedGateway gateway(false, [](const std::vector<uint8_t> &request, int) {
        // Stray bytes in front, as on a serial line; the reply search skips them.
        std::vector<uint8_t> bytes = {0x00, 0xFF};
        const auto reply = gwtest::RtuReadReply(request[0], 3, 100);
        bytes.insert(bytes.end(), reply.begin(), reply.end());
        return std::vector<Piece>{{bytes}};
    });
    TcpPort port = MakeTcp("tcp", gateway.port());
    ASSERT_TRUE(OpenPort(port, 1, LineSettings{}));
    Link link(port, SystemClock());
    const ExchangeResult result = link.Exchange(BuildRead(1, 0x0300, 3), Wait(100));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.frame, link.rxBuffer() + 2);
    EXPECT_EQ(result.reg(2), 102);
    EXPECT_TRUE(port.wireTrace().sent.isEmpty());   // the wire carries RTU: nothing to add
}

TEST(TcpPortFailure, RefusedTimedOutAndMalformedAreToldAtOpen)
{
    const int closed = gwtest::ClosedLoopbackPort();
    gwtest::SilentListener full(4);   // its backlog is full: connects get no answer
    const struct {
        QString name;
        QString reason;
    } cases[] = {
        {Url("tcp", closed), QStringLiteral("连接被拒绝")},
        {Url("modbus-tcp", closed), QStringLiteral("连接被拒绝")},
        {Url("tcp", full.port()), QStringLiteral("连接超时")},
        {QStringLiteral("tcp://127.0.0.1:70000"), QStringLiteral("1..65535")},
        {QStringLiteral("modbus-tcp://127.0.0.1"), QStringLiteral("格式不对")},
        {QStringLiteral("telnet://127.0.0.1:23"), QStringLiteral("格式不对")},
    };
    for (const auto &c : cases) {
        auto made = MakePort(c.name);
        QString reason;
        if (const QString *error = std::get_if<QString>(&made)) {
            reason = *error;
        } else {
            auto &port = static_cast<TcpPort &>(*std::get<std::unique_ptr<SerialPort>>(made));
            port.setConnectTimeoutMs(300);
            EXPECT_FALSE(OpenPort(port, 4, LineSettings{})) << c.name.toStdString();
            EXPECT_FALSE(port.isOpen());
            reason = port.errorString();
        }
        EXPECT_TRUE(reason.contains(c.reason)) << c.name.toStdString() << ": " << reason.toStdString();
        // The port the programs use says the same, naming the port number and URL.
        if (c.reason != QStringLiteral("连接超时")) {
            qputenv("RD5800_COM4", c.name.toLocal8Bit());
            LinePort line;
            EXPECT_FALSE(OpenPort(line, 4, LineSettings{}));
            EXPECT_EQ(line.errorString(), reason);
            const QString text = PortOpenFailureText(4, line.deviceName(), line.errorString(), line.errorKind());
            EXPECT_TRUE(text.contains(QStringLiteral("COM4")) && text.contains(c.name)) << text.toStdString();
            qunsetenv("RD5800_COM4");
        }
    }
}

TEST(TcpPortFailure, ListenerThatNeverServesIsASilentMeter)
{
    // The system accepts the connection for a listener that never takes it: the
    // port opens, and the requests go unanswered like those to a silent meter.
    gwtest::SilentListener listener(0);
    TcpPort port = MakeTcp("modbus-tcp", listener.port());
    port.setConnectTimeoutMs(300);
    ASSERT_TRUE(OpenPort(port, 1, LineSettings{}));
    port.setNetworkMarginMs(50);
    Link link(port, SystemClock());
    EXPECT_EQ(link.Exchange(BuildRead(1, 0x0100, 1), Wait(50)).status, ExchangeStatus::NothingReceived);
    EXPECT_TRUE(port.isOpen());
}

TEST(TcpPortFailure, ConnectionDroppedBetweenRequestsIsAPortLoss)
{
    const struct {
        const char *scheme;
        bool reset;
    } cases[] = {{"tcp", false}, {"modbus-tcp", false}, {"tcp", true}, {"modbus-tcp", true}};
    for (const auto &c : cases) {
        const bool mbap = QLatin1String(c.scheme) == QLatin1String("modbus-tcp");
        const bool reset = c.reset;
        gwtest::ScriptedGateway gateway(mbap, [mbap, reset](const std::vector<uint8_t> &request, int index) {
            if (index > 0)
                return std::vector<Piece>{{{}, 0, !reset, reset}};   // the gateway goes away
            if (mbap)
                return std::vector<Piece>{{gwtest::Adu(uint16_t(request[0] << 8 | request[1]), request[6],
                                                       gwtest::ReadReplyPdu(1, 5))}};
            return std::vector<Piece>{{gwtest::RtuReadReply(request[0], 1, 5)}};
        });
        const std::string what = std::string(c.scheme) + (reset ? " reset" : " closed");
        TcpPort port = MakeTcp(c.scheme, gateway.port());
        ASSERT_TRUE(OpenPort(port, 2, LineSettings{}));
        Link link(port, SystemClock());
        ASSERT_TRUE(link.Exchange(BuildRead(1, 0x0100, 1), Wait(100)).ok()) << what;
        const ExchangeResult lost = link.Exchange(BuildRead(1, 0x0300, 17), Wait(100));
        EXPECT_EQ(lost.status, ExchangeStatus::PortLost) << what;
        EXPECT_FALSE(port.isOpen());
        EXPECT_TRUE(port.errorString().startsWith(QStringLiteral("连接已断开"))) << what << ": "
                                                                              << port.errorString().toStdString();
        const QString text = PortLostText(2, port.deviceName(), port.errorString());
        EXPECT_TRUE(text.contains(QStringLiteral("127.0.0.1:%1").arg(gateway.port()))) << text.toStdString();
        // Nothing more goes out on a lost connection.
        link.Exchange(BuildRead(1, 0x0300, 17), Wait(10));
        EXPECT_EQ(gateway.requests(), 2) << what;
        // Run again: a new connection.
        ASSERT_TRUE(OpenPort(port, 2, LineSettings{})) << what;
    }
}

// A reply cut short (a proxy dropped its end) loses its own exchange and
// nothing more: the next request starts clean and gets its reply.
TEST(TcpPort, CutReplyLosesOnlyItsOwnExchange)
{
    const struct {
        const char *scheme;
        size_t cutAt;
    } cases[] = {{"modbus-tcp", 7}, {"modbus-tcp", 8}, {"modbus-tcp", 10}, {"tcp", 5}};
    for (const auto &c : cases) {
        const bool mbap = QLatin1String(c.scheme) == QLatin1String("modbus-tcp");
        const size_t cutAt = c.cutAt;
        gwtest::ScriptedGateway gateway(mbap, [mbap, cutAt](const std::vector<uint8_t> &request, int index) {
            std::vector<uint8_t> reply = mbap ? gwtest::Adu(uint16_t(request[0] << 8 | request[1]), request[6],
                                                           gwtest::ReadReplyPdu(17, uint16_t(index)))
                                              : gwtest::RtuReadReply(request[0], 17, uint16_t(index));
            if (index == 0)
                reply.resize(cutAt);
            return std::vector<Piece>{{reply}};
        });
        const std::string what = std::string(c.scheme) + " cut at " + std::to_string(cutAt);
        TcpPort port = MakeTcp(c.scheme, gateway.port());
        ASSERT_TRUE(OpenPort(port, 1, LineSettings{}));
        port.setNetworkMarginMs(100);
        Link link(port, SystemClock());
        EXPECT_FALSE(link.Exchange(BuildRead(1, 0x0300, 17), Wait(100)).ok()) << what;
        for (uint16_t next = 1; next <= 2; ++next) {
            const ExchangeResult r = link.Exchange(BuildRead(1, 0x0300, 17), Wait(100));
            ASSERT_TRUE(r.ok()) << what << ", request " << next;
            EXPECT_EQ(r.reg(0), next) << what;
        }
    }
}

// A gateway that serves one client at a time accepts a second connection and
// closes it at once: the reason says so instead of reading like a broken cable.
TEST(TcpPortFailure, GatewayThatClosesAtOnceMayServeAnotherProgram)
{
    for (const char *scheme : {"tcp", "modbus-tcp"}) {
        gwtest::ScriptedGateway gateway(QLatin1String(scheme) == QLatin1String("modbus-tcp"),
                                        [](const std::vector<uint8_t> &, int) {
                                            return std::vector<Piece>{{{}, 0, true}};
                                        });
        TcpPort port = MakeTcp(scheme, gateway.port());
        ASSERT_TRUE(OpenPort(port, 1, LineSettings{}));
        Link link(port, SystemClock());
        EXPECT_EQ(link.Exchange(BuildRead(1, 0x0300, 17), Wait(100)).status, ExchangeStatus::PortLost) << scheme;
        EXPECT_TRUE(port.errorString().contains(QStringLiteral("可能已有其他程序连接到该网关")))
            << scheme << ": " << port.errorString().toStdString();
    }
}

TEST(TcpPortFailure, UnknownHostIsToldAtOpen)
{
    TcpPort port = TcpPort(QStringLiteral("tcp://no-such-host.invalid:502"),
                           std::get<PortAddress>(ParsePortName(QStringLiteral("tcp://no-such-host.invalid:502"))));
    port.setConnectTimeoutMs(3000);
    EXPECT_FALSE(OpenPort(port, 1, LineSettings{}));
    // Where no resolver answers at all, the lookup ends with the connect time limit.
    EXPECT_TRUE(port.errorString() == QStringLiteral("找不到主机") || port.errorString() == QStringLiteral("连接超时"))
        << port.errorString().toStdString();
}

} // namespace
