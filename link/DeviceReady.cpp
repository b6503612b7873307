#include "DeviceReady.h"

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace rdlink {

DeviceState WaitForDevice(qintptr handle, int ms)
{
#ifdef Q_OS_UNIX
    if (handle < 0)
        return DeviceState::Unknown;
    pollfd device{int(handle), POLLIN, 0};
    // An interrupted wait reads as quiet: every caller measures its own deadline
    // and asks again while time is left.
    if (::poll(&device, 1, ms) <= 0)
        return DeviceState::Quiet;
    return (device.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) ? DeviceState::Ready : DeviceState::Quiet;
#else
    Q_UNUSED(handle);
    Q_UNUSED(ms);
    return DeviceState::Unknown;
#endif
}

} // namespace rdlink
