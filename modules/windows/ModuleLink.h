// The port discipline of every module window: each operation opens the program's
// port (port 1, "9600,N,8,1"), runs its exchanges and closes it again, so the
// windows take turns on the one device. Exchanges discard pending input, send the
// request to slave 1, sleep the operation's wait and look for the reply. The
// operations run as jobs on the program's link worker; the window gets the
// outcome back on its own thread (ModuleJob.h). No widgets here.
#pragma once

#include "link/Exchange.h"
#include "link/LinkWorker.h"
#include "link/SerialPort.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class Prompter;

namespace rdmod {

// The module program always talks on COM1 at 9600 baud, no parity, 8 data bits,
// 1 stop bit.
constexpr int kModulePort = 1;
constexpr rdlink::LineSettings kModuleLine{};

// What each window needs: the program's link worker and the seam for messages.
struct ModuleContext {
    rdlink::LinkWorker &worker;
    Prompter &prompter;
};

enum class PortUse { Reading, Writing };

// The message for a port that cannot be opened: port number, device and reason.
QString PortOpenFailureText(const rdlink::SerialPort &port);
// The message for a device that went away during an operation (adapter pulled):
// port number, device and reason; a write adds that the block may be half written.
QString PortLostText(const rdlink::SerialPort &port, PortUse use);

class ModuleLink {
public:
    explicit ModuleLink(rdlink::Link &link) : m_link(link) {}

    rdlink::SerialPort &port() { return m_link.port(); }

    // Reads count registers; empty when no reply frame was found.
    std::optional<std::vector<uint16_t>> read(uint16_t reg, uint16_t count, uint32_t waitMs);
    // Writes one register; true when its echo came back.
    bool write(uint16_t reg, uint16_t value, uint32_t waitMs);
    // Writes count registers from base upwards, each with its own echo check, all
    // of them whatever the earlier echoes were, but none once the device is gone.
    // Returns the registers whose echo did not come.
    std::vector<uint16_t> writeBlock(uint16_t base, const uint16_t *values, int count, uint32_t waitMs);

private:
    rdlink::Link &m_link;
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

// One operation on the worker: opens the port, runs `work` and closes the port.
// Returns the message for a port that would not open (nothing was sent) or for a
// device lost during the work, or nothing when the work ran to its end on a live
// port. `work` gets the session to stop early once the device is gone.
std::optional<QString> RunOnPort(rdlink::Link &link, PortUse use,
                                 const std::function<void(ModuleLink &, const PortSession &)> &work);

} // namespace rdmod
