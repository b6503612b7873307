// Whether a port's device has something to read, asked of the system directly.
// QSerialPort and QTcpSocket answer the same question with a zero wait, and a
// zero wait that finds nothing records a timeout error each time: a translated
// text and an error signal, several times for every reply the link takes in.
// Asking the system first leaves the Qt objects alone until there is work.
#pragma once

#include <QtGlobal>

namespace rdlink {

enum class DeviceState { Quiet, Ready, Unknown };

// Waits up to `ms` (0: not at all) for the device behind `handle` to have bytes,
// an end of file, a hang-up or an error; Ready for any of these, since reading
// is what tells them apart. Unknown where the system cannot be asked so (a
// handle that is not a descriptor): the caller then asks its Qt object.
DeviceState WaitForDevice(qintptr handle, int ms);

} // namespace rdlink
