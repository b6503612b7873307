#include "sim/Options.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

namespace rdsim {

const char *UsageText()
{
    return
        "Usage: rd5800-sim [options] [-- PROGRAM ARGS...]\n"
        "A simulated RD5800 power monitor on a pseudo-terminal. Prints the device path\n"
        "on its first line and serves Modbus RTU requests until killed; with\n"
        "-- PROGRAM it runs PROGRAM with RD5800_COM1 set to the device and exits with it.\n"
        "\n"
        "  --link PATH        make PATH a symbolic link to the device (removed on exit)\n"
        "  --tcp PORT         be an Ethernet gateway instead: RTU frames over TCP on\n"
        "                     127.0.0.1:PORT (0: a free port); prints tcp://127.0.0.1:PORT\n"
        "  --modbus-tcp PORT  the same with Modbus TCP (MBAP header, unit id = address);\n"
        "                     prints modbus-tcp://127.0.0.1:PORT. One client at a time:\n"
        "                     a second connection is closed at once (refused)\n"
        "  --reply-delay MS   the gateway's network delay: every reply leaves MS later\n"
        "  --flood            the gateway answers the first request with 01 03 bytes\n"
        "                     without end, as fast as the client takes them\n"
        "  --address N        slave address 1..247 (default 1)\n"
        "  --addresses A,B,.. several meters on one line, one per address 1..247, each\n"
        "                     with its own load; a broadcast write reaches all of them.\n"
        "                     Meters given the same address wait behind each other (only\n"
        "                     the first still at it answers), as meters at factory\n"
        "                     settings wired in one after another\n"
        "  --refuse-write REG[@N]  meter N (default 1, the first) answers every write to\n"
        "                     register REG (0x0308, 776) with exception 3\n"
        "  --baud B           1200, 2400, 4800, 9600 or 19200 (default 9600)\n"
        "  --parity N|E|O     parity; sets the pacing, a pseudo-terminal cannot carry it (N)\n"
        "  --pt N, --ct N     PT and CT ratios 1..64000 (default 1)\n"
        "  --wiring N         wiring mode 0..5 (default 0, three-phase four-wire)\n"
        "  --modules HEXMASK  module presence bits (default 0x15: E2, A20_1#, K2_1#)\n"
        "  --accuracy N       accuracy flag: 0 class 0.5, 1 class 0.2 (default 0)\n"
        "  --export           the installation feeds the grid: negative active power\n"
        "  --wiring-fault F   a wiring mistake at the meter's inputs, repeatable:\n"
        "                     reverse-ct:X (the CT of phase X mounted the wrong way round),\n"
        "                     lose-voltage:X (voltage input X open), swap-ct:X,Y (the CTs\n"
        "                     of X and Y on each other's input), no-load:X (phase X\n"
        "                     carries no current); X, Y are A, B or C\n"
        "  --freeze           no drift, no input changes: every reading stays constant\n"
        "  --turnaround MS    delay before a reply starts (default 10)\n"
        "  --drop P           probability that a reply is lost\n"
        "  --bad-crc P        probability that a reply's CRC is corrupted\n"
        "  --stray P          probability of stray bytes before a reply\n"
        "  --late P           probability that a reply comes too late for any wait\n"
        "  --late-ms MS       how late a late reply comes (default 2000)\n"
        "  --exception P      probability of an exception reply (code 4)\n"
        "  --vanish-after MS  the device vanishes after MS milliseconds (as SIGUSR1 does);\n"
        "                     SIGUSR2 brings it back on a new device (the link follows)\n"
        "  --seed N           seed of every random choice (default 1)\n"
        "  --log FILE         request log, one line per request and reply ('-': stdout)\n"
        "  --help             this text\n";
}

namespace {

bool ParseLong(const std::string &text, long lo, long hi, int base, long *out)
{
    if (text.empty())
        return false;
    errno = 0;
    char *end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (errno || *end != '\0' || v < lo || v > hi)
        return false;
    *out = v;
    return true;
}

bool ParseProbability(const std::string &text, double *out)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !(v >= 0.0 && v <= 1.0))
        return false;
    *out = v;
    return true;
}

// "0x0308" or "776", optionally "@N" for the N-th meter.
bool ParseRefusal(const std::string &text, int *reg, size_t *meter)
{
    const size_t at = text.find('@');
    long r, n = 1;
    if (!ParseLong(text.substr(0, at), 0, 0xFFFF, 0, &r))
        return false;
    if (at != std::string::npos && !ParseLong(text.substr(at + 1), 1, 247, 10, &n))
        return false;
    *reg = int(r);
    *meter = size_t(n - 1);
    return true;
}

bool ParseAddressList(const std::string &text, std::vector<uint8_t> *out)
{
    std::vector<uint8_t> list;
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        long n;
        if (!ParseLong(text.substr(from, comma - from), 1, 247, 10, &n))
            return false;
        list.push_back(uint8_t(n));
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    *out = list;
    return true;
}

} // namespace

