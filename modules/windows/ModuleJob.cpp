#include "ModuleJob.h"

#include "common/widgets/Prompter.h"

namespace rdmod {

namespace {

void SetBusy(QWidget *window, const std::vector<QPointer<QWidget>> &controls, bool busy)
{
    for (const QPointer<QWidget> &control : controls)
        if (control)
            control->setEnabled(!busy);
    if (busy)
        window->setCursor(Qt::BusyCursor);
    else
        window->unsetCursor();
}

} // namespace

void RunModuleOperation(QWidget *window, ModuleContext &context, PortUse use,
                        std::vector<QPointer<QWidget>> busyControls, ModuleWork work,
                        std::function<void()> done)
{
    RunModuleJob(window, context, std::move(busyControls),
                 [use, work](rdlink::Link &link) { return RunOnPort(link, use, work); }, std::move(done));
}

void RunModuleJob(QWidget *window, ModuleContext &context, std::vector<QPointer<QWidget>> busyControls,
                  ModuleJob job, std::function<void()> done)
{
    SetBusy(window, busyControls, true);
    Prompter *prompter = &context.prompter;
    // The window may close while the job runs or waits behind another window's:
    // the job still runs whole, and its outcome goes nowhere.
    const QPointer<QObject> guard(window);
    context.worker.post([=](rdlink::Link &link) {
        const std::optional<QString> failure = job(link);
        rdlink::LinkWorker::deliver(guard, [=] {
            SetBusy(window, busyControls, false);
            if (failure)
                prompter->message(window, *failure);
            else if (done)
                done();
        });
    });
}

} // namespace rdmod
