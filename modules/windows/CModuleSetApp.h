// The application object of nolvex: builds the main window with the real serial
// port on a link worker and the system clock, runs its initialisation and then the
// window modally. The program ends when the main window closes; the module
// windows end with it.
#pragma once

namespace rdmod {

class CModuleSetApp {
public:
    int Run();
};

} // namespace rdmod
