#include "sim/SimLog.h"

#include "sim/RequestHandler.h"

#include <cerrno>
#include <cstring>

namespace rdsim {

std::string FormatLogLine(uint64_t ms, const char *direction, const std::vector<uint8_t> &bytes,
                          const std::string &meaning)
{
    std::string line = std::to_string(ms) + ' ' + direction + ' ' + HexBytes(bytes);
    if (!bytes.empty())
        line += ' ';
    line += "; " + meaning;
    return line;
}

SimLog::~SimLog()
{
    if (m_owned && m_file)
        std::fclose(m_file);
}

bool SimLog::open(const std::string &path, std::string *error)
{
    if (path.empty())
        return true;
    if (path == "-") {
        m_file = stdout;
        return true;
    }
    m_file = std::fopen(path.c_str(), "we");  // not inherited by a program we start
    if (!m_file) {
        *error = "cannot write the log " + path + ": " + std::strerror(errno);
        return false;
    }
    m_owned = true;
    return true;
}

void SimLog::write(uint64_t ms, const char *direction, const std::vector<uint8_t> &bytes,
                   const std::string &meaning)
{
    if (!m_file)
        return;
    const std::string line = FormatLogLine(ms, direction, bytes, meaning) + '\n';
    std::fputs(line.c_str(), m_file);
    std::fflush(m_file);
}

} // namespace rdsim