bool ParseOptions(int argc, const char *const *argv, Options *o, std::string *error)
{
    using Setter = std::function<bool(const std::string &)>;
    auto integer = [](long lo, long hi, auto assign, int base = 10) {
        return Setter([=](const std::string &v) {
            long n;
            if (!ParseLong(v, lo, hi, base, &n))
                return false;
            assign(n);
            return true;
        });
    };
    auto probability = [](double *target) {
        return Setter([target](const std::string &v) { return ParseProbability(v, target); });
    };
    DeviceConfig &d = o->device;
    const std::map<std::string, Setter> withValue = {
        {"--link", [o](const std::string &v) { o->linkPath = v; return !v.empty(); }},
        {"--log", [o](const std::string &v) { o->logPath = v; return !v.empty(); }},
        {"--address", integer(1, 247, [&d](long n) { d.address = uint8_t(n); })},
        {"--addresses", [o](const std::string &v) { return ParseAddressList(v, &o->addresses); }},
        {"--refuse-write", [o](const std::string &v) { return ParseRefusal(v, &o->refuseRegister, &o->refuseMeter); }},
        {"--baud", [&d](const std::string &v) {
             long n;
             if (!ParseLong(v, 1, 1000000, 10, &n) || BaudCode(int(n)) < 0)
                 return false;
             d.baud = int(n);
             return true;
         }},
        {"--parity", [&d](const std::string &v) {
             if (v.size() != 1 || ParityCode(v[0]) < 0)
                 return false;
             d.parity = ParityLetter(ParityCode(v[0]));
             return true;
         }},
        {"--pt", integer(1, 64000, [&d](long n) { d.pt = uint16_t(n); })},
        {"--ct", integer(1, 64000, [&d](long n) { d.ct = uint16_t(n); })},
        {"--wiring", integer(0, 5, [&d](long n) { d.wiring = uint8_t(n); })},
        {"--modules", integer(0, 0xFF, [&d](long n) { d.modules = uint8_t(n); }, 16)},
        {"--accuracy", integer(0, 255, [&d](long n) { d.accuracyFlag = uint8_t(n); })},
        {"--seed", integer(0, 0xFFFFFFFFL, [&d](long n) { d.seed = uint32_t(n); })},
        {"--wiring-fault", [&d](const std::string &v) { return AddWiringFault(v, &d.wiringFaults); }},
        {"--turnaround", integer(0, 10000, [o](long n) { o->turnaroundMs = int(n); })},
        {"--late-ms", integer(0, 600000, [o](long n) { o->lateMs = int(n); })},
        {"--vanish-after", integer(0, 86400000L, [o](long n) { o->vanishAfterMs = n; })},
        {"--tcp", integer(0, 65535, [o](long n) { o->tcpPort = int(n); o->modbusTcp = false; })},
        {"--modbus-tcp", integer(0, 65535, [o](long n) { o->tcpPort = int(n); o->modbusTcp = true; })},
        {"--reply-delay", integer(0, 600000, [o](long n) { o->replyDelayMs = int(n); })},
        {"--drop", probability(&o->faults.drop)},
        {"--bad-crc", probability(&o->faults.badCrc)},
        {"--stray", probability(&o->faults.stray)},
        {"--late", probability(&o->faults.late)},
        {"--exception", probability(&o->faults.exception)},
    };

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            for (int k = i + 1; k < argc; ++k)
                o->program.push_back(argv[k]);
            if (o->program.empty()) {
                *error = "-- must be followed by a program to run";
                return false;
            }
            break;
        }
        if (arg == "--help" || arg == "-h") { o->help = true; continue; }
        if (arg == "--freeze") { d.frozen = true; continue; }
        if (arg == "--export") { d.exporting = true; continue; }
        if (arg == "--flood") { o->flood = true; continue; }
        std::string value;
        bool inlineValue = false;
        const size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            inlineValue = true;
        }
        const auto it = withValue.find(arg);
        if (it == withValue.end()) {
            *error = "unknown option " + arg;
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if ((arg == "--tcp" || arg == "--modbus-tcp") && o->tcpPort >= 0) {
            *error = "only one of --tcp and --modbus-tcp, once";
            return false;
        }
        if (!it->second(value)) {
            *error = "bad value '" + value + "' for " + arg;
            return false;
        }
    }
    if (o->tcpPort < 0 && (o->replyDelayMs > 0 || o->flood)) {
        *error = "--reply-delay and --flood are a gateway's (--tcp, --modbus-tcp)";
        return false;
    }
    if (o->tcpPort >= 0 && !o->linkPath.empty()) {
        *error = "--link names a pseudo-terminal; a gateway (--tcp, --modbus-tcp) has none";
        return false;
    }
    return true;
}

} // namespace rdsim
