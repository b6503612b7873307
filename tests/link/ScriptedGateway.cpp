#include "ScriptedGateway.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gwtest {
namespace {

int Listen(int backlog, int *port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t n = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &n);
    *port = ntohs(a.sin_port);
    return fd;
}

} // namespace

void AppendCrc(std::vector<uint8_t> &frame)
{
    uint16_t crc = 0xFFFF;
    for (uint8_t b : frame) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    frame.push_back(uint8_t(crc & 0xFF));
    frame.push_back(uint8_t(crc >> 8));
}

std::vector<uint8_t> ReadReplyPdu(int count, uint16_t first)
{
    std::vector<uint8_t> pdu = {3, uint8_t(2 * count)};
    for (int i = 0; i < count; ++i) {
        pdu.push_back(uint8_t((first + i) >> 8));
        pdu.push_back(uint8_t((first + i) & 0xFF));
    }
    return pdu;
}

std::vector<uint8_t> RtuReadReply(uint8_t address, int count, uint16_t first)
{
    std::vector<uint8_t> frame = {address};
    const std::vector<uint8_t> pdu = ReadReplyPdu(count, first);
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    AppendCrc(frame);
    return frame;
}

std::vector<uint8_t> Adu(uint16_t transaction, uint8_t unit, const std::vector<uint8_t> &pdu)
{
    const size_t length = pdu.size() + 1;
    std::vector<uint8_t> adu = {uint8_t(transaction >> 8), uint8_t(transaction & 0xFF), 0, 0,
                                uint8_t(length >> 8), uint8_t(length & 0xFF), unit};
    adu.insert(adu.end(), pdu.begin(), pdu.end());
    return adu;
}

int ClosedLoopbackPort()
{
    int port = 0;
    const int fd = Listen(1, &port);
    ::close(fd);
    return port;
}

ScriptedGateway::ScriptedGateway(bool mbap, Responder responder)
    : m_mbap(mbap), m_responder(std::move(responder))
{
    m_listen = Listen(4, &m_port);
    m_thread = std::thread([this] { serve(); });
}

ScriptedGateway::~ScriptedGateway()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listen);
}

void ScriptedGateway::serve()
{
    // Every wait is a poll of at most 20 ms, so the destructor ends it promptly;
    // a client that closes is followed by the next one.
    int client = -1;
    std::vector<uint8_t> buffer;
    while (!m_stop) {
        pollfd p{client >= 0 ? client : m_listen, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        if (client < 0) {
            client = ::accept(m_listen, nullptr, nullptr);
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            buffer.clear();
            continue;
        }
        uint8_t chunk[512];
        const ssize_t n = ::read(client, chunk, sizeof chunk);
        if (n <= 0) {
            ::close(client);
            client = -1;
            continue;
        }
        buffer.insert(buffer.end(), chunk, chunk + n);
        for (;;) {
            size_t size = 8;
            if (m_mbap)
                size = buffer.size() >= 6 ? 6u + size_t(buffer[4] << 8 | buffer[5]) : SIZE_MAX;
            if (buffer.size() < size)
                break;
            const std::vector<uint8_t> request(buffer.begin(), buffer.begin() + std::ptrdiff_t(size));
            buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(size));
            bool closed = false;
            for (const Piece &piece : m_responder(request, m_requests++)) {
                if (piece.delayMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(piece.delayMs));
                if (!piece.bytes.empty())
                    (void)::write(client, piece.bytes.data(), piece.bytes.size());
                if (piece.close || piece.reset) {
                    if (piece.reset) {
                        const linger abort{1, 0};
                        ::setsockopt(client, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                    }
                    ::close(client);
                    client = -1;
                    closed = true;
                    break;
                }
            }
            if (closed)
                break;
        }
    }
    if (client >= 0)
        ::close(client);
}

SilentListener::SilentListener(int fillers)
{
    m_listen = Listen(0, &m_port);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(m_port));
    for (int i = 0; i < fillers; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        m_fillers.push_back(fd);
    }
}

SilentListener::~SilentListener()
{
    for (int fd : m_fillers)
        ::close(fd);
    ::close(m_listen);
}

} // namespace gwtest
