// SerialPort over a TCP connection to an Ethernet gateway, usable without an
// event loop like QtSerialPort: connect with a timeout, writes flushed before
// write() returns, the waiting count pulls in what the system has received.
// RTU over TCP passes the frames as they are. Modbus TCP translates at the port:
// each request goes out as an ADU with a transaction id of its own; a reply
// whose transaction id or unit differs is dropped as a stray, and the one that
// matches is handed up as an RTU frame with a computed CRC, so the link above
// speaks RTU either way. The gateway's own "no answer" exceptions (0x0A, 0x0B)
// are silence, as on a cable, that ends the wait at once; bytes that are no
// Modbus TCP at all are handed up as they came, a bad reply. Every request
// starts from a clean state: what came before it, a cut reply included, is no
// part of its exchange. What is kept of the received bytes is bounded, whatever
// the peer sends. The socket exists only while the port is open and is made,
// used and dropped on the thread that runs the line work.
#pragma once

#include "PortName.h"
#include "SerialPort.h"

#include <memory>

class QTcpSocket;

namespace rdlink {

class TcpPort : public SerialPort {
public:
    // `name` is the URL as the user wrote it; `address` is what it says (a TCP kind).
    TcpPort(const QString &name, const PortAddress &address);
    ~TcpPort() override;

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    void setSettings(const LineSettings &settings) override { m_settings = settings; }
    LineSettings settings() const override { return m_settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override;
    void discardInput() override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    bool waitForReceived(uint32_t ms) override;
    uint32_t networkMarginMs() const override { return m_marginMs; }
    void setNetworkMarginMs(uint32_t ms) override { m_marginMs = ms > 0 ? ms : m_marginMs; }
    QString deviceName() const override { return m_name; }
    QString errorString() const override { return m_error; }
    WireTrace wireTrace() const override;

    // How long open() waits for the connection (3 s unless a test shortens it).
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    // Modbus TCP replies dropped as strays since the port was made (for tests).
    int straysDropped() const { return m_strays; }
    bool replyRefused() const override { return m_refused; }

private:
    bool pull();
    void translate();
    void lose(const QString &reason);

    QString m_name;
    PortAddress m_address;
    std::unique_ptr<QTcpSocket> m_socket;
    int m_portNumber = 1;
    LineSettings m_settings;
    QString m_error;
    int m_connectTimeoutMs = 3000;
    uint32_t m_marginMs;
    bool m_answered = false;    // the gateway has sent something since the connect

    QByteArray m_rx;            // what the link reads: RTU bytes
    QByteArray m_pending;       // Modbus TCP: received bytes not yet a whole ADU
    uint16_t m_transaction = 0; // of the last request
    uint8_t m_unit = 0;
    int m_strays = 0;
    bool m_refused = false;     // the gateway said its meter did not answer this request
    QByteArray m_wireSent;      // Modbus TCP: the last ADU sent
    QByteArray m_wireReceived;  // Modbus TCP: every byte received since (bounded)
};

} // namespace rdlink
