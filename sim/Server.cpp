#include "sim/Server.h"

#include "sim/RequestHandler.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rdsim {

namespace {
constexpr uint64_t kTickNs = 100000000;  // the world moves on at least this often

sigset_t HandledSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGCHLD})
        sigaddset(&set, s);
    return set;
}
} // namespace

namespace {
// The loads of a simulated bus, meter after meter: each its own, all inside what
// the current registers hold (65.535 A at the model's highest current).
constexpr double kBusLoads[] = {1.0, 0.5, 1.4, 0.3, 0.8, 1.7, 0.65, 1.2};

std::vector<Device> MakeDevices(const Options &options)
{
    std::vector<Device> devices;
    if (options.addresses.empty()) {
        DeviceConfig config = options.device;
        if (options.refuseMeter == 0)
            config.refusedWrite = options.refuseRegister;
        devices.emplace_back(config);
        return devices;
    }
    for (size_t i = 0; i < options.addresses.size(); ++i) {
        DeviceConfig config = options.device;
        config.address = options.addresses[i];
        config.seed = options.device.seed + uint32_t(i);
        config.loadScale = kBusLoads[i % (sizeof kBusLoads / sizeof kBusLoads[0])];
        if (i == options.refuseMeter)
            config.refusedWrite = options.refuseRegister;
        devices.emplace_back(config);
    }
    return devices;
}
} // namespace

Server::Server(const Options &options)
    : m_options(options), m_devices(MakeDevices(options)), m_faults(options.faults, options.device.seed)
{
}

Device *Server::meterAt(uint8_t address, size_t *index)
{
    for (size_t i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].address() == address) {
            *index = i;
            return &m_devices[i];
        }
    }
    return nullptr;
}

void Server::broadcastWrite(const Request &request, uint64_t ms)
{
    int done = 0;
    for (Device &device : m_devices) {
        device.advanceTo(ms);
        LineChange change;
        bool deferred = false;
        if (device.write(request.reg, request.countOrValue, &change, &deferred) != kNoException)
            continue;
        if (deferred)
            device.applyLineChange(change);   // no echo to wait for
        ++done;
    }
    m_framer.setGapNs(FrameGapNs(charNs()));
    m_log.write(ms, "--", {}, "broadcast write carried out by " + std::to_string(done) + " of " +
                                  std::to_string(m_devices.size()) + " meters");
}

uint64_t Server::NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

bool Server::start(std::string *error)
{
    m_startNs = NowNs();
    if (!m_log.open(m_options.logPath, error))
        return false;
    if (tcp()) {
        if (!m_tcp.open(m_options.tcpPort, m_options.modbusTcp ? "modbus-tcp" : "tcp", error))
            return false;
    } else if (!m_line.open(lineDevice().baud(), error)) {
        return false;
    }
    if (!tcp() && !m_options.linkPath.empty() && !m_line.makeLink(m_options.linkPath, error)) {
        m_line.close();
        return false;
    }
    const sigset_t set = HandledSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    m_signalFd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_signalFd < 0) {
        *error = std::string("signalfd: ") + std::strerror(errno);
        return false;
    }
    m_framer.setGapNs(FrameGapNs(charNs()));
    if (m_options.vanishAfterMs >= 0)
        m_vanishAtNs = m_startNs + uint64_t(m_options.vanishAfterMs) * 1000000u;
    for (Device &device : m_devices)
        device.advanceTo(0);
    return true;
}

