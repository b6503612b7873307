// SerialPort on QSerialPort, usable without an event loop: writes are flushed to
// the line before write() returns and the waiting count pulls in what the system
// has received. A device that vanishes while open is closed and its reason kept.
#pragma once

#include "SerialPort.h"

#include <QStringList>
#include <memory>

class QSerialPort;

namespace rdlink {

// The device that port number n names: $RD5800_COM<n> when set; COM<n> on
// Windows; otherwise the n-th serial device the system lists, USB and ACM
// adapters first, then the rest by name. Empty when there is none.
QString ResolvePortDevice(int portNumber);

// The order used above, for the devices the system lists (exposed for tests).
QStringList OrderSerialDevices(QStringList systemLocations);

// What a refused open means, for the device Qt reported PermissionError on: Qt
// says so for a refused access, a busy device and a lock held by another program
// alike. A device the user may read and write is held by another program.
PortError RefusedOpenKind(const QString &device);

class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    void setPortNumber(int number) override;
    // Opens this device instead of the one the port number names (the port
    // factory has already read the name); empty: follow the number.
    void setDevice(const QString &device) { m_fixedDevice = device; }
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
    QString deviceName() const override;
    QString errorString() const override { return m_error; }
    PortError errorKind() const override { return m_errorKind; }

private:
    enum class SystemRead { Done, Failed, Unsupported };
    bool checkVanished();
    bool pullReceived();
    SystemRead readFromSystem();

    std::unique_ptr<QSerialPort> m_port;
    int m_portNumber = 1;
    LineSettings m_settings;
    QString m_device;
    QString m_fixedDevice;
    QString m_error;
    PortError m_errorKind = PortError::None;
    // Received bytes read from the device by this port (not by QSerialPort),
    // oldest first; QSerialPort's own buffer is moved in front before each read.
    QByteArray m_taken;
};

} // namespace rdlink
