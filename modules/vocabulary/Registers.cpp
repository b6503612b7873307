#include "Registers.h"

namespace rdmod {

int RelayModuleFromPresence(uint8_t presence)
{
    int index = kNoRelayModule;
    if (presence & kPresenceRelay1)
        index = 0;
    if (presence & kPresenceRelay2)
        index = 1;
    if (presence & kPresenceRelay3)
        index = 2;
    return index;
}

int AnalogModuleFromPresence(uint8_t presence)
{
    int index = kNoAnalogModule;
    if (presence & kPresenceAnalog1)
        index = 0;
    if (presence & kPresenceAnalog2)
        index = 1;
    return index;
}

} // namespace rdmod
