// How a module window runs one operation: the exchanges go to the link worker as
// one job, the window's controls that would start another exchange wait meanwhile
// (busy cursor), and the outcome comes back on the window's thread: a message for
// a port that would not open or a device lost, or `done` when the work ran to its
// end. A window closed meanwhile gets nothing; the job itself still runs whole.
#pragma once

#include "ModuleLink.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace rdmod {

using ModuleWork = std::function<void(ModuleLink &, const PortSession &)>;

// A job of one or more operations (RunOnPort each) that returns the message of
// the one that failed, if any.
using ModuleJob = std::function<std::optional<QString>(rdlink::Link &)>;

void RunModuleJob(QWidget *window, ModuleContext &context, std::vector<QPointer<QWidget>> busyControls,
                  ModuleJob job, std::function<void()> done);

void RunModuleOperation(QWidget *window, ModuleContext &context, PortUse use,
                        std::vector<QPointer<QWidget>> busyControls, ModuleWork work,
                        std::function<void()> done);

} // namespace rdmod
