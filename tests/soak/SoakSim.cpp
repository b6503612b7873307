#include "SoakSim.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace soak {

SoakSim::SoakSim(const std::string &program, const std::string &folder, const std::vector<std::string> &args)
    : m_folder(folder)
{
    std::vector<std::string> all = {program, "--log", logPath()};
    all.insert(all.end(), args.begin(), args.end());
    const std::string errPath = m_folder + "/sim.err";
    int out[2];
    if (pipe(out) != 0)
        return;
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);   // the driver died before the line above took effect
        dup2(out[1], STDOUT_FILENO);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0)
            dup2(err, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char *> argv;
        for (std::string &a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    if (m_pid < 0) {
        close(out[0]);
        return;
    }
    m_stdout = out[0];
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
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

bool SoakSim::running()
{
    if (m_pid <= 0 || m_exited)
        return false;
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid)
        m_exited = true;
    return !m_exited;
}

SoakSim::~SoakSim()
{
    if (m_pid > 0 && running()) {
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 30 && running(); ++i)
            usleep(100 * 1000);
        if (running()) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    if (m_stdout >= 0)
        close(m_stdout);
}

} // namespace soak
