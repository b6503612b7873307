#include "sim/TcpLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rdsim {

TcpLine::~TcpLine()
{
    close();
}

bool TcpLine::open(int port, const std::string &scheme, std::string *error)
{
    close();
    m_scheme = scheme;
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    if (::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listen, 4) != 0) {
        *error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        close();
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_url = m_scheme + "://127.0.0.1:" + std::to_string(m_port);
    return true;
}

void TcpLine::closeClient()
{
    if (m_client >= 0)
        ::close(m_client);
    m_client = -1;
}

void TcpLine::close()
{
    closeClient();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

bool TcpLine::accept(bool *refused)
{
    *refused = false;
    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return false;
    if (m_client >= 0) {
        ::close(fd);
        *refused = true;
        return false;
    }
    // Replies leave byte by byte at line speed: each byte goes out as it is due.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_client = fd;
    return true;
}

} // namespace rdsim
