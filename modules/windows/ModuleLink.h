// The port discipline of every module window: each operation opens the window's
// own port (port 1, "9600,N,8,1"), runs its exchanges and closes it again, so the
// windows take turns on the one device. Exchanges discard pending input, send the
// request to slave 1, sleep the operation's wait and look for the reply. No widgets.
#pragma once

#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/SerialPort.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Prompter;
class QWidget;

namespace rdmod {

constexpr int kModulePort = 1;
inline QString ModulePortSettings() { return QStringLiteral("9600,N,8,1"); }

// What each window needs to reach the instrument: a port of its own, the shared
// clock and the seam for messages.
struct ModuleContext {
    std::function<std::unique_ptr<rdlink::SerialPort>()> makePort;
    rdlink::Clock &clock;
    Prompter &prompter;
};

// The message for a port that cannot be opened: port number, device and reason.
QString PortOpenFailureText(const rdlink::SerialPort &port);
// The message for a device that went away during an operation (adapter pulled):
// port number, device and reason; a write adds that the block may be half written.
QString PortLostText(const rdlink::SerialPort &port, bool writing);

class ModuleLink {
public:
    ModuleLink(rdlink::SerialPort &port, rdlink::Clock &clock) : m_port(port), m_link(port, clock) {}

    rdlink::SerialPort &port() { return m_port; }

    // Reads count registers; empty when no reply frame was found.
    std::optional<std::vector<uint16_t>> read(uint16_t reg, uint16_t count, uint32_t waitMs);
    // Writes one register; true when its echo came back.
    bool write(uint16_t reg, uint16_t value, uint32_t waitMs);
    // Writes count registers from base upwards, each with its own echo check, all
    // of them whatever the earlier echoes were, but none once the device is gone.
    // Returns the registers whose echo did not come.
    std::vector<uint16_t> writeBlock(uint16_t base, const uint16_t *values, int count, uint32_t waitMs);

private:
    rdlink::SerialPort &m_port;
    rdlink::Link m_link;
};

// One operation's hold on the port: opens at construction, closes at destruction.
class PortSession {
public:
    explicit PortSession(rdlink::SerialPort &port);
    ~PortSession();
    PortSession(const PortSession &) = delete;
    PortSession &operator=(const PortSession &) = delete;

    bool isOpen() const { return m_open; }
    // The device went away during the session: it was opened, and the link has
    // closed it on a read or write error since.
    bool lost() const { return m_open && !m_port.isOpen(); }

private:
    rdlink::SerialPort &m_port;
    bool m_open;
};

// One operation of a window: opens the port, runs `work` and closes the port.
// A port that will not open (nothing is sent) or a device lost during the work is
// told to the user with its reason. True when the work ran to its end on a live
// port. `work` gets the session to stop early once the device is gone.
bool RunOnPort(rdlink::SerialPort &port, const ModuleContext &context, QWidget *parent, bool writing,
               const std::function<void(const PortSession &)> &work);

} // namespace rdmod
