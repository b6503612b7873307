// The request log that tests read: one line per request and per reply,
//   <monotonic ms> rx|tx <hex bytes separated by spaces> ; <meaning>
// for example "123456 rx 01 03 00 00 00 29 84 14 ; read 41 at 0x0000". Events
// without bytes (the device vanishing) leave the byte field empty. Each line is
// flushed at once so a reader sees it while the simulator runs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rdsim {

std::string FormatLogLine(uint64_t ms, const char *direction, const std::vector<uint8_t> &bytes,
                          const std::string &meaning);

class SimLog {
public:
    SimLog() = default;
    ~SimLog();
    SimLog(const SimLog &) = delete;
    SimLog &operator=(const SimLog &) = delete;

    // "-" logs to standard output; an empty path logs nothing.
    bool open(const std::string &path, std::string *error);
    void write(uint64_t ms, const char *direction, const std::vector<uint8_t> &bytes,
               const std::string &meaning);

private:
    std::FILE *m_file = nullptr;
    bool m_owned = false;
};

} // namespace rdsim
