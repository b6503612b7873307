#include "CModuleSetApp.h"

#include "CModuleSetDlg.h"
#include "link/LinkWorker.h"
#include "link/LinePort.h"
#include "common/widgets/Prompter.h"

namespace rdmod {

int CModuleSetApp::Run()
{
    QtPrompter prompter(QStringLiteral("nolvex"));
    // One port and one worker for the three windows: their operations take turns.
    rdlink::LinePort port;
    rdlink::LinkWorker worker(port, rdlink::SystemClock());
    ModuleContext context{worker, prompter};
    CModuleSetDlg dialog(context);
    dialog.show();
    dialog.OnInitDialog();
    dialog.exec();
    return 0;
}

} // namespace rdmod
