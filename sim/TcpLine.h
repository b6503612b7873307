// The simulator's end of a gateway: a TCP listener on the loopback interface and
// at most one client. A second client is refused: accepted and closed at once, as
// a single-connection serial gateway does, so it sees the connection drop instead
// of hanging. Port 0 lets the system choose a free port; url() says which.
#pragma once

#include <cstdint>
#include <string>

namespace rdsim {

class TcpLine {
public:
    TcpLine() = default;
    ~TcpLine();
    TcpLine(const TcpLine &) = delete;
    TcpLine &operator=(const TcpLine &) = delete;

    // Listens on 127.0.0.1:port; `scheme` is "tcp" or "modbus-tcp" for url().
    bool open(int port, const std::string &scheme, std::string *error);
    // Closes the client and the listener: the gateway is gone.
    void close();
    void closeClient();

    bool isOpen() const { return m_listen >= 0; }
    bool hasClient() const { return m_client >= 0; }
    int listenFd() const { return m_listen; }
    int clientFd() const { return m_client; }
    // "tcp://127.0.0.1:PORT" with the port actually listened on.
    const std::string &url() const { return m_url; }
    int port() const { return m_port; }

    // Takes a waiting connection: the client when there is none, else refused.
    // Returns true when it became the client.
    bool accept(bool *refused);

private:
    int m_listen = -1;
    int m_client = -1;
    int m_port = 0;
    std::string m_scheme;
    std::string m_url;
};

} // namespace rdsim
