// The port the programs open: whatever the port number names, a serial device or
// a gateway URL (PortName.h). MakePort is the one place that picks the backend
// for a name; LinePort reads the name at every open, so a port number can lead
// to a serial adapter at one run and to a gateway at the next.
#pragma once

#include "SerialPort.h"

#include <memory>
#include <variant>

namespace rdlink {

// The backend for a port name: QtSerialPort for a device, TcpPort for the URLs;
// for a malformed URL, the message that says what is wrong.
std::variant<std::unique_ptr<SerialPort>, QString> MakePort(const QString &name);

class LinePort : public SerialPort {
public:
    LinePort();
    ~LinePort() override;

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    void setSettings(const LineSettings &settings) override;
    LineSettings settings() const override { return m_settings; }
    // Reads the name the port number gives, makes its backend and opens it; a
    // malformed name fails here, before anything is sent.
    bool open() override;
    void close() override;
    bool isOpen() const override;
    void discardInput() override;
    int bytesWaiting() override;
    QByteArray readAll() override;
    void write(const QByteArray &bytes) override;
    bool waitForReceived(uint32_t ms) override;
    // A gateway's margin: of the open backend; the margin set here goes to every
    // backend made afterwards (the program's default until set).
    uint32_t networkMarginMs() const override;
    void setNetworkMarginMs(uint32_t ms) override;
    bool replyRefused() const override;
    // The device or URL: of the open backend, else what the number names now.
    QString deviceName() const override;
    QString errorString() const override;
    PortError errorKind() const override;
    WireTrace wireTrace() const override;

private:
    std::unique_ptr<SerialPort> m_backend;
    int m_portNumber = 1;
    LineSettings m_settings;
    QString m_error;   // a name that made no backend
    uint32_t m_networkMarginMs = 0;   // 0: the program's default
};

} // namespace rdlink
