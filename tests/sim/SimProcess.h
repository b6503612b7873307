// Runs rd5800-sim as a child process for end-to-end tests: starts it with the
// given options and a log file in a private temporary folder, reads the device
// path from its first line, and stops it with SIGTERM when destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace simtest {

struct LogLine {
    uint64_t ms = 0;
    std::string direction;       // "rx", "tx" or "--"
    std::vector<uint8_t> bytes;
    std::string meaning;
};

std::vector<LogLine> ParseLog(const std::string &text);

class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string> &args);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool started() const { return !m_device.empty(); }
    const std::string &device() const { return m_device; }
    const std::string &folder() const { return m_folder; }
    pid_t pid() const { return m_pid; }

    std::vector<LogLine> log() const;
    std::vector<LogLine> logLines(const char *direction) const;
    // Waits (in real time, up to timeoutMs) until the log holds at least `count`
    // lines of `direction`; returns whether it did.
    bool waitForLines(const char *direction, size_t count, int timeoutMs) const;

    void signal(int sig) const;
    // Waits for the process to end; its exit status, or -1 on timeout.
    int waitExit(int timeoutMs);

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_folder;
    std::string m_logPath;
    std::string m_device;
    bool m_exited = false;
};

// Path of the rd5800-sim program under test.
const char *SimProgram();

} // namespace simtest
