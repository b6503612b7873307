// Runs rd5800-sim as a child process for end-to-end tests and soaks: starts it
// with the given options and a log file, reads the device path from its first
// line, and stops it with SIGTERM when destroyed. The simulator is tied to this
// process's life (killed when it dies, however it dies), so a crashed test never
// leaves a simulator holding the test runner's output open.
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
    // The program under test, its log in a private temporary folder that is
    // removed afterwards; standard error is shared with this process.
    explicit SimProcess(const std::vector<std::string> &args);
    // `program`, its log and its standard error (sim.log, sim.err) in `folder`,
    // which is left as it is for the caller.
    SimProcess(const std::string &program, const std::string &folder, const std::vector<std::string> &args);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool started() const { return !m_device.empty(); }
    const std::string &device() const { return m_device; }
    const std::string &folder() const { return m_folder; }
    const std::string &logPath() const { return m_logPath; }
    pid_t pid() const { return m_pid; }

    std::vector<LogLine> log() const;
    std::vector<LogLine> logLines(const char *direction) const;
    // Waits (in real time, up to timeoutMs) until the log holds at least `count`
    // lines of `direction`; returns whether it did.
    bool waitForLines(const char *direction, size_t count, int timeoutMs) const;

    void signal(int sig) const;
    // Waits for the process to end; its exit status, or -1 on timeout.
    int waitExit(int timeoutMs);
    // False once the simulator has ended on its own.
    bool running();

private:
    void start(const std::string &program, const std::vector<std::string> &args, const std::string &errPath);

    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_folder;
    std::string m_logPath;
    std::string m_device;
    bool m_exited = false;
    bool m_ownFolder = false;
};

// Path of the rd5800-sim program under test.
const char *SimProgram();

} // namespace simtest
