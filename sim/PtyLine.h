// The simulator's end of the serial line: a pseudo-terminal pair. The program
// under test opens the slave device; the simulator reads and writes the master.
// The simulator keeps its own slave descriptor open so that the master never
// reads EIO between clients, and reads the line settings the client set back
// from the master (on Linux the master reports the slave's termios).
#pragma once

#include <string>

namespace rdsim {

class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    // Opens the pair, puts the slave in raw 8N1 at `baud`.
    bool open(int baud, std::string *error);
    // Makes `path` a symbolic link to the device. An existing symbolic link is
    // replaced; any other file there is left alone and reported.
    bool makeLink(const std::string &path, std::string *error);
    // Closes both ends and removes the link: the device is gone.
    void close();

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    const std::string &devicePath() const { return m_device; }
    // Baud rate the client set on the line, 0 when it cannot be read or is none
    // of the usual rates.
    int lineBaud() const;

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_device;
    std::string m_link;
};

// termios speed constants <-> bits per second (0 when unknown).
int SpeedToBaud(unsigned speed);
unsigned BaudToSpeed(int baud);

} // namespace rdsim
