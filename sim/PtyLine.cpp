#include "sim/PtyLine.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace rdsim {

namespace {
struct SpeedPair {
    speed_t speed;
    int baud;
};
constexpr SpeedPair kSpeeds[] = {
    {B300, 300},     {B600, 600},     {B1200, 1200},   {B2400, 2400},     {B4800, 4800},
    {B9600, 9600},   {B19200, 19200}, {B38400, 38400}, {B57600, 57600},   {B115200, 115200},
    {B230400, 230400},
};
} // namespace

int SpeedToBaud(unsigned speed)
{
    for (const auto &p : kSpeeds)
        if (p.speed == speed)
            return p.baud;
    return 0;
}

unsigned BaudToSpeed(int baud)
{
    for (const auto &p : kSpeeds)
        if (p.baud == baud)
            return p.speed;
    return B0;
}

PtyLine::~PtyLine()
{
    close();
}

bool PtyLine::open(int baud, std::string *error)
{
    char name[PATH_MAX] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        *error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_device = name;
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    // Raw 8N1 at the instrument's rate, so nothing is echoed or translated
    // before a client sets its own settings.
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB);
    ::cfsetispeed(&tio, BaudToSpeed(baud));
    ::cfsetospeed(&tio, BaudToSpeed(baud));
    ::tcsetattr(m_slave, TCSANOW, &tio);
    return true;
}

bool PtyLine::makeLink(const std::string &path, std::string *error)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = path + " exists and is not a symbolic link; not replacing it";
            return false;
        }
        ::unlink(path.c_str());
    }
    if (::symlink(m_device.c_str(), path.c_str()) != 0) {
        *error = "cannot link " + path + ": " + std::strerror(errno);
        return false;
    }
    m_link = path;
    return true;
}

void PtyLine::close()
{
    if (!m_link.empty()) {
        // Remove the link only while it still points at our device.
        char target[PATH_MAX] = {};
        const ssize_t n = ::readlink(m_link.c_str(), target, sizeof target - 1);
        if (n > 0 && m_device == std::string(target, size_t(n)))
            ::unlink(m_link.c_str());
        m_link.clear();
    }
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

int PtyLine::lineBaud() const
{
    termios tio{};
    if (m_master < 0 || ::tcgetattr(m_master, &tio) != 0)
        return 0;
    return SpeedToBaud(::cfgetospeed(&tio));
}

} // namespace rdsim
