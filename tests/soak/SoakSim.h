// Starts rd5800-sim for a soak run. Unlike the end-to-end helper, the simulator
// is tied to this process's life (it is killed when the driver dies, however it
// dies), so a crashed driver never leaves a simulator holding the test runner's
// output open. Its standard error goes to a file beside its log.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace soak {

class SoakSim {
public:
    // Starts `program --log <folder>/sim.log args...` and reads the device path
    // from its first line of output (up to 10 s).
    SoakSim(const std::string &program, const std::string &folder, const std::vector<std::string> &args);
    ~SoakSim();
    SoakSim(const SoakSim &) = delete;
    SoakSim &operator=(const SoakSim &) = delete;

    bool started() const { return !m_device.empty(); }
    const std::string &device() const { return m_device; }
    std::string logPath() const { return m_folder + "/sim.log"; }
    // False once the simulator has ended on its own.
    bool running();

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    bool m_exited = false;
    std::string m_folder;
    std::string m_device;
};

} // namespace soak
