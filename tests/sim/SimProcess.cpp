#include "SimProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace simtest {

const char *SimProgram()
{
    return RD_SIM_PROGRAM;
}

std::vector<LogLine> ParseLog(const std::string &text)
{
    std::vector<LogLine> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t semi = line.find(" ; ");
        const size_t semiBare = line.find("; ");
        const size_t cut = semi != std::string::npos ? semi : semiBare;
        if (cut == std::string::npos)
            continue;
        LogLine l;
        l.meaning = line.substr(cut + (semi != std::string::npos ? 3 : 2));
        std::istringstream head(line.substr(0, cut));
        head >> l.ms >> l.direction;
        std::string hex;
        while (head >> hex)
            l.bytes.push_back(uint8_t(std::stoul(hex, nullptr, 16)));
        out.push_back(l);
    }
    return out;
}

SimProcess::SimProcess(const std::vector<std::string> &args)
{
    char folder[] = "/tmp/rdsimtest.XXXXXX";
    if (!mkdtemp(folder))
        return;
    m_folder = folder;
    m_ownFolder = true;
    start(SimProgram(), args, std::string());
}

SimProcess::SimProcess(const std::string &program, const std::string &folder, const std::vector<std::string> &args)
    : m_folder(folder)
{
    start(program, args, m_folder + "/sim.err");
}

void SimProcess::start(const std::string &program, const std::vector<std::string> &args, const std::string &errPath)
{
    m_logPath = m_folder + "/sim.log";
    std::vector<std::string> all = {program, "--log", m_logPath};
    all.insert(all.end(), args.begin(), args.end());
    // Everything the child needs is prepared here: the test process may have other
    // threads, and a child that allocated after fork() could wait for ever on a
    // lock one of them held at the fork.
    std::vector<char *> argv;
    for (std::string &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0)
        return;
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);   // the parent died before the line above took effect
        dup2(out[1], STDOUT_FILENO);
        if (!errPath.empty()) {
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0)
                dup2(err, STDERR_FILENO);
        }
        close(out[0]);
        close(out[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (m_pid < 0) {
        close(out[0]);
        return;
    }
    m_stdout = out[0];
    // The first line is the device path. It comes within milliseconds; the long
    // limit is for a machine busy with other tests, and costs nothing otherwise.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{m_stdout, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c;
        if (read(m_stdout, &c, 1) != 1)
            break;
        if (c == '\n') {
            m_device = line;
            break;
        }
        line += c;
    }
}

SimProcess::~SimProcess()
{
    if (m_pid > 0 && !m_exited) {
        kill(m_pid, SIGTERM);
        if (waitExit(3000) < 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    if (m_stdout >= 0)
        close(m_stdout);
    if (m_ownFolder) {
        unlink(m_logPath.c_str());
        rmdir(m_folder.c_str());
    }
}

std::vector<LogLine> SimProcess::log() const
{
    std::ifstream in(m_logPath);
    std::stringstream text;
    text << in.rdbuf();
    return ParseLog(text.str());
}

std::vector<LogLine> SimProcess::logLines(const char *direction) const
{
    std::vector<LogLine> out;
    for (const LogLine &l : log())
        if (l.direction == direction)
            out.push_back(l);
    return out;
}

bool SimProcess::waitForLines(const char *direction, size_t count, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (logLines(direction).size() >= count)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void SimProcess::signal(int sig) const
{
    if (m_pid > 0 && !m_exited)
        kill(m_pid, sig);
}

bool SimProcess::running()
{
    if (m_pid <= 0 || m_exited)
        return false;
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
        m_exited = true;
    return !m_exited;
}

int SimProcess::waitExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_exited = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace simtest