bool Server::spawnProgram(std::string *error)
{
    if (m_options.program.empty())
        return true;
    std::fflush(nullptr);
    m_child = fork();
    if (m_child < 0) {
        *error = std::string("fork: ") + std::strerror(errno);
        return false;
    }
    if (m_child == 0) {
        const sigset_t set = HandledSignals();
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        setenv("RD5800_COM1", devicePath().c_str(), 1);
        std::vector<char *> argv;
        for (const std::string &a : m_options.program)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        std::fprintf(stderr, "rd5800-sim: cannot start %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    return true;
}

int Server::dataFd() const
{
    if (tcp())
        return m_tcp.clientFd();
    return m_line.isOpen() ? m_line.masterFd() : -1;
}

void Server::acceptClient()
{
    bool refused = false;
    while (m_tcp.accept(&refused) || refused) {
        if (refused) {
            m_log.write(msSinceStart(NowNs()), "--", {}, "second client refused");
        } else {
            m_framer = RxFramer();
            m_framer.setGapNs(FrameGapNs(charNs()));
            m_mbap.clear();
            m_log.write(msSinceStart(NowNs()), "--", {}, "client connected");
        }
    }
}

void Server::clientLeft(const char *why)
{
    m_flooding = false;
    m_tcp.closeClient();
    m_pacing.clear();
    m_mbap.clear();
    m_log.write(msSinceStart(NowNs()), "--", {}, std::string("client left (") + why + ")");
}

void Server::vanish(const char *why)
{
    // A gateway that vanishes drops its client and stops listening.
    if (tcp() ? !m_tcp.isOpen() : !m_line.isOpen())
        return;
    if (tcp())
        m_tcp.close();
    else
        m_line.close();
    m_pacing.clear();
    m_mbap.clear();
    m_log.write(msSinceStart(NowNs()), "--", {}, std::string("vanished (") + why + ")");
}

void Server::reappear()
{
    if (tcp() ? m_tcp.isOpen() : m_line.isOpen())
        return;
    std::string error;
    if (tcp()) {
        // Back on the same port, so the program's URL finds it again.
        if (!m_tcp.open(m_tcp.port(), m_options.modbusTcp ? "modbus-tcp" : "tcp", &error)) {
            m_log.write(msSinceStart(NowNs()), "--", {}, "cannot reappear: " + error);
            std::fprintf(stderr, "rd5800-sim: %s\n", error.c_str());
            return;
        }
    } else if (!m_line.open(lineDevice().baud(), &error) ||
        (!m_options.linkPath.empty() && !m_line.makeLink(m_options.linkPath, &error))) {
        m_log.write(msSinceStart(NowNs()), "--", {}, "cannot reappear: " + error);
        std::fprintf(stderr, "rd5800-sim: %s\n", error.c_str());
        return;
    }
    m_log.write(msSinceStart(NowNs()), "--", {}, "reappeared at " + devicePath());
    // The new device path goes to standard output, like the first one.
    std::printf("%s\n", devicePath().c_str());
    std::fflush(stdout);
}

bool Server::handleSignals()
{
    signalfd_siginfo info{};
    while (read(m_signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
        switch (info.ssi_signo) {
        case SIGUSR1:
            vanish("SIGUSR1");
            break;
        case SIGUSR2:
            reappear();
            break;
        case SIGCHLD: {
            int status = 0;
            if (m_child > 0 && waitpid(m_child, &status, WNOHANG) == m_child) {
                m_child = -1;
                m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                return false;
            }
            break;
        }
        default:  // SIGINT, SIGTERM, SIGHUP
            if (m_child > 0)
                kill(m_child, SIGTERM);
            m_exitStatus = 0;
            return false;
        }
    }
    return true;
}

void Server::readLine(uint64_t nowNs)
{
    uint8_t buf[512];
    for (;;) {
        const ssize_t n = read(dataFd(), buf, sizeof buf);
        if (n > 0) {
            if (m_options.modbusTcp)
                m_mbap.add(buf, size_t(n));
            else
                m_framer.add(buf, size_t(n), nowNs);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (tcp() && (n == 0 || errno != EAGAIN))
            clientLeft(n == 0 ? "closed" : std::strerror(errno));
        break;  // EAGAIN; EIO cannot happen while our own slave end is open
    }
}

void Server::handleFrame(const std::vector<uint8_t> &frame, uint64_t nowNs)
{
    const uint64_t ms = msSinceStart(nowNs);
    size_t meter = 0;
    Device *found = frame.empty() ? nullptr : meterAt(frame[0], &meter);
    Device &device = found ? *found : m_devices.front();
    const uint8_t address = device.address();
    // The reply goes out at the settings of the meter that sends it (on a bus being
    // commissioned the meters' settings differ until every one is set).
    const uint64_t cn = CharTimeNs(device.baud(), device.parity() != 'N');
    Burst burst;
    burst.charNs = cn;
    // The request reached us at once through the pseudo-terminal; on a real line
    // its last byte arrives one request's line time after the master wrote it.
    burst.startNs = nowNs + frame.size() * cn + uint64_t(m_options.turnaroundMs + m_options.replyDelayMs) * 1000000u;
    if (m_options.flood) {
        if (!m_flooding)
            m_log.write(ms, "rx", frame, "flooding the client from now on");
        m_flooding = true;
        return;
    }

    // A gateway's serial side is set up on the gateway: nothing to compare.
    const int lineBaud = tcp() ? device.baud() : m_line.lineBaud();
    if (lineBaud != device.baud()) {
        m_log.write(ms, "rx", frame,
                    "not understood: line at " + std::to_string(lineBaud) + " baud, device at " +
                        std::to_string(device.baud()));
        // What a mismatched instrument hears is noise; it answers noise or nothing.
        burst.bytes = m_faults.garbage(address, frame.size() * 2);
        if (!burst.bytes.empty()) {
            burst.lineChars = burst.bytes.size();
            burst.logged = burst.bytes;
            burst.meaning = "garbage";
            m_pacing.schedule(std::move(burst));
        }
        return;
    }

    const Request request = ParseRequest(frame.data(), frame.size(), address);
    const std::string transaction =
        m_options.modbusTcp ? ", transaction " + std::to_string(m_transaction) : std::string();
    m_log.write(ms, "rx", frame, request.meaning + transaction);
    if (!request.forUs) {
        if (!m_options.addresses.empty() && frame[0] == 0 && request.function == 6 && request.wellFormed)
            broadcastWrite(request, ms);
        return;
    }

    device.advanceTo(ms);
    const Fault fault = m_faults.decide();
    Reply reply;
    if (fault == Fault::Exception) {
        reply.exception = kDeviceFailure;
        reply.bytes = ExceptionFrame(address, request.function, kDeviceFailure);
    } else {
        reply = ExecuteRequest(request, device);
    }
    burst.hasLineChange = reply.hasLineChange;
    burst.lineChange = reply.lineChange;
    burst.lineChange.meter = meter;
    burst.meaning = reply.exception ? "exception " + std::to_string(reply.exception) : "reply";
    burst.bytes = reply.bytes;
    switch (fault) {
    case Fault::Drop:
        burst.bytes.clear();
        burst.meaning = "dropped";
        break;
    case Fault::BadCrc:
        FaultInjector::CorruptCrc(burst.bytes);
        burst.meaning = "bad-crc";
        break;
    case Fault::Stray: {
        std::vector<uint8_t> noise = m_faults.strayBytes(address);
        burst.bytes.insert(burst.bytes.begin(), noise.begin(), noise.end());
        burst.meaning = "stray";
        break;
    }
    case Fault::Late:
        burst.startNs += uint64_t(m_options.lateMs) * 1000000u;
        burst.meaning = "late";
        break;
    case Fault::None:
    case Fault::Exception:
        break;
    }
    burst.logged = fault == Fault::Drop ? reply.bytes : burst.bytes;
    burst.lineChars = std::max(burst.bytes.size(), reply.bytes.size());
    if (m_options.modbusTcp) {
        burst.logged = reply.bytes;
        wrapMbap(burst, fault, reply.bytes);
        burst.meaning += transaction;
    }
    m_pacing.schedule(std::move(burst));
}

void Server::wrapMbap(Burst &burst, Fault fault, const std::vector<uint8_t> &reply)
{
    // The log keeps the RTU reply; the wire gets ADUs. A protocol gateway checks
    // the meter's CRC, so a corrupted reply never reaches the client; stray bytes
    // become a whole ADU of the previous transaction in front of the reply, which
    // the client must drop; a late reply keeps its own transaction id and so
    // reaches the client as a stray during a later request.
    switch (fault) {
    case Fault::Drop:
        burst.bytes.clear();
        break;
    case Fault::BadCrc:
        burst.bytes.clear();
        burst.meaning += " (dropped by the gateway)";
        break;
    case Fault::Stray: {
        burst.bytes = WrapMbap(uint16_t(m_transaction - 1), reply);
        const std::vector<uint8_t> adu = WrapMbap(m_transaction, reply);
        burst.bytes.insert(burst.bytes.end(), adu.begin(), adu.end());
        break;
    }
    case Fault::None:
    case Fault::Exception:
    case Fault::Late:
        burst.bytes = WrapMbap(m_transaction, reply);
        break;
    }
    burst.lineChars = std::max(burst.bytes.size(), reply.size() + 4);
}

void Server::pump(uint64_t nowNs)
{
    for (;;) {
        LinePacing::Due due = m_pacing.take(nowNs);
        if (due.started)
            m_log.write(msSinceStart(nowNs), "tx", due.loggedBytes, due.meaning);
        if (!due.bytes.empty() && dataFd() >= 0) {
            size_t off = 0;
            while (off < due.bytes.size()) {
                const ssize_t n = write(dataFd(), due.bytes.data() + off, due.bytes.size() - off);
                if (n > 0)
                    off += size_t(n);
                else if (n < 0 && errno == EINTR)
                    continue;
                else
                    break;  // the slave's input is full: the bytes are lost, as on a line
            }
        }
        if (!due.finished)
            break;
        if (due.hasLineChange) {
            m_devices[due.lineChange.meter].applyLineChange(due.lineChange);
            m_framer.setGapNs(FrameGapNs(charNs()));
        }
    }
}

void Server::flood()
{
    static const std::vector<uint8_t> garbage = [] {
        std::vector<uint8_t> bytes(4096);
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = i % 2 ? 0x03 : 0x01;
        return bytes;
    }();
    // Until the connection is full; the poll then waits for room.
    for (int i = 0; i < 64 && dataFd() >= 0; ++i)
        if (write(dataFd(), garbage.data(), garbage.size()) <= 0)
            break;
}

int Server::run()
{
    uint64_t nextTickNs = NowNs();
    for (;;) {   // ends with the program it runs, or with a signal
        const uint64_t now = NowNs();
        if (m_vanishAtNs && now >= m_vanishAtNs) {
            vanish("--vanish-after");
            m_vanishAtNs = 0;
        }
        if (now >= nextTickNs) {
            for (Device &device : m_devices)
                device.advanceTo(msSinceStart(now));
            nextTickNs = now + kTickNs;
        }
        std::vector<uint8_t> frame;
        while (m_framer.next(now, &frame))
            handleFrame(frame, now);
        MbapRequest request;
        while (m_mbap.next(&request)) {
            m_transaction = request.transaction;
            handleFrame(request.rtu, now);
        }
        pump(now);
        if (m_flooding)
            flood();

        uint64_t wake = std::min({nextTickNs, m_pacing.nextDueNs(), m_framer.gapDueNs()});
        if (m_vanishAtNs)
            wake = std::min(wake, m_vanishAtNs);
        const uint64_t waitNs = wake > now ? wake - now : 0;
        timespec timeout{time_t(waitNs / 1000000000u), long(waitNs % 1000000000u)};

        // Signals, then the line (master or client), then the listener.
        pollfd fds[3] = {{m_signalFd, POLLIN, 0}, {-1, POLLIN, 0}, {-1, POLLIN, 0}};
        fds[1].fd = dataFd();
        if (m_flooding)
            fds[1].events |= POLLOUT;
        if (tcp())
            fds[2].fd = m_tcp.listenFd();
        const int ready = ppoll(fds, 3, &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        const uint64_t after = NowNs();
        if (ready > 0 && (fds[0].revents & POLLIN) && !handleSignals())
            break;
        const short lineEvents = tcp() ? short(POLLIN | POLLHUP | POLLERR) : short(POLLIN);
        if (fds[1].fd >= 0 && (fds[1].revents & lineEvents))
            readLine(after);
        if (fds[2].fd >= 0 && (fds[2].revents & POLLIN))
            acceptClient();
    }
    m_line.close();
    m_tcp.close();
    return m_exitStatus;
}

} // namespace rdsim
