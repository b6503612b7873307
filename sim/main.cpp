// rd5800-sim: a simulated RD5800 power monitor on a pseudo-terminal.
#include "sim/Options.h"
#include "sim/Server.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    rdsim::Options options;
    std::string error;
    if (!rdsim::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "rd5800-sim: %s\n%s", error.c_str(), rdsim::UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(rdsim::UsageText(), stdout);
        return 0;
    }
    rdsim::Server server(options);
    if (!server.start(&error)) {
        std::fprintf(stderr, "rd5800-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", server.devicePath().c_str());
    std::fflush(stdout);
    if (!server.spawnProgram(&error)) {
        std::fprintf(stderr, "rd5800-sim: %s\n", error.c_str());
        return 1;
    }
    return server.run();
}
