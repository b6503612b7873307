#include "sim/WiringFaults.h"

#include <utility>

namespace rdsim {

namespace {

int PhaseIndex(const std::string &letter)
{
    if (letter.size() != 1)
        return -1;
    switch (letter[0]) {
    case 'A': case 'a': return 0;
    case 'B': case 'b': return 1;
    case 'C': case 'c': return 2;
    default: return -1;
    }
}

} // namespace

bool WiringFaults::any() const
{
    const WiringFaults none;
    return currentSource != none.currentSource || reversedCt != none.reversedCt ||
           lostVoltage != none.lostVoltage || noLoad != none.noLoad;
}

bool AddWiringFault(const std::string &spec, WiringFaults *faults)
{
    const size_t colon = spec.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string kind = spec.substr(0, colon);
    const std::string phases = spec.substr(colon + 1);
    if (kind == "swap-ct") {
        const size_t comma = phases.find(',');
        if (comma == std::string::npos)
            return false;
        const int a = PhaseIndex(phases.substr(0, comma));
        const int b = PhaseIndex(phases.substr(comma + 1));
        if (a < 0 || b < 0 || a == b)
            return false;
        std::swap(faults->currentSource[size_t(a)], faults->currentSource[size_t(b)]);
        std::swap(faults->reversedCt[size_t(a)], faults->reversedCt[size_t(b)]);
        return true;
    }
    const int p = PhaseIndex(phases);
    if (p < 0)
        return false;
    if (kind == "reverse-ct")
        faults->reversedCt[size_t(p)] = !faults->reversedCt[size_t(p)];
    else if (kind == "lose-voltage")
        faults->lostVoltage[size_t(p)] = true;
    else if (kind == "no-load")
        faults->noLoad[size_t(p)] = true;
    else
        return false;
    return true;
}

} // namespace rdsim
