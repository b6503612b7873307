// A bench for the module windows: one simulated instrument (a register map that
// answers reads and echoes writes), the program's fake port that reaches it on a
// link worker, one fake clock and a scripted prompter.
#pragma once

#include "Controls.h"
#include "FakeClock.h"
#include "FakeSerialPort.h"
#include "ScriptedPrompter.h"
#include "link/LinkWorker.h"
#include "modules/windows/ModuleLink.h"

#include <QWidget>

#include <map>
#include <set>
#include <vector>

namespace rdtest {

class FakeInstrument {
public:
    std::map<uint16_t, uint16_t> regs;
    std::set<uint16_t> noEcho;   // writes to these are taken but not echoed
    bool silent = false;         // answers nothing at all
    QByteArray stray;            // sent in front of every answer

    std::vector<Chunk> Answer(const QByteArray &request);
};

// One instrument with the relay block of module 1#, the analog output block of
// module 1# and the energy pulse settings, PT 10 and CT 20. The presence word names
// the modules the window under test looks for, so that the relay window opens no
// others.
void LoadModuleRegisters(FakeInstrument &meter, uint16_t presence);

QByteArray ReadRequest(uint16_t reg, uint16_t count);
QByteArray WriteRequest(uint16_t reg, uint16_t value);

struct ModuleBench {
    ModuleBench();

    FakeClock clock;
    ScriptedPrompter prompter;
    FakeInstrument instrument;
    FakeSerialPort port{clock};
    rdlink::LinkWorker worker{port, clock};
    rdmod::ModuleContext context{worker, prompter};

    // Lets every posted operation run and its outcome reach its window.
    void Settle();
};

} // namespace rdtest
